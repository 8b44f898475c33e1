#include "movie/Filters.h"

#include "swf/ByteReader.h"

#include <cmath>

namespace vidorama::swf {

BlendMode BlendModeFromByte(std::uint8_t value) {
    if (value < static_cast<std::uint8_t>(BlendMode::Normal) ||
        value > static_cast<std::uint8_t>(BlendMode::HardLight))
        return BlendMode::Normal;
    return static_cast<BlendMode>(value);
}

namespace {

enum class FilterId : std::uint8_t {
    DropShadow = 0,
    Blur,
    Glow,
    Bevel,
    GradientGlow,
    Convolution,
    ColorMatrix,
    GradientBevel,
};

// The stored size of one filter's parameters. Gradient filters and the
// convolution filter announce their variable part in their first bytes.
std::size_t FilterSize(FilterId id, const ByteReader& reader) {
    auto peek = [&](std::size_t index) -> std::size_t {
        std::size_t at = reader.position() + index;
        return at < reader.size() ? reader.bytes()[at] : 0;
    };
    switch (id) {
    case FilterId::DropShadow:
        return 23;
    case FilterId::Blur:
        return 9;
    case FilterId::Glow:
        return 15;
    case FilterId::Bevel:
        return 27;
    case FilterId::GradientGlow:
    case FilterId::GradientBevel:
        return 1 + 5 * peek(0) + 19;
    case FilterId::Convolution:
        return 15 + 4 * peek(0) * peek(1);
    case FilterId::ColorMatrix:
        return 80;
    }
    return 0;
}

// The flag byte that ends the shadow-like filters: inner, knockout, composite
// source, then either the "on top" bit and 4 bits of passes or 5 bits of passes.
struct FilterFlags {
    bool inner, knockout, compositeSource, onTop;
    int passes;
};

FilterFlags ReadFlags(ByteReader& r, bool hasOnTop) {
    std::uint8_t bits = r.u8();
    FilterFlags flags{(bits & 0x80) != 0, (bits & 0x40) != 0, (bits & 0x20) != 0, false, 0};
    if (hasOnTop) {
        flags.onTop = (bits & 0x10) != 0;
        flags.passes = bits & 0x0F;
    } else {
        flags.passes = bits & 0x1F;
    }
    return flags;
}

BlurFilter ReadBlurSize(ByteReader& r) {
    BlurFilter blur;
    blur.blurX = r.fixed16();
    blur.blurY = r.fixed16();
    return blur;
}

BlurFilter ReadBlur(ByteReader& r) {
    BlurFilter blur = ReadBlurSize(r);
    blur.passes = r.u8() >> 3;
    return blur;
}

ShadowFilter ReadShadow(ByteReader& r, bool glow) {
    ShadowFilter f;
    f.color = ReadRgba(r);
    f.blur = ReadBlurSize(r);
    if (!glow) {
        f.angle = r.fixed16();
        f.distance = r.fixed16();
    }
    f.strength = r.fixed8();
    FilterFlags flags = ReadFlags(r, false);
    f.inner = flags.inner;
    f.knockout = flags.knockout;
    f.hideObject = !flags.compositeSource;
    f.blur.passes = flags.passes;
    return f;
}

// The colours are stored highlight first, whatever older documentation says.
BevelFilter ReadBevel(ByteReader& r) {
    BevelFilter f;
    f.highlight = ReadRgba(r);
    f.shadow = ReadRgba(r);
    f.blur = ReadBlurSize(r);
    f.angle = r.fixed16();
    f.distance = r.fixed16();
    f.strength = r.fixed8();
    FilterFlags flags = ReadFlags(r, true);
    f.inner = flags.inner;
    f.knockout = flags.knockout;
    f.onTop = flags.onTop;
    f.blur.passes = flags.passes;
    return f;
}

GradientFilter ReadGradient(ByteReader& r, GradientFilter::Kind kind) {
    GradientFilter f;
    f.kind = kind;
    f.stops.resize(r.u8());
    for (GradientStop& stop : f.stops)
        stop.color = ReadRgba(r);
    for (GradientStop& stop : f.stops)
        stop.ratio = r.u8();
    f.blur = ReadBlurSize(r);
    f.angle = r.fixed16();
    f.distance = r.fixed16();
    f.strength = r.fixed8();
    FilterFlags flags = ReadFlags(r, true);
    f.inner = flags.inner;
    f.knockout = flags.knockout;
    f.onTop = flags.onTop;
    f.hideObject = !flags.compositeSource;
    f.blur.passes = flags.passes;
    return f;
}

// A NaN or infinity would poison every pixel it touches.
float FiniteFloat(ByteReader& r) {
    float value = r.f32();
    return std::isfinite(value) ? value : 0.0f;
}

ConvolutionFilter ReadConvolution(ByteReader& r) {
    ConvolutionFilter f;
    f.columns = r.u8();
    f.rows = r.u8();
    f.divisor = FiniteFloat(r);
    f.bias = FiniteFloat(r);
    f.weights.resize(static_cast<std::size_t>(f.columns) * f.rows);
    for (float& weight : f.weights)
        weight = FiniteFloat(r);
    f.defaultColor = ReadRgba(r);
    std::uint8_t bits = r.u8();
    f.clamp = (bits & 0x02) != 0;
    f.preserveAlpha = (bits & 0x01) != 0;
    return f;
}

ColorMatrixFilter ReadColorMatrix(ByteReader& r) {
    ColorMatrixFilter f;
    for (float& value : f.matrix)
        value = FiniteFloat(r);
    return f;
}

Filter ReadFilter(FilterId id, ByteReader& r) {
    switch (id) {
    case FilterId::DropShadow:
        return ReadShadow(r, false);
    case FilterId::Blur:
        return ReadBlur(r);
    case FilterId::Glow:
        return ReadShadow(r, true);
    case FilterId::Bevel:
        return ReadBevel(r);
    case FilterId::GradientGlow:
        return ReadGradient(r, GradientFilter::Kind::Glow);
    case FilterId::Convolution:
        return ReadConvolution(r);
    case FilterId::ColorMatrix:
        return ReadColorMatrix(r);
    case FilterId::GradientBevel:
        return ReadGradient(r, GradientFilter::Kind::Bevel);
    }
    return BlurFilter{};
}

} // namespace

std::optional<std::vector<Filter>> ReadFilterList(ByteReader& reader) {
    std::vector<Filter> filters;
    std::uint8_t count = reader.u8();
    for (std::uint8_t i = 0; i < count; ++i) {
        std::uint8_t id = reader.u8();
        if (id > static_cast<std::uint8_t>(FilterId::GradientBevel))
            return std::nullopt;
        auto filterId = static_cast<FilterId>(id);
        std::size_t size = FilterSize(filterId, reader);
        if (size > reader.remaining())
            return std::nullopt;
        ByteReader parameters = reader.sub(size);
        filters.push_back(ReadFilter(filterId, parameters));
    }
    if (reader.overrun())
        return std::nullopt;
    return filters;
}

} // namespace vidorama::swf
