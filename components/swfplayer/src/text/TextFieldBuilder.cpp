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
        // A field made by a script has no font of its own and finds its
        // embedded fonts by the names its formats give.
        m_embedded = source.record.useOutlines && (!m_fieldFont || m_fieldFont->hasOutlines());
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
    auto font =
        m_source.fonts ? m_source.fonts->byName(format.face, format.bold, format.italic) : nullptr;
    if (!font)
        font = m_fieldFont;
    if (!font)
        return nullptr;
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

// The field's own font: the one its tag names, by id or by class name.
std::shared_ptr<const FontDef> FieldFont(const TextFieldSource& source) {
    const EditTextRecord& field = source.record;
    if (source.fonts && field.fontId)
        return source.fonts->byId(*field.fontId);
    if (source.fonts && !field.fontClass.empty())
        return source.fonts->byName(field.fontClass, false, false);
    return nullptr;
}

std::shared_ptr<const TextDef> LayOut(std::shared_ptr<const TextFieldSource> source,
                                      StyledText styled) {
    const EditTextRecord& field = source->record;
    auto fieldFont = FieldFont(*source);
    auto scriptStyled = std::make_shared<const StyledText>(styled);
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
    data.styled = std::move(scriptStyled);
    return std::make_shared<const TextDef>(field.id, std::move(data));
}

} // namespace

TextFormat NewTextFormat(const TextFieldSource& source) {
    if (source.newFormat)
        return *source.newFormat;
    return FieldFormat(source.record, FieldFont(source).get(), TextMarkup::Plain);
}

std::shared_ptr<const TextDef> BuildTextField(std::shared_ptr<const TextFieldSource> source) {
    if (source->content) {
        StyledText styled = *source->content;
        return LayOut(std::move(source), std::move(styled));
    }
    const EditTextRecord& field = source->record;
    return BuildTextField(std::move(source), field.initialText,
                          field.html ? TextMarkup::Html : TextMarkup::Plain);
}

std::shared_ptr<const TextDef> BuildTextField(std::shared_ptr<const TextFieldSource> source,
                                              std::string_view text, TextMarkup markup) {
    const EditTextRecord& field = source->record;
    auto fieldFont = FieldFont(*source);
    TextFormat format = markup == TextMarkup::Html && !source->newFormat
                            ? FieldFormat(field, fieldFont.get(), markup)
                            : NewTextFormat(*source);
    StyledText styled =
        markup == TextMarkup::Html
            ? HtmlText(text, format, {field.multiline, field.swfVersion, field.condenseWhite})
            : PlainText(text, format);
    return LayOut(std::move(source), std::move(styled));
}

std::shared_ptr<const TextDef> ChangeTextField(const TextFieldSource& source,
                                               const std::function<void(EditTextRecord&)>& change) {
    auto changed = std::make_shared<TextFieldSource>(source);
    change(changed->record);
    // New text in the tag replaces what a script set before.
    if (changed->record.initialText != source.record.initialText)
        changed->content.reset();
    return BuildTextField(std::move(changed));
}

std::shared_ptr<const TextDef> ChangeTextContent(const TextFieldSource& source,
                                                 StyledText content) {
    auto changed = std::make_shared<TextFieldSource>(source);
    changed->content = std::make_shared<const StyledText>(std::move(content));
    return BuildTextField(std::move(changed));
}

std::shared_ptr<const TextDef> ChangeNewTextFormat(const TextFieldSource& source,
                                                   const TextFormat& format) {
    auto changed = std::make_shared<TextFieldSource>(source);
    changed->newFormat = std::make_shared<const TextFormat>(format);
    return BuildTextField(std::move(changed));
}

} // namespace vidorama::swf
