#pragma once

#include "swf/SwfBitWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::test {

using Bytes = std::vector<std::uint8_t>;

// Builds tags and whole movies by hand for tests. Tag helpers return the
// complete tag (header and body); Movie collects tags and writes the file.
namespace tags {

inline Bytes Tag(int code, const Bytes& body, bool longHeader = false) {
    SwfBitWriter w;
    if (body.size() < 0x3f && !longHeader) {
        w.u16(static_cast<std::uint16_t>((code << 6) | body.size()));
    } else {
        w.u16(static_cast<std::uint16_t>((code << 6) | 0x3f));
        w.u32(static_cast<std::uint32_t>(body.size()));
    }
    return w.bytes(body).take();
}

inline Bytes ShowFrame() {
    return Tag(1, {});
}
inline Bytes End() {
    return Tag(0, {});
}

inline Bytes SetBackgroundColor(swf::Rgba color) {
    return Tag(9, SwfBitWriter().rgb(color).take());
}

inline Bytes FrameLabel(const std::string& label) {
    return Tag(43, SwfBitWriter().string(label).take());
}

// DefineSceneAndFrameLabelData: scenes and labels as (frame from 0, name).
inline Bytes
DefineSceneAndFrameLabelData(const std::vector<std::pair<std::uint32_t, std::string>>& scenes,
                             const std::vector<std::pair<std::uint32_t, std::string>>& labels) {
    Bytes body;
    auto encoded = [&](std::uint32_t v) {
        do {
            std::uint8_t b = v & 0x7f;
            v >>= 7;
            body.push_back(v ? b | 0x80 : b);
        } while (v);
    };
    for (const auto* list : {&scenes, &labels}) {
        encoded(static_cast<std::uint32_t>(list->size()));
        for (const auto& [frame, name] : *list) {
            encoded(frame);
            body.insert(body.end(), name.begin(), name.end());
            body.push_back(0);
        }
    }
    return Tag(86, body);
}

inline Bytes FileAttributes(bool actionScript3) {
    return Tag(69, SwfBitWriter().u32(actionScript3 ? 0x08 : 0).take());
}

// The records of a rectangle (twips) filled with fill style 1, as a SHAPE or
// the tail of a SHAPEWITHSTYLE: index bits, edges, end.
inline void RectShapeRecords(SwfBitWriter& w, const swf::Rect& r) {
    w.ub(4, 1).ub(4, 0); // fill and line index bits
    unsigned moveBits = SwfBitWriter::signedBits({r.xMin, r.yMin});
    // Style change: move to the top-left corner and select fill style 1.
    w.ub(1, 0).ub(5, 0x01 | 0x04).ub(5, moveBits).sb(moveBits, r.xMin).sb(moveBits, r.yMin);
    w.ub(1, 1);
    auto straight = [&](std::int32_t dx, std::int32_t dy) {
        unsigned bits = std::max(2u, SwfBitWriter::signedBits({dx, dy}));
        w.ub(1, 1).ub(1, 1).ub(4, bits - 2);
        if (dx != 0 && dy != 0) {
            w.ub(1, 1).sb(bits, dx).sb(bits, dy);
        } else {
            w.ub(1, 0).ub(1, dx == 0 ? 1 : 0).sb(bits, dx == 0 ? dy : dx);
        }
    };
    straight(r.width(), 0);
    straight(0, r.height());
    straight(-r.width(), 0);
    straight(0, -r.height());
    w.ub(6, 0); // end of shape
}

// A DefineShape3 of one solid-filled rectangle (twips), without outline.
inline Bytes DefineRectShape(std::uint16_t id, const swf::Rect& r, swf::Rgba color) {
    SwfBitWriter w;
    w.u16(id).rect(r);
    w.u8(1).u8(0x00).rgba(color); // one solid fill style
    w.u8(0);                      // no line styles
    RectShapeRecords(w, r);
    return Tag(32, w.take());
}

// PlaceObject2, built field by field:
// Place(3).character(7).matrix(m).name("ball").tag()
class Place {
public:
    explicit Place(std::uint16_t depth) : m_depth(depth) {}

    Place& character(std::uint16_t id) {
        m_characterId = id;
        return *this;
    }
    Place& move() {
        m_move = true;
        return *this;
    }
    Place& matrix(const swf::Matrix& m) {
        m_matrix = m;
        return *this;
    }
    Place& colors(const swf::ColorTransform& t) {
        m_colorTransform = t;
        return *this;
    }
    Place& ratio(std::uint16_t r) {
        m_ratio = r;
        return *this;
    }
    Place& name(const std::string& n) {
        m_name = n;
        return *this;
    }
    Place& clipDepth(std::uint16_t d) {
        m_clipDepth = d;
        return *this;
    }
    // PlaceObject3 fields: the tag becomes a PlaceObject3 when any is set.
    // blendMode is the stored byte (1 Normal ... 14 HardLight); filters the
    // FILTERLIST body, count included.
    Place& blendMode(std::uint8_t mode) {
        m_blendMode = mode;
        return *this;
    }
    Place& filters(const Bytes& filterList) {
        m_filters = filterList;
        return *this;
    }
    Place& cacheAsBitmap() {
        m_cacheAsBitmap = true;
        return *this;
    }
    // The CLIPACTIONS body as stored, reserved field and end mark included.
    Place& clipActions(const Bytes& body) {
        m_clipActions = body;
        return *this;
    }

