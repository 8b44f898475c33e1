#include "graphics/FillGroup.h"

#include "graphics/AreaCoverage.h"
#include "graphics/PixelOps.h"

#include <QPainter>
#include <algorithm>
#include <vector>

namespace vidorama::swf {

namespace {

// Makes image at least size big, keeping it when it already is.
void Reserve(QImage& image, QSize size, QImage::Format format) {
    if (image.width() >= size.width() && image.height() >= size.height())
        return;
    image = QImage(std::max(image.width(), size.width()), std::max(image.height(), size.height()),
                   format);
}

// Sets every pixel of area to value, straight into the rows: a group of a
// few pixels is common, and a QPainter for it costs more than the group.
void Clear(QImage& image, QRect area, QRgb value) {
    area &= image.rect();
    const bool alphaOnly = image.format() == QImage::Format_Alpha8;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uchar* row = image.scanLine(y);
        if (alphaOnly)
            std::fill_n(row + area.left(), area.width(), static_cast<uchar>(qAlpha(value)));
        else
            std::fill_n(reinterpret_cast<QRgb*>(row) + area.left(), area.width(), value);
    }
}

} // namespace

void FillGroup::begin(QRect box, EdgeMode edges, QRect limit) {
    m_box = box;
    m_drawn = (box & limit).translated(-box.topLeft());
    m_edges = edges;
    Reserve(m_color, box.size(), QImage::Format_ARGB32_Premultiplied);
    Reserve(m_budget, box.size(), QImage::Format_Alpha8);
    Reserve(m_coverage, box.size(), kCoverageFormat);
    m_limited = m_drawn.size() != box.size();
    Clear(m_color, m_drawn, 0);
    Clear(m_budget, m_drawn, 0xFF000000);
}

void FillGroup::add(const QPainterPath& path, const QTransform& toDevice, const Paint& paint) {
    QRect box = DeviceBox(toDevice.mapRect(path.controlPointRect()), m_box);
    if (box.isEmpty())
        return;
    QRect local = box.translated(-m_box.topLeft());
    const QRect drawn = local & m_drawn;
    if (drawn.isEmpty())
        return;
    const QTransform toLocal = toDevice * QTransform::fromTranslate(-m_box.x(), -m_box.y());
    const auto take = [&](int y, int x, int count, const uchar* coverage) {
        const int from = std::max(x, drawn.left()), to = std::min(x + count, drawn.right() + 1);
        if (from < to)
            takeRow(y, from, to - from, coverage + (from - x), paint, local.left());
    };
    if (m_edges == EdgeMode::Antialiased) {
        ForEachCoveredRow(path, toLocal, QRect(QPoint(0, 0), m_box.size()), drawn, take);
        return;
    }
    Clear(m_coverage, drawn, 0);
    RasterizeCoverage(m_coverage, path, toLocal, m_edges, m_limited ? drawn : m_coverage.rect());
    std::vector<uchar> row(static_cast<std::size_t>(drawn.width()));
    for (int y = drawn.top(); y <= drawn.bottom(); ++y) {
        const auto* coverage = reinterpret_cast<const QRgb*>(m_coverage.constScanLine(y));
        for (int x = drawn.left(); x <= drawn.right(); ++x)
            row[static_cast<std::size_t>(x - drawn.left())] = CoverageAt(coverage, x);
        take(y, drawn.left(), drawn.width(), row.data());
    }
}

void FillGroup::takeRow(int y, int x, int count, const uchar* coverage, const Paint& paint,
                        int shadeFrom) {
    uchar* budget = m_budget.scanLine(y);
    auto* color = reinterpret_cast<QRgb*>(m_color.scanLine(y));
    const QRgb solid = qPremultiply(paint.color.rgba());
    // A shader steps along the row from where the fill's box starts, so that
    // its colours do not depend on which pixels are covered.
    if (paint.shader) {
        m_shaded.resize(static_cast<std::size_t>(x + count - shadeFrom));
        paint.shader->shadeRow(m_box.left() + shadeFrom, m_box.top() + y, x + count - shadeFrom,
                               m_shaded.data());
    }
    for (int i = 0; i < count; ++i) {
        const int at = x + i;
        const unsigned take = std::min(coverage[i], budget[at]);
        if (take == 0)
            continue;
        const QRgb c = paint.shader ? m_shaded[static_cast<std::size_t>(at - shadeFrom)] : solid;
        const QRgb share = take == 255 ? c : ScalePixel(c, take);
        // A pixel with all its coverage free has had nothing added yet.
        color[at] = budget[at] == 255 ? share : AddSaturated(color[at], share);
        budget[at] = static_cast<uchar>(budget[at] - take);
    }
}

QRect FillGroup::finish(QImage& target) {
    QPainter painter(&target);
    painter.drawImage(m_box.topLeft() + m_drawn.topLeft(), m_color, m_drawn);
    return m_drawn.translated(m_box.topLeft());
}

} // namespace vidorama::swf
