#pragma once

#include "swf/Color.h"
#include "text/EditTextRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vidorama::swf {

// The format of a run of characters in a text field.
struct TextFormat {
    std::string face;
    double heightTwips = 240;
    Rgba color{0, 0, 0, 255};
    bool bold = false;
    bool italic = false;
    // Kerning pairs of the font apply only when the format asks for them.
    bool kerning = false;
    double letterSpacingTwips = 0;
    TextAlign align = TextAlign::Left;
    bool operator==(const TextFormat&) const = default;
};

// A text field's characters with their formats. A '\n' character ends a
// paragraph; its format holds the alignment of the paragraph it ends.
struct StyledText {
    std::u32string chars;
    // Index into formats for every character.
    std::vector<std::uint32_t> formatOfChar;
    std::vector<TextFormat> formats;

    void append(char32_t c, const TextFormat& format);
};

// Plain text: '\r', '\n' and "\r\n" break lines; everything in the field's
// default format. At most Limits::kMaxTextFieldChars characters are kept.
StyledText PlainText(std::string_view utf8, const TextFormat& format);

// The HTML subset Flash reads: <p align>, <br>, <font face size color>, <b>,
// <i>, and the character entities; other tags are skipped and their text kept.
StyledText HtmlText(std::string_view utf8, const TextFormat& format);

} // namespace vidorama::swf
