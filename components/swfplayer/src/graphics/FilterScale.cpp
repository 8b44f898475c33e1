#include "graphics/FilterScale.h"

#include <cmath>

namespace vidorama::swf {

namespace {

struct Scaler {
    double sx, sy;

    // A blur box of one pixel leaves the image alone at any zoom: only what
    // the box adds beyond that pixel grows with the stage.
    static double grown(double size, double scale) { return (size - 1) * scale + 1; }
    void blur(BlurFilter& f) const {
        f.blurX = grown(f.blurX, sx);
        f.blurY = grown(f.blurY, sy);
    }
    // The offset is stretched like the stage, which turns its angle when the
    // two scales differ.
    void offset(double& angle, double& distance) const {
        double dx = std::cos(angle) * distance * sx, dy = std::sin(angle) * distance * sy;
        angle = std::atan2(dy, dx);
        distance = std::hypot(dx, dy);
    }

    Filter operator()(BlurFilter f) const {
        blur(f);
        return f;
    }
    Filter operator()(ShadowFilter f) const {
        blur(f.blur);
        offset(f.angle, f.distance);
        return f;
    }
    Filter operator()(BevelFilter f) const {
        blur(f.blur);
        offset(f.angle, f.distance);
        return f;
    }
    Filter operator()(GradientFilter f) const {
        blur(f.blur);
        offset(f.angle, f.distance);
        return f;
    }
    Filter operator()(const ColorMatrixFilter& f) const { return f; }
    Filter operator()(const ConvolutionFilter& f) const { return f; }
};

} // namespace

Filter ScaleFilter(const Filter& filter, double scaleX, double scaleY) {
    return std::visit(Scaler{scaleX, scaleY}, filter);
}

} // namespace vidorama::swf
