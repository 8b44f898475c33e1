#pragma once

#include "graphics/FillShader.h"
#include "graphics/StageQuality.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QTransform>
#include <cstdint>

namespace vidorama::swf {

// What a path is filled with: one premultiplied colour, or a shader.
struct Paint {
    QColor color;
    const FillShader* shader = nullptr;

    bool visible() const { return shader || color.alpha() != 0; }
};

// How a shape's edges reach pixels: by the share of each pixel they cover,
// by the share of a 2 x 2 grid of samples they cover (Flash's medium
// quality), or inside or out (its low quality).
enum class EdgeMode : std::uint8_t { Antialiased, Grid2x2, Aliased };

EdgeMode EdgeModeFor(StageQuality quality);

// The target pixels that a box in target coordinates may touch, with a pixel
// of margin for anti-aliasing; empty when it misses the target or is not
// finite.
QRect DeviceBox(const QRectF& bounds, const QRect& target);

// Coverage is drawn into Format_ARGB32_Premultiplied pictures and read from
// their alpha: Qt fills those with its own span code, while it fills an
// Alpha8 picture through its generic code, which hands large paths to worker
// threads and costs more in thread hand-offs than the filling itself.
constexpr QImage::Format kCoverageFormat = QImage::Format_ARGB32_Premultiplied;

// The coverage of a pixel of a kCoverageFormat picture.
inline uchar CoverageAt(const QRgb* row, int x) {
    return static_cast<uchar>(row[x] >> 24);
}

// Draws the coverage of a path into a kCoverageFormat picture, adding to what
// is there, within the picture's pixels inside area.
void RasterizeCoverage(QImage& coverage, const QPainterPath& path, const QTransform& toDevice,
                       EdgeMode edges, const QRect& area);

// Fills a path, given in its own units and mapped to target pixels by
// toDevice, with source-over blending, changing only the target pixels inside
// limit; those get what filling the whole path gives them. The path's
// coverage is worked out row by row and the paint applied through it; an
// aliased solid fill goes straight through QPainter. An Format_Alpha8 target
// is a mask being drawn, which takes the coverage itself. Returns the target
// pixels that may have changed.
QRect FillPath(QImage& target, const QPainterPath& path, const QTransform& toDevice,
               const Paint& paint, EdgeMode edges, const QRect& limit);

} // namespace vidorama::swf
