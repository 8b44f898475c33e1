#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vidorama::swf {

// Reads little-endian values from a bounded view of bytes. Reading past the
// end never touches memory outside the view: it yields zeros and sets a
// sticky overrun flag that the caller checks once after a structure has been
// read. Bit fields are read most significant bit first, as SWF stores them.
class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t size() const { return m_bytes.size(); }
    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_pos < m_bytes.size() ? m_bytes.size() - m_pos : 0; }
    bool atEnd() const { return remaining() == 0; }
    bool overrun() const { return m_overrun; }
    std::span<const std::uint8_t> bytes() const { return m_bytes; }

    void seek(std::size_t position);
    void skip(std::size_t count);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    float f32();
    double f64();
    // 8.8 fixed point (frame rate, some scale factors).
    double fixed8();
    // 16.16 fixed point.
    double fixed16();
    // EncodedU32: 7 bits a byte, at most 5 bytes.
    std::uint32_t encodedU32();

    // A zero-terminated string; an unterminated one runs to the view's end.
    std::string string();

    // The next count bytes as a view of their own; shorter when the data ends.
    std::span<const std::uint8_t> take(std::size_t count);
    ByteReader sub(std::size_t count) { return ByteReader(take(count)); }
    std::span<const std::uint8_t> rest() { return take(remaining()); }

    // Bit fields. alignBits() drops the unread bits of the current byte; every
    // byte read above aligns first.
    std::uint32_t ub(unsigned bits);
    std::int32_t sb(unsigned bits);
    // A signed 16.16 fixed-point bit field.
    double fb(unsigned bits) { return sb(bits) / 65536.0; }
    bool flag() { return ub(1) != 0; }
    void alignBits() { m_bitCount = 0; }

private:
    bool need(std::size_t count);

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
    std::uint8_t m_bitBuffer = 0;
    unsigned m_bitCount = 0;
    bool m_overrun = false;
};

} // namespace vidorama::swf
