#pragma once

#include "swf/Character.h"
#include "swf/Color.h"
#include "swf/Geometry.h"
#include "text/FontDef.h"
#include "text/StyledText.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vidorama::swf {

struct TextFieldSource;

struct PlacedGlyph {
    std::uint16_t index = 0;
    // Pen position on the baseline, twips from the text's origin.
    double x = 0;
};

// Glyphs of one font, size and colour on one baseline.
struct GlyphRun {
    std::shared_ptr<const FontDef> font;
    Rgba color;
    // Twips per EM unit of the font.
    double scale = 0;
    double y = 0;
    std::vector<PlacedGlyph> glyphs;
};

// A text character ready to draw: static text (DefineText) as its records
// place it, or a text field (DefineEditText) laid out once when it is
// defined. Glyphs are shapes, so text draws, masks and transforms as shapes do.
class TextDef final : public CharacterDef {
public:
    struct Data {
        Rect bounds;
        // Static text's own matrix; identity for text fields.
        Matrix matrix;
        std::vector<GlyphRun> runs;
        // Text fields may draw a box: a background fill and a one pixel border.
        std::optional<Rgba> background;
        std::optional<Rgba> border;
        // A text field shows only what falls inside its bounds. Most text
        // fits, and only text that reaches past an edge is drawn through a
        // mask of the bounds.
        bool clipToBounds = false;
        // Lines under text, as rectangles in the text's twips with their
        // colours.
        std::vector<std::pair<Rect, Rgba>> underlines;
        // What a text field was laid out from; null for static text.
        std::shared_ptr<const TextFieldSource> field;
        // A text field's characters without markup (paragraphs end in
        // '\n', a password's own characters): the text a script reads.
        std::u32string chars;
        // The same characters with their formats, as laid out.
        std::shared_ptr<const StyledText> styled;
        // How a text field's text measures, in twips without the gutter: its
        // widest line, the height of all its lines, and each line's top
        // (from the first line's) and height, leading included.
        double textWidth = 0;
        double textHeight = 0;
        struct LineBox {
            double top = 0;
            double height = 0;
        };
        std::vector<LineBox> lines;
    };

    TextDef(CharacterId id, Data data) : CharacterDef(id, Kind::Text), m_data(std::move(data)) {}

    const Data& data() const { return m_data; }

private:
    Data m_data;
};

} // namespace vidorama::swf
