#include "graphics/StyleReader.h"

#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kLinear = 0x10;
constexpr std::uint8_t kRadial = 0x12;
constexpr std::uint8_t kFocal = 0x13;
constexpr std::uint8_t kBitmapFirst = 0x40;
constexpr std::uint8_t kBitmapLast = 0x43;
// Flash keeps at most 15 stops; older movies are limited to 8 by the format
// but we accept what the bits allow.
constexpr unsigned kMaxGradientStops = 15;

SpreadMode ToSpread(unsigned bits) {
    // The reserved value 3 is drawn as pad, which is what Flash falls back to.
    switch (bits) {
    case 1:
        return SpreadMode::Reflect;
    case 2:
        return SpreadMode::Repeat;
    default:
        return SpreadMode::Pad;
    }
}

CapStyle ToCap(unsigned bits) {
    switch (bits) {
    case 1:
        return CapStyle::None;
    case 2:
        return CapStyle::Square;
    default:
        return CapStyle::Round;
    }
}

JoinStyle ToJoin(unsigned bits) {
    switch (bits) {
    case 1:
        return JoinStyle::Bevel;
    case 2:
        return JoinStyle::Miter;
    default:
        return JoinStyle::Round;
    }
}

FillType ToFillType(std::uint8_t code) {
    switch (code) {
    case kLinear:
        return FillType::LinearGradient;
    case kRadial:
        return FillType::RadialGradient;
    case kFocal:
        return FillType::FocalGradient;
    default:
        return code >= kBitmapFirst && code <= kBitmapLast ? FillType::Bitmap : FillType::Solid;
    }
}

void SetBitmapFlags(FillStyle& style, std::uint8_t code, bool smoothingAllowed) {
    style.bitmapRepeats = (code & 1) == 0;
    style.bitmapSmoothed = (code & 2) == 0 && smoothingAllowed;
}

} // namespace

std::size_t StyleReader::styleCount(bool extendedAllowed) {
    std::size_t count = m_reader.u8();
    if (count == 0xFF && extendedAllowed)
        count = m_reader.u16();
    return std::min(count, Limits::kMaxStyles);
}

std::vector<FillStyle> StyleReader::fillStyles() {
    std::size_t count = styleCount(m_version >= 2);
    std::vector<FillStyle> styles;
    for (std::size_t i = 0; i < count && !m_reader.overrun(); ++i)
        styles.push_back(fillStyle());
    return styles;
}

FillStyle StyleReader::fillStyle() {
    FillStyle style;
    std::uint8_t code = m_reader.u8();
    style.type = ToFillType(code);
    switch (style.type) {
    case FillType::Solid:
        style.color = m_version >= 3 ? ReadRgba(m_reader) : ReadRgb(m_reader);
        break;
    case FillType::LinearGradient:
    case FillType::RadialGradient:
    case FillType::FocalGradient:
        style.matrix = ReadMatrix(m_reader);
        style.gradient = gradient(style.type == FillType::FocalGradient);
        break;
    case FillType::Bitmap:
        style.bitmapId = m_reader.u16();
        style.matrix = ReadMatrix(m_reader);
        SetBitmapFlags(style, code, m_bitmapSmoothing);
        break;
    }
    return style;
}

Gradient StyleReader::gradient(bool focal) {
    Gradient g;
    std::uint8_t head = m_reader.u8();
    g.spread = ToSpread(head >> 6);
    g.interpolation =
        ((head >> 4) & 3) == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
    unsigned count = std::min<unsigned>(head & 0x0F, kMaxGradientStops);
    for (unsigned i = 0; i < count; ++i) {
        GradientStop stop;
        stop.ratio = m_reader.u8();
        stop.color = m_version >= 3 ? ReadRgba(m_reader) : ReadRgb(m_reader);
        g.stops.push_back(stop);
    }
    if (focal)
        g.focalPoint = std::clamp(m_reader.fixed8(), -1.0, 1.0);
    return g;
}

bool StyleReader::lineStyle2Flags(LineStyle& style) {
    m_reader.alignBits();
    style.startCap = ToCap(m_reader.ub(2));
    style.join = ToJoin(m_reader.ub(2));
    bool hasFill = m_reader.flag();
    style.noHScale = m_reader.flag();
    style.noVScale = m_reader.flag();
    style.pixelHinting = m_reader.flag();
    m_reader.ub(5);
    style.noClose = m_reader.flag();
    style.endCap = ToCap(m_reader.ub(2));
    if (style.join == JoinStyle::Miter)
        style.miterLimit = m_reader.u16() / 256.0;
    return hasFill;
}

