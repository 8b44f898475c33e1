// Exact-area coverage against Qt's own anti-aliased fill, which computes the
// same quantity, on paths of every kind; and the cases Qt never sees here.

#include "graphics/AreaCoverage.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace vidorama::swf;

namespace {

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    return image;
}

QImage QtCoverage(const QPainterPath& path, const QTransform& toDevice, QSize size) {
    QImage image = Blank(size.width(), size.height());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(toDevice);
    painter.fillPath(path, Qt::black);
    return image;
}

QImage OwnCoverage(const QPainterPath& path, const QTransform& toDevice, QSize size) {
    QImage image = Blank(size.width(), size.height());
    AddAreaCoverage(image, path, toDevice, image.rect());
    return image;
}

struct Difference {
    int largest = 0;
    double mean = 0;
};

Difference Compare(const QImage& a, const QImage& b) {
    Difference d;
    long total = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            int diff = std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y)));
            d.largest = std::max(d.largest, diff);
            total += diff;
        }
    d.mean = static_cast<double>(total) / (a.width() * a.height());
    return d;
}

int Alpha(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

} // namespace

TEST(AreaCoverage, MatchesQtsAntialiasedFillOnRandomOutlines) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-20, 100);
    const QSize size(80, 60);
    for (int round = 0; round < 40; ++round) {
        QPainterPath path;
        path.setFillRule(round % 2 ? Qt::OddEvenFill : Qt::WindingFill);
        for (int subpath = 0; subpath < 1 + round % 3; ++subpath) {
            path.moveTo(coordinate(random), coordinate(random));
            for (int i = 0; i < 5; ++i)
                path.lineTo(coordinate(random), coordinate(random));
        }
        const QTransform toDevice = QTransform().rotate(round * 13).scale(0.8, 0.9);
        Difference d = Compare(QtCoverage(path, toDevice, size), OwnCoverage(path, toDevice, size));
        // Qt works in steps of 1/256 pixel; pixels where edges cross are
        // estimated by both.
        EXPECT_LE(d.largest, 16) << "round " << round;
        EXPECT_LT(d.mean, 0.2) << "round " << round;
    }
}

TEST(AreaCoverage, CurvesCoverTheAreaTheyEnclose) {
    // A circle of quadratic curves (eight of them, as Flash draws circles):
    // its coverage sums to its area, and its edge pixels are as far from
    // the true circle as a curve of eight pieces is.
    const double radius = 40;
    QPainterPath circle;
    circle.moveTo(radius, 0);
    for (int i = 1; i <= 8; ++i) {
        const double end = i * M_PI / 4, middle = end - M_PI / 8;
        const double reach = radius / std::cos(M_PI / 8);
        circle.quadTo(reach * std::cos(middle), reach * std::sin(middle), radius * std::cos(end),
                      radius * std::sin(end));
    }
    QImage image = OwnCoverage(circle, QTransform::fromTranslate(50.3, 50.6), QSize(100, 100));
    double covered = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            covered += Alpha(image, x, y) / 255.0;
    // Eight quadratics lie a little outside the circle between their ends.
    EXPECT_NEAR(covered, M_PI * radius * radius, M_PI * radius * radius * 0.002);
    EXPECT_GT(covered, M_PI * radius * radius);
}

TEST(AreaCoverage, EdgesCoverPixelsByTheirAreaInside) {
    QPainterPath square;
    square.addRect(2.25, 1.5, 4.5, 3);
    QImage image = OwnCoverage(square, QTransform(), QSize(10, 6));
    EXPECT_EQ(Alpha(image, 1, 2), 0);
    EXPECT_EQ(Alpha(image, 2, 2), 191); // three quarters of the pixel
    EXPECT_EQ(Alpha(image, 4, 2), 255);
    EXPECT_EQ(Alpha(image, 6, 2), 191);
    EXPECT_EQ(Alpha(image, 4, 1), 128); // half of it
    EXPECT_EQ(Alpha(image, 2, 1), 96);  // three eighths
    EXPECT_EQ(Alpha(image, 7, 2), 0);
}

TEST(AreaCoverage, FillRulesDecideOverlaps) {
    // Two squares drawn the same way round overlap in the middle.
    QPainterPath path;
    path.addRect(0, 0, 6, 6);
    path.addRect(3, 3, 6, 6);
    path.setFillRule(Qt::WindingFill);
    QImage winding = OwnCoverage(path, QTransform(), QSize(10, 10));
    path.setFillRule(Qt::OddEvenFill);
    QImage evenOdd = OwnCoverage(path, QTransform(), QSize(10, 10));
    EXPECT_EQ(Alpha(winding, 4, 4), 255);
    EXPECT_EQ(Alpha(evenOdd, 4, 4), 0);
    EXPECT_EQ(Alpha(evenOdd, 1, 1), 255);
    EXPECT_EQ(Alpha(evenOdd, 7, 7), 255);
}

TEST(AreaCoverage, AddsOverWhatIsThereOnlyInsideTheArea) {
    QImage image = Blank(10, 10);
    image.fill(qRgba(0, 0, 0, 128));
    QPainterPath half;
    half.addRect(0, 0, 10, 10);
    AddAreaCoverage(image, half, QTransform::fromScale(0.5, 1), QRect(0, 0, 10, 5));
    // Half covered pixels over half coverage, as one layer over another.
    EXPECT_EQ(Alpha(image, 1, 1), 255);
    EXPECT_EQ(Alpha(image, 7, 1), 128);
    EXPECT_EQ(Alpha(image, 1, 7), 128);
}

TEST(AreaCoverage, PathsFarOutsideOrBrokenCostNothingAndDrawNothingWrong) {
    QImage image = Blank(20, 20);
    // A shape reaching a billion pixels to the left still covers what it
    // covers on the picture.
    QPainterPath wide;
    wide.addRect(-1e9, 5, 1e9 + 10.5, 10);
    AddAreaCoverage(image, wide, QTransform(), image.rect());
    EXPECT_EQ(Alpha(image, 0, 10), 255);
    EXPECT_EQ(Alpha(image, 10, 10), 128);
    EXPECT_EQ(Alpha(image, 11, 10), 0);
    EXPECT_EQ(Alpha(image, 5, 2), 0);

    QImage untouched = Blank(20, 20);
    QPainterPath broken;
    broken.moveTo(1, 1);
    broken.lineTo(std::numeric_limits<double>::quiet_NaN(), 4);
    broken.lineTo(10, 10);
    AddAreaCoverage(untouched, broken, QTransform(), untouched.rect());
    AddAreaCoverage(untouched, wide, QTransform::fromScale(1e300, 1e300), untouched.rect());
    EXPECT_EQ(untouched, Blank(20, 20));

    // A fill that stopped half way leaves nothing behind for the next one.
    QPainterPath small;
    small.addRect(2, 2, 3, 3);
    AddAreaCoverage(untouched, small, QTransform(), untouched.rect());
    EXPECT_EQ(Alpha(untouched, 3, 3), 255);
    EXPECT_EQ(Alpha(untouched, 8, 8), 0);
}
