#include "graphics/ShapeParser.h"

#include "graphics/PathBuilder.h"
#include "graphics/ShapeDef.h"
#include "graphics/ShapeRecordReader.h"
#include "graphics/StyleReader.h"
#include "swf/Limits.h"

#include <string>

namespace vidorama::swf {

namespace {

constexpr int kDefineShape = 2;
constexpr int kDefineShape2 = 22;
constexpr int kDefineShape3 = 32;

int ShapeVersion(int tagCode) {
    switch (tagCode) {
    case kDefineShape:
        return 1;
    case kDefineShape2:
        return 2;
    case kDefineShape3:
        return 3;
    default:
        return 4;
    }
}

// Walks the shape records of one shape, turning style numbers of each group
// into indexes of the shape's combined style tables, and feeds the edges to
// the path builder.
class ShapeWalker {
public:
    // A SHAPEWITHSTYLE starts with its style arrays; a glyph's SHAPE has none
    // and fills with the one style its font implies.
    enum class FirstStyles { Read, GlyphFill };

    ShapeWalker(ByteReader& reader, int version, int swfVersion, ShapeDef::Data& data)
        : m_reader(reader), m_version(version), m_swfVersion(swfVersion),
          m_records(reader, version), m_data(data) {}

    // False when the records exceed the limit.
    bool walk(PathBuilder& builder, FirstStyles first = FirstStyles::Read);

private:
    void applyStyleChange(const ShapeRecord& r, PathBuilder& builder);
    std::uint32_t fillIndex(std::uint32_t number) const {
        return number > 0 && number <= m_fillCount ? m_fillBase + number : 0;
    }
    std::uint32_t lineIndex(std::uint32_t number) const {
        return number > 0 && number <= m_lineCount ? m_lineBase + number : 0;
    }
    void readStyles();
    void useGlyphFill();

    ByteReader& m_reader;
    int m_version;
    int m_swfVersion;
    ShapeRecordReader m_records;
    ShapeDef::Data& m_data;
    std::uint32_t m_fillBase = 0, m_fillCount = 0, m_lineBase = 0, m_lineCount = 0;
    std::uint32_t m_fill0 = 0, m_fill1 = 0, m_line = 0;
    TwipPoint m_pen;
};

void ShapeWalker::readStyles() {
    StyleReader styles(m_reader, m_version, m_swfVersion);
    std::vector<FillStyle> fills = styles.fillStyles();
    std::vector<LineStyle> lines = styles.lineStyles();
    m_fillBase = static_cast<std::uint32_t>(m_data.fillStyles.size());
    m_lineBase = static_cast<std::uint32_t>(m_data.lineStyles.size());
    m_fillCount = static_cast<std::uint32_t>(fills.size());
    m_lineCount = static_cast<std::uint32_t>(lines.size());
    m_data.fillStyles.insert(m_data.fillStyles.end(), fills.begin(), fills.end());
    m_data.lineStyles.insert(m_data.lineStyles.end(), lines.begin(), lines.end());
    m_records.readStyleBits();
}

void ShapeWalker::useGlyphFill() {
    m_data.fillStyles.push_back(FillStyle{});
    m_fillCount = 1;
    m_records.readStyleBits();
}

void ShapeWalker::applyStyleChange(const ShapeRecord& r, PathBuilder& builder) {
    if (r.newStyles) {
        builder.endGroup();
        readStyles();
        m_fill0 = m_fill1 = m_line = 0;
    }
    if (r.hasMove)
        m_pen = {r.moveX, r.moveY};
    if (r.hasFill0)
        m_fill0 = fillIndex(r.fill0);
    if (r.hasFill1)
        m_fill1 = fillIndex(r.fill1);
    if (r.hasLine)
        m_line = lineIndex(r.line);
}

bool ShapeWalker::walk(PathBuilder& builder, FirstStyles first) {
    if (first == FirstStyles::GlyphFill)
        useGlyphFill();
    else
        readStyles();
    for (std::size_t count = 0;; ++count) {
        if (count >= Limits::kMaxShapeRecords)
            return false;
        ShapeRecord r = m_records.next();
        if (r.type == ShapeRecord::Type::End)
            return true;
        if (r.type == ShapeRecord::Type::StyleChange) {
            applyStyleChange(r, builder);
            continue;
        }
        ShapeEdge e;
        e.from = m_pen;
        e.curved = r.type == ShapeRecord::Type::CurvedEdge;
        e.control = Advance(m_pen, r.controlDx, r.controlDy);
        e.to = Advance(e.control, r.anchorDx, r.anchorDy);
        e.endFrom = e.from;
        e.endControl = e.control;
        e.endTo = e.to;
        e.fill0 = m_fill0;
        e.fill1 = m_fill1;
        e.line = m_line;
        builder.addEdge(e);
        m_pen = e.to;
    }
}

std::vector<ShapeLayer> StartLayers(std::vector<BuiltLayer> built) {
    std::vector<ShapeLayer> layers;
    for (BuiltLayer& b : built) {
        ShapeLayer layer;
        for (auto& p : b.fills)
            layer.fills.push_back({p.style, std::move(p.start)});
        for (auto& p : b.strokes)
            layer.strokes.push_back({p.style, std::move(p.start)});
        layers.push_back(std::move(layer));
    }
    return layers;
}

} // namespace

std::shared_ptr<const ShapeDef> ParseGlyphShape(ByteReader body) {
    ShapeDef::Data data;
    PathBuilder builder(false);
    ShapeWalker walker(body, 1, 1, data);
    // A glyph over the record limit keeps what was read before it.
    walker.walk(builder, ShapeWalker::FirstStyles::GlyphFill);
    data.layers = StartLayers(builder.takeLayers());
    return std::make_shared<const ShapeDef>(0, std::move(data));
}

Result<std::shared_ptr<const CharacterDef>> ParseShape(int tagCode, ByteReader body,
                                                       int swfVersion) {
    int version = ShapeVersion(tagCode);
    CharacterId id = body.u16();
    ShapeDef::Data data;
    data.bounds = ReadRect(body);
    data.edgeBounds = data.bounds;
    if (version >= 4) {
        data.edgeBounds = ReadRect(body);
        data.nonZeroWinding = (body.u8() & 0x04) != 0;
    }
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "shape header is cut short", tagCode);
    PathBuilder builder(false);
    ShapeWalker walker(body, version, swfVersion, data);
    if (!walker.walk(builder))
        return MakeError(Error::Category::LimitExceeded,
                         "shape " + std::to_string(id) + " has too many records", tagCode);
    data.layers = StartLayers(builder.takeLayers());
    return std::shared_ptr<const CharacterDef>(std::make_shared<ShapeDef>(id, std::move(data)));
}

} // namespace vidorama::swf
