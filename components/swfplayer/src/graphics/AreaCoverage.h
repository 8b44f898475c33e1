#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <functional>

namespace vidorama::swf {

// Anti-aliased coverage as the share of each pixel's area that lies inside a
// path, under the path's fill rule; subpaths are closed as a fill closes
// them. It is what Qt's anti-aliased fill computes, without the cost of a
// QPainter for every fill, which dominates when a shape has many small ones.
//
// Receives the coverage of one row of pixels: count values from pixel x on,
// 0 to 255 each.
using CoverageRowSink = std::function<void(int y, int x, int count, const uchar* coverage)>;

// Hands over the coverage of path, mapped to pixels by toDevice, row by row
// from the top, for the rows of area; each row from the first pixel an edge
// reaches (which may have no coverage yet) to the last covered one, over the
// whole width of canvas. Rows without coverage are left out. Coverage is
// worked out within canvas whatever area is, so a redrawn part of a picture
// gets exactly what drawing the whole gave it.
void ForEachCoveredRow(const QPainterPath& path, const QTransform& toDevice, const QRect& canvas,
                       const QRect& area, const CoverageRowSink& sink);

// Adds the coverage of path, mapped to pixels by toDevice, to the alpha of a
// Format_ARGB32_Premultiplied picture (as an opaque layer over what is
// there), for the picture's pixels inside area only.
void AddAreaCoverage(QImage& coverage, const QPainterPath& path, const QTransform& toDevice,
                     const QRect& area);

} // namespace vidorama::swf
