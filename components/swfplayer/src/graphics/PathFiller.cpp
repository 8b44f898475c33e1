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

// Adds the coverage of the mask of the box at origin to an Alpha8 target
// (a mask being drawn) within area.
void AddCoverage(QImage& target, const QImage& mask, QPoint origin, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* coverage = reinterpret_cast<const QRgb*>(mask.constScanLine(y - origin.y()));
        uchar* out = target.scanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) {
            const unsigned covered = CoverageAt(coverage, x - origin.x());
            out[x] = static_cast<uchar>(out[x] + (255 - out[x]) * covered / 255);
        }
    }
}

// Aliased edges sample each pixel at its centre. Qt counts a centre lying
// exactly on a shape's right or bottom edge as inside and one on its left or
// top edge as outside; the captures count them the other way round, which
// matters for the many edges that lie on half pixels. Moving the shape up
// and left by Qt's finest step (1/64 pixel, finer than a twip) swaps the two.
// Pixels outside clip are left alone.
void PrepareEdges(QPainter& painter, const QTransform& toDevice, EdgeMode edges,
                  const QRect& clip) {
    painter.setRenderHint(QPainter::Antialiasing, edges == EdgeMode::Antialiased);
    if (!clip.contains(QRect(0, 0, painter.device()->width(), painter.device()->height())))
        painter.setClipRect(clip);
    constexpr double kQtStep = 1.0 / 64;
    painter.setTransform(edges == EdgeMode::Antialiased
                             ? toDevice
                             : toDevice * QTransform::fromTranslate(-kQtStep, -kQtStep));
}

// Medium quality: the path is sampled aliased on a grid twice as fine, and
// each pixel takes the share of its four samples that are inside.
void RasterizeOnGrid(QImage& coverage, const QPainterPath& path, const QTransform& toDevice,
                     const QRect& area) {
    QRect box = DeviceBox(toDevice.mapRect(path.controlPointRect()), coverage.rect()) & area;
    if (box.isEmpty())
        return;
    QImage fine(box.size() * 2, kCoverageFormat);
    fine.fill(0);
    {
        QPainter painter(&fine);
        PrepareEdges(painter,
                     toDevice * QTransform::fromTranslate(-box.x(), -box.y()) *
                         QTransform::fromScale(2, 2),
                     EdgeMode::Aliased, fine.rect());
        painter.fillPath(path, Qt::black);
    }
    for (int y = 0; y < box.height(); ++y) {
        const auto* top = reinterpret_cast<const QRgb*>(fine.constScanLine(2 * y));
        const auto* bottom = reinterpret_cast<const QRgb*>(fine.constScanLine(2 * y + 1));
        auto* out = reinterpret_cast<QRgb*>(coverage.scanLine(box.y() + y)) + box.x();
        for (int x = 0; x < box.width(); ++x) {
            unsigned inside = (CoverageAt(top, 2 * x) + CoverageAt(top, 2 * x + 1) +
                               CoverageAt(bottom, 2 * x) + CoverageAt(bottom, 2 * x + 1)) /
                              4;
            unsigned was = CoverageAt(out, x);
            unsigned now = was + (255 - was) * inside / 255;
            out[x] = qRgba(0, 0, 0, static_cast<int>(now));
        }
    }
}

// One colour everywhere, for solid fills that go through a coverage mask.
class SolidShader final : public FillShader {
public:
    explicit SolidShader(QRgb premultiplied) : m_color(premultiplied) {}
    void shadeRow(int, int, int count, QRgb* out) const override {
        std::fill(out, out + count, m_color);
    }

private:
    QRgb m_color;
};

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
    if (edges == EdgeMode::Grid2x2) {
        RasterizeOnGrid(coverage, path, toDevice, area);
        return;
    }
    QPainter painter(&coverage);
    PrepareEdges(painter, toDevice, edges, area);
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
    if (!paint.shader && edges != EdgeMode::Grid2x2) {
        QPainter painter(&target);
        PrepareEdges(painter, toDevice, edges, limit);
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
    if (target.format() == QImage::Format_Alpha8)
        AddCoverage(target, mask, box.topLeft(), area);
    else if (paint.shader)
        ShadeThroughMask(target, mask, box.topLeft(), *paint.shader, area);
    else
        ShadeThroughMask(target, mask, box.topLeft(), SolidShader(qPremultiply(paint.color.rgba())),
                         area);
    return area;
}

EdgeMode EdgeModeFor(StageQuality quality) {
    switch (quality) {
    case StageQuality::Low:
        return EdgeMode::Aliased;
    case StageQuality::Medium:
        return EdgeMode::Grid2x2;
    case StageQuality::High:
    case StageQuality::Best:
        break;
    }
    return EdgeMode::Antialiased;
}

} // namespace vidorama::swf
