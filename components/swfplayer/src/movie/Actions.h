#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vidorama::swf {

// The timeline actions the engine runs before it has a full ActionScript
// interpreter: the timeline opcodes, and calls of the timeline functions
// (play, stop, gotoAndPlay...) whose arguments and target are constants.
// Everything else in an action block is stepped over; function bodies are not
// run where they are defined.
struct Action {
    enum class Op {
        Stop,
        Play,
        NextFrame,
        PreviousFrame,
        // frame is 0-based, as ActionGotoFrame stores it.
        GotoFrame,
        GotoLabel,
        // A target path; empty returns to the block's own timeline.
        SetTarget,
        // ActionGotoFrame2 whose operand was pushed as a constant just before:
        // a frame number (1-based, after bias) or a label.
        GotoExpression,
        // stopAllSounds(): every sound of the movie stops.
        StopSounds,
    };

    Op op = Op::Stop;
    std::uint32_t frame = 0;
    std::string text;
    bool play = false;
    // The clip a method call names ("mc.stop()"), as a path from the current
    // target; empty for the current target itself.
    std::string path;
    bool operator==(const Action&) const = default;
};

using ActionList = std::vector<Action>;

// Reads the action records of a DoAction body up to ActionEnd or the end of
// the body, whichever comes first. At most maxActions records are looked at.
ActionList ReadActions(std::span<const std::uint8_t> body, std::size_t maxActions);

} // namespace vidorama::swf
