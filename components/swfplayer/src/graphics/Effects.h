#pragma once

#include "graphics/Styles.h"
#include "swf/Color.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace vidorama::swf {

// How an object's pixels combine with what is beneath it.
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

// Blur sizes and distances of the filters below are in pixels of the stage;
// the drawer scales them to target pixels (Flash's filters grow with the
// view, not with the object's own transform).

// Flash's blur: `passes` box blurs (the "quality") of blurX x blurY pixels.
struct BlurFilter {
    double blurX = 4, blurY = 4;
    int passes = 1;
    bool operator==(const BlurFilter&) const = default;
};

// A blurred copy of the object's silhouette in one colour: DropShadow, and
// Glow as a drop shadow at distance 0. Without hideObject the object is drawn
// over its shadow; knockout leaves only the shadow where the object is not.
struct ShadowFilter {
    Rgba color;
    BlurFilter blur;
    double angle = 0; // radians, clockwise from the x axis on screen
    double distance = 0;
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool hideObject = false;
    bool operator==(const ShadowFilter&) const = default;
};

// Lit and shaded edges: the silhouette blurred and compared with itself
// shifted along the angle; inner bevels keep to the object, outer ones to the
// outside, onTop draws both.
struct BevelFilter {
    Rgba highlight, shadow;
    BlurFilter blur;
    double angle = 0;
    double distance = 0;
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool onTop = false;
    bool operator==(const BevelFilter&) const = default;
};

// GradientGlow and GradientBevel: the glow or bevel's strength picks its
// colour from a gradient instead of a single colour.
struct GradientFilter {
    enum class Kind : std::uint8_t { Glow, Bevel };
    Kind kind = Kind::Glow;
    std::vector<GradientStop> stops;
    BlurFilter blur;
    double angle = 0;
    double distance = 0;
    double strength = 1;
    bool inner = false;
    bool knockout = false;
    bool onTop = false;
    bool hideObject = false;
    bool operator==(const GradientFilter&) const = default;
};

// A 4 x 5 matrix over straight RGBA in 0..255 channel units (row-major: the
// red row first, its fifth entry the offset).
struct ColorMatrixFilter {
    float matrix[20] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    bool operator==(const ColorMatrixFilter&) const = default;
};

struct ConvolutionFilter {
    int columns = 0, rows = 0;
    std::vector<float> weights; // rows x columns, row-major
    float divisor = 1;
    float bias = 0;
    Rgba defaultColor{0, 0, 0, 0};
    bool clamp = true;
    bool preserveAlpha = false;
    bool operator==(const ConvolutionFilter&) const = default;
};

using Filter = std::variant<BlurFilter, ShadowFilter, BevelFilter, GradientFilter,
                            ColorMatrixFilter, ConvolutionFilter>;

// What a layer does when it ends: its filters run in order, the colour
// transform is applied to the result, and it is blended onto what is beneath.
struct LayerEffects {
    BlendMode blend = BlendMode::Normal;
    std::vector<Filter> filters;
    ColorTransform colors;
};

} // namespace vidorama::swf
