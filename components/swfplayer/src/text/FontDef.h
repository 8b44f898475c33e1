#pragma once

#include "graphics/ShapeDef.h"
#include "swf/Character.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vidorama::swf {

// One glyph of a font: its outline in the font's EM square (y down, the
// baseline at 0), the character it shows and how far it moves the pen.
struct FontGlyph {
    std::shared_ptr<const ShapeDef> shape;
    std::uint16_t code = 0;
    // EM units; only fonts with layout data have advances.
    std::int32_t advance = 0;
    // The outline's extent in EM units, worked out when the font is made.
    Rect bounds;
};

// A DefineFont, DefineFont2 or DefineFont3 character, completed by the
// DefineFontInfo that may follow it; a DefineFont4's OpenType data; or the
// glyphs made from a system font or from OpenType data for one text.
class FontDef final : public CharacterDef {
public:
    struct Data {
        std::string name;
        bool bold = false;
        bool italic = false;
        // Glyph outlines of DefineFont and DefineFont2 fill a 1024 unit EM
        // square; DefineFont3 stores them twenty times finer.
        double emSquare = 1024;
        // A system font standing in for a device font: text fields place
        // its glyphs on whole pixels.
        bool deviceFont = false;
        // Ascent, descent and leading in EM units; zero without layout data.
        bool hasLayout = false;
        std::int32_t ascent = 0, descent = 0, leading = 0;
        std::vector<FontGlyph> glyphs;
        // Kerning pairs by (left code << 16 | right code), EM units.
        std::unordered_map<std::uint32_t, std::int32_t> kerning;
        // A DefineFont4 carries an OpenType font instead of glyphs; the
        // glyphs a text needs are made from it when the text is laid out.
        std::shared_ptr<const std::vector<std::uint8_t>> openType;
    };

    FontDef(CharacterId id, Data data);

    const Data& data() const { return m_data; }
    const std::string& name() const { return m_data.name; }
    bool bold() const { return m_data.bold; }
    bool italic() const { return m_data.italic; }
    const std::vector<FontGlyph>& glyphs() const { return m_data.glyphs; }
    bool hasOutlines() const { return !m_data.glyphs.empty() || m_data.openType; }
    // The text height (twips) over the EM square: what glyph outlines and
    // metrics are multiplied with.
    double scaleFor(double heightTwips) const { return heightTwips / m_data.emSquare; }

    // The glyph that shows a character; the first one when a font lists a
    // code twice.
    std::optional<std::uint16_t> glyphFor(std::uint16_t code) const;
    std::int32_t kerning(std::uint16_t left, std::uint16_t right) const;

private:
    Data m_data;
    std::unordered_map<std::uint16_t, std::uint16_t> m_codeToGlyph;
};

} // namespace vidorama::swf
