#include "graphics/FillShader.h"

#include "graphics/BitmapDef.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {

// The square that gradient matrices map onto the shape, in twips.
constexpr double kGradientHalfSize = 16384.0;

QTransform ToQt(const Matrix& m) {
    return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty);
}

class GradientShader final : public FillShader {
public:
    GradientShader(const FillStyle& fill, const ColorTransform& colors, QTransform toGradient)
        : m_type(fill.type), m_spread(fill.gradient.spread),
          m_focal(fill.gradient.focalPoint * kGradientHalfSize), m_toGradient(toGradient),
          m_ramp(BuildGradientRamp(fill.gradient, colors)) {}

    void shadeRow(int x, int y, int count, QRgb* out) const override {
        // Flash samples gradients at pixel corners and splits the ratio axis
        // into 256 equal entries. The transform is affine, so each step to the
        // right moves the sample by the same amount.
        const QPointF start = m_toGradient.map(QPointF(x, y));
        const QPointF step(m_toGradient.m11(), m_toGradient.m12());
        for (int i = 0; i < count; ++i) {
            QPointF g = start + i * step;
            double t = ApplySpread(position(g.x(), g.y()), m_spread);
            out[i] = m_ramp[static_cast<std::size_t>(std::min(255.0, std::floor(t * 256.0)))];
        }
    }

private:
    double position(double gx, double gy) const {
        switch (m_type) {
        case FillType::LinearGradient:
            return (gx + kGradientHalfSize) / (2 * kGradientHalfSize);
        case FillType::FocalGradient:
            return focalPosition(gx, gy);
        default:
            return std::sqrt(gx * gx + gy * gy) / kGradientHalfSize;
        }
    }

    // The share of the way from the focal point F to the circle's edge along
    // the ray through the point: solves |F + s(P - F)| = R for s, then 1 / s.
    double focalPosition(double gx, double gy) const {
        double dx = gx - m_focal, dy = gy;
        double dd = dx * dx + dy * dy;
        if (dd == 0)
            return 0;
        double fd = m_focal * dx;
        double ff = m_focal * m_focal - kGradientHalfSize * kGradientHalfSize;
        double root = std::sqrt(std::max(0.0, fd * fd - dd * ff));
        double denominator = root - fd;
        return denominator > 0 ? dd / denominator : 1.0;
    }

    FillType m_type;
    SpreadMode m_spread;
    double m_focal;
    QTransform m_toGradient;
    GradientRamp m_ramp;
};

class BitmapShader final : public FillShader {
public:
    BitmapShader(QImage image, QTransform toBitmap, bool repeats, bool smoothed)
        : m_image(std::move(image)), m_toBitmap(toBitmap), m_repeats(repeats), m_smoothed(smoothed),
          m_bits(m_image.constBits()), m_stride(m_image.bytesPerLine()), m_width(m_image.width()),
          m_height(m_image.height()) {}

    void shadeRow(int x, int y, int count, QRgb* out) const override {
        const QPointF start = m_toBitmap.map(QPointF(x + 0.5, y + 0.5));
        const QPointF step(m_toBitmap.m11(), m_toBitmap.m12());
        // Without rotation or skew every sample of the row lies on the same
        // bitmap rows, which are then found once.
        if (step.y() == 0) {
            const Rows rows = m_smoothed ? rowsAround(start.y() - 0.5) : rowAt(start.y());
            for (int i = 0; i < count; ++i) {
                const double u = start.x() + i * step.x();
                out[i] = m_smoothed ? bilinear(rows, u - 0.5) : nearest(rows, u);
            }
            return;
        }
        for (int i = 0; i < count; ++i) {
            QPointF p = start + i * step;
            out[i] = m_smoothed ? bilinear(rowsAround(p.y() - 0.5), p.x() - 0.5)
                                : nearest(rowAt(p.y()), p.x());
        }
    }

private:
    // The bitmap rows a sample reads, and the weight of the lower one.
    struct Rows {
        const QRgb* top;
        const QRgb* bottom;
        int weight;
    };

