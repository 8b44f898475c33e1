#include "movie/MovieLoader.h"
#include "swf/TagCodes.h"
#include "text/EditTextRecord.h"
#include "text/FontParser.h"
#include "text/StaticTextParser.h"
#include "text/TextFieldBuilder.h"

#include <cmath>

namespace vidorama::swf {

bool MovieLoader::readTextDefinition(const Tag& tag) {
    switch (tag.code) {
    case kTagDefineFont:
    case kTagDefineFont2:
    case kTagDefineFont3:
    case kTagDefineFont4:
        defineFont(tag);
        return true;
    case kTagDefineFontInfo:
    case kTagDefineFontInfo2:
        applyFontInfo(tag);
        return true;
    case kTagDefineText:
    case kTagDefineText2:
        defineText(tag);
        return true;
    case kTagDefineEditText:
        defineTextField(tag);
        return true;
    case kTagCsmTextSettings:
        applyTextSettings(tag);
        return true;
    default:
        // DefineFontName and DefineFontAlignZones only help authoring tools
        // and hinting; text draws the same without them.
        return false;
    }
}

void MovieLoader::defineFont(const Tag& tag) {
    auto font = ParseFont(tag.code, tag.reader(), m_movie.version());
    if (!font) {
        reportDamage(MakeError(font.error().category, font.error().message, tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    // Flash keeps the first definition of an id.
    if (m_fonts.byId(font.value()->id()) || m_movie.character(font.value()->id()))
        return;
    m_fonts.add(font.value());
    m_fontsForFields.reset();
    define(std::move(font.value()));
}

void MovieLoader::applyFontInfo(const Tag& tag) {
    ByteReader body = tag.reader();
    CharacterId id = body.u16();
    auto font = m_fonts.byId(id);
    if (body.overrun() || !font)
        return;
    auto completed = ApplyFontInfo(*font, tag.code, body, m_movie.version());
    m_fonts.add(completed);
    m_fontsForFields.reset();
    m_movie.m_dictionary[id] = std::move(completed);
}

// CSMTextSettings: a text field's anti-aliasing, as scripts read it back.
void MovieLoader::applyTextSettings(const Tag& tag) {
    ByteReader body = tag.reader();
    CharacterId id = body.u16();
    std::uint8_t flags = body.u8();
    float thickness = body.f32();
    float sharpness = body.f32();
    auto character = m_movie.character(id);
    if (body.overrun() || !character || character->kind() != CharacterDef::Kind::Text)
        return;
    const auto& text = static_cast<const TextDef&>(*character);
    if (!text.data().field)
        return;
    constexpr const char* kGridFit[] = {"none", "pixel", "subpixel"};
    unsigned gridFit = (flags >> 3) & 7;
    m_movie.m_dictionary[id] = ChangeTextField(*text.data().field, [&](EditTextRecord& r) {
        r.advancedAntiAlias = (flags >> 6) == 1;
        r.gridFitType = gridFit < 3 ? kGridFit[gridFit] : "none";
        r.thickness = std::isfinite(thickness) ? thickness : 0;
        r.sharpness = std::isfinite(sharpness) ? sharpness : 0;
    });
}

void MovieLoader::defineText(const Tag& tag) {
    FontLookup fonts = [this](CharacterId id) {
        return m_fonts.byId(id);
    };
    auto text = ParseStaticText(tag.code, tag.reader(), fonts);
    if (text)
        define(std::move(text.value()));
    else
        reportDamage(MakeError(text.error().category, text.error().message, tag.code,
                               static_cast<std::int64_t>(tag.offset)));
}

std::shared_ptr<const TextFieldSource> MovieLoader::scriptTextField() {
    auto source = std::make_shared<TextFieldSource>();
    source->record.swfVersion = m_movie.version();
    source->fonts = std::make_shared<const FontLibrary>(m_fonts);
    source->deviceFonts = m_deviceFonts ? m_deviceFonts : std::make_shared<DeviceFonts>();
    return source;
}

void MovieLoader::defineTextField(const Tag& tag) {
    auto field = ReadEditText(tag.reader(), m_movie.version());
    if (!field) {
        reportDamage(MakeError(field.error().category, field.error().message, tag.code,
                               static_cast<std::int64_t>(tag.offset)));
        return;
    }
    if (!m_deviceFonts)
        m_deviceFonts = std::make_shared<DeviceFonts>();
    auto source = std::make_shared<TextFieldSource>();
    source->record = std::move(field.value());
    if (!m_fontsForFields)
        m_fontsForFields = std::make_shared<const FontLibrary>(m_fonts);
    source->fonts = m_fontsForFields;
    source->deviceFonts = m_deviceFonts;
    define(BuildTextField(std::move(source)));
}

} // namespace vidorama::swf
