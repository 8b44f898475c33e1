#include "graphics/FillGroup.h"

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

void Clear(QImage& image, QRect area, uint value) {
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(area, QColor::fromRgba(value));
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
    Clear(m_coverage, drawn, 0);
    RasterizeCoverage(m_coverage, path,
                      toDevice * QTransform::fromTranslate(-m_box.x(), -m_box.y()), m_edges,
                      m_limited ? drawn : m_coverage.rect());
    QRgb solid = qPremultiply(paint.color.rgba());
    std::vector<QRgb> shaded(static_cast<std::size_t>(local.width()));
    for (int y = drawn.top(); y <= drawn.bottom(); ++y) {
        const auto* coverage = reinterpret_cast<const QRgb*>(m_coverage.constScanLine(y));
        uchar* budget = m_budget.scanLine(y);
        auto* color = reinterpret_cast<QRgb*>(m_color.scanLine(y));
        if (paint.shader)
            paint.shader->shadeRow(box.left(), m_box.top() + y, local.width(), shaded.data());
        for (int x = drawn.left(); x <= drawn.right(); ++x) {
            unsigned take = std::min(CoverageAt(coverage, x), budget[x]);
            if (take == 0)
                continue;
            QRgb c = paint.shader ? shaded[x - local.left()] : solid;
            QRgb share = take == 255 ? c : ScalePixel(c, take);
            // A pixel with all its coverage free has had nothing added yet.
            color[x] = budget[x] == 255 ? share : AddSaturated(color[x], share);
            budget[x] = static_cast<uchar>(budget[x] - take);
        }
    }
}

QRect FillGroup::finish(QImage& target) {
    QPainter painter(&target);
    painter.drawImage(m_box.topLeft() + m_drawn.topLeft(), m_color, m_drawn);
    return m_drawn.translated(m_box.topLeft());
}

} // namespace vidorama::swf
