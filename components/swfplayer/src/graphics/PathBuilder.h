#pragma once

#include "graphics/MorphShapeDef.h"
#include "graphics/ShapePath.h"

#include <cstdint>
#include <vector>

namespace vidorama::swf {

// One edge as the shape records give it. Style numbers are 1-based indexes
// into the shape's style tables (0: no style on that side). Morph shapes also
// carry the edge's end-shape geometry; plain shapes leave it equal to the start.
struct ShapeEdge {
    TwipPoint from, control, to;
    TwipPoint endFrom, endControl, endTo;
    bool curved = false;
    std::uint32_t fill0 = 0, fill1 = 0, line = 0;
};

// The fills and strokes of one style group, with start and end geometry.
struct BuiltLayer {
    std::vector<MorphShapeDef::MorphPath> fills;
    std::vector<MorphShapeDef::MorphPath> strokes;
};

// The edge-to-path step. SWF stores a shape as loose edges with a fill style on
// each side; a renderer wants one closed outline per fill style. Every edge is
// taken as it is for the style on its right (fill style 1) and reversed for the
// style on its left (fill style 0), so all contours of a style run the same way
// around its area; the directed edges are then chained end to start into
// closed contours. Strokes keep the edge order and join edges that continue
// one another.
class PathBuilder {
public:
    explicit PathBuilder(bool withEndShape) : m_withEnd(withEndShape) {}

    void addEdge(const ShapeEdge& edge);
    // Closes the current style group; its paths become the next layer.
    void endGroup();
    std::vector<BuiltLayer> takeLayers();

private:
    void buildFills(BuiltLayer& layer) const;
    void buildStrokes(BuiltLayer& layer) const;

    bool m_withEnd;
    std::vector<ShapeEdge> m_edges;
    std::vector<BuiltLayer> m_layers;
};

} // namespace vidorama::swf
