#include "graphics/PathFiller.h"

#include "graphics/AreaCoverage.h"
#include "graphics/PixelOps.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

// Shades the pixels of one row of target that coverage covers, count values
// from pixel x on, within area. The row is shaded from its first covered
// pixel, wherever area starts: a shader steps along a row from where it
// starts, and its colours must not depend on the area.
void ShadeCoveredRow(QImage& target, int y, int x, int count, const uchar* coverage,
                     const FillShader& shader, const QRect& area, std::vector<QRgb>& colors) {
    int first = 0, last = count;
    while (first < last && coverage[first] == 0)
        ++first;
    while (last > first && coverage[last - 1] == 0)
        --last;
    const int start = x + first;
    const int from = std::max(start, area.left()), to = std::min(x + last, area.right() + 1);
    if (from >= to)
        return;
    colors.resize(static_cast<std::size_t>(to - start));
    shader.shadeRow(start, y, to - start, colors.data());
    auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
    for (int at = from; at < to; ++at) {
        const uchar covered = coverage[at - x];
        if (covered == 0)
            continue;
        // Inside the shape an opaque fill replaces what is beneath, which
        // is what the blend gives there, at a fraction of its cost.
        const QRgb shaded = colors[static_cast<std::size_t>(at - start)];
        const QRgb color = covered == 255 ? shaded : ScalePixel(shaded, covered);
        row[at] = qAlpha(color) == 255 ? color : SourceOver(color, row[at]);
    }
}

// Adds one row of coverage, count values from pixel x on, to an Alpha8 target
// (a mask being drawn) within area.
void AddCoverageRow(QImage& target, int y, int x, int count, const uchar* coverage,
                    const QRect& area) {
    uchar* out = target.scanLine(y);
    const int from = std::max(x, area.left()), to = std::min(x + count, area.right() + 1);
    for (int at = from; at < to; ++at) {
        const unsigned covered = coverage[at - x];
        out[at] = static_cast<uchar>(out[at] + (255 - out[at]) * covered / 255);
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
    if (edges == EdgeMode::Antialiased) {
        AddAreaCoverage(coverage, path, toDevice, area);
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
    if (!paint.shader && edges == EdgeMode::Aliased) {
        QPainter painter(&target);
        PrepareEdges(painter, toDevice, edges, limit);
        painter.fillPath(path, paint.color);
        return area;
    }
    std::vector<QRgb> colors;
    const SolidShader solid(qPremultiply(paint.color.rgba()));
    const FillShader& shader = paint.shader ? *paint.shader : solid;
    const bool mask = target.format() == QImage::Format_Alpha8;
    const auto take = [&](int y, int x, int count, const uchar* coverage) {
        if (mask)
            AddCoverageRow(target, y, x, count, coverage, area);
        else
            ShadeCoveredRow(target, y, x, count, coverage, shader, area, colors);
    };
    if (edges == EdgeMode::Antialiased) {
        ForEachCoveredRow(path, toDevice, target.rect(), area, take);
        return area;
    }
    // The mask keeps the box's origin, and whole rows of it, so that every
    // covered pixel and every row's first one are where they would be
    // without the limit.
    QImage coverage(box.size(), kCoverageFormat);
    coverage.fill(0);
    const QRect rows(0, area.top() - box.top(), box.width(), area.height());
    RasterizeCoverage(coverage, path, toDevice * QTransform::fromTranslate(-box.x(), -box.y()),
                      edges, rows);
    std::vector<uchar> row(static_cast<std::size_t>(box.width()));
    for (int y = rows.top(); y <= rows.bottom(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        for (int x = 0; x < box.width(); ++x)
            row[static_cast<std::size_t>(x)] = CoverageAt(pixels, x);
        take(box.top() + y, box.left(), box.width(), row.data());
    }
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
