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

// Signed area sums of some rows of a box of pixels. Each line of the outline
// adds, in every row it crosses, its height to the pixels right of it and the
// share of its height matching the area right of it to the pixels it passes
// through; summing a row from the left then gives every pixel the winding of
// its area.
//
// Every number a row gets depends only on the lines and the box, never on
// which rows are summed: the part of a picture that is redrawn must come out
// as it did when the whole was drawn.
class AreaSums {
public:
    // The sums live on in the thread between fills, always cleared, since
    // clearing a fresh buffer for every fill costs as much as using it.
    AreaSums(QRect box, int firstRow, int endRow)
        : m_origin(box.topLeft()), m_width(box.width()), m_firstRow(firstRow), m_endRow(endRow),
          m_sums(SumStorage()) {
        const std::size_t size = rowStride() * static_cast<std::size_t>(endRow - firstRow);
        if (m_sums.size() < size)
            m_sums.resize(size, 0.0F);
        m_extents.assign(static_cast<std::size_t>(endRow - firstRow), Extent{});
    }
    ~AreaSums() {
        if (!m_taken)
            std::fill_n(m_sums.begin(), rowStride() * m_extents.size(), 0.0F);
    }
    AreaSums(const AreaSums&) = delete;
    AreaSums& operator=(const AreaSums&) = delete;

    // A line between two points in target pixels. Moving them into the box
    // by whole pixels is exact, so the box's place changes nothing.
    void line(QPointF from, QPointF to) {
        from -= m_origin;
        to -= m_origin;
        if (from.y() == to.y())
            return;
        float direction = 1;
        if (from.y() > to.y()) {
            std::swap(from, to);
            direction = -1;
        }
        const double top = std::max(from.y(), static_cast<double>(m_firstRow));
        const double bottom = std::min(to.y(), static_cast<double>(m_endRow));
        if (top >= bottom)
            return;
        const double slope = (to.x() - from.x()) / (to.y() - from.y());
        // Where the line crosses each row's edges is worked out afresh at
        // every row, rather than stepped, for the reason above.
        auto xAt = [&](double y) {
            return from.x() + (y - from.y()) * slope;
        };
        double y = top;
        double x = xAt(top);
        for (int row = static_cast<int>(std::floor(top)); y < bottom; ++row) {
            const double rowEnd = std::min(row + 1.0, bottom);
            const double nextX = rowEnd == to.y() ? to.x() : xAt(rowEnd);
            inRow(row, x, nextX, static_cast<float>(rowEnd - y) * direction);
            x = nextX;
            y = rowEnd;
        }
    }

    // Hands over the coverage of each row that has some, 0 to 255 per pixel,
    // from the first pixel a line reached to the last covered one, and
    // clears the sums.
    void take(bool evenOdd, const CoverageRowSink& sink) {
        std::vector<uchar>& run = RunStorage();
        run.resize(static_cast<std::size_t>(m_width));
        for (int row = m_firstRow; row < m_endRow; ++row) {
            const int first = extent(row).first;
            const int end = takeRow(row, evenOdd, run.data());
            if (end > first)
                sink(m_origin.y() + row, m_origin.x() + first, end - first, run.data() + first);
        }
        m_taken = true;
    }

private:
    // The cells of a row that lines have reached.
    struct Extent {
        int first = std::numeric_limits<int>::max();
        int last = -1;
    };

    static std::vector<float>& SumStorage() {
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

    std::size_t rowStride() const { return static_cast<std::size_t>(m_width + 2); }
    float* rowSums(int row) {
        return m_sums.data() + static_cast<std::size_t>(row - m_firstRow) * rowStride();
    }
    Extent& extent(int row) { return m_extents[static_cast<std::size_t>(row - m_firstRow)]; }

    // Writes a row's coverage into run from its first cell on and returns
    // where it ends, 0 for a row without any.
    int takeRow(int row, bool evenOdd, uchar* run) {
        Extent& reached = extent(row);
        if (reached.last < 0)
            return 0;
        float* sums = rowSums(row);
        float winding = 0;
        const int last = std::min(reached.last, m_width - 1);
        for (int x = reached.first; x <= last; ++x) {
            winding += sums[x];
            sums[x] = 0;
            run[x] = Level(winding, evenOdd);
        }
        sums[m_width] = sums[m_width + 1] = 0;
        reached = Extent{};
        // Right of the last line the winding stays as it is.
        const uchar beyond = Level(winding, evenOdd);
        if (beyond == 0)
            return last + 1;
        std::fill(run + last + 1, run + m_width, beyond);
        return m_width;
    }

    void touch(int row, int first, int last) {
        Extent& reached = extent(row);
        reached.first = std::min(reached.first, first);
        reached.last = std::max(reached.last, last);
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

    QPointF m_origin;
    int m_width;
    int m_firstRow;
    int m_endRow;
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

// Adds the outline of path, in target pixels, to sums; false when a point of
// it is not a number.
bool AddOutline(AreaSums& sums, const QPainterPath& path, const QTransform& toDevice) {
    QPointF start, current;
    auto close = [&] {
        if (current != start)
            sums.line(current, start);
    };
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        const QPointF p = toDevice.map(QPointF(e.x, e.y));
        if (!Finite(p))
            return false;
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
                return false;
            const QPainterPath::Element& c2 = path.elementAt(i + 1);
            const QPainterPath::Element& end = path.elementAt(i + 2);
            const QPointF q2 = toDevice.map(QPointF(c2.x, c2.y));
            const QPointF q3 = toDevice.map(QPointF(end.x, end.y));
            if (!Finite(q2) || !Finite(q3))
                return false;
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
    return true;
}

} // namespace

void ForEachCoveredRow(const QPainterPath& path, const QTransform& toDevice, const QRect& canvas,
                       const QRect& area, const CoverageRowSink& sink) {
    const QRectF reach = toDevice.mapRect(path.controlPointRect()).adjusted(-1, -1, 1, 1);
    if (!std::isfinite(reach.width()) || !std::isfinite(reach.height()))
        return;
    const QRectF within = reach & QRectF(canvas);
    if (within.isEmpty())
        return;
    const QRect box = within.toAlignedRect() & canvas;
    const QRect rows = box & area;
    if (rows.isEmpty())
        return;
    AreaSums sums(box, rows.top() - box.top(), rows.bottom() + 1 - box.top());
    if (AddOutline(sums, path, toDevice))
        sums.take(path.fillRule() == Qt::OddEvenFill, sink);
}

void AddAreaCoverage(QImage& coverage, const QPainterPath& path, const QTransform& toDevice,
                     const QRect& area) {
    uchar* const bits = coverage.bits();
    const qsizetype stride = coverage.bytesPerLine();
    const QRect drawn = area & coverage.rect();
    ForEachCoveredRow(path, toDevice, coverage.rect(), drawn,
                      [&](int y, int x, int count, const uchar* added) {
                          const int from = std::max(x, drawn.left());
                          const int to = std::min(x + count, drawn.right() + 1);
                          auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
                          for (int at = from; at < to; ++at) {
                              const int was = qAlpha(row[at]);
                              const int more = added[at - x];
                              row[at] = qRgba(0, 0, 0, was + ((255 - was) * more + 127) / 255);
                          }
                      });
}

} // namespace vidorama::swf
