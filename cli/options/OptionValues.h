#pragma once

#include "vidorama/swf/FrameRate.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace vidorama::cli {

// Movie and output rates are the engine's exact frame rates.
using Rate = swf::FrameRate;

// A point in a movie: a frame number (1 is the first frame) or a time in
// seconds from the movie's start.
struct MoviePosition {
    enum class Unit { Frame, Seconds };
    Unit unit = Unit::Frame;
    std::int64_t frame = 1;
    double seconds = 0;

    bool operator==(const MoviePosition&) const = default;
};

// Each parser takes the whole text of one option value and refuses anything
// it does not use up entirely.
std::optional<int> ParseInteger(std::string_view text, int minimum, int maximum);
// A decimal number such as "2.5", at least minimum and at most maximum.
std::optional<double> ParseDecimal(std::string_view text, double minimum, double maximum);
// "25", "29.97" or "30000/1001"; decimals keep up to three places exactly.
std::optional<Rate> ParseRate(std::string_view text);
// "120" (a frame), "2.5s", "1:05" or "1:05.25" (a time).
std::optional<MoviePosition> ParsePosition(std::string_view text);
// "640x480".
struct PixelSize {
    int width = 0;
    int height = 0;
};
std::optional<PixelSize> ParseSize(std::string_view text, int maximumSide);

} // namespace vidorama::cli
