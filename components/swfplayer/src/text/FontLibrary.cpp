#include "text/FontLibrary.h"

#include <algorithm>
#include <cctype>

namespace vidorama::swf {

bool SameFontName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

void FontLibrary::add(std::shared_ptr<const FontDef> font) {
    CharacterId id = font->id();
    m_fonts[id] = std::move(font);
}

std::shared_ptr<const FontDef> FontLibrary::byId(CharacterId id) const {
    auto it = m_fonts.find(id);
    return it == m_fonts.end() ? nullptr : it->second;
}

std::shared_ptr<const FontDef> FontLibrary::byName(const std::string& name, bool bold,
                                                   bool italic) const {
    for (const auto& [id, font] : m_fonts)
        if (font->hasOutlines() && font->bold() == bold && font->italic() == italic &&
            SameFontName(font->name(), name))
            return font;
    return nullptr;
}

} // namespace vidorama::swf
