#pragma once

#include "movie/Actions.h"
#include "movie/PlaceObject.h"
#include "swf/Color.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace vidorama::swf {

// Frame numbers are 1-based throughout, as Flash counts them.
using FrameNumber = std::uint32_t;

struct DoAction {
    std::shared_ptr<const ActionList> actions;
};

struct SetBackgroundColor {
    Rgba color;
};

// A control tag the engine keeps but does not act on yet (sounds, video
// frames): its code and a view into the movie's data, which the movie keeps.
struct KeptTag {
    int code = 0;
    std::span<const std::uint8_t> body;
};

using ControlTag = std::variant<PlaceObject, RemoveObject, DoAction, SetBackgroundColor, KeptTag>;

struct Frame {
    std::vector<ControlTag> tags;
};

// A timeline: the root movie's or a sprite's. Each frame is the list of
// control tags that lead from the previous frame to it.
class Timeline {
public:
    FrameNumber frameCount() const { return static_cast<FrameNumber>(m_frames.size()); }
    // frame must be 1..frameCount().
    const Frame& frame(FrameNumber frame) const { return m_frames[frame - 1]; }

    // Flash matches labels without regard to case.
    std::optional<FrameNumber> findLabel(std::string_view label) const;

    void appendFrame(Frame frame) { m_frames.push_back(std::move(frame)); }
    // Labels the frame that is being read (the one appended next).
    void addLabel(std::string label) { m_labels.push_back({std::move(label), frameCount() + 1}); }
    // Pads with empty frames up to count, as a timeline whose header declares
    // more frames than it stores still lasts that long.
    void padTo(FrameNumber count);

private:
    struct Label {
        std::string name;
        FrameNumber frame;
    };
    std::vector<Frame> m_frames;
    std::vector<Label> m_labels;
};

} // namespace vidorama::swf