    Bytes tag() const {
        std::uint8_t flags = (m_move ? 0x01 : 0) | (m_characterId ? 0x02 : 0) |
                             (m_matrix ? 0x04 : 0) | (m_colorTransform ? 0x08 : 0) |
                             (m_ratio ? 0x10 : 0) | (m_name ? 0x20 : 0) | (m_clipDepth ? 0x40 : 0) |
                             (m_clipActions ? 0x80 : 0);
        bool version3 = m_blendMode || m_filters || m_cacheAsBitmap;
        SwfBitWriter w;
        w.u8(flags);
        if (version3)
            w.u8((m_filters ? 0x01 : 0) | (m_blendMode ? 0x02 : 0) | (m_cacheAsBitmap ? 0x04 : 0));
        w.u16(m_depth);
        if (m_characterId)
            w.u16(*m_characterId);
        if (m_matrix)
            w.matrix(*m_matrix);
        if (m_colorTransform)
            w.colorTransform(*m_colorTransform, true);
        if (m_ratio)
            w.u16(*m_ratio);
        if (m_name)
            w.string(*m_name);
        if (m_clipDepth)
            w.u16(*m_clipDepth);
        if (m_filters)
            w.bytes(*m_filters);
        if (m_blendMode)
            w.u8(*m_blendMode);
        if (m_cacheAsBitmap)
            w.u8(1);
        if (m_clipActions)
            w.bytes(*m_clipActions);
        return Tag(version3 ? 70 : 26, w.take());
    }

private:
    std::uint16_t m_depth;
    std::optional<std::uint16_t> m_characterId;
    bool m_move = false;
    std::optional<swf::Matrix> m_matrix;
    std::optional<swf::ColorTransform> m_colorTransform;
    std::optional<std::uint16_t> m_ratio;
    std::optional<std::string> m_name;
    std::optional<std::uint16_t> m_clipDepth;
    std::optional<std::uint8_t> m_blendMode;
    std::optional<Bytes> m_filters;
    bool m_cacheAsBitmap = false;
    std::optional<Bytes> m_clipActions;
};

// FILTERLIST entries for Place::filters(): sizes in stage pixels.
namespace filters {
inline Bytes List(const std::vector<Bytes>& entries) {
    SwfBitWriter w;
    w.u8(static_cast<std::uint8_t>(entries.size()));
    for (const auto& entry : entries)
        w.bytes(entry);
    return w.take();
}
inline std::uint32_t Fixed16(double v) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(v * 65536));
}
// flags: 0x80 inner, 0x40 knockout, 0x20 composite source (object shown).
inline Bytes DropShadow(swf::Rgba color, double blur, double angle, double distance,
                        std::uint8_t flags = 0x20, int passes = 1) {
    SwfBitWriter w;
    w.u8(0).rgba(color).u32(Fixed16(blur)).u32(Fixed16(blur)).u32(Fixed16(angle));
    w.u32(Fixed16(distance)).u16(0x0100).u8(static_cast<std::uint8_t>(flags | passes));
    return w.take();
}
inline Bytes Glow(swf::Rgba color, double blur, std::uint8_t flags = 0x20, int passes = 1) {
    SwfBitWriter w;
    w.u8(2).rgba(color).u32(Fixed16(blur)).u32(Fixed16(blur)).u16(0x0100);
    w.u8(static_cast<std::uint8_t>(flags | passes));
    return w.take();
}
inline Bytes Blur(double blur, int passes = 1) {
    SwfBitWriter w;
    w.u8(1).u32(Fixed16(blur)).u32(Fixed16(blur)).u8(static_cast<std::uint8_t>(passes << 3));
    return w.take();
}
} // namespace filters

// A new object at a depth, with a matrix as Flash authoring tools write it.
inline Bytes PlaceAt(std::uint16_t depth, std::uint16_t id, swf::Matrix matrix = {}) {
    return Place(depth).character(id).matrix(matrix).tag();
}

inline Bytes RemoveObject2(std::uint16_t depth) {
    return Tag(28, SwfBitWriter().u16(depth).take());
}

