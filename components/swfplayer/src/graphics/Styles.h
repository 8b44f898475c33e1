#pragma once

#include "swf/Character.h"
#include "swf/Color.h"
#include "swf/Geometry.h"

#include <cstdint>
#include <vector>

namespace vidorama::swf {

enum class SpreadMode : std::uint8_t { Pad, Reflect, Repeat };
enum class InterpolationMode : std::uint8_t { Normal, LinearRgb };

struct GradientStop {
    std::uint8_t ratio = 0;
    Rgba color;
    bool operator==(const GradientStop&) const = default;
};

struct Gradient {
    SpreadMode spread = SpreadMode::Pad;
    InterpolationMode interpolation = InterpolationMode::Normal;
    std::vector<GradientStop> stops;
    // Focal gradients only: where the focal point sits on the x axis, -1..1.
    double focalPoint = 0;
    bool operator==(const Gradient&) const = default;
};

enum class FillType : std::uint8_t {
    Solid,
    LinearGradient,
    RadialGradient,
    FocalGradient,
    Bitmap,
};

struct FillStyle {
    FillType type = FillType::Solid;
    Rgba color;
    // Gradients: gradient square (-16384..16384) to shape twips. Bitmaps:
    // bitmap pixels scaled by 20 to shape twips.
    Matrix matrix;
    Gradient gradient;
    CharacterId bitmapId = 0;
    // Bitmap fills: tiled, or clipped with the edge pixels extended outwards.
    bool bitmapRepeats = true;
    bool bitmapSmoothed = true;
    bool operator==(const FillStyle&) const = default;
};

enum class CapStyle : std::uint8_t { Round, None, Square };
enum class JoinStyle : std::uint8_t { Round, Bevel, Miter };

struct LineStyle {
    std::uint16_t width = 0; // twips
    Rgba color;
    CapStyle startCap = CapStyle::Round;
    CapStyle endCap = CapStyle::Round;
    JoinStyle join = JoinStyle::Round;
    double miterLimit = 3;
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    // LINESTYLE2 may paint the stroke with a full fill style instead of a colour.
    bool hasFill = false;
    FillStyle fill;
    bool operator==(const LineStyle&) const = default;
};

} // namespace vidorama::swf
