#pragma once

#include "movie/Timeline.h"
#include "sound/SoundTags.h"
#include "swf/Character.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vidorama::swf {

class DisplayObject;
class MovieClip;

// What a clip's timeline needs from the player that runs it: new instances of
// dictionary characters, a queue for the actions of the frames it enters, and
// the sound output for the sounds its frames start.
class TimelineHost {
public:
    virtual ~TimelineHost() = default;
    // The definition an instance of the id shows, or nullptr.
    virtual std::shared_ptr<const CharacterDef> character(CharacterId id) = 0;
    // A fresh instance of the character, or nullptr when the id is unknown or
    // the display tree would grow past its limits.
    virtual std::shared_ptr<DisplayObject> instantiate(CharacterId id, Depth depth,
                                                       const MovieClip& parent) = 0;
    // The name Flash gives an object its placement leaves unnamed:
    // "instance1", "instance2", ... counted over the whole player; empty for
    // an object that takes no name.
    virtual std::string defaultInstanceName(const DisplayObject& object) = 0;
    virtual void queueActions(MovieClip& clip, std::span<const std::uint8_t> code) = 0;
    virtual void queueInitActions(MovieClip& clip, const DoInitAction& actions) = 0;
    // A clip new on the display list: runs its first frame and queues its
    // clip events, as Flash does for clips placed by a timeline or a script.
    virtual void startClip(MovieClip& clip) = 0;
    // Takes the frames a goto passes through from the frame step's budget;
    // false when they no longer fit, and the goto is then not made.
    virtual bool spendGotoFrames(FrameNumber frames) = 0;
    virtual void startSound(const StartSound& sound) = 0;
    // A frame of the clip holds the next block of its stream sound.
    virtual void streamBlock(MovieClip& clip, const StreamBlock& block) = 0;
    // The clip's stream stops: it jumps to another frame.
    virtual void stopStream(const MovieClip& clip) = 0;
    virtual void stopAllSounds() = 0;
    // The child is about to leave its list (a RemoveObject, a goto that
    // does not keep it, or removeMovieClip): ActionScript 3 tells the child,
    // ActionScript 1 and 2 queue its unload handlers.
    virtual void timelineRemoving(DisplayObject& child) = 0;
    // A placement without "move" at a depth that holds an object: Flash
    // keeps the object there, and its debugger reports the refusal.
    virtual void placementRefused(std::uint16_t depth) = 0;
};

} // namespace vidorama::swf
