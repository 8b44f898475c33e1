#pragma once

#include "SwfWriter.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vidorama::test::tags {

// The SWF codes of the sound formats and rates, as the format byte stores them.
enum class Codec : std::uint8_t {
    Native = 0,
    Adpcm = 1,
    Mp3 = 2,
    LittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11
};
enum class Rate : std::uint8_t { k5 = 0, k11 = 1, k22 = 2, k44 = 3 };

struct Format {
    Codec codec = Codec::LittleEndian;
    Rate rate = Rate::k44;
    bool sixteenBit = true;
    bool stereo = false;

    std::uint8_t byte() const {
        return static_cast<std::uint8_t>((static_cast<unsigned>(codec) << 4) |
                                         (static_cast<unsigned>(rate) << 2) | (sixteenBit ? 2 : 0) |
                                         (stereo ? 1 : 0));
    }
};

// 16-bit samples as uncompressed sound data stores them, little-endian.
inline Bytes PcmBytes(std::span<const std::int16_t> samples) {
    Bytes bytes;
    for (std::int16_t s : samples) {
        bytes.push_back(static_cast<std::uint8_t>(s));
        bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
    }
    return bytes;
}

inline Bytes DefineSound(std::uint16_t id, Format format, std::uint32_t sampleCount,
                         const Bytes& data) {
    SwfBitWriter w;
    w.u16(id).u8(format.byte()).u32(sampleCount).bytes(data);
    return Tag(14, w.take(), true);
}

// SOUNDINFO, built field by field: SoundInfo().loops(3).envelope({{0, 0, 0}}).
class SoundInfo {
public:
    struct Point {
        std::uint32_t pos44;
        std::uint16_t left;
        std::uint16_t right;
    };

    SoundInfo& stop() {
        m_stop = true;
        return *this;
    }
    SoundInfo& noMultiple() {
        m_noMultiple = true;
        return *this;
    }
    SoundInfo& in(std::uint32_t pos44) {
        m_in = pos44;
        return *this;
    }
    SoundInfo& out(std::uint32_t pos44) {
        m_out = pos44;
        return *this;
    }
    SoundInfo& loops(std::uint16_t count) {
        m_loops = count;
        return *this;
    }
    SoundInfo& envelope(std::vector<Point> points) {
        m_envelope = std::move(points);
        return *this;
    }

    Bytes bytes() const {
        SwfBitWriter w;
        w.u8(static_cast<std::uint8_t>((m_stop ? 0x20 : 0) | (m_noMultiple ? 0x10 : 0) |
                                       (m_envelope ? 0x08 : 0) | (m_loops ? 0x04 : 0) |
                                       (m_out ? 0x02 : 0) | (m_in ? 0x01 : 0)));
        if (m_in)
            w.u32(*m_in);
        if (m_out)
            w.u32(*m_out);
        if (m_loops)
            w.u16(*m_loops);
        if (m_envelope) {
            w.u8(static_cast<std::uint8_t>(m_envelope->size()));
            for (const Point& p : *m_envelope)
                w.u32(p.pos44).u16(p.left).u16(p.right);
        }
        return w.take();
    }

private:
    bool m_stop = false;
    bool m_noMultiple = false;
    std::optional<std::uint32_t> m_in;
    std::optional<std::uint32_t> m_out;
    std::optional<std::uint16_t> m_loops;
    std::optional<std::vector<Point>> m_envelope;
};

inline Bytes StartSound(std::uint16_t id, const SoundInfo& info = {}) {
    return Tag(15, SwfBitWriter().u16(id).bytes(info.bytes()).take());
}

inline Bytes StartSound2(const std::string& className, const SoundInfo& info = {}) {
    return Tag(89, SwfBitWriter().string(className).bytes(info.bytes()).take());
}

// SymbolClass giving classes to characters.
inline Bytes SymbolClass(const std::vector<std::pair<std::uint16_t, std::string>>& symbols) {
    SwfBitWriter w;
    w.u16(static_cast<std::uint16_t>(symbols.size()));
    for (const auto& [id, name] : symbols)
        w.u16(id).string(name);
    return Tag(76, w.take());
}

// SoundStreamHead2 (or SoundStreamHead): the playback byte repeats the
// stream's own format, as authoring tools write it.
inline Bytes SoundStreamHead(Format format, std::uint16_t samplesPerBlock,
                             std::int16_t latencySeek = 0, bool head2 = true) {
    SwfBitWriter w;
    w.u8(static_cast<std::uint8_t>(format.byte() & 0x0f)).u8(format.byte()).u16(samplesPerBlock);
    if (format.codec == Codec::Mp3)
        w.i16(latencySeek);
    return Tag(head2 ? 45 : 18, w.take());
}

inline Bytes SoundStreamBlock(const Bytes& data) {
    return Tag(19, data, true);
}

// The body of an MP3 stream block: sample count, seek, then MP3 frames.
inline Bytes Mp3StreamData(std::uint16_t sampleCount, std::int16_t seek, const Bytes& frames) {
    return SwfBitWriter().u16(sampleCount).i16(seek).bytes(frames).take();
}

namespace actions {
inline Bytes StopSounds() {
    return {0x09};
}
} // namespace actions

} // namespace vidorama::test::tags
