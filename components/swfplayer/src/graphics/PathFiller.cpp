#include "graphics/PathFiller.h"

#include "graphics/PixelOps.h"

#include <QPainter>
#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

void ShadeThroughMask(QImage& target, const QImage& mask, QPoint origin, const FillShader& shader) {
    std::vector<QRgb> colors(static_cast<std::size_t>(mask.width()));
    for (int y = 0; y < mask.height(); ++y) {
        const auto* coverage = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        int first = 0, last = mask.width();
        while (first < last && CoverageAt(coverage, first) == 0)
            ++first;
        while (last > first && CoverageAt(coverage, last - 1) == 0)
            --last;
        if (first == last)
            continue;
        shader.shadeRow(origin.x() + first, origin.y() + y, last - first, colors.data());
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(origin.y() + y)) + origin.x();
        for (int x = first; x < last; ++x) {
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
                       EdgeMode edges) {
    QPainter painter(&coverage);
    painter.setRenderHint(QPainter::Antialiasing, edges == EdgeMode::Antialiased);
    painter.setTransform(toDevice);
    painter.fillPath(path, Qt::black);
}

QRect FillPath(QImage& target, const QPainterPath& path, const QTransform& toDevice,
               const Paint& paint, EdgeMode edges) {
    if (!paint.visible())
        return {};
    QRect box = DeviceBox(toDevice.mapRect(path.controlPointRect()), target.rect());
    if (box.isEmpty())
        return {};
    if (!paint.shader) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing, edges == EdgeMode::Antialiased);
        painter.setTransform(toDevice);
        painter.fillPath(path, paint.color);
        return box;
    }
    QImage mask(box.size(), kCoverageFormat);
    mask.fill(0);
    RasterizeCoverage(mask, path, toDevice * QTransform::fromTranslate(-box.x(), -box.y()), edges);
    ShadeThroughMask(target, mask, box.topLeft(), *paint.shader);
    return box;
}

} // namespace vidorama::swf
