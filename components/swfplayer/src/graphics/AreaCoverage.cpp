#include "graphics/AreaCoverage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vidorama::swf {

namespace {

// Curves are cut into lines no further than this from the curve, in pixels:
// far below what an 8-bit coverage can show.
constexpr double kFlatness = 0.05;
// However large a curve is drawn, it is cut into at most this many lines.
constexpr int kMaxCurveSteps = 256;

// Signed area sums of a box of pixels. Each line of the outline adds, in the
// row it crosses, its height to the pixels right of it and the share of its
// height matching the area right of it to the pixels it passes through;
// summing a row from the left then gives every pixel the winding of its area.
class AreaSums {
public:
    // The sums live on in the thread between fills, always cleared, since
    // clearing a fresh buffer for every fill costs as much as using it.
    AreaSums(int width, int height) : m_width(width), m_height(height), m_sums(Storage()) {
        const std::size_t size =
            static_cast<std::size_t>(width + 2) * static_cast<std::size_t>(height);
        if (m_sums.size() < size)
            m_sums.resize(size, 0.0F);
        m_extents.assign(static_cast<std::size_t>(height), Extent{});
    }
    ~AreaSums() {
        if (!m_taken)
            std::fill_n(m_sums.begin(),
                        static_cast<std::size_t>(m_width + 2) * static_cast<std::size_t>(m_height),
                        0.0F);
    }
    AreaSums(const AreaSums&) = delete;
    AreaSums& operator=(const AreaSums&) = delete;

    // A line between two points in box pixels.
    void line(QPointF from, QPointF to) {
        if (from.y() == to.y())
            return;
        float direction = 1;
        if (from.y() > to.y()) {
            std::swap(from, to);
            direction = -1;
        }
        const double top = std::max(from.y(), 0.0);
        const double bottom = std::min(to.y(), static_cast<double>(m_height));
        if (top >= bottom)
            return;
        const double slope = (to.x() - from.x()) / (to.y() - from.y());
        double y = top;
        double x = from.x() + (top - from.y()) * slope;
        for (int row = static_cast<int>(top); y < bottom; ++row) {
            const double rowEnd = std::min(row + 1.0, bottom);
            const double nextX = x + (rowEnd - y) * slope;
            inRow(row, x, nextX, static_cast<float>(rowEnd - y) * direction);
            x = nextX;
            y = rowEnd;
        }
    }

    // Hands over the coverage of each row that has some, 0 to 255 per pixel,
    // from its first covered pixel to its last, and clears the sums.
    void take(bool evenOdd, const CoverageRowSink& sink) {
        std::vector<uchar>& run = RunStorage();
        run.resize(static_cast<std::size_t>(m_width));
        for (int row = 0; row < m_height; ++row) {
            const int first = m_extents[static_cast<std::size_t>(row)].first;
            const int end = takeRow(row, evenOdd, run.data());
            if (end > first)
                sink(row, first, end - first, run.data() + first);
        }
        m_taken = true;
    }

private:
    // The cells of a row that lines have reached.
    struct Extent {
        int first = std::numeric_limits<int>::max();
        int last = -1;
    };

    static std::vector<float>& Storage() {
        thread_local std::vector<float> sums;
        return sums;
    }
    static std::vector<uchar>& RunStorage() {
        thread_local std::vector<uchar> run;
        return run;
    }

    static uchar Level(float winding, bool evenOdd) {
        float share = std::fabs(winding);
        if (share > 1) {
            if (evenOdd) {
                share = std::fmod(share, 2.0F);
                share = share > 1 ? 2 - share : share;
            } else {
                share = 1;
            }
        }
        return static_cast<uchar>(share * 255 + 0.5F);
    }

    // Writes a row's coverage into run from its first cell on and returns
    // where it ends, 0 for a row without any.
    int takeRow(int row, bool evenOdd, uchar* run) {
        Extent& extent = m_extents[static_cast<std::size_t>(row)];
        if (extent.last < 0)
            return 0;
        float* sums = rowSums(row);
        float winding = 0;
        const int last = std::min(extent.last, m_width - 1);
        for (int x = extent.first; x <= last; ++x) {
            winding += sums[x];
            sums[x] = 0;
            run[x] = Level(winding, evenOdd);
        }
        sums[m_width] = sums[m_width + 1] = 0;
        extent = Extent{};
        // Right of the last line the winding stays as it is.
        const uchar beyond = Level(winding, evenOdd);
        if (beyond == 0)
            return last + 1;
        std::fill(run + last + 1, run + m_width, beyond);
        return m_width;
    }

    void touch(int row, int first, int last) {
        Extent& extent = m_extents[static_cast<std::size_t>(row)];
        extent.first = std::min(extent.first, first);
        extent.last = std::max(extent.last, last);
    }

    float* rowSums(int row) {
        return m_sums.data() +
               static_cast<std::size_t>(row) * static_cast<std::size_t>(m_width + 2);
    }

