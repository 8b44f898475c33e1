#pragma once

#include "swf/Color.h"
#include "text/EditTextRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vidorama::swf {

// The format of a run of characters in a text field. Lengths are twips.
struct TextFormat {
    std::string face;
    double heightTwips = 240;
    Rgba color{0, 0, 0, 255};
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // Kerning pairs of the font apply only when the format asks for them.
    bool kerning = false;
    double letterSpacingTwips = 0;
    // Paragraph formats: a paragraph takes them from its first character.
    TextAlign align = TextAlign::Left;
    double leftMarginTwips = 0, rightMarginTwips = 0;
    // The first line's extra indent, and the whole paragraph's.
    double indentTwips = 0, blockIndentTwips = 0;
    // Added below every line of the paragraph.
    double leadingTwips = 0;
    // Where tab characters move the pen to, from the start of the line; none
    // gives stops at a fixed spacing.
    std::vector<double> tabStopsTwips;
    bool bullet = false;
    // A link (<a href target>) the characters belong to; empty for none.
    std::string url;
    std::string target;
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

struct HtmlOptions {
    // A single-line field ignores the line breaks of <br>, <p> and <li>.
    bool multiline = true;
    int swfVersion = 10;
    // Runs of white space count as one space, and line ends in the source
    // as none.
    bool condenseWhite = false;
};

// The HTML subset Flash reads: <p align>, <br>, <font face size color
// letterspacing kerning>, <b>, <i>, <u>, <li>, <a href target>, <textformat
// leftmargin rightmargin indent blockindent leading tabstops>, and the
// character entities; other tags are skipped and their text kept.
StyledText HtmlText(std::string_view utf8, const TextFormat& format, const HtmlOptions& options);

} // namespace vidorama::swf
