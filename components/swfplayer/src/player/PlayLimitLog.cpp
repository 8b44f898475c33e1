#include "player/PlayLimitLog.h"

#include "swf/Limits.h"

namespace vidorama::swf {

namespace {

std::string Phrase(PlayLimit limit) {
    switch (limit) {
    case PlayLimit::DisplayObjects:
        return "more than " + std::to_string(Limits::kMaxDisplayObjects) + " objects on the stage";
    case PlayLimit::SpriteNesting:
        return "sprites nested more than " + std::to_string(Limits::kMaxSpriteNesting) + " deep";
    case PlayLimit::InstancesPerStep:
        return "more than " + std::to_string(Limits::kMaxInstancesPerStep) +
               " objects placed in one frame";
    case PlayLimit::GotoFrames:
        return "gotos through more than " + std::to_string(Limits::kMaxGotoFramesPerFrame) +
               " frames in one frame";
    case PlayLimit::ScriptWork:
        return "scripts stopped for doing more work in one frame than allowed (" +
               std::to_string(Limits::kMaxScriptStepsPerFrame) + " instructions, " +
               std::to_string(Limits::kMaxActionsPerFrame) + " action blocks)";
    case PlayLimit::MaskNesting:
        return "masks nested more than " + std::to_string(Limits::kMaxMaskNesting) + " deep";
    case PlayLimit::PathElements:
        return "more than " + std::to_string(Limits::kMaxPathElementsPerFrame) +
               " path elements drawn in one frame";
    case PlayLimit::Voices:
        return "more than " + std::to_string(Limits::kMaxVoices) + " sounds at once";
    case PlayLimit::ScriptTime:
        return "scripts stopped for running longer than allowed for the output's length (" +
               std::to_string(Limits::kMaxScriptStepsPerOutputSecond) + " instructions a second)";
    case PlayLimit::ScriptMemory:
        return "scripts stopped for holding more memory than allowed (" +
               std::to_string(Limits::kMaxScriptMemoryBytes / (1024 * 1024)) + " MB or " +
               std::to_string(Limits::kMaxScriptObjects) + " objects)";
    }
    return {};
}

} // namespace

std::string PlayLimitLog::describe() const {
    const unsigned reached = m_reached.load(std::memory_order_relaxed);
    std::string text;
    for (unsigned bit = 0; bit <= static_cast<unsigned>(PlayLimit::ScriptMemory); ++bit) {
        if ((reached & (1u << bit)) == 0)
            continue;
        if (!text.empty())
            text += "; ";
        text += Phrase(static_cast<PlayLimit>(bit));
    }
    return text;
}

} // namespace vidorama::swf
