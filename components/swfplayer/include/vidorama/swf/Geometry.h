#pragma once

#include <cstdint>

namespace vidorama::swf {

// Movie coordinates are twips, 1/20 of a pixel.
inline constexpr double kTwipsPerPixel = 20.0;

struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0; // twips

    std::int32_t width() const { return xMax - xMin; }
    std::int32_t height() const { return yMax - yMin; }
    bool empty() const { return xMax <= xMin || yMax <= yMin; }
    bool operator==(const Rect&) const = default;
};

// An affine transform as SWF stores it: x' = a*x + c*y + tx, y' = b*x + d*y + ty.
// Scale and rotate terms are plain factors (stored as 16.16), translations twips.
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1;
    double tx = 0, ty = 0;

    static Matrix translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Matrix scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

    // this * other: applies other first, then this.
    Matrix operator*(const Matrix& other) const;
    void map(double x, double y, double& outX, double& outY) const {
        outX = a * x + c * y + tx;
        outY = b * x + d * y + ty;
    }
    bool invertible() const;
    Matrix inverted() const;
    bool operator==(const Matrix&) const = default;
};

} // namespace vidorama::swf
