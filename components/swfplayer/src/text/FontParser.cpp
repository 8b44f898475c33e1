#include "text/FontParser.h"

#include "graphics/ShapeParser.h"
#include "swf/Geometry.h"
#include "swf/Limits.h"
#include "swf/TagCodes.h"

#include <algorithm>
#include <vector>

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kFont2HasLayout = 0x80;
constexpr std::uint8_t kFont2WideOffsets = 0x08;
constexpr std::uint8_t kFont2WideCodes = 0x04;
constexpr std::uint8_t kFontItalic = 0x02;
constexpr std::uint8_t kFontBold = 0x01;
constexpr std::uint8_t kFontInfoItalic = 0x04;
constexpr std::uint8_t kFontInfoBold = 0x02;
constexpr std::uint8_t kFontInfoWideCodes = 0x01;

// Names are stored with a length byte; some tools count a terminator in it.
std::string LengthPrefixedName(ByteReader& body, int swfVersion) {
    std::uint8_t length = body.u8();
    auto bytes = body.take(length);
    std::string name(bytes.begin(), bytes.end());
    name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
    return MovieStringToUtf8(name, swfVersion);
}

// Cuts each glyph's outline out of the glyph table: glyph i runs from its
// offset to the next one (the last to tableEnd). An outline may not start
// before the previous one ended, so that no byte is read twice and a lying
// offset table costs no more than the tag's length.
std::vector<FontGlyph> ReadGlyphShapes(std::span<const std::uint8_t> table,
                                       const std::vector<std::uint32_t>& offsets,
                                       std::size_t tableEnd) {
    std::vector<FontGlyph> glyphs(offsets.size());
    std::size_t consumed = 0;
    tableEnd = std::min(tableEnd, table.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        std::size_t begin = offsets[i];
        std::size_t end = i + 1 < offsets.size() ? offsets[i + 1] : tableEnd;
        end = std::min(end, table.size());
        if (begin < consumed || begin >= end) {
            glyphs[i].shape = ParseGlyphShape(ByteReader());
            continue;
        }
        glyphs[i].shape = ParseGlyphShape(ByteReader(table.subspan(begin, end - begin)));
        consumed = end;
    }
    return glyphs;
}

Result<std::shared_ptr<const FontDef>> ParseFont1(CharacterId id, ByteReader body) {
    std::span<const std::uint8_t> table = body.rest();
    ByteReader offsetsReader(table);
    // The offset table ends where the first outline starts, so its first
    // entry counts the glyphs: zero (a font used only for device text)
    // makes none.
    std::uint16_t first = offsetsReader.u16();
    std::size_t count = offsetsReader.overrun() ? 0 : first / 2u;
    std::vector<std::uint32_t> offsets;
    if (count > 0)
        offsets.push_back(first);
    for (std::size_t i = 1; i < count && !offsetsReader.overrun(); ++i)
        offsets.push_back(offsetsReader.u16());
    FontDef::Data data;
    data.glyphs = ReadGlyphShapes(table, offsets, table.size());
    return std::make_shared<const FontDef>(id, std::move(data));
}

void ReadLayout(ByteReader& body, bool wideCodes, FontDef::Data& data) {
    data.ascent = body.u16();
    data.descent = body.u16();
    data.leading = body.i16();
    for (FontGlyph& glyph : data.glyphs)
        glyph.advance = body.i16();
    for (std::size_t i = 0; i < data.glyphs.size(); ++i)
        ReadRect(body);
    std::uint16_t kerningCount = body.u16();
    for (std::uint16_t i = 0; i < kerningCount && !body.overrun(); ++i) {
        std::uint16_t left = wideCodes ? body.u16() : body.u8();
        std::uint16_t right = wideCodes ? body.u16() : body.u8();
        std::int16_t adjustment = body.i16();
        if (!body.overrun())
            data.kerning.emplace(std::uint32_t{left} << 16 | right, adjustment);
    }
    data.hasLayout = true;
}

