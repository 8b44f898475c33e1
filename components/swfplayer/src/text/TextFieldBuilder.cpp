#include "text/TextFieldBuilder.h"

#include "text/DeviceFonts.h"
#include "text/StyledText.h"
#include "text/TextLayout.h"

#include <map>
#include <tuple>

namespace vidorama::swf {

namespace {

// Flash's font for fields that name none.
constexpr const char* kDefaultFace = "Times New Roman";

// Embedded text uses the font of the format's face and style; a style the
// movie did not embed shows in the field's own font.
std::shared_ptr<const FontDef> EmbeddedFont(const TextFormat& format, const FontLibrary& fonts,
                                            const std::shared_ptr<const FontDef>& fieldFont) {
    if (auto exact = fonts.byName(format.face, format.bold, format.italic))
        return exact;
    return fieldFont;
}

// Password fields show an asterisk for every character.
void HidePassword(StyledText& text) {
    for (char32_t& c : text.chars)
        if (c != U'\n')
            c = U'*';
}

} // namespace

std::shared_ptr<const TextDef> BuildTextField(const EditTextRecord& field, const FontLibrary& fonts,
                                              DeviceFonts* deviceFonts) {
    std::shared_ptr<const FontDef> fieldFont;
    if (field.fontId)
        fieldFont = fonts.byId(*field.fontId);
    else if (!field.fontClass.empty())
        fieldFont = fonts.byName(field.fontClass, false, false);
    TextFormat format;
    format.face = fieldFont && !fieldFont->name().empty() ? fieldFont->name() : kDefaultFace;
    format.heightTwips = field.height;
    format.color = field.color;
    // Plain text shows in the style of the field's font; HTML text starts
    // plain and takes its style from its tags.
    format.bold = !field.html && fieldFont && fieldFont->bold();
    format.italic = !field.html && fieldFont && fieldFont->italic();
    format.align = field.align;
    StyledText text =
        field.html ? HtmlText(field.initialText, format) : PlainText(field.initialText, format);
    if (field.password)
        HidePassword(text);
    bool embedded = field.useOutlines && fieldFont && !fieldFont->glyphs().empty();
    // Device fonts are made once per face and style for all of the text.
    std::map<std::tuple<std::string, bool, bool>, std::shared_ptr<const FontDef>> deviceFontsUsed;
    FormatFontResolver resolve = [&](const TextFormat& f) -> std::shared_ptr<const FontDef> {
        if (embedded)
            return EmbeddedFont(f, fonts, fieldFont);
        if (!deviceFonts)
            return nullptr;
        auto key = std::make_tuple(f.face, f.bold, f.italic);
        auto it = deviceFontsUsed.find(key);
        if (it == deviceFontsUsed.end())
            it = deviceFontsUsed
                     .emplace(key, deviceFonts->font(f.face, f.bold, f.italic, text.chars))
                     .first;
        return it->second;
    };
    TextDef::Data data = LayOutTextField(field, text, resolve);
    if (field.border) {
        data.background = Rgba{255, 255, 255, 255};
        data.border = Rgba{0, 0, 0, 255};
    }
    return std::make_shared<const TextDef>(field.id, std::move(data));
}

} // namespace vidorama::swf
