#include "text/EditTextRecord.h"

#include "swf/TagCodes.h"
#include "text/FontParser.h"

namespace vidorama::swf {

namespace {

// First flag byte.
constexpr std::uint8_t kHasText = 0x80;
constexpr std::uint8_t kWordWrap = 0x40;
constexpr std::uint8_t kMultiline = 0x20;
constexpr std::uint8_t kPassword = 0x10;
constexpr std::uint8_t kReadOnly = 0x08;
constexpr std::uint8_t kHasColor = 0x04;
constexpr std::uint8_t kHasMaxLength = 0x02;
constexpr std::uint8_t kHasFont = 0x01;
// Second flag byte.
constexpr std::uint8_t kHasFontClass = 0x80;
constexpr std::uint8_t kAutoSize = 0x40;
constexpr std::uint8_t kHasLayout = 0x20;
constexpr std::uint8_t kNoSelect = 0x10;
constexpr std::uint8_t kBorder = 0x08;
constexpr std::uint8_t kHtml = 0x02;
constexpr std::uint8_t kUseOutlines = 0x01;

TextAlign ToAlign(std::uint8_t value) {
    switch (value) {
    case 1:
        return TextAlign::Right;
    case 2:
        return TextAlign::Center;
    case 3:
        return TextAlign::Justify;
    default:
        return TextAlign::Left;
    }
}

} // namespace

Result<EditTextRecord> ReadEditText(ByteReader body, int swfVersion) {
    EditTextRecord r;
    r.swfVersion = swfVersion;
    r.id = body.u16();
    r.bounds = ReadRect(body);
    std::uint8_t flags1 = body.u8();
    std::uint8_t flags2 = body.u8();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "text field header is cut short",
                         kTagDefineEditText);
    r.wordWrap = (flags1 & kWordWrap) != 0;
    r.multiline = (flags1 & kMultiline) != 0;
    r.password = (flags1 & kPassword) != 0;
    r.readOnly = (flags1 & kReadOnly) != 0;
    r.selectable = (flags2 & kNoSelect) == 0;
    r.border = r.background = (flags2 & kBorder) != 0;
    r.html = (flags2 & kHtml) != 0;
    r.useOutlines = (flags2 & kUseOutlines) != 0;
    // The tag's one flag is the "left" kind; the others are set by scripts.
    r.autoSize = (flags2 & kAutoSize) != 0 ? AutoSize::Left : AutoSize::None;
    if (flags1 & kHasFont)
        r.fontId = body.u16();
    if (flags2 & kHasFontClass)
        r.fontClass = body.string();
    if (flags1 & kHasFont || flags2 & kHasFontClass)
        r.height = body.u16();
    if (flags1 & kHasColor)
        r.color = ReadRgba(body);
    if (flags1 & kHasMaxLength)
        r.maxChars = body.u16();
    if (flags2 & kHasLayout) {
        r.align = ToAlign(body.u8());
        r.leftMargin = body.u16();
        r.rightMargin = body.u16();
        r.indent = body.u16();
        r.leading = body.i16();
    }
    r.variableName = MovieStringToUtf8(body.string(), swfVersion);
    if (flags1 & kHasText)
        r.initialText = MovieStringToUtf8(body.string(), swfVersion);
    // An unterminated text runs to the tag's end and is kept; a field cut
    // short before it is broken.
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "text field is cut short", kTagDefineEditText);
    return r;
}

} // namespace vidorama::swf
