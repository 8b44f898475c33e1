#include "text/FontDef.h"

#include <algorithm>
#include <limits>

namespace vidorama::swf {

namespace {

// Control points bound a quadratic curve, which is close enough for
// deciding whether a glyph may reach past a text field's edge.
Rect OutlineBounds(const ShapeDef& shape) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    Rect r{kMax, kMin, kMax, kMin};
    for (const ShapeLayer& layer : shape.layers())
        for (const StyledPath& fill : layer.fills)
            for (const TwipPoint& p : fill.path.points) {
                r.xMin = std::min(r.xMin, p.x);
                r.xMax = std::max(r.xMax, p.x);
                r.yMin = std::min(r.yMin, p.y);
                r.yMax = std::max(r.yMax, p.y);
            }
    return r.xMin > r.xMax ? Rect{} : r;
}

} // namespace

FontDef::FontDef(CharacterId id, Data data)
    : CharacterDef(id, Kind::Font), m_data(std::move(data)) {
    for (std::size_t i = 0; i < m_data.glyphs.size(); ++i) {
        FontGlyph& glyph = m_data.glyphs[i];
        m_codeToGlyph.emplace(glyph.code, static_cast<std::uint16_t>(i));
        if (glyph.shape)
            glyph.bounds = OutlineBounds(*glyph.shape);
    }
}

std::optional<std::uint16_t> FontDef::glyphFor(std::uint16_t code) const {
    auto it = m_codeToGlyph.find(code);
    if (it == m_codeToGlyph.end())
        return std::nullopt;
    return it->second;
}

std::int32_t FontDef::kerning(std::uint16_t left, std::uint16_t right) const {
    auto it = m_data.kerning.find(std::uint32_t{left} << 16 | right);
    return it == m_data.kerning.end() ? 0 : it->second;
}

} // namespace vidorama::swf