    // Repeating fills tile the bitmap; clipped fills extend its edge pixels.
    int wrap(long v, int size) const {
        // Most samples fall inside the bitmap, and need no division.
        if (v >= 0 && v < size)
            return static_cast<int>(v);
        if (m_repeats) {
            long m = v % size;
            return static_cast<int>(m < 0 ? m + size : m);
        }
        return static_cast<int>(std::clamp(v, 0l, long(size) - 1));
    }
    const QRgb* row(long py) const {
        return reinterpret_cast<const QRgb*>(m_bits + wrap(py, m_height) * m_stride);
    }
    // Far-away samples are pulled in before they become integers; clamped
    // fills look the same there and tiled ones only need the phase.
    static double bounded(double v) { return std::clamp(v, -1e9, 1e9); }
    Rows rowAt(double v) const {
        const QRgb* at = row(static_cast<long>(std::floor(bounded(v))));
        return {at, at, 0};
    }
    Rows rowsAround(double v) const {
        v = bounded(v);
        double fv = std::floor(v);
        auto y0 = static_cast<long>(fv);
        return {row(y0), row(y0 + 1), static_cast<int>((v - fv) * 256)};
    }
    QRgb nearest(const Rows& rows, double u) const {
        return rows.top[wrap(static_cast<long>(std::floor(bounded(u))), m_width)];
    }
    QRgb bilinear(const Rows& rows, double u) const {
        u = bounded(u);
        double fu = std::floor(u);
        auto x0 = static_cast<long>(fu);
        int wx = static_cast<int>((u - fu) * 256), wy = rows.weight;
        const int left = wrap(x0, m_width), right = wrap(x0 + 1, m_width);
        QRgb p00 = rows.top[left], p10 = rows.top[right];
        QRgb p01 = rows.bottom[left], p11 = rows.bottom[right];
        auto channel = [&](int shift) {
            auto c = [shift](QRgb p) {
                return int((p >> shift) & 0xFF);
            };
            int top = c(p00) * (256 - wx) + c(p10) * wx;
            int bottom = c(p01) * (256 - wx) + c(p11) * wx;
            return static_cast<QRgb>((top * (256 - wy) + bottom * wy + 32768) >> 16);
        };
        return (channel(24) << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }

    QImage m_image;
    QTransform m_toBitmap;
    bool m_repeats;
    bool m_smoothed;
    // The picture's rows, read directly at every sample.
    const uchar* m_bits;
    qsizetype m_stride;
    int m_width;
    int m_height;
};

} // namespace

std::unique_ptr<FillShader> MakeGradientShader(const FillStyle& fill, const ColorTransform& colors,
                                               const QTransform& toDevice) {
    QTransform toTarget = ToQt(fill.matrix) * toDevice;
    if (!toTarget.isInvertible() || fill.gradient.stops.empty())
        return nullptr;
    return std::make_unique<GradientShader>(fill, colors, toTarget.inverted());
}

std::unique_ptr<FillShader> MakeBitmapShader(const FillStyle& fill, const ColorTransform& colors,
                                             const QTransform& toDevice, const BitmapDef* bitmap) {
    if (!bitmap || bitmap->image().isNull())
        return nullptr;
    QTransform toTarget = ToQt(fill.matrix) * toDevice;
    if (!toTarget.isInvertible())
        return nullptr;
    QTransform toBitmap = toTarget.inverted();
    // A bitmap drawn at half its size or less is sampled from a halved copy,
    // as Flash's mip-mapping does whether or not it smooths, so that it
    // averages its pixels instead of picking a few of them.
    int level = 0;
    double pixelsPerPixel = std::sqrt(std::abs(toBitmap.determinant()));
    int width = bitmap->width(), height = bitmap->height();
    while (pixelsPerPixel >= 2.0 && width > 1 && height > 1) {
        ++level;
        width = (width + 1) / 2;
        height = (height + 1) / 2;
        toBitmap *= QTransform::fromScale(0.5, 0.5);
        pixelsPerPixel /= 2.0;
    }
    QImage image = bitmap->halved(level);
    if (!colors.isIdentity())
        image = TransformColors(image, colors);
    return std::make_unique<BitmapShader>(std::move(image), toBitmap, fill.bitmapRepeats,
                                          fill.bitmapSmoothed);
}

QImage TransformColors(const QImage& image, const ColorTransform& colors) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            QRgb p = row[x];
            int a = qAlpha(p);
            if (a == 0)
                continue;
            auto straight = [a](int c) {
                return std::uint8_t(a ? std::min(255, c * 255 / a) : 0);
            };
            Rgba c = colors.apply(
                {straight(qRed(p)), straight(qGreen(p)), straight(qBlue(p)), std::uint8_t(a)});
            row[x] = qPremultiply(qRgba(c.r, c.g, c.b, c.a));
        }
    }
    return out;
}

} // namespace vidorama::swf
