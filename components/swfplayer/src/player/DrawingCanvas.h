#pragma once

#include "graphics/ShapeDef.h"

#include <memory>
#include <optional>

namespace vidorama::swf {

// What the drawing methods of a clip (beginFill, lineTo...) have drawn, kept
// as a shape the renderer draws like any other, under the clip's children.
// Each fill begun starts a new layer, so later fills cover earlier ones.
class DrawingCanvas {
public:
    void beginFill(const FillStyle& fill);
    void endFill();
    // nullopt: no stroke for the lines that follow.
    void lineStyle(const std::optional<LineStyle>& line);
    void moveTo(TwipPoint to);
    void lineTo(TwipPoint to);
    void curveTo(TwipPoint control, TwipPoint anchor);
    void clear();

    bool empty() const { return m_data.layers.empty(); }
    // The drawing so far, with open fills closed; made again after a change.
    const ShapeDef* shape() const;

private:
    ShapeLayer& layer();
    StyledPath* stroke();
    bool spend(std::size_t elements);
    void changed() { m_shape.reset(); }
    void growBounds(TwipPoint point);

    ShapeDef::Data m_data;
    TwipPoint m_pen;
    // The open fill and its contour's start, and the stroke being drawn.
    std::optional<std::size_t> m_fillPath;
    TwipPoint m_contourStart;
    std::optional<std::size_t> m_strokePath;
    std::optional<std::uint32_t> m_lineStyle;
    std::size_t m_elements = 0;
    bool m_hasBounds = false;
    mutable std::shared_ptr<const ShapeDef> m_shape;
};

} // namespace vidorama::swf