std::vector<LineStyle> StyleReader::lineStyles() {
    std::size_t count = styleCount(true);
    std::vector<LineStyle> styles;
    for (std::size_t i = 0; i < count && !m_reader.overrun(); ++i) {
        LineStyle style;
        style.width = m_reader.u16();
        if (m_version >= 4) {
            style.hasFill = lineStyle2Flags(style);
            if (style.hasFill)
                style.fill = fillStyle();
            else
                style.color = ReadRgba(m_reader);
        } else {
            style.color = m_version >= 3 ? ReadRgba(m_reader) : ReadRgb(m_reader);
        }
        styles.push_back(style);
    }
    return styles;
}

void StyleReader::morphFillStyles(std::vector<FillStyle>& start, std::vector<FillStyle>& end) {
    std::size_t count = styleCount(true);
    for (std::size_t i = 0; i < count && !m_reader.overrun(); ++i) {
        FillStyle s, e;
        morphFillStyle(s, e);
        start.push_back(s);
        end.push_back(e);
    }
}

void StyleReader::morphFillStyle(FillStyle& start, FillStyle& end) {
    std::uint8_t code = m_reader.u8();
    start.type = end.type = ToFillType(code);
    switch (start.type) {
    case FillType::Solid:
        start.color = ReadRgba(m_reader);
        end.color = ReadRgba(m_reader);
        break;
    case FillType::LinearGradient:
    case FillType::RadialGradient:
    case FillType::FocalGradient:
        start.matrix = ReadMatrix(m_reader);
        end.matrix = ReadMatrix(m_reader);
        morphGradient(start.gradient, end.gradient, start.type == FillType::FocalGradient);
        break;
    case FillType::Bitmap:
        start.bitmapId = end.bitmapId = m_reader.u16();
        start.matrix = ReadMatrix(m_reader);
        end.matrix = ReadMatrix(m_reader);
        SetBitmapFlags(start, code, m_bitmapSmoothing);
        SetBitmapFlags(end, code, m_bitmapSmoothing);
        break;
    }
}

void StyleReader::morphGradient(Gradient& start, Gradient& end, bool focal) {
    // The count byte carries spread and interpolation bits like GRADIENT.
    std::uint8_t head = m_reader.u8();
    start.spread = end.spread = ToSpread(head >> 6);
    start.interpolation = end.interpolation =
        ((head >> 4) & 3) == 1 ? InterpolationMode::LinearRgb : InterpolationMode::Normal;
    unsigned count = std::min<unsigned>(head & 0x0F, kMaxGradientStops);
    for (unsigned i = 0; i < count; ++i) {
        GradientStop s, e;
        s.ratio = m_reader.u8();
        s.color = ReadRgba(m_reader);
        e.ratio = m_reader.u8();
        e.color = ReadRgba(m_reader);
        start.stops.push_back(s);
        end.stops.push_back(e);
    }
    if (focal) {
        start.focalPoint = std::clamp(m_reader.fixed8(), -1.0, 1.0);
        end.focalPoint = std::clamp(m_reader.fixed8(), -1.0, 1.0);
    }
}

void StyleReader::morphLineStyles(std::vector<LineStyle>& start, std::vector<LineStyle>& end) {
    std::size_t count = styleCount(true);
    for (std::size_t i = 0; i < count && !m_reader.overrun(); ++i) {
        LineStyle s, e;
        s.width = m_reader.u16();
        e.width = m_reader.u16();
        if (m_version >= 2) {
            // DefineMorphShape2 stores the LINESTYLE2 flags once for both ends.
            s.hasFill = lineStyle2Flags(s);
            std::uint16_t endWidth = e.width;
            e = s;
            e.width = endWidth;
            if (s.hasFill) {
                morphFillStyle(s.fill, e.fill);
            } else {
                s.color = ReadRgba(m_reader);
                e.color = ReadRgba(m_reader);
            }
        } else {
            s.color = ReadRgba(m_reader);
            e.color = ReadRgba(m_reader);
        }
        start.push_back(s);
        end.push_back(e);
    }
}

} // namespace vidorama::swf
