#include "swf/ByteReader.h"

#include <bit>
#include <cstring>

namespace vidorama::swf {

bool ByteReader::need(std::size_t count) {
    m_bitCount = 0;
    if (count > remaining()) {
        m_overrun = true;
        m_pos = m_bytes.size();
        return false;
    }
    return true;
}

void ByteReader::seek(std::size_t position) {
    m_bitCount = 0;
    if (position > m_bytes.size()) {
        m_overrun = true;
        position = m_bytes.size();
    }
    m_pos = position;
}

void ByteReader::skip(std::size_t count) {
    if (need(count))
        m_pos += count;
}

std::uint8_t ByteReader::u8() {
    if (!need(1))
        return 0;
    return m_bytes[m_pos++];
}

std::uint16_t ByteReader::u16() {
    if (!need(2))
        return 0;
    std::uint16_t v = static_cast<std::uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

std::uint32_t ByteReader::u32() {
    if (!need(4))
        return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | m_bytes[m_pos + static_cast<std::size_t>(i)];
    m_pos += 4;
    return v;
}

float ByteReader::f32() {
    return std::bit_cast<float>(u32());
}

double ByteReader::f64() {
    std::uint64_t low = u32();
    std::uint64_t high = u32();
    return std::bit_cast<double>((high << 32) | low);
}

double ByteReader::fixed8() {
    return i16() / 256.0;
}

double ByteReader::fixed16() {
    return i32() / 65536.0;
}

std::uint32_t ByteReader::encodedU32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
        std::uint8_t byte = u8();
        value |= static_cast<std::uint32_t>(byte & 0x7f) << (7 * i);
        if ((byte & 0x80) == 0)
            break;
    }
    return value;
}

std::string ByteReader::string() {
    m_bitCount = 0;
    std::size_t start = m_pos;
    while (m_pos < m_bytes.size() && m_bytes[m_pos] != 0)
        ++m_pos;
    std::string s(reinterpret_cast<const char*>(m_bytes.data()) + start, m_pos - start);
    if (m_pos < m_bytes.size())
        ++m_pos; // the terminator
    return s;
}

std::span<const std::uint8_t> ByteReader::take(std::size_t count) {
    m_bitCount = 0;
    if (count > remaining()) {
        m_overrun = true;
        count = remaining();
    }
    auto view = m_bytes.subspan(m_pos, count);
    m_pos += count;
    return view;
}

std::uint32_t ByteReader::ub(unsigned bits) {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < bits; ++i) {
        if (m_bitCount == 0) {
            if (m_pos >= m_bytes.size()) {
                m_overrun = true;
                return (bits - i >= 32) ? 0 : value << (bits - i);
            }
            m_bitBuffer = m_bytes[m_pos++];
            m_bitCount = 8;
        }
        --m_bitCount;
        value = (value << 1) | ((m_bitBuffer >> m_bitCount) & 1u);
    }
    return value;
}

std::int32_t ByteReader::sb(unsigned bits) {
    if (bits == 0)
        return 0;
    std::uint32_t raw = ub(bits);
    if (bits < 32 && (raw & (1u << (bits - 1))))
        raw |= ~((1u << bits) - 1u);
    return static_cast<std::int32_t>(raw);
}

} // namespace vidorama::swf
