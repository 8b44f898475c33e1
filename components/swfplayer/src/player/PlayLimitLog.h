#pragma once

#include <atomic>
#include <string>

namespace vidorama::swf {

// The limits that cut a playback short while it runs (the movie itself was
// within the loader's limits): what was left undone is not drawn, placed or
// played, and the user is told once which limits were reached.
enum class PlayLimit : unsigned {
    DisplayObjects,
    SpriteNesting,
    InstancesPerStep,
    GotoFrames,
    ScriptWork,
    MaskNesting,
    PathElements,
    Voices,
    ScriptTime,
    ScriptMemory,
};

// Which limits a playback has reached. Frame steps and drawing both report
// here, and a host may draw on another thread than the one that steps.
class PlayLimitLog {
public:
    void reached(PlayLimit limit) {
        m_reached.fetch_or(1u << static_cast<unsigned>(limit), std::memory_order_relaxed);
    }
    bool any() const { return m_reached.load(std::memory_order_relaxed) != 0; }
    // The limits reached, each with its value, joined by "; "; empty when none.
    std::string describe() const;

private:
    std::atomic<unsigned> m_reached{0};
};

} // namespace vidorama::swf
