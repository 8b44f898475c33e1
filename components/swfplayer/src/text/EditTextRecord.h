#pragma once

#include "swf/ByteReader.h"
#include "swf/Character.h"
#include "swf/Color.h"
#include "swf/Geometry.h"
#include "swf/Result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vidorama::swf {

enum class TextAlign : std::uint8_t { Left, Right, Center, Justify };

// How a field fits its box to its text: not at all, or by growing from its
// left edge, its middle or its right edge (and downwards).
enum class AutoSize : std::uint8_t { None, Left, Center, Right };

// A DefineEditText tag as stored. Lengths are twips; strings are UTF-8.
struct EditTextRecord {
    CharacterId id = 0;
    // The movie's version, which changes how HTML is read.
    int swfVersion = 10;
    Rect bounds;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool html = false;
    bool useOutlines = false;
    // The tag's border flag gives a field both its border and background;
    // scripts set them, and their colours, apart.
    bool border = false;
    bool background = false;
    Rgba borderColor{0, 0, 0, 255};
    Rgba backgroundColor{255, 255, 255, 255};
    AutoSize autoSize = AutoSize::None;
    // Limits only what a user types; text from the movie or a script may
    // be longer.
    std::optional<std::uint16_t> maxChars;
    std::optional<CharacterId> fontId;
    std::string fontClass;
    // Flash's default format: 12 point black.
    std::uint16_t height = 240;
    Rgba color{0, 0, 0, 255};
    TextAlign align = TextAlign::Left;
    std::uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    std::int16_t leading = 0;
    std::string variableName;
    std::string initialText;
};

Result<EditTextRecord> ReadEditText(ByteReader body, int swfVersion);

} // namespace vidorama::swf
