#include "graphics/FilterRunner.h"

#include "graphics/BoxBlur.h"
#include "graphics/ColorFilters.h"
#include "graphics/ShadowFilters.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cstdlib>

namespace vidorama::swf {

namespace {

QMargins BlurMargins(const BlurFilter& blur) {
    BlurReach reach = ReachOf(blur);
    return QMargins(reach.x, reach.y, reach.x, reach.y);
}

// A blurred silhouette moved by the offset reaches that much further on the
// side it moves to.
QMargins ShiftedMargins(const BlurFilter& blur, QPoint offset) {
    QMargins m = BlurMargins(blur);
    return m + QMargins(std::max(0, -offset.x()), std::max(0, -offset.y()), std::max(0, offset.x()),
                        std::max(0, offset.y()));
}

// A bevel compares the silhouette shifted both ways.
QMargins BothWaysMargins(const BlurFilter& blur, QPoint offset) {
    int dx = std::abs(offset.x()), dy = std::abs(offset.y());
    return BlurMargins(blur) + QMargins(dx, dy, dx, dy);
}

struct ReachOfFilter {
    QMargins operator()(const BlurFilter& f) const { return BlurMargins(f); }
    QMargins operator()(const ShadowFilter& f) const {
        // An inner shadow only ever covers the object.
        return f.inner ? QMargins() : ShiftedMargins(f.blur, FilterOffset(f.angle, f.distance));
    }
    QMargins operator()(const BevelFilter& f) const {
        return f.inner && !f.onTop ? QMargins()
                                   : BothWaysMargins(f.blur, FilterOffset(f.angle, f.distance));
    }
    QMargins operator()(const GradientFilter& f) const {
        if (f.inner && !f.onTop)
            return QMargins();
        QPoint offset = FilterOffset(f.angle, f.distance);
        return f.kind == GradientFilter::Kind::Bevel ? BothWaysMargins(f.blur, offset)
                                                     : ShiftedMargins(f.blur, offset);
    }
    QMargins operator()(const ColorMatrixFilter&) const { return QMargins(); }
    QMargins operator()(const ConvolutionFilter&) const { return QMargins(); }
};

std::uint64_t BlurWork(const BlurFilter& blur, int channels) {
    return 2ull * static_cast<std::uint64_t>(std::clamp(blur.passes, 0, Limits::kMaxBlurPasses)) *
           static_cast<std::uint64_t>(channels);
}

// Work per pixel of the area a filter runs over.
struct WorkOfFilter {
    std::uint64_t operator()(const BlurFilter& f) const { return BlurWork(f, 4); }
    std::uint64_t operator()(const ShadowFilter& f) const { return BlurWork(f.blur, 1) + 1; }
    std::uint64_t operator()(const BevelFilter& f) const { return BlurWork(f.blur, 1) + 1; }
    std::uint64_t operator()(const GradientFilter& f) const { return BlurWork(f.blur, 1) + 1; }
    std::uint64_t operator()(const ColorMatrixFilter&) const { return 1; }
    std::uint64_t operator()(const ConvolutionFilter& f) const {
        return 1 + static_cast<std::uint64_t>(f.weights.size());
    }
};

struct RunFilter {
    QImage& layer;
    QRect area;

    void operator()(const BlurFilter& f) const {
        uchar* origin = layer.bits() + static_cast<qsizetype>(area.top()) * layer.bytesPerLine() +
                        static_cast<qsizetype>(area.left()) * 4;
        BoxBlur(origin, area.width(), area.height(), static_cast<int>(layer.bytesPerLine()), 4, f);
    }
    void operator()(const ShadowFilter& f) const { ApplyShadow(layer, area, f); }
    void operator()(const BevelFilter& f) const { ApplyBevel(layer, area, f); }
    void operator()(const GradientFilter& f) const { ApplyGradientFilter(layer, area, f); }
    void operator()(const ColorMatrixFilter& f) const { ApplyColorMatrix(layer, area, f); }
    void operator()(const ConvolutionFilter& f) const { ApplyConvolution(layer, area, f); }
};

} // namespace

QMargins FilterReach(const Filter& filter) {
    return std::visit(ReachOfFilter{}, filter);
}

void FilterBudget::reset() {
    m_spent = 0;
}

bool FilterBudget::spend(std::uint64_t work) {
    if (work > Limits::kMaxFilterWorkPerFrame - m_spent)
        return false;
    if (m_allowanceRanOut || work > m_allowance - m_total) {
        m_allowanceRanOut = true;
        return false;
    }
    m_spent += work;
    m_total += work;
    return true;
}

QRect ApplyFilters(QImage& layer, QRect drawn, const std::vector<Filter>& filters,
                   FilterBudget& budget) {
    QRect area = drawn & layer.rect();
    for (const Filter& filter : filters) {
        if (area.isEmpty())
            break;
        QRect grown = area.marginsAdded(FilterReach(filter)) & layer.rect();
        auto pixels = static_cast<std::uint64_t>(grown.width()) * grown.height();
        if (!budget.spend(pixels * std::visit(WorkOfFilter{}, filter)))
            continue;
        std::visit(RunFilter{layer, grown}, filter);
        area = grown;
    }
    return area;
}

} // namespace vidorama::swf
