#pragma once

#include "movie/PlaceObject.h"
#include "movie/SpriteDef.h"

#include <memory>
#include <optional>
#include <vector>

namespace vidorama::swf {

class ByteReader;

// The up state of a DefineButton (version 1) or DefineButton2 (version 2):
// one placement per button record shown in that state, with its matrix,
// colour transform, filters and blend mode. The button's own actions and the
// other states are not kept: nothing presses a button in a conversion.
// nullopt when the records are cut short.
std::optional<std::vector<PlaceObject>> ReadButtonUpState(ByteReader& body, int version);

// A button as the player shows it: a one-frame sprite of its up state.
std::shared_ptr<const SpriteDef> MakeButtonSprite(CharacterId id,
                                                  const std::vector<PlaceObject>& upState);

} // namespace vidorama::swf
