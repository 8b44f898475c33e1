#include "text/StaticTextParser.h"

#include "swf/Limits.h"
#include "swf/TagCodes.h"

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kRecordIsText = 0x80;
constexpr std::uint8_t kRecordHasFont = 0x08;
constexpr std::uint8_t kRecordHasColor = 0x04;
constexpr std::uint8_t kRecordHasY = 0x02;
constexpr std::uint8_t kRecordHasX = 0x01;

// The state TEXTRECORDs carry over: each record changes only what it names.
struct RecordState {
    std::shared_ptr<const FontDef> font;
    Rgba color{0, 0, 0, 255};
    double height = 0;
    double x = 0, y = 0;
};

class StaticTextReader {
public:
    StaticTextReader(ByteReader& body, bool withAlpha, const FontLookup& fonts)
        : m_body(body), m_withAlpha(withAlpha), m_fonts(fonts) {}

    // Reads all records into runs; stops at the end marker, the tag's end or
    // the glyph limit.
    void read(std::vector<GlyphRun>& runs);

private:
    // False at the end of the records.
    bool readRecord(std::vector<GlyphRun>& runs);

    ByteReader& m_body;
    bool m_withAlpha;
    const FontLookup& m_fonts;
    unsigned m_glyphBits = 0, m_advanceBits = 0;
    RecordState m_state;
    std::size_t m_glyphCount = 0;
};

void StaticTextReader::read(std::vector<GlyphRun>& runs) {
    m_glyphBits = m_body.u8();
    m_advanceBits = m_body.u8();
    // A field wider than 32 bits cannot be read; such a text is broken.
    if (m_glyphBits > 32 || m_advanceBits > 32)
        return;
    while (!m_body.overrun() && readRecord(runs)) {
    }
}

bool StaticTextReader::readRecord(std::vector<GlyphRun>& runs) {
    std::uint8_t flags = m_body.u8();
    if (m_body.overrun() || (flags & kRecordIsText) == 0)
        return false;
    if (flags & kRecordHasFont)
        m_state.font = m_fonts(m_body.u16());
    if (flags & kRecordHasColor)
        m_state.color = m_withAlpha ? ReadRgba(m_body) : ReadRgb(m_body);
    if (flags & kRecordHasX)
        m_state.x = m_body.i16();
    if (flags & kRecordHasY)
        m_state.y = m_body.i16();
    if (flags & kRecordHasFont)
        m_state.height = m_body.u16();
    std::uint8_t count = m_body.u8();
    GlyphRun run;
    run.font = m_state.font;
    run.color = m_state.color;
    run.scale = m_state.font ? m_state.font->scaleFor(m_state.height) : 0;
    run.y = m_state.y;
    for (std::uint8_t i = 0; i < count; ++i) {
        auto index = static_cast<std::uint16_t>(m_body.ub(m_glyphBits));
        std::int32_t advance = m_body.sb(m_advanceBits);
        if (m_body.overrun())
            break;
        if (m_state.font && index < m_state.font->glyphs().size())
            run.glyphs.push_back({index, m_state.x});
        m_state.x += advance;
    }
    m_body.alignBits();
    m_glyphCount += run.glyphs.size();
    if (m_glyphCount > Limits::kMaxTextGlyphs)
        return false;
    if (!run.glyphs.empty())
        runs.push_back(std::move(run));
    return !m_body.overrun();
}

} // namespace

Result<std::shared_ptr<const TextDef>> ParseStaticText(int tagCode, ByteReader body,
                                                       const FontLookup& fonts) {
    CharacterId id = body.u16();
    TextDef::Data data;
    data.bounds = ReadRect(body);
    data.matrix = ReadMatrix(body);
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "text header is cut short", tagCode);
    StaticTextReader reader(body, tagCode == kTagDefineText2, fonts);
    reader.read(data.runs);
    return std::make_shared<const TextDef>(id, std::move(data));
}

} // namespace vidorama::swf
