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
    // An input field when false; a user could type into it.
    bool readOnly = true;
    bool selectable = true;
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
    // Settings only scripts give. The first line shown (from 1) and how far
    // the text is scrolled left, in pixels.
    std::uint32_t scroll = 1;
    double hscroll = 0;
    // HTML collapses runs of white space.
    bool condenseWhite = false;
    // The characters a user may type; none means any.
    std::optional<std::string> restrict;
    bool mouseWheelEnabled = true;
    // "normal" or "advanced" anti-aliasing, and how glyphs meet the pixel grid.
    bool advancedAntiAlias = false;
    std::string gridFitType = "pixel";
    double sharpness = 0, thickness = 0;
    std::optional<double> tabIndex;
    // A field bound to a variable: whether it has been bound since it was
    // placed, and the variable's value as the field last showed it.
    bool variableBound = false;
    std::optional<std::string> variableShown;
};

Result<EditTextRecord> ReadEditText(ByteReader body, int swfVersion);

} // namespace vidorama::swf
