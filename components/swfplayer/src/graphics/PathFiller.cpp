#include "graphics/PathFiller.h"

#include "graphics/PixelOps.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

// Shades the pixels of area (target pixels) that the mask of the box at
// origin covers. Each row is shaded from its first covered pixel, wherever
// area starts: a shader steps along a row from where it starts, and its
// colours must not depend on the area.
void ShadeThroughMask(QImage& target, const QImage& mask, QPoint origin, const FillShader& shader,
                      const QRect& area) {
    std::vector<QRgb> colors(static_cast<std::size_t>(mask.width()));
    const int areaFirst = area.left() - origin.x(), areaLast = area.right() + 1 - origin.x();
    for (int y = area.top() - origin.y(); y <= area.bottom() - origin.y(); ++y) {
        const auto* coverage = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        int first = 0, last = mask.width();
        while (first < last && CoverageAt(coverage, first) == 0)
            ++first;
        while (last > first && CoverageAt(coverage, last - 1) == 0)
            --last;
        const int from = std::max(first, areaFirst), to = std::min(last, areaLast);
        if (from >= to)
            continue;
        shader.shadeRow(origin.x() + first, origin.y() + y, to - first, colors.data());
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(origin.y() + y)) + origin.x();
        for (int x = from; x < to; ++x) {
            const uchar covered = CoverageAt(coverage, x);
            if (covered == 0)
                continue;
            // Inside the shape an opaque fill replaces what is beneath, which
            // is what the blend gives there, at a fraction of its cost.
            QRgb color =
                covered == 255 ? colors[x - first] : ScalePixel(colors[x - first], covered);
            row[x] = qAlpha(color) == 255 ? color : SourceOver(color, row[x]);
        }
    }
}

} // namespace

QRect DeviceBox(const QRectF& bounds, const QRect& target) {
    // The box is cut to the target while still in floating point, since a
    // wild matrix can map a shape far outside what integers hold.
    QRectF margin = bounds.adjusted(-1, -1, 1, 1);
    QRectF area = margin & QRectF(target);
    if (!std::isfinite(margin.width()) || !std::isfinite(margin.height()) || area.isEmpty())
        return {};
    return area.toAlignedRect() & target;
}

void RasterizeCoverage(QImage& coverage, const QPainterPath& path, const QTransform& toDevice,
                       EdgeMode edges, const QRect& area) {
    QPainter painter(&coverage);
    painter.setRenderHint(QPainter::Antialiasing, edges == EdgeMode::Antialiased);
    if (!area.contains(coverage.rect()))
        painter.setClipRect(area);
    painter.setTransform(toDevice);
    painter.fillPath(path, Qt::black);
}

QRect FillPath(QImage& target, const QPainterPath& path, const QTransform& toDevice,
               const Paint& paint, EdgeMode edges, const QRect& limit) {
    if (!paint.visible())
        return {};
    const QRect box = DeviceBox(toDevice.mapRect(path.controlPointRect()), target.rect());
    const QRect area = box & limit;
    if (area.isEmpty())
        return {};
    if (!paint.shader) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing, edges == EdgeMode::Antialiased);
        if (!limit.contains(target.rect()))
            painter.setClipRect(limit);
        painter.setTransform(toDevice);
        painter.fillPath(path, paint.color);
        return area;
    }
    // The mask keeps the box's origin, and whole rows of it, so that every
    // covered pixel and every row's first one are where they would be
    // without the limit.
    QImage mask(box.size(), kCoverageFormat);
    mask.fill(0);
    const QRect rows(0, area.top() - box.top(), box.width(), area.height());
    RasterizeCoverage(mask, path, toDevice * QTransform::fromTranslate(-box.x(), -box.y()), edges,
                      rows);
    ShadeThroughMask(target, mask, box.topLeft(), *paint.shader, area);
    return area;
}

} // namespace vidorama::swf
