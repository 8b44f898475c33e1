#include "text/OpenTypeFont.h"

#include "text/FreeTypeGlyphs.h"

namespace vidorama::swf {

std::shared_ptr<const FontDef> OpenTypeGlyphs(const FontDef& font, const std::u32string& chars) {
    const auto& bytes = font.data().openType;
    if (!bytes || bytes->empty())
        return nullptr;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return nullptr;
    FT_Face face = nullptr;
    std::shared_ptr<const FontDef> glyphs;
    if (FT_New_Memory_Face(library, bytes->data(), static_cast<FT_Long>(bytes->size()), 0, &face) ==
        0) {
        if (face->units_per_EM != 0) {
            FontDef::Data data = FreeTypeFontData(face, chars);
            data.name = font.name();
            data.bold = font.bold();
            data.italic = font.italic();
            glyphs = std::make_shared<const FontDef>(font.id(), std::move(data));
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return glyphs;
}

} // namespace vidorama::swf
