// The pixel work of BitmapData's methods.

#include "avm2/BitmapPixelOps.h"

#include "avm1/BitmapPixels.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

std::uint32_t Channel(std::uint32_t argb, int shift) {
    return (argb >> shift) & 0xff;
}

// The Park-Miller ("minimal standard") generator Flash's noise draws from.
class ParkMiller {
public:
    explicit ParkMiller(std::uint32_t seed) : m_state(seed) {}
    std::uint32_t next() {
        m_state = static_cast<std::uint32_t>(std::uint64_t(m_state) * 16807u % 2147483647u);
        return m_state;
    }
    // A value from low to high, both included.
    std::uint32_t between(std::uint8_t low, std::uint8_t high) {
        const std::uint32_t span = static_cast<std::uint8_t>(high - low) + 1u;
        return static_cast<std::uint8_t>(low + next() % span);
    }

private:
    std::uint32_t m_state;
};

} // namespace

std::uint32_t BlendOver(std::uint32_t source, std::uint32_t destination) {
    const std::uint32_t sa = source >> 24;
    if (sa == 0)
        return destination;
    if (sa == 255)
        return source;
    const std::uint32_t da = destination >> 24;
    // Alpha the destination keeps under the source, out of 255 * 255.
    const std::uint32_t kept = da * (255 - sa);
    const std::uint32_t outA = sa + (kept + 127) / 255;
    std::uint32_t out = outA << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t weighted =
            Channel(source, shift) * sa * 255 + Channel(destination, shift) * kept;
        out |= std::min<std::uint32_t>(255, (weighted + outA * 255 / 2) / (outA * 255)) << shift;
    }
    return out;
}

std::array<std::array<double, 256>, 4> CountChannels(const BitmapPixels& pixels,
                                                     const PixelRect& r) {
    std::array<std::array<double, 256>, 4> counts{};
    ForEachPixel(r, [&](int x, int y) {
        const std::uint32_t argb = pixels.pixel32(x, y);
        counts[0][Channel(argb, 16)] += 1;
        counts[1][Channel(argb, 8)] += 1;
        counts[2][Channel(argb, 0)] += 1;
        counts[3][Channel(argb, 24)] += 1;
    });
    return counts;
}

void FillNoise(BitmapPixels& pixels, const NoiseSettings& s) {
    ParkMiller random(s.seed <= 0 ? static_cast<std::uint32_t>(1 - std::int64_t(s.seed))
                                  : static_cast<std::uint32_t>(s.seed));
    const bool alpha = pixels.transparent() && (s.channels & 8);
    pixels.transform(0, 0, pixels.width(), pixels.height(), [&](std::uint32_t) {
        std::uint32_t rgb = 0;
        if (s.gray) {
            const std::uint32_t level = random.between(s.low, s.high);
            rgb = level << 16 | level << 8 | level;
        } else {
            for (std::uint32_t flag = 1; flag <= 4; flag <<= 1)
                if (s.channels & flag)
                    rgb |= random.between(s.low, s.high) << avm1::ChannelShift(flag);
        }
        return (alpha ? random.between(s.low, s.high) << 24 : 0xff000000u) | rgb;
    });
}

void TransformColors(BitmapPixels& pixels, const PixelRect& r, const ColorTransform& t) {
    const float mul[4] = {t.aMul, t.rMul, t.gMul, t.bMul};
    const float add[4] = {t.aAdd, t.rAdd, t.gAdd, t.bAdd};
    pixels.transform(r.left, r.top, r.width(), r.height(), [&](std::uint32_t argb) {
        std::uint32_t out = 0;
        for (int i = 0; i < 4; ++i) {
            const int shift = 24 - 8 * i;
            double value = std::floor(Channel(argb, shift) * double(mul[i]) + double(add[i]));
            value = std::isnan(value) ? 0 : std::clamp(value, 0.0, 255.0);
            out |= static_cast<std::uint32_t>(value) << shift;
        }
        return out;
    });
}

