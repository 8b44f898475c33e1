#pragma once

#include "graphics/Effects.h"

#include <QImage>
#include <QMargins>
#include <QRect>
#include <cstdint>
#include <vector>

namespace vidorama::swf {

// How far a filter can carry pixels beyond the area it is given, in target
// pixels (a drop shadow reaches its blur plus its distance).
QMargins FilterReach(const Filter& filter);

// Filter work left for the frame being drawn (Limits::kMaxFilterWorkPerFrame),
// and for every frame drawn so far when the caller sets a total allowance.
class FilterBudget {
public:
    // Starts a frame's budget; the total spent carries on.
    void reset();
    // Work every frame together may spend, counted from the first frame.
    void setTotalAllowance(std::uint64_t work) { m_allowance = work; }
    // Takes `work` from the budget; false when it does not fit, and the
    // filter is then not run.
    bool spend(std::uint64_t work);
    // True once a filter was left out because the total allowance was spent.
    bool allowanceRanOut() const { return m_allowanceRanOut; }

private:
    std::uint64_t m_spent = 0;
    std::uint64_t m_total = 0;
    std::uint64_t m_allowance = UINT64_MAX;
    bool m_allowanceRanOut = false;
};

// Runs a layer's filters in order over the area drawn into it (a premultiplied
// ARGB32 layer, transparent outside that area). Returns the area the result
// covers: the drawn area grown by the filters' reach, within the layer.
QRect ApplyFilters(QImage& layer, QRect drawn, const std::vector<Filter>& filters,
                   FilterBudget& budget);

} // namespace vidorama::swf
