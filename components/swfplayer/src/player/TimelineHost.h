#pragma once

#include "movie/Actions.h"
#include "swf/Character.h"

#include <cstdint>
#include <memory>

namespace vidorama::swf {

class DisplayObject;
class MovieClip;

// What a clip's timeline needs from the player that runs it: new instances of
// dictionary characters, and a queue for the actions of the frames it enters.
class TimelineHost {
public:
    virtual ~TimelineHost() = default;
    // The definition an instance of the id shows, or nullptr.
    virtual std::shared_ptr<const CharacterDef> character(CharacterId id) = 0;
    // A fresh instance of the character, or nullptr when the id is unknown or
    // the display tree would grow past its limits.
    virtual std::shared_ptr<DisplayObject> instantiate(CharacterId id, std::uint16_t depth,
                                                       const MovieClip& parent) = 0;
    virtual void queueActions(MovieClip& clip, std::shared_ptr<const ActionList> actions) = 0;
};

} // namespace vidorama::swf
