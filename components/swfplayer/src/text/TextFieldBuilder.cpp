#include "text/TextFieldBuilder.h"

#include "text/DeviceFonts.h"
#include "text/OpenTypeFont.h"
#include "text/StyledText.h"
#include "text/TextLayout.h"

#include <map>
#include <tuple>

namespace vidorama::swf {

namespace {

// Flash's font for fields that name none.
constexpr const char* kDefaultFace = "Times New Roman";
constexpr char32_t kBullet = 0x2022;

// Password fields show an asterisk for every character.
void HidePassword(StyledText& text) {
    for (char32_t& c : text.chars)
        if (c != U'\n')
            c = U'*';
}

// The format of the field's text before its HTML changes it.
TextFormat FieldFormat(const EditTextRecord& field, const FontDef* fieldFont, TextMarkup markup) {
    TextFormat format;
    // A font named by a script's format may be a device font.
    format.face = fieldFont && !fieldFont->name().empty() ? fieldFont->name()
                  : !field.fontClass.empty()              ? field.fontClass
                                                          : kDefaultFace;
    format.heightTwips = field.height;
    format.color = field.color;
    // Plain text shows in the style of the field's font; HTML text starts
    // plain and takes its style from its tags.
    format.bold = markup == TextMarkup::Plain && fieldFont && fieldFont->bold();
    format.italic = markup == TextMarkup::Plain && fieldFont && fieldFont->italic();
    format.align = field.align;
    format.leftMarginTwips = field.leftMargin;
    format.rightMarginTwips = field.rightMargin;
    format.indentTwips = field.indent;
    format.leadingTwips = field.leading;
    return format;
}

// Finds the font of every format. Fonts made for this text (device fonts,
// and glyphs of OpenType data) are made once per face and style.
class FontResolver {
public:
    FontResolver(const TextFieldSource& source, std::shared_ptr<const FontDef> fieldFont,
                 std::u32string chars)
        : m_source(source), m_fieldFont(std::move(fieldFont)), m_chars(std::move(chars)) {
        m_embedded = source.record.useOutlines && m_fieldFont && m_fieldFont->hasOutlines();
    }

    std::shared_ptr<const FontDef> operator()(const TextFormat& format);

private:
    std::shared_ptr<const FontDef> embedded(const TextFormat& format);

    const TextFieldSource& m_source;
    std::shared_ptr<const FontDef> m_fieldFont;
    std::u32string m_chars;
    bool m_embedded = false;
    std::map<const FontDef*, std::shared_ptr<const FontDef>> m_openTypeGlyphs;
    std::map<std::tuple<std::string, bool, bool>, std::shared_ptr<const FontDef>> m_deviceFonts;
};

// Embedded text uses the font of the format's face and style; a style the
// movie did not embed shows in the field's own font.
std::shared_ptr<const FontDef> FontResolver::embedded(const TextFormat& format) {
    auto font = m_source.fonts->byName(format.face, format.bold, format.italic);
    if (!font)
        font = m_fieldFont;
    if (!font->data().openType)
        return font;
    auto [it, inserted] = m_openTypeGlyphs.emplace(font.get(), nullptr);
    if (inserted)
        it->second = OpenTypeGlyphs(*font, m_chars);
    return it->second;
}

std::shared_ptr<const FontDef> FontResolver::operator()(const TextFormat& format) {
    if (m_embedded)
        return embedded(format);
    if (!m_source.deviceFonts)
        return nullptr;
    auto key = std::make_tuple(format.face, format.bold, format.italic);
    auto it = m_deviceFonts.find(key);
    if (it == m_deviceFonts.end())
        it = m_deviceFonts
                 .emplace(key, m_source.deviceFonts->font(format.face, format.bold, format.italic,
                                                          m_chars))
                 .first;
    return it->second;
}

} // namespace

std::shared_ptr<const TextDef> BuildTextField(std::shared_ptr<const TextFieldSource> source) {
    const EditTextRecord& field = source->record;
    return BuildTextField(std::move(source), field.initialText,
                          field.html ? TextMarkup::Html : TextMarkup::Plain);
}

std::shared_ptr<const TextDef> BuildTextField(std::shared_ptr<const TextFieldSource> source,
                                              std::string_view text, TextMarkup markup) {
    const EditTextRecord& field = source->record;
    std::shared_ptr<const FontDef> fieldFont;
    if (source->fonts && field.fontId)
        fieldFont = source->fonts->byId(*field.fontId);
    else if (source->fonts && !field.fontClass.empty())
        fieldFont = source->fonts->byName(field.fontClass, false, false);
    TextFormat format = FieldFormat(field, fieldFont.get(), markup);
    StyledText styled = markup == TextMarkup::Html
                            ? HtmlText(text, format, {field.multiline, field.swfVersion})
                            : PlainText(text, format);
    std::u32string scriptText = styled.chars;
    if (field.password)
        HidePassword(styled);
    // Fonts made for this text hold its characters and the bullet.
    std::u32string fontChars = styled.chars;
    fontChars.push_back(kBullet);
    FontResolver resolver(*source, fieldFont, std::move(fontChars));
    FormatFontResolver resolve = [&](const TextFormat& f) {
        return resolver(f);
    };
    TextDef::Data data = LayOutTextField(field, styled, resolve);
    if (field.background)
        data.background = field.backgroundColor;
    if (field.border)
        data.border = field.borderColor;
    data.field = source;
    data.chars = std::move(scriptText);
    return std::make_shared<const TextDef>(field.id, std::move(data));
}

std::shared_ptr<const TextDef> ChangeTextField(const TextFieldSource& source,
                                               const std::function<void(EditTextRecord&)>& change) {
    auto changed = std::make_shared<TextFieldSource>(source);
    change(changed->record);
    return BuildTextField(std::move(changed));
}

} // namespace vidorama::swf
