#include "sound/SpeexFrames.h"

#include <array>
#include <optional>
#include <vector>

namespace vidorama::swf {

namespace {

// Bits of a narrowband frame and of a wideband layer by mode, mode fields
// included; 0 marks a mode that does not exist.
constexpr std::array<unsigned, 16> kNarrowbandBits = {5, 43, 119, 160, 220, 300, 364, 492, 79};
constexpr std::array<unsigned, 8> kWidebandBits = {4, 36, 112, 192, 352};
constexpr unsigned kTerminatorMode = 15;

class BitCursor {
public:
    explicit BitCursor(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_data.size() * 8 - m_position; }
    unsigned bit(std::size_t at) const { return (m_data[at / 8] >> (7 - at % 8)) & 1u; }
    unsigned peek(unsigned count) const {
        unsigned value = 0;
        for (unsigned i = 0; i < count; ++i)
            value = (value << 1) | bit(m_position + i);
        return value;
    }
    void advance(std::size_t bits) { m_position += bits; }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_position = 0;
};

// The length of the frame at the cursor, or nothing at the end of the data.
std::optional<std::size_t> FrameBits(const BitCursor& cursor) {
    if (cursor.remaining() < 5 || cursor.peek(1) != 0)
        return std::nullopt;
    unsigned mode = cursor.peek(5) & 0x0f;
    if (mode == kTerminatorMode || kNarrowbandBits[mode] == 0)
        return std::nullopt;
    std::size_t bits = kNarrowbandBits[mode];
    if (cursor.remaining() < bits)
        return std::nullopt;
    BitCursor layer = cursor;
    layer.advance(bits);
    if (layer.remaining() >= 4 && layer.peek(1) == 1) {
        unsigned wideMode = layer.peek(4) & 0x07;
        if (kWidebandBits[wideMode] == 0 || layer.remaining() < kWidebandBits[wideMode])
            return std::nullopt;
        bits += kWidebandBits[wideMode];
    }
    return bits;
}

// A zero and then ones up to the next byte boundary: the padding that ends a
// Speex packet.
bool IsPadding(const BitCursor& cursor) {
    std::size_t toBoundary = (8 - cursor.position() % 8) % 8;
    if (toBoundary == 0 || cursor.remaining() < toBoundary || cursor.peek(1) != 0)
        return false;
    return cursor.peek(static_cast<unsigned>(toBoundary)) == (1u << (toBoundary - 1)) - 1;
}

void CopyFrame(const BitCursor& cursor, std::size_t bits, std::vector<std::uint8_t>& packet) {
    packet.assign((bits + 7) / 8, 0xff);
    for (std::size_t i = 0; i < bits; ++i) {
        std::uint8_t mask = static_cast<std::uint8_t>(0x80u >> (i % 8));
        if (cursor.bit(cursor.position() + i))
            packet[i / 8] |= mask;
        else
            packet[i / 8] &= static_cast<std::uint8_t>(~mask);
    }
    // The packet ends with a zero and then ones, as the encoder ends one.
    if (bits % 8 != 0)
        packet[bits / 8] &= static_cast<std::uint8_t>(~(0x80u >> (bits % 8)));
}

} // namespace

void ForEachSpeexFrame(std::span<const std::uint8_t> data,
                       const std::function<bool(std::span<const std::uint8_t>)>& frame) {
    std::vector<std::uint8_t> packet;
    BitCursor cursor(data);
    for (;;) {
        auto bits = FrameBits(cursor);
        if (!bits)
            break;
        CopyFrame(cursor, *bits, packet);
        if (!frame(packet))
            break;
        cursor.advance(*bits);
        if (!IsPadding(cursor))
            continue;
        // A frame may also end one bit short of a boundary in data without
        // padding; the bits are padding only if a frame or the end follows.
        BitCursor padded = cursor;
        padded.advance((8 - cursor.position() % 8) % 8);
        if (padded.remaining() == 0 || FrameBits(padded))
            cursor = padded;
    }
}

} // namespace vidorama::swf