    // A piece of line within one row, from x to nextX, of signed height.
    void inRow(int row, double x, double nextX, float height) {
        float* sums = rowSums(row);
        const double left = std::min(x, nextX), right = std::max(x, nextX);
        if (right <= 0) {
            // Wholly left of the box: every pixel of the row is right of it.
            sums[0] += height;
            touch(row, 0, 0);
            return;
        }
        if (left >= m_width)
            return;
        const int firstCell = std::max(0, static_cast<int>(std::floor(left)));
        touch(row, firstCell, std::min(static_cast<int>(std::floor(right)), m_width - 1) + 1);
        if (left == right) {
            column(sums, left, left, height);
            return;
        }
        // The parts left of the box count in full at its left edge, the parts
        // right of it for nothing; only the part inside is walked pixel by
        // pixel, so a line reaching far outside costs no more than one inside.
        const double perX = height / (right - left);
        double from = left;
        if (from < 0) {
            sums[0] += static_cast<float>(-from * perX);
            from = 0;
        }
        const double to = std::min(right, static_cast<double>(m_width));
        while (from < to) {
            const double cellEnd = std::min(std::floor(from) + 1, to);
            column(sums, from, cellEnd, static_cast<float>((cellEnd - from) * perX));
            from = cellEnd;
        }
    }

    // A piece of line within one pixel column, from x0 to x1.
    static void column(float* sums, double x0, double x1, float height) {
        const int cell = static_cast<int>(std::floor(std::min(x0, x1)));
        const auto rightShare = static_cast<float>((x0 + x1) / 2 - cell);
        sums[cell] += height * (1 - rightShare);
        sums[cell + 1] += height * rightShare;
    }

    int m_width;
    int m_height;
    std::vector<float>& m_sums;
    std::vector<Extent> m_extents;
    bool m_taken = false;
};

QPointF CubicPoint(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double t) {
    const double u = 1 - t;
    return p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
}

void AddCubic(AreaSums& sums, QPointF p0, QPointF p1, QPointF p2, QPointF p3) {
    // A cubic cut into n equal steps strays from its chords by at most
    // 3/4 of its largest second difference over n squared.
    const QPointF bend1 = p0 - 2 * p1 + p2, bend2 = p1 - 2 * p2 + p3;
    const double bend =
        std::max(std::hypot(bend1.x(), bend1.y()), std::hypot(bend2.x(), bend2.y()));
    const double wanted = std::ceil(std::sqrt(0.75 * bend / kFlatness));
    const int steps =
        wanted >= kMaxCurveSteps ? kMaxCurveSteps : std::max(1, static_cast<int>(wanted));
    QPointF previous = p0;
    for (int i = 1; i <= steps; ++i) {
        const QPointF next = i == steps ? p3 : CubicPoint(p0, p1, p2, p3, double(i) / steps);
        sums.line(previous, next);
        previous = next;
    }
}

bool Finite(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

} // namespace

void ForEachCoveredRow(const QPainterPath& path, const QTransform& toDevice, const QRect& area,
                       const CoverageRowSink& sink) {
    const QRectF reach = toDevice.mapRect(path.controlPointRect()).adjusted(-1, -1, 1, 1);
    if (!std::isfinite(reach.width()) || !std::isfinite(reach.height()))
        return;
    const QRectF within = reach & QRectF(area);
    if (within.isEmpty())
        return;
    const QRect box = within.toAlignedRect() & area;
    if (box.isEmpty())
        return;

    AreaSums sums(box.width(), box.height());
    const QTransform toBox = toDevice * QTransform::fromTranslate(-box.x(), -box.y());
    QPointF start, current;
    auto close = [&] {
        if (current != start)
            sums.line(current, start);
    };
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        const QPointF p = toBox.map(QPointF(e.x, e.y));
        if (!Finite(p))
            return;
        switch (e.type) {
        case QPainterPath::MoveToElement:
            close();
            start = current = p;
            break;
        case QPainterPath::LineToElement:
            sums.line(current, p);
            current = p;
            break;
        case QPainterPath::CurveToElement: {
            if (i + 2 >= count)
                return;
            const QPainterPath::Element& c2 = path.elementAt(i + 1);
            const QPainterPath::Element& end = path.elementAt(i + 2);
            const QPointF q2 = toBox.map(QPointF(c2.x, c2.y));
            const QPointF q3 = toBox.map(QPointF(end.x, end.y));
            if (!Finite(q2) || !Finite(q3))
                return;
            AddCubic(sums, current, p, q2, q3);
            current = q3;
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    close();

    sums.take(path.fillRule() == Qt::OddEvenFill,
              [&](int y, int x, int length, const uchar* coverage) {
                  sink(box.y() + y, box.x() + x, length, coverage);
              });
}

void AddAreaCoverage(QImage& coverage, const QPainterPath& path, const QTransform& toDevice,
                     const QRect& area) {
    uchar* const bits = coverage.bits();
    const qsizetype stride = coverage.bytesPerLine();
    ForEachCoveredRow(path, toDevice, area & coverage.rect(),
                      [&](int y, int x, int count, const uchar* added) {
                          auto* row = reinterpret_cast<QRgb*>(bits + y * stride) + x;
                          for (int i = 0; i < count; ++i) {
                              const int was = qAlpha(row[i]);
                              row[i] = qRgba(0, 0, 0, was + ((255 - was) * added[i] + 127) / 255);
                          }
                      });
}

} // namespace vidorama::swf
