#include "graphics/PathFiller.h"

#include "graphics/PixelOps.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

void ShadeThroughMask(QImage& target, const QImage& mask, QPoint origin, const FillShader& shader) {
    std::vector<QRgb> colors(static_cast<std::size_t>(mask.width()));
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* coverage = mask.constScanLine(y);
        int first = 0, last = mask.width();
        while (first < last && coverage[first] == 0)
            ++first;
        while (last > first && coverage[last - 1] == 0)
            --last;
        if (first == last)
            continue;
        shader.shadeRow(origin.x() + first, origin.y() + y, last - first, colors.data());
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(origin.y() + y)) + origin.x();
        for (int x = first; x < last; ++x) {
            if (coverage[x] == 0)
                continue;
            // Inside the shape an opaque fill replaces what is beneath, which
            // is what the blend gives there, at a fraction of its cost.
            QRgb color =
                coverage[x] == 255 ? colors[x - first] : ScalePixel(colors[x - first], coverage[x]);
            row[x] = qAlpha(color) == 255 ? color : SourceOver(color, row[x]);
        }
    }
}

// Aliased edges sample each pixel at its centre. Qt counts a centre lying
// exactly on a shape's right or bottom edge as inside and one on its left or
// top edge as outside; the captures count them the other way round, which
// matters for the many edges that lie on half pixels. Moving the shape up
// and left by Qt's finest step (1/64 pixel, finer than a twip) swaps the two.
void PrepareEdges(QPainter& painter, const QTransform& toDevice, EdgeMode edges) {
    painter.setRenderHint(QPainter::Antialiasing, edges == EdgeMode::Antialiased);
    constexpr double kQtStep = 1.0 / 64;
    painter.setTransform(edges == EdgeMode::Antialiased
                             ? toDevice
                             : toDevice * QTransform::fromTranslate(-kQtStep, -kQtStep));
}

// Medium quality: the path is sampled aliased on a grid twice as fine, and
// each pixel takes the share of its four samples that are inside.
void RasterizeOnGrid(QImage& coverage, const QPainterPath& path, const QTransform& toDevice) {
    QRect box = DeviceBox(toDevice.mapRect(path.controlPointRect()), coverage.rect());
    if (box.isEmpty())
        return;
    QImage fine(box.size() * 2, QImage::Format_Alpha8);
    fine.fill(0);
    {
        QPainter painter(&fine);
        PrepareEdges(painter,
                     toDevice * QTransform::fromTranslate(-box.x(), -box.y()) *
                         QTransform::fromScale(2, 2),
                     EdgeMode::Aliased);
        painter.fillPath(path, Qt::black);
    }
    for (int y = 0; y < box.height(); ++y) {
        const uchar* top = fine.constScanLine(2 * y);
        const uchar* bottom = fine.constScanLine(2 * y + 1);
        uchar* out = coverage.scanLine(box.y() + y) + box.x();
        for (int x = 0; x < box.width(); ++x) {
            unsigned inside = (top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1]) / 4;
            out[x] = static_cast<uchar>(out[x] + (255 - out[x]) * inside / 255);
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
                       EdgeMode edges) {
    if (edges == EdgeMode::Grid2x2) {
        RasterizeOnGrid(coverage, path, toDevice);
        return;
    }
    QPainter painter(&coverage);
    PrepareEdges(painter, toDevice, edges);
    painter.fillPath(path, Qt::black);
}

QRect FillPath(QImage& target, const QPainterPath& path, const QTransform& toDevice,
               const Paint& paint, EdgeMode edges) {
    if (!paint.visible())
        return {};
    QRect box = DeviceBox(toDevice.mapRect(path.controlPointRect()), target.rect());
    if (box.isEmpty())
        return {};
    if (!paint.shader && edges != EdgeMode::Grid2x2) {
        QPainter painter(&target);
        PrepareEdges(painter, toDevice, edges);
        painter.fillPath(path, paint.color);
        return box;
    }
    QImage mask(box.size(), QImage::Format_Alpha8);
    mask.fill(0);
    RasterizeCoverage(mask, path, toDevice * QTransform::fromTranslate(-box.x(), -box.y()), edges);
    if (paint.shader)
        ShadeThroughMask(target, mask, box.topLeft(), *paint.shader);
    else
        ShadeThroughMask(target, mask, box.topLeft(),
                         SolidShader(qPremultiply(paint.color.rgba())));
    return box;
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
