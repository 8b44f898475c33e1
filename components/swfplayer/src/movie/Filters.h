#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vidorama::swf {

class ByteReader;

enum class BlendMode : std::uint8_t {
    Normal = 1,
    Layer,
    Multiply,
    Screen,
    Lighten,
    Darken,
    Difference,
    Add,
    Subtract,
    Invert,
    Alpha,
    Erase,
    Overlay,
    HardLight,
};

// Unknown values draw as Normal, as Flash does.
BlendMode BlendModeFromByte(std::uint8_t value);

enum class FilterType : std::uint8_t {
    DropShadow = 0,
    Blur,
    Glow,
    Bevel,
    GradientGlow,
    Convolution,
    ColorMatrix,
    GradientBevel,
};

// One entry of a PlaceObject3 filter list. The engine does not draw filters
// yet, so the parameters are kept as stored, ready for the day it does.
struct Filter {
    FilterType type = FilterType::Blur;
    std::vector<std::uint8_t> parameters;
    bool operator==(const Filter&) const = default;
};

// Reads a FILTERLIST; nullopt when it is cut short or names an unknown filter
// (its length would then be unknown, so nothing after it can be trusted).
std::optional<std::vector<Filter>> ReadFilterList(ByteReader& reader);

} // namespace vidorama::swf
