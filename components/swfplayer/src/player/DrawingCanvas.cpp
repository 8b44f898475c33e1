#include "player/DrawingCanvas.h"

#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf {

ShapeLayer& DrawingCanvas::layer() {
    if (m_data.layers.empty())
        m_data.layers.emplace_back();
    return m_data.layers.back();
}

bool DrawingCanvas::spend(std::size_t elements) {
    if (m_elements + elements > Limits::kMaxDrawingElementsPerClip)
        return false;
    m_elements += elements;
    changed();
    return true;
}

void DrawingCanvas::growBounds(TwipPoint p) {
    Rect& b = m_data.bounds;
    if (!m_hasBounds) {
        b = {p.x, p.x, p.y, p.y};
        m_hasBounds = true;
    }
    b.xMin = std::min(b.xMin, p.x);
    b.xMax = std::max(b.xMax, p.x);
    b.yMin = std::min(b.yMin, p.y);
    b.yMax = std::max(b.yMax, p.y);
    m_data.edgeBounds = b;
}

void DrawingCanvas::beginFill(const FillStyle& fill) {
    endFill();
    if (!spend(1))
        return;
    m_data.fillStyles.push_back(fill);
    m_data.layers.emplace_back();
    StyledPath path;
    path.style = static_cast<std::uint32_t>(m_data.fillStyles.size() - 1);
    path.path.moveTo(m_pen);
    m_data.layers.back().fills.push_back(std::move(path));
    m_fillPath = 0;
    m_contourStart = m_pen;
    // The stroke goes on in the new layer, above the new fill.
    m_strokePath.reset();
}

void DrawingCanvas::endFill() {
    if (!m_fillPath)
        return;
    if (!(m_pen == m_contourStart))
        lineTo(m_contourStart);
    m_fillPath.reset();
}

void DrawingCanvas::lineStyle(const std::optional<LineStyle>& line) {
    m_strokePath.reset();
    m_lineStyle.reset();
    if (!line || !spend(1))
        return;
    m_data.lineStyles.push_back(*line);
    m_lineStyle = static_cast<std::uint32_t>(m_data.lineStyles.size() - 1);
}

StyledPath* DrawingCanvas::stroke() {
    if (!m_lineStyle)
        return nullptr;
    ShapeLayer& current = layer();
    if (!m_strokePath) {
        StyledPath path;
        path.style = *m_lineStyle;
        path.path.moveTo(m_pen);
        current.strokes.push_back(std::move(path));
        m_strokePath = current.strokes.size() - 1;
    }
    return &current.strokes[*m_strokePath];
}

void DrawingCanvas::moveTo(TwipPoint to) {
    if (!spend(2))
        return;
    // A move inside a fill closes the contour so far and starts another.
    if (m_fillPath) {
        if (!(m_pen == m_contourStart))
            layer().fills[*m_fillPath].path.lineTo(m_contourStart);
        layer().fills[*m_fillPath].path.moveTo(to);
        m_contourStart = to;
    }
    if (StyledPath* path = stroke())
        path->path.moveTo(to);
    m_pen = to;
}

void DrawingCanvas::lineTo(TwipPoint to) {
    if (!spend(2))
        return;
    growBounds(m_pen);
    growBounds(to);
    if (m_fillPath)
        layer().fills[*m_fillPath].path.lineTo(to);
    if (StyledPath* path = stroke())
        path->path.lineTo(to);
    m_pen = to;
}

void DrawingCanvas::curveTo(TwipPoint control, TwipPoint anchor) {
    if (!spend(2))
        return;
    growBounds(m_pen);
    growBounds(control);
    growBounds(anchor);
    if (m_fillPath)
        layer().fills[*m_fillPath].path.quadTo(control, anchor);
    if (StyledPath* path = stroke())
        path->path.quadTo(control, anchor);
    m_pen = anchor;
}

void DrawingCanvas::clear() {
    *this = DrawingCanvas();
}

const ShapeDef* DrawingCanvas::shape() const {
    if (m_data.layers.empty())
        return nullptr;
    if (!m_shape) {
        ShapeDef::Data data = m_data;
        // An open fill is drawn closed, as Flash shows it before endFill.
        if (m_fillPath && !(m_pen == m_contourStart))
            data.layers.back().fills[*m_fillPath].path.lineTo(m_contourStart);
        m_shape = std::make_shared<const ShapeDef>(0, std::move(data));
    }
    return m_shape.get();
}

} // namespace vidorama::swf
