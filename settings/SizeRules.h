#pragma once

#include <limits>

namespace vidorama {

// The next multiple of m above a value that is not one already; the program
// always rounded sizes up this way ("auto adjustment"). A value so large that
// the next multiple would not fit an int is left as it is.
inline constexpr int RoundUpToMultiple(int value, int m) {
    if (value % m == 0 || value > std::numeric_limits<int>::max() - m)
        return value;
    return value - value % m + m;
}

// What each output kind requires of a frame size.
inline constexpr int kAviWidthMultiple = 4;
inline constexpr int kMpegWidthMultiple = 16;
inline constexpr int kMpeg1HeightMultiple = 16;
inline constexpr int kMpeg2HeightMultiple = 32;

} // namespace vidorama
