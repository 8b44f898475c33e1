#include "graphics/ShapePathCache.h"

#include "graphics/QtPath.h"
#include "graphics/ShapeDef.h"

namespace vidorama::swf {

namespace {

// Frames a shape's paths are kept after it was last drawn: enough for a
// shape that blinks or is drawn every few frames.
constexpr std::uint64_t kFramesKept = 30;

ShapePathCache::Paths MakePaths(const ShapeDef& shape) {
    const Qt::FillRule rule = shape.nonZeroWinding() ? Qt::WindingFill : Qt::OddEvenFill;
    ShapePathCache::Paths paths;
    for (const ShapeLayer& layer : shape.layers()) {
        std::vector<QPainterPath>& fills = paths.fills.emplace_back();
        for (const StyledPath& fill : layer.fills) {
            fills.push_back(ToQPainterPath(fill.path));
            fills.back().setFillRule(rule);
        }
        std::vector<QPainterPath>& strokes = paths.strokes.emplace_back();
        for (const StyledPath& stroke : layer.strokes) {
            const bool closed = stroke.style >= shape.lineStyles().size() ||
                                !shape.lineStyles()[stroke.style].noClose;
            strokes.push_back(ToQPainterPath(stroke.path, closed));
        }
    }
    return paths;
}

} // namespace

const ShapePathCache::Paths& ShapePathCache::pathsOf(const ShapeDef& shape) {
    std::weak_ptr<const CharacterDef> owner = shape.weak_from_this();
    if (owner.expired()) {
        m_unshared = MakePaths(shape);
        return m_unshared;
    }
    Entry& entry = m_entries[&shape];
    // A definition freed and another made at its address is told apart by
    // its owner.
    if (entry.owner.owner_before(owner) || owner.owner_before(entry.owner) || entry.owner.expired())
        entry = Entry{std::move(owner), MakePaths(shape)};
    entry.lastDrawn = m_frame;
    return entry.paths;
}

void ShapePathCache::endFrame() {
    ++m_frame;
    std::erase_if(m_entries, [this](const auto& item) {
        return item.second.owner.expired() || item.second.lastDrawn + kFramesKept < m_frame;
    });
}

} // namespace vidorama::swf
