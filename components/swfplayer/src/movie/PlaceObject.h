#pragma once

#include "movie/Filters.h"
#include "swf/Character.h"
#include "swf/Color.h"
#include "swf/Geometry.h"
#include "swf/Result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::swf {

class ByteReader;

// PlaceObject, PlaceObject2 and PlaceObject3 in one shape: every field is
// optional because the later versions send only what changes.
struct PlaceObject {
    int version = 1;
    std::uint16_t depth = 0;
    // "Move" modifies the object already at the depth; with a character id
    // it also swaps the object's character.
    bool move = false;
    std::optional<CharacterId> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::string> className;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Rgba> backgroundColor;
    // CLIPACTIONS as stored, shared by the instances placed with them: their
    // handlers' code, and functions defined there, live as long as any user.
    std::shared_ptr<const std::vector<std::uint8_t>> clipActions;

    // Later fields win; used to fold several frames' changes into one.
    void mergeFrom(const PlaceObject& later);
};

// version is 1, 2 or 3 after the tag (PlaceObject, PlaceObject2, PlaceObject3).
Result<PlaceObject> ReadPlaceObject(ByteReader& body, int version);

struct RemoveObject {
    std::uint16_t depth = 0;
    // RemoveObject (version 1) names the character as well.
    std::optional<CharacterId> characterId;
};

Result<RemoveObject> ReadRemoveObject(ByteReader& body, int version);

} // namespace vidorama::swf
