#pragma once

#include "graphics/PathFiller.h"

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <vector>

namespace vidorama::swf {

// Draws the fills of one style group the way Flash's scanline rasteriser does:
// every bit of a pixel belongs to one fill at most, the one drawn last. Fills
// are added from the top one down; each takes what its coverage asks for of
// what the fills above it left of the pixel. So two fills that share an edge
// cover the pixel fully between them, with no background seam, and a fill
// drawn over another hides it instead of blending with it.
class FillGroup {
public:
    // Starts a group whose fills lie within box (target pixels), of which
    // only the pixels inside limit are drawn.
    void begin(QRect box, EdgeMode edges, QRect limit);
    // Adds the next fill, from the top one down.
    void add(const QPainterPath& path, const QTransform& toDevice, const Paint& paint);
    // Blends the group onto the target; returns the pixels that may have changed.
    QRect finish(QImage& target);

private:
    // Takes a row of a fill's coverage, count pixels from x on (m_box
    // coordinates); its shader starts at shadeFrom.
    void takeRow(int y, int x, int count, const uchar* coverage, const Paint& paint, int shadeFrom);

    QRect m_box;
    // The pixels of m_box drawn, in its own coordinates.
    QRect m_drawn;
    bool m_limited = false;
    EdgeMode m_edges = EdgeMode::Antialiased;
    QImage m_color;    // premultiplied sum of what the fills show
    QImage m_budget;   // coverage still free in each pixel
    QImage m_coverage; // the current fill's coverage
    std::vector<QRgb> m_shaded;
};

} // namespace vidorama::swf
