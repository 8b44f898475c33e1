#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vidorama::swf {

// Flash's rendering quality setting. Low draws shapes with hard, aliased
// edges; medium anti-aliases them on a 2 x 2 grid of samples per pixel, high
// and best on a finer one. Medium never smooths bitmaps and best always does.
// High keeps the smoothing each bitmap asks for, and so does low: captures
// made at low quality show smoothed bitmaps.
enum class StageQuality : std::uint8_t { Low, Medium, High, Best };

inline bool SmoothsBitmap(StageQuality quality, bool asked) {
    switch (quality) {
    case StageQuality::Medium:
        return false;
    case StageQuality::Best:
        return true;
    case StageQuality::Low:
    case StageQuality::High:
        break;
    }
    return asked;
}

// The names scripts read from _quality, upper case as Flash gives them.
inline constexpr std::array<std::string_view, 4> kStageQualityNames{"LOW", "MEDIUM", "HIGH",
                                                                    "BEST"};

inline std::string_view StageQualityName(StageQuality quality) {
    return kStageQualityNames[static_cast<std::size_t>(quality)];
}

// A quality by its name in any case, as scripts and the command line give it;
// nothing for other names, which Flash ignores.
inline std::optional<StageQuality> StageQualityNamed(std::string_view name) {
    for (std::size_t i = 0; i < kStageQualityNames.size(); ++i) {
        std::string_view known = kStageQualityNames[i];
        if (name.size() != known.size())
            continue;
        bool same = true;
        for (std::size_t c = 0; c < name.size() && same; ++c)
            same = (name[c] >= 'a' && name[c] <= 'z' ? name[c] - 'a' + 'A' : name[c]) == known[c];
        if (same)
            return static_cast<StageQuality>(i);
    }
    return std::nullopt;
}

} // namespace vidorama::swf