// A DefineVideoStream; deblocking is the three-bit field (1 is off).
inline Bytes DefineVideoStream(std::uint16_t id, std::uint16_t frames, std::uint16_t width,
                               std::uint16_t height, std::uint8_t codec,
                               std::uint8_t deblocking = 1, bool smoothing = false) {
    SwfBitWriter w;
    w.u16(id).u16(frames).u16(width).u16(height);
    w.u8(static_cast<std::uint8_t>((deblocking & 7) << 1 | (smoothing ? 1 : 0))).u8(codec);
    return Tag(60, w.take());
}

inline Bytes VideoFrame(std::uint16_t stream, std::uint16_t number, const Bytes& data) {
    return Tag(61, SwfBitWriter().u16(stream).u16(number).bytes(data).take(), true);
}

// A sprite from its frames: each inner vector is one frame's tags, and a
// ShowFrame is written after each.
inline Bytes DefineSprite(std::uint16_t id, const std::vector<std::vector<Bytes>>& frames) {
    SwfBitWriter w;
    w.u16(id).u16(static_cast<std::uint16_t>(frames.size()));
    for (const auto& frame : frames) {
        for (const auto& tag : frame)
            w.bytes(tag);
        w.bytes(ShowFrame());
    }
    w.bytes(End());
    return Tag(39, w.take());
}

// Action records for DoAction bodies.
namespace actions {
inline Bytes Stop() {
    return {0x07};
}
inline Bytes Play() {
    return {0x06};
}
inline Bytes NextFrame() {
    return {0x04};
}
inline Bytes PreviousFrame() {
    return {0x05};
}
inline Bytes WithString(std::uint8_t code, const std::string& text) {
    SwfBitWriter w;
    w.u8(code).u16(static_cast<std::uint16_t>(text.size() + 1)).string(text);
    return w.take();
}
// frame is 0-based, as stored.
inline Bytes GotoFrame(std::uint16_t frame) {
    return SwfBitWriter().u8(0x81).u16(2).u16(frame).take();
}
inline Bytes GotoLabel(const std::string& label) {
    return WithString(0x8c, label);
}
inline Bytes SetTarget(const std::string& path) {
    return WithString(0x8b, path);
}
inline Bytes PushString(const std::string& text) {
    SwfBitWriter w;
    w.u8(0x96).u16(static_cast<std::uint16_t>(text.size() + 2)).u8(0).string(text);
    return w.take();
}
inline Bytes PushInteger(std::int32_t value) {
    return SwfBitWriter().u8(0x96).u16(5).u8(7).u32(static_cast<std::uint32_t>(value)).take();
}
inline Bytes GotoFrame2(bool play) {
    return SwfBitWriter().u8(0x9f).u16(1).u8(play ? 1 : 0).take();
}
// An action without operands (ActionAdd2, ActionGetVariable, ...).
inline Bytes Op(std::uint8_t code) {
    return {code};
}
// ActionJump by offset bytes from the end of the jump itself.
inline Bytes Jump(std::int16_t offset) {
    return SwfBitWriter().u8(0x99).u16(2).u16(static_cast<std::uint16_t>(offset)).take();
}
} // namespace actions

inline Bytes DoAction(const std::vector<Bytes>& records) {
    SwfBitWriter w;
    for (const auto& record : records)
        w.bytes(record);
    w.u8(0);
    return Tag(12, w.take());
}

} // namespace tags

// A whole movie. Frames are added with frame(); the header's frame count is
// the number of frames unless declaredFrames says otherwise.
class MovieWriter {
public:
    std::uint8_t version = 10;
    swf::Rect frameRect{0, 4000, 0, 3000};
    double frameRate = 12;
    std::optional<std::uint16_t> declaredFrames;

    // Tags before the first frame's tags (definitions, file attributes).
    MovieWriter& tag(const Bytes& tag) {
        m_body.insert(m_body.end(), tag.begin(), tag.end());
        return *this;
    }
    // One frame: its tags and then ShowFrame.
    MovieWriter& frame(const std::vector<Bytes>& frameTags = {}) {
        for (const auto& t : frameTags)
            tag(t);
        ++m_frames;
        return tag(tags::ShowFrame());
    }

    // The uncompressed movie ("FWS"), ending with an End tag.
    Bytes bytes() const {
        Bytes body = header();
        body.insert(body.end(), m_body.begin(), m_body.end());
        Bytes end = tags::End();
        body.insert(body.end(), end.begin(), end.end());
        SwfBitWriter w;
        w.u8('F').u8('W').u8('S').u8(version).u32(static_cast<std::uint32_t>(body.size() + 8));
        return w.bytes(body).take();
    }

private:
    Bytes header() const {
        SwfBitWriter w;
        w.rect(frameRect).u16(static_cast<std::uint16_t>(frameRate * 256));
        w.u16(declaredFrames.value_or(m_frames));
        return w.take();
    }

    Bytes m_body;
    std::uint16_t m_frames = 0;
};

} // namespace vidorama::test
