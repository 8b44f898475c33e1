#include "graphics/FillShader.h"

#include "graphics/BitmapDef.h"
#include "graphics/PixelLanes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

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
        if (step.y() == 0 && m_smoothed) {
            smoothRow(rowsAround(start.y() - 0.5), start.x() - 0.5, step.x(), count, out);
            return;
        }
        if (step.y() == 0) {
            const Rows rows = rowAt(start.y());
            for (int i = 0; i < count; ++i)
                out[i] = nearest(rows, start.x() + i * step.x());
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

    using Lanes = PixelLanes;

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
    // std::floor of a bounded value, without the library call it takes on
    // processors before SSE 4.1; every bounded value is exact as a long.
    static long Floor(double v) {
        auto whole = static_cast<long>(v);
        return static_cast<double>(whole) > v ? whole - 1 : whole;
    }
    Rows rowAt(double v) const {
        const QRgb* at = row(Floor(bounded(v)));
        return {at, at, 0};
    }
    Rows rowsAround(double v) const {
        v = bounded(v);
        const long y0 = Floor(v);
        return {row(y0), row(y0 + 1), static_cast<int>((v - static_cast<double>(y0)) * 256)};
    }
    QRgb nearest(const Rows& rows, double u) const {
        return rows.top[wrap(Floor(bounded(u)), m_width)];
    }
    // The bitmap columns a sample reads, and the weight of the right one.
    struct Columns {
        int left;
        int right;
        int weight;
    };
    Columns columnsAround(double u) const {
        u = bounded(u);
        const long x0 = Floor(u);
        return {wrap(x0, m_width), wrap(x0 + 1, m_width),
                static_cast<int>((u - static_cast<double>(x0)) * 256)};
    }
    // A bitmap column mixed between the two rows. Mixing the rows first and
    // the columns second sums the same four products as the other way round.
    static Lanes Column(const Rows& rows, int x) {
        return MixLanes(SpreadPixel(rows.top[x]), SpreadPixel(rows.bottom[x]), rows.weight);
    }
    QRgb bilinear(const Rows& rows, double u) const {
        const Columns at = columnsAround(u);
        return LanesToPixel(MixLanes(Column(rows, at.left), Column(rows, at.right), at.weight));
    }
    // Samples along one pair of rows. A bitmap drawn larger than it is gives
    // several samples between the same two columns, which are mixed once.
    void smoothRow(const Rows& rows, double u, double step, int count, QRgb* out) const {
        Columns mixed{-1, -1, 0};
        Lanes left{}, right{};
        const auto sample = [&](Columns at) {
            if (at.left != mixed.left || at.right != mixed.right) {
                left = at.left == mixed.right ? right : Column(rows, at.left);
                right = Column(rows, at.right);
                mixed = at;
            }
            return LanesToPixel(MixLanes(left, right, at.weight));
        };
        // Most rows lie well within reach of 64-bit fixed point with 32 bits
        // of fraction, whose steps cost far less than rounding doubles; its
        // positions differ from the doubles' by less than 2^-20 of a pixel
        // over a row.
        constexpr double kOne = 4294967296.0, kReach = 1 << 30;
        const double end = u + (count - 1) * step;
        if (std::fabs(u) < kReach && std::fabs(end) < kReach && count < (1 << 12)) {
            std::int64_t at = std::llround(u * kOne);
            const std::int64_t by = std::llround(step * kOne);
            const long first = static_cast<long>(at >> 32);
            const long last = static_cast<long>((at + by * (count - 1)) >> 32);
            if (std::min(first, last) >= 0 && std::max(first, last) + 1 < m_width) {
                smoothWithin(rows, at, by, count, std::min(first, last), out);
                return;
            }
            for (int i = 0; i < count; ++i, at += by) {
                const long x0 = static_cast<long>(at >> 32);
                out[i] = sample({wrap(x0, m_width), wrap(x0 + 1, m_width),
                                 static_cast<int>((at >> 24) & 0xFF)});
            }
            return;
        }
        for (int i = 0; i < count; ++i)
            out[i] = sample(columnsAround(u + i * step));
    }

    // Samples along one pair of rows that all lie inside the bitmap, at the
    // fixed-point positions at + i * by: the columns they read are mixed
    // between the two rows once each, in one straight run, before every
    // sample mixes its two columns.
    static void smoothWithin(const Rows& rows, std::int64_t at, std::int64_t by, int count,
                             long firstColumn, QRgb* out) {
        thread_local std::vector<Lanes> columns;
        const auto lastColumn = static_cast<long>((at + by * (count - 1)) >> 32);
        const long reach = std::max(static_cast<long>(at >> 32), lastColumn) + 2 - firstColumn;
        columns.resize(static_cast<std::size_t>(reach));
        MixRowPair(rows.top + firstColumn, rows.bottom + firstColumn, rows.weight,
                   static_cast<int>(reach), columns.data());
        for (int i = 0; i < count; ++i, at += by) {
            const auto x = static_cast<std::size_t>((at >> 32) - firstColumn);
            out[i] = LanesToPixel(
                MixLanes(columns[x], columns[x + 1], static_cast<int>((at >> 24) & 0xFF)));
        }
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
