#include "text/FreeTypeGlyphs.h"

#include "graphics/ShapePath.h"
#include "swf/Limits.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <set>

namespace vidorama::swf {

namespace {

// Outlines are kept in font units times this, so that curves keep their
// precision in the integer points of shape paths.
constexpr double kUnitScale = 16;

struct OutlineSink {
    ShapePath path;
    TwipPoint last;

    TwipPoint point(const FT_Vector* v) const {
        return {static_cast<std::int32_t>(std::lround(v->x * kUnitScale)),
                static_cast<std::int32_t>(std::lround(-v->y * kUnitScale))};
    }
};

int MoveTo(const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->last = sink->point(to);
    sink->path.moveTo(sink->last);
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->last = sink->point(to);
    sink->path.lineTo(sink->last);
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    sink->last = sink->point(to);
    sink->path.quadTo(sink->point(control), sink->last);
    return 0;
}

// Shapes have quadratic curves only: a cubic is cut in four and each piece
// replaced by the quadratic through its ends and middle tangent.
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* sink = static_cast<OutlineSink*>(user);
    TwipPoint p0 = sink->last, p1 = sink->point(c1), p2 = sink->point(c2), p3 = sink->point(to);
    auto at = [&](double t, auto coord) {
        double u = 1 - t;
        return u * u * u * coord(p0) + 3 * u * u * t * coord(p1) + 3 * u * t * t * coord(p2) +
               t * t * t * coord(p3);
    };
    auto slope = [&](double t, auto coord) {
        double u = 1 - t;
        return 3 * u * u * (coord(p1) - coord(p0)) + 6 * u * t * (coord(p2) - coord(p1)) +
               3 * t * t * (coord(p3) - coord(p2));
    };
    auto xOf = [](TwipPoint p) {
        return double(p.x);
    };
    auto yOf = [](TwipPoint p) {
        return double(p.y);
    };
    constexpr int kPieces = 4;
    for (int i = 0; i < kPieces; ++i) {
        double t0 = double(i) / kPieces, t1 = double(i + 1) / kPieces, h = t1 - t0;
        // The control point where the end tangents meet, taken as the
        // average of the two tangent estimates for stability.
        double cx =
            (at(t0, xOf) + slope(t0, xOf) * h / 2 + at(t1, xOf) - slope(t1, xOf) * h / 2) / 2;
        double cy =
            (at(t0, yOf) + slope(t0, yOf) * h / 2 + at(t1, yOf) - slope(t1, yOf) * h / 2) / 2;
        TwipPoint end = i + 1 == kPieces
                            ? p3
                            : TwipPoint{static_cast<std::int32_t>(std::lround(at(t1, xOf))),
                                        static_cast<std::int32_t>(std::lround(at(t1, yOf)))};
        sink->path.quadTo({static_cast<std::int32_t>(std::lround(cx)),
                           static_cast<std::int32_t>(std::lround(cy))},
                          end);
    }
    sink->last = p3;
    return 0;
}

FontGlyph Glyph(FT_Face face, char32_t c) {
    FontGlyph glyph;
    glyph.code = static_cast<std::uint16_t>(c);
    ShapeDef::Data shape;
    shape.nonZeroWinding = true;
    shape.fillStyles.push_back(FillStyle{});
    FT_UInt index = FT_Get_Char_Index(face, c);
    if (index != 0 &&
        FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) ==
            0) {
        glyph.advance = static_cast<std::int32_t>(face->glyph->advance.x * kUnitScale);
        if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
            OutlineSink sink;
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
            if (!sink.path.empty())
                shape.layers.push_back({{StyledPath{0, std::move(sink.path)}}, {}});
        }
    }
    glyph.shape = std::make_shared<const ShapeDef>(0, std::move(shape));
    return glyph;
}

} // namespace

FontDef::Data FreeTypeFontData(FT_Face face, const std::u32string& chars) {
    FontDef::Data data;
    data.emSquare = face->units_per_EM * kUnitScale;
    data.hasLayout = true;
    // Flash lays device text out with the Windows metrics of the OS/2
    // table; fonts without one give their ascender and descender.
    data.ascent = static_cast<std::int32_t>(face->ascender * kUnitScale);
    data.descent = static_cast<std::int32_t>(-face->descender * kUnitScale);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xffff && os2->usWinAscent + os2->usWinDescent > 0) {
        data.ascent = static_cast<std::int32_t>(os2->usWinAscent * kUnitScale);
        data.descent = static_cast<std::int32_t>(os2->usWinDescent * kUnitScale);
    }
    std::set<char32_t> wanted;
    for (char32_t c : chars)
        if (c != U'\n' && c <= 0xffff && wanted.size() < Limits::kMaxTextFieldChars)
            wanted.insert(c);
    for (char32_t c : wanted)
        data.glyphs.push_back(Glyph(face, c));
    return data;
}

} // namespace vidorama::swf
