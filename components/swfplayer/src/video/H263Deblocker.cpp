#include "video/H263Deblocker.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace vidorama::swf {

namespace {

constexpr int kBlockSize = 8;

// Filter strength by quantizer (Table J.2 of H.263).
constexpr std::array<int, 32> kStrengthByQuantizer = {0, 1,  1,  2,  2,  3,  3,  4,  4,  4, 5,
                                                      5, 6,  6,  7,  7,  7,  8,  8,  8,  9, 9,
                                                      9, 10, 10, 10, 11, 11, 11, 12, 12, 12};

// The correction grows with the step across the edge up to the strength and
// falls back to nothing at twice the strength: larger steps are real edges.
int UpDownRamp(int d, int strength) {
    int magnitude = std::abs(d);
    int kept = std::max(0, magnitude - std::max(0, 2 * (magnitude - strength)));
    return d < 0 ? -kept : kept;
}

// a and b lie on one side of the edge, c and d on the other. Differences
// are halved by arithmetic shifts, rounding down.
void FilterAcross(std::uint8_t& a, std::uint8_t& b, std::uint8_t& c, std::uint8_t& d,
                  int strength) {
    int step = (a - 4 * b + 4 * c - d) >> 3;
    int inner = UpDownRamp(step, strength);
    int limit = std::abs(inner >> 1);
    int outer = std::clamp((a - d) >> 2, -limit, limit);
    a = static_cast<std::uint8_t>(std::clamp(a - outer, 0, 255));
    b = static_cast<std::uint8_t>(std::clamp(b + inner, 0, 255));
    c = static_cast<std::uint8_t>(std::clamp(c - inner, 0, 255));
    d = static_cast<std::uint8_t>(std::clamp(d + outer, 0, 255));
}

} // namespace

void DeblockH263Plane(std::uint8_t* plane, int width, int height, int stride, int quantizer) {
    int strength = kStrengthByQuantizer[static_cast<std::size_t>(std::clamp(quantizer, 1, 31))];
    auto row = [&](int y) {
        return plane + std::ptrdiff_t(y) * stride;
    };
    for (int edge = kBlockSize; edge + 1 < height; edge += kBlockSize) {
        std::uint8_t *a = row(edge - 2), *b = row(edge - 1), *c = row(edge), *d = row(edge + 1);
        for (int x = 0; x < width; ++x)
            FilterAcross(a[x], b[x], c[x], d[x], strength);
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* r = row(y);
        for (int edge = kBlockSize; edge + 1 < width; edge += kBlockSize)
            FilterAcross(r[edge - 2], r[edge - 1], r[edge], r[edge + 1], strength);
    }
}

} // namespace vidorama::swf
