#include "text/FontDef.h"

namespace vidorama::swf {

FontDef::FontDef(CharacterId id, Data data)
    : CharacterDef(id, Kind::Font), m_data(std::move(data)) {
    for (std::size_t i = 0; i < m_data.glyphs.size(); ++i)
        m_codeToGlyph.emplace(m_data.glyphs[i].code, static_cast<std::uint16_t>(i));
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
