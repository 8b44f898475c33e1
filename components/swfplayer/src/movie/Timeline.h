#pragma once

#include "movie/PlaceObject.h"
#include "sound/SoundTags.h"
#include "swf/Color.h"

#include <algorithm>
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
// A place in a display list. Timelines use 1..65535; scripts reach far
// above that and down to the timeline's own range.
using Depth = std::int32_t;

// Action bytes: a view into the movie's data, which the movie keeps.
struct DoAction {
    std::span<const std::uint8_t> code;
};

// Actions that set up a sprite's class before the sprite is first used; run
// once, before the other actions of their frame.
struct DoInitAction {
    CharacterId spriteId = 0;
    std::span<const std::uint8_t> code;
};

struct SetBackgroundColor {
    Rgba color;
};

using ControlTag = std::variant<PlaceObject, RemoveObject, DoAction, DoInitAction,
                                SetBackgroundColor, StartSound, StreamBlock>;

struct Frame {
    std::vector<ControlTag> tags;
};

// A timeline: the root movie's or a sprite's. Each frame is the list of
// control tags that lead from the previous frame to it.
class Timeline {
public:
    FrameNumber frameCount() const {
        return std::max(static_cast<FrameNumber>(m_frames.size()), m_paddedCount);
    }
    // frame must be 1..frameCount().
    const Frame& frame(FrameNumber frame) const {
        return frame <= m_frames.size() ? m_frames[frame - 1] : kPaddingFrame;
    }

    // Flash matches labels without regard to case.
    std::optional<FrameNumber> findLabel(std::string_view label) const;
    std::size_t labelCount() const { return m_labels.size(); }

    void appendFrame(Frame frame) { m_frames.push_back(std::move(frame)); }
    // Labels the frame that is being read (the one appended next), unless
    // the movie declared its labels with its scenes.
    void addLabel(std::string label) {
        if (!m_labelsDeclared)
            m_labels.push_back({std::move(label), frameCount() + 1});
    }
    // Pads with empty frames up to count, as a timeline whose header declares
    // more frames than it stores still lasts that long. The padding is not
    // stored: a few bytes of sprite header may declare 65,535 frames.
    void padTo(FrameNumber count) { m_paddedCount = std::max(m_paddedCount, count); }

    // The format of the timeline's stream sound, from the SoundStreamHead read
    // last; blocks take the one in force when they are read.
    const std::optional<StreamHead>& streamHead() const { return m_streamHead; }
    void setStreamHead(const StreamHead& head) { m_streamHead = head; }
    // The stream block being read, as it belongs to the timeline.
    StreamBlock streamBlock(std::span<const std::uint8_t> data);

    struct Label {
        std::string name;
        FrameNumber frame;
    };
    // In the order the timeline declares them.
    const std::vector<Label>& labels() const { return m_labels; }

    struct Scene {
        std::string name;
        FrameNumber start = 1;
        FrameNumber length = 0;
    };
    // A movie's DefineSceneAndFrameLabelData names its scenes and labels
    // once for the whole timeline; Flash then ignores the FrameLabel tags.
    void declareScenes(std::vector<Scene> scenes, std::vector<Label> labels);
    // The scenes in order, each lasting up to the next one's start; a
    // timeline that declares none is one scene without a name.
    std::vector<Scene> scenes() const;
    // The scene that shows the frame: the last to start at or before it.
    Scene sceneAt(FrameNumber frame) const;

private:
    static inline const Frame kPaddingFrame{};
    std::vector<Frame> m_frames;
    FrameNumber m_paddedCount = 0;
    std::vector<Label> m_labels;
    bool m_labelsDeclared = false;
    std::vector<Scene> m_scenes;
    std::optional<StreamHead> m_streamHead;
    bool m_hasStreamBlock = false;
};

} // namespace vidorama::swf
