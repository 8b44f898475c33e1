#pragma once

#include "swf/Color.h"
#include "swf/Geometry.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vidorama::test {

// Writes SWF's little-endian values and most-significant-first bit fields, so
// that tests can build tag bodies and whole movies by hand.
class SwfBitWriter {
public:
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::vector<std::uint8_t> take() {
        flushBits();
        return std::move(m_bytes);
    }

    SwfBitWriter& u8(std::uint8_t v) {
        flushBits();
        m_bytes.push_back(v);
        return *this;
    }
    SwfBitWriter& u16(std::uint16_t v) { return u8(std::uint8_t(v)).u8(std::uint8_t(v >> 8)); }
    SwfBitWriter& u32(std::uint32_t v) { return u16(std::uint16_t(v)).u16(std::uint16_t(v >> 16)); }
    SwfBitWriter& i16(std::int16_t v) { return u16(static_cast<std::uint16_t>(v)); }
    SwfBitWriter& fixed8(double v) { return i16(static_cast<std::int16_t>(v * 256)); }
    SwfBitWriter& bytes(const std::vector<std::uint8_t>& data) {
        flushBits();
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
        return *this;
    }
    SwfBitWriter& string(const std::string& s) {
        flushBits();
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        m_bytes.push_back(0);
        return *this;
    }

    SwfBitWriter& ub(unsigned bits, std::uint32_t value) {
        for (unsigned i = bits; i-- > 0;) {
            m_bitBuffer = static_cast<std::uint8_t>((m_bitBuffer << 1) | ((value >> i) & 1u));
            if (++m_bitCount == 8) {
                m_bytes.push_back(m_bitBuffer);
                m_bitBuffer = 0;
                m_bitCount = 0;
            }
        }
        return *this;
    }
    SwfBitWriter& sb(unsigned bits, std::int32_t value) {
        return ub(bits, static_cast<std::uint32_t>(value));
    }
    SwfBitWriter& flushBits() {
        if (m_bitCount > 0) {
            m_bytes.push_back(static_cast<std::uint8_t>(m_bitBuffer << (8 - m_bitCount)));
            m_bitBuffer = 0;
            m_bitCount = 0;
        }
        return *this;
    }

    // Bits needed to store each value as a signed bit field.
    static unsigned signedBits(std::initializer_list<std::int32_t> values) {
        unsigned bits = 1;
        for (std::int32_t v : values) {
            std::int64_t x = v < 0 ? ~static_cast<std::int64_t>(v) : v;
            unsigned n = 1;
            while (x > 0) {
                ++n;
                x >>= 1;
            }
            bits = std::max(bits, n);
        }
        return bits;
    }

    SwfBitWriter& rect(const swf::Rect& r) {
        flushBits();
        unsigned n = signedBits({r.xMin, r.xMax, r.yMin, r.yMax});
        ub(5, n).sb(n, r.xMin).sb(n, r.xMax).sb(n, r.yMin).sb(n, r.yMax);
        return flushBits();
    }

    SwfBitWriter& matrix(const swf::Matrix& m) {
        flushBits();
        auto fixed = [](double v) {
            return static_cast<std::int32_t>(v * 65536.0);
        };
        bool hasScale = m.a != 1 || m.d != 1;
        ub(1, hasScale);
        if (hasScale) {
            unsigned n = signedBits({fixed(m.a), fixed(m.d)});
            ub(5, n).sb(n, fixed(m.a)).sb(n, fixed(m.d));
        }
        bool hasRotate = m.b != 0 || m.c != 0;
        ub(1, hasRotate);
        if (hasRotate) {
            unsigned n = signedBits({fixed(m.b), fixed(m.c)});
            ub(5, n).sb(n, fixed(m.b)).sb(n, fixed(m.c));
        }
        auto tx = static_cast<std::int32_t>(m.tx), ty = static_cast<std::int32_t>(m.ty);
        unsigned n = (tx == 0 && ty == 0) ? 0 : signedBits({tx, ty});
        ub(5, n);
        if (n > 0)
            sb(n, tx).sb(n, ty);
        return flushBits();
    }

    SwfBitWriter& colorTransform(const swf::ColorTransform& t, bool withAlpha) {
        flushBits();
        auto mul = [](float v) {
            return static_cast<std::int32_t>(v * 256.0f);
        };
        auto add = [](float v) {
            return static_cast<std::int32_t>(v);
        };
        bool hasMul = t.rMul != 1 || t.gMul != 1 || t.bMul != 1 || (withAlpha && t.aMul != 1);
        bool hasAdd = t.rAdd != 0 || t.gAdd != 0 || t.bAdd != 0 || (withAlpha && t.aAdd != 0);
        unsigned n = std::max(signedBits({mul(t.rMul), mul(t.gMul), mul(t.bMul), mul(t.aMul)}),
                              signedBits({add(t.rAdd), add(t.gAdd), add(t.bAdd), add(t.aAdd)}));
        ub(1, hasAdd).ub(1, hasMul).ub(4, n);
        if (hasMul) {
            sb(n, mul(t.rMul)).sb(n, mul(t.gMul)).sb(n, mul(t.bMul));
            if (withAlpha)
                sb(n, mul(t.aMul));
        }
        if (hasAdd) {
            sb(n, add(t.rAdd)).sb(n, add(t.gAdd)).sb(n, add(t.bAdd));
            if (withAlpha)
                sb(n, add(t.aAdd));
        }
        return flushBits();
    }

    SwfBitWriter& rgb(swf::Rgba c) { return u8(c.r).u8(c.g).u8(c.b); }
    SwfBitWriter& rgba(swf::Rgba c) { return u8(c.r).u8(c.g).u8(c.b).u8(c.a); }

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint8_t m_bitBuffer = 0;
    unsigned m_bitCount = 0;
};

} // namespace vidorama::test