bool ParseThresholdOperation(const std::string& text, ThresholdTest::Operation& operation) {
    using Op = ThresholdTest::Operation;
    static const std::pair<const char*, Op> names[] = {
        {"<", Op::Less},   {"<=", Op::LessOrEqual}, {">", Op::Greater}, {">=", Op::GreaterOrEqual},
        {"==", Op::Equal}, {"!=", Op::NotEqual}};
    for (const auto& [name, op] : names)
        if (text == name) {
            operation = op;
            return true;
        }
    return false;
}

double ApplyThreshold(BitmapPixels& pixels, const BitmapPixels& source, const PixelRect& r,
                      std::int64_t toX, std::int64_t toY, const ThresholdTest& test) {
    using Op = ThresholdTest::Operation;
    const std::uint32_t limit = test.threshold & test.mask;
    auto passes = [&](std::uint32_t argb) {
        const std::uint32_t value = argb & test.mask;
        switch (test.operation) {
        case Op::Less:
            return value < limit;
        case Op::LessOrEqual:
            return value <= limit;
        case Op::Greater:
            return value > limit;
        case Op::GreaterOrEqual:
            return value >= limit;
        case Op::Equal:
            return value == limit;
        case Op::NotEqual:
            return value != limit;
        }
        return false;
    };
    double count = 0;
    pixels.combine(source, r.left, r.top, r.width(), r.height(), toX, toY,
                   [&](std::uint32_t in, std::uint32_t out) {
                       if (passes(in)) {
                           ++count;
                           return test.color;
                       }
                       return test.copySource ? in : out;
                   });
    return count;
}

PixelRect ColorBounds(const BitmapPixels& pixels, std::uint32_t mask, std::uint32_t color,
                      bool find) {
    PixelRect found{pixels.width(), pixels.height(), -1, -1};
    ForEachPixel(PixelRect{0, 0, pixels.width(), pixels.height()}, [&](int x, int y) {
        if (((pixels.pixel32(x, y) & mask) == color) != find)
            return;
        found.left = std::min<std::int64_t>(found.left, x);
        found.top = std::min<std::int64_t>(found.top, y);
        found.right = std::max<std::int64_t>(found.right, x + 1);
        found.bottom = std::max<std::int64_t>(found.bottom, y + 1);
    });
    // Flash keeps the far edges from 0, so a match at the origin alone
    // reads as no match.
    if (found.right <= 1 && found.bottom <= 1)
        return PixelRect{};
    return found;
}

void CopyOneChannel(BitmapPixels& pixels, const BitmapPixels& source, const PixelRect& r,
                    std::int64_t toX, std::int64_t toY, std::uint32_t from, std::uint32_t to) {
    const int fromShift = avm1::ChannelShift(from), toShift = avm1::ChannelShift(to);
    if (toShift < 0)
        return;
    pixels.combine(source, r.left, r.top, r.width(), r.height(), toX, toY,
                   [&](std::uint32_t in, std::uint32_t out) {
                       const std::uint32_t value = fromShift < 0 ? 0 : Channel(in, fromShift);
                       return (out & ~(0xffu << toShift)) | value << toShift;
                   });
}

bool AnyOpaqueIn(const BitmapPixels& pixels, const PixelRect& r, std::uint32_t alpha) {
    bool hit = false;
    ForEachPixel(r.clipped(pixels.width(), pixels.height()),
                 [&](int x, int y) { hit = hit || (pixels.pixel32(x, y) >> 24) >= alpha; });
    return hit;
}

bool BitmapsTouch(const BitmapPixels& first, std::int64_t firstX, std::int64_t firstY,
                  std::uint32_t firstAlpha, const BitmapPixels& second, std::int64_t secondX,
                  std::int64_t secondY, std::uint32_t secondAlpha) {
    // The overlap in the first bitmap's own space.
    const PixelRect overlap =
        PixelRect{secondX - firstX, secondY - firstY, secondX - firstX + second.width(),
                  secondY - firstY + second.height()}
            .clipped(first.width(), first.height());
    bool hit = false;
    ForEachPixel(overlap, [&](int x, int y) {
        if (hit || (first.pixel32(x, y) >> 24) < firstAlpha)
            return;
        const auto sx = static_cast<int>(x + firstX - secondX);
        const auto sy = static_cast<int>(y + firstY - secondY);
        hit = (second.pixel32(sx, sy) >> 24) >= secondAlpha;
    });
    return hit;
}

} // namespace vidorama::swf::avm2
