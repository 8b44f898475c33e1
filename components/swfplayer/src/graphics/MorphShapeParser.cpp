#include "graphics/MorphShapeDef.h"
#include "graphics/PathBuilder.h"
#include "graphics/ShapeParser.h"
#include "graphics/ShapeRecordReader.h"
#include "graphics/StyleReader.h"
#include "swf/Limits.h"

#include <string>

namespace vidorama::swf {

namespace {

constexpr int kDefineMorphShape2 = 84;

// The records of the end shape: only moves and edges matter there, since the
// styles are those of the start shape.
std::vector<ShapeRecord> ReadEndRecords(ByteReader& reader) {
    ShapeRecordReader records(reader, 1);
    records.readStyleBits();
    std::vector<ShapeRecord> out;
    while (out.size() < Limits::kMaxShapeRecords) {
        ShapeRecord r = records.next();
        if (r.type == ShapeRecord::Type::End)
            break;
        out.push_back(r);
    }
    return out;
}

// Pairs every start edge with the next end edge. Style changes in the end
// shape only move its pen; a move in the start shape takes the end shape's
// style change at the same place along with it.
class MorphWalker {
public:
    MorphWalker(std::vector<ShapeRecord> endRecords, std::uint32_t fillCount,
                std::uint32_t lineCount)
        : m_end(std::move(endRecords)), m_fillCount(fillCount), m_lineCount(lineCount) {}

    void styleChange(const ShapeRecord& r);
    void edge(const ShapeRecord& r, PathBuilder& builder);

private:
    void takeEndStyleChanges();

    std::vector<ShapeRecord> m_end;
    std::size_t m_next = 0;
    std::uint32_t m_fillCount, m_lineCount;
    std::uint32_t m_fill0 = 0, m_fill1 = 0, m_line = 0;
    TwipPoint m_startPen, m_endPen;
};

void MorphWalker::takeEndStyleChanges() {
    while (m_next < m_end.size() && m_end[m_next].type == ShapeRecord::Type::StyleChange) {
        if (m_end[m_next].hasMove)
            m_endPen = {m_end[m_next].moveX, m_end[m_next].moveY};
        ++m_next;
    }
}

void MorphWalker::styleChange(const ShapeRecord& r) {
    if (r.hasMove) {
        m_startPen = {r.moveX, r.moveY};
        takeEndStyleChanges();
    }
    auto valid = [](std::uint32_t n, std::uint32_t count) {
        return n <= count ? n : 0u;
    };
    if (r.hasFill0)
        m_fill0 = valid(r.fill0, m_fillCount);
    if (r.hasFill1)
        m_fill1 = valid(r.fill1, m_fillCount);
    if (r.hasLine)
        m_line = valid(r.line, m_lineCount);
}

void MorphWalker::edge(const ShapeRecord& r, PathBuilder& builder) {
    takeEndStyleChanges();
    ShapeRecord end = m_next < m_end.size() ? m_end[m_next++] : ShapeRecord{};
    auto place = [](TwipPoint from, const ShapeRecord& rec, TwipPoint& control, TwipPoint& to) {
        if (rec.type == ShapeRecord::Type::CurvedEdge) {
            control = Advance(from, rec.controlDx, rec.controlDy);
            to = Advance(control, rec.anchorDx, rec.anchorDy);
        } else {
            to = Advance(from, rec.anchorDx, rec.anchorDy);
            control = {static_cast<std::int32_t>((std::int64_t{from.x} + to.x) / 2),
                       static_cast<std::int32_t>((std::int64_t{from.y} + to.y) / 2)};
        }
    };
    ShapeEdge e;
    e.curved = true;
    e.from = m_startPen;
    e.endFrom = m_endPen;
    place(e.from, r, e.control, e.to);
    place(e.endFrom, end, e.endControl, e.endTo);
    e.fill0 = m_fill0;
    e.fill1 = m_fill1;
    e.line = m_line;
    builder.addEdge(e);
    m_startPen = e.to;
    m_endPen = e.endTo;
}

} // namespace

Result<std::shared_ptr<const CharacterDef>> ParseMorphShape(int tagCode, ByteReader body,
                                                            int swfVersion) {
    int version = tagCode == kDefineMorphShape2 ? 2 : 1;
    CharacterId id = body.u16();
    MorphShapeDef::Data data;
    data.startBounds = ReadRect(body);
    data.endBounds = ReadRect(body);
    if (version >= 2) {
        ReadRect(body);
        ReadRect(body);
        body.u8();
    }
    std::uint32_t endOffset = body.u32();
    std::size_t endPosition = body.position() + endOffset;
    StyleReader styles(body, version, swfVersion);
    styles.morphFillStyles(data.startFills, data.endFills);
    styles.morphLineStyles(data.startLines, data.endLines);
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "morph shape header is cut short", tagCode);

    ShapeRecordReader startRecords(body, 1);
    startRecords.readStyleBits();
    std::vector<ShapeRecord> start;
    for (ShapeRecord r = startRecords.next(); r.type != ShapeRecord::Type::End;
         r = startRecords.next()) {
        if (start.size() >= Limits::kMaxShapeRecords)
            return MakeError(Error::Category::LimitExceeded,
                             "morph shape " + std::to_string(id) + " has too many records",
                             tagCode);
        start.push_back(r);
    }
    // A broken offset is ignored: the end shape then follows the start shape.
    if (endOffset != 0 && endPosition < body.size())
        body.seek(endPosition);
    MorphWalker walker(ReadEndRecords(body), static_cast<std::uint32_t>(data.startFills.size()),
                       static_cast<std::uint32_t>(data.startLines.size()));
    PathBuilder builder(true);
    for (const ShapeRecord& r : start) {
        if (r.type == ShapeRecord::Type::StyleChange)
            walker.styleChange(r);
        else
            walker.edge(r, builder);
    }
    std::vector<BuiltLayer> layers = builder.takeLayers();
    if (!layers.empty()) {
        data.fills = std::move(layers.front().fills);
        data.strokes = std::move(layers.front().strokes);
    }
    return std::shared_ptr<const CharacterDef>(
        std::make_shared<MorphShapeDef>(id, std::move(data)));
}

} // namespace vidorama::swf