Result<std::shared_ptr<const FontDef>> ParseFont2(int tagCode, CharacterId id, ByteReader body,
                                                  int swfVersion) {
    FontDef::Data data;
    std::uint8_t flags = body.u8();
    body.u8(); // language code
    data.name = LengthPrefixedName(body, swfVersion);
    data.bold = (flags & kFontBold) != 0;
    data.italic = (flags & kFontItalic) != 0;
    data.emSquare = tagCode == kTagDefineFont3 ? 20480 : 1024;
    std::uint16_t count = body.u16();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "font header is cut short", tagCode);
    // A font that only names a device font may end after its glyph count,
    // without the tables that would list no glyphs.
    if (count == 0 && body.atEnd())
        return std::make_shared<const FontDef>(id, std::move(data));
    bool wideOffsets = (flags & kFont2WideOffsets) != 0;
    bool wideCodes = (flags & kFont2WideCodes) != 0;
    // Offsets count from the start of the offset table.
    std::span<const std::uint8_t> table = body.bytes().subspan(body.position());
    std::vector<std::uint32_t> offsets;
    offsets.reserve(std::min<std::size_t>(count, table.size() / 2));
    for (std::uint16_t i = 0; i < count && !body.overrun(); ++i)
        offsets.push_back(wideOffsets ? body.u32() : body.u16());
    std::uint32_t codeTableOffset = wideOffsets ? body.u32() : body.u16();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "font offset table is cut short", tagCode);
    data.glyphs = ReadGlyphShapes(table, offsets, codeTableOffset);
    ByteReader rest(table);
    rest.seek(codeTableOffset);
    for (FontGlyph& glyph : data.glyphs) {
        std::uint16_t code = wideCodes ? rest.u16() : rest.u8();
        if (rest.overrun())
            break;
        glyph.code = code;
    }
    if ((flags & kFont2HasLayout) != 0 && !rest.overrun())
        ReadLayout(rest, wideCodes, data);
    return std::make_shared<const FontDef>(id, std::move(data));
}

constexpr std::uint8_t kFont4HasData = 0x04;

Result<std::shared_ptr<const FontDef>> ParseFont4(CharacterId id, ByteReader body, int swfVersion) {
    FontDef::Data data;
    std::uint8_t flags = body.u8();
    data.name = MovieStringToUtf8(body.string(), swfVersion);
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "font header is cut short", kTagDefineFont4);
    data.bold = (flags & kFontBold) != 0;
    data.italic = (flags & kFontItalic) != 0;
    std::span<const std::uint8_t> fontData = body.rest();
    if (fontData.size() > Limits::kMaxOpenTypeFontBytes)
        return MakeError(Error::Category::LimitExceeded, "font data is too large", kTagDefineFont4);
    // Without data the font only names a device font.
    if ((flags & kFont4HasData) != 0 && !fontData.empty())
        data.openType =
            std::make_shared<const std::vector<std::uint8_t>>(fontData.begin(), fontData.end());
    return std::make_shared<const FontDef>(id, std::move(data));
}

} // namespace

std::string MovieStringToUtf8(const std::string& bytes, int swfVersion) {
    if (swfVersion >= 6)
        return bytes;
    std::string utf8;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xc0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return utf8;
}

Result<std::shared_ptr<const FontDef>> ParseFont(int tagCode, ByteReader body, int swfVersion) {
    CharacterId id = body.u16();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "font id is cut short", tagCode);
    if (tagCode == kTagDefineFont)
        return ParseFont1(id, body);
    if (tagCode == kTagDefineFont4)
        return ParseFont4(id, body, swfVersion);
    return ParseFont2(tagCode, id, body, swfVersion);
}

std::shared_ptr<const FontDef> ApplyFontInfo(const FontDef& font, int tagCode, ByteReader body,
                                             int swfVersion) {
    FontDef::Data data = font.data();
    data.name = LengthPrefixedName(body, swfVersion);
    std::uint8_t flags = body.u8();
    data.bold = (flags & kFontInfoBold) != 0;
    data.italic = (flags & kFontInfoItalic) != 0;
    bool wideCodes = (flags & kFontInfoWideCodes) != 0;
    if (tagCode == kTagDefineFontInfo2) {
        body.u8(); // language code
        wideCodes = true;
    }
    for (FontGlyph& glyph : data.glyphs) {
        std::uint16_t code = wideCodes ? body.u16() : body.u8();
        if (body.overrun())
            break;
        glyph.code = code;
    }
    return std::make_shared<const FontDef>(font.id(), std::move(data));
}

} // namespace vidorama::swf
