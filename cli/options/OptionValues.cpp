#include "options/OptionValues.h"

#include <charconv>
#include <cmath>

namespace vidorama::cli {

namespace {

// Rates beyond these are not frame rates anyone means: the encoders stop at
// 240 frames a second, and a frame per minute is already a slide show.
constexpr double kMinRate = 1.0 / 60;
constexpr double kMaxRate = 240;
constexpr std::int64_t kMaxRateTerm = 1'000'000;
constexpr std::int64_t kDecimalScale = 1000;
constexpr double kMaxSeconds = 24 * 3600;
constexpr int kMaxFrame = 1 << 24;

std::optional<std::int64_t> ParseWhole(std::string_view text, std::int64_t maximum) {
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > maximum)
        return std::nullopt;
    return value;
}

bool InRange(Rate rate) {
    return rate.num > 0 && rate.den > 0 && rate.value() >= kMinRate && rate.value() <= kMaxRate;
}

} // namespace

std::optional<int> ParseInteger(std::string_view text, int minimum, int maximum) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(std::string_view text, double minimum, double maximum) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value) || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

std::optional<Rate> ParseRate(std::string_view text) {
    if (auto slash = text.find('/'); slash != std::string_view::npos) {
        auto num = ParseWhole(text.substr(0, slash), kMaxRateTerm);
        auto den = ParseWhole(text.substr(slash + 1), kMaxRateTerm);
        if (!num || !den || *den == 0)
            return std::nullopt;
        Rate rate = Rate::Reduced(*num, *den);
        return InRange(rate) ? std::optional(rate) : std::nullopt;
    }
    auto value = ParseDecimal(text, kMinRate, kMaxRate);
    if (!value)
        return std::nullopt;
    // Decimal rates are taken to the thousandth, which keeps "29.97" exactly
    // 2997/100 rather than a binary approximation.
    Rate rate = Rate::Reduced(std::llround(*value * kDecimalScale), kDecimalScale);
    return InRange(rate) ? std::optional(rate) : std::nullopt;
}

std::optional<MoviePosition> ParsePosition(std::string_view text) {
    if (auto colon = text.find(':'); colon != std::string_view::npos) {
        auto minutes = ParseWhole(text.substr(0, colon), static_cast<std::int64_t>(kMaxSeconds));
        auto seconds = ParseDecimal(text.substr(colon + 1), 0, 59.999999);
        if (!minutes || !seconds || *minutes * 60 + *seconds > kMaxSeconds)
            return std::nullopt;
        return MoviePosition{MoviePosition::Unit::Seconds, 0, *minutes * 60 + *seconds};
    }
    if (!text.empty() && text.back() == 's') {
        auto seconds = ParseDecimal(text.substr(0, text.size() - 1), 0, kMaxSeconds);
        if (!seconds)
            return std::nullopt;
        return MoviePosition{MoviePosition::Unit::Seconds, 0, *seconds};
    }
    auto frame = ParseInteger(text, 1, kMaxFrame);
    if (!frame)
        return std::nullopt;
    return MoviePosition{MoviePosition::Unit::Frame, *frame, 0};
}

std::optional<PixelSize> ParseSize(std::string_view text, int maximumSide) {
    auto x = text.find_first_of("xX");
    if (x == std::string_view::npos)
        return std::nullopt;
    auto width = ParseInteger(text.substr(0, x), 1, maximumSide);
    auto height = ParseInteger(text.substr(x + 1), 1, maximumSide);
    if (!width || !height)
        return std::nullopt;
    return PixelSize{*width, *height};
}

} // namespace vidorama::cli
