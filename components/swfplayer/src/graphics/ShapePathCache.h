#pragma once

#include <QPainterPath>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vidorama::swf {

class CharacterDef;
class ShapeDef;

// The QPainterPaths of the shapes drawn lately, in twips, so that a shape
// drawn at every frame has its paths made once rather than at every draw:
// they do not depend on where or how large it is drawn. A shape is known by
// its address while the definition lives; one that nothing shares (made for
// a single draw) is not kept.
class ShapePathCache {
public:
    struct Paths {
        // Per layer of the shape, per fill of it: its path, under the
        // shape's fill rule.
        std::vector<std::vector<QPainterPath>> fills;
        // Per layer, per stroke: its path, closed unless its style says not.
        std::vector<std::vector<QPainterPath>> strokes;
    };

    // The paths of shape, valid until the next call.
    const Paths& pathsOf(const ShapeDef& shape);
    // Forgets the shapes not drawn for a while; called once a frame.
    void endFrame();
    std::size_t shapesKept() const { return m_entries.size(); }

private:
    struct Entry {
        std::weak_ptr<const CharacterDef> owner;
        Paths paths;
        std::uint64_t lastDrawn = 0;
    };

    std::unordered_map<const ShapeDef*, Entry> m_entries;
    Paths m_unshared;
    std::uint64_t m_frame = 0;
};

} // namespace vidorama::swf
