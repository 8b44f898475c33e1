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

// Filter work left for the frame being drawn (Limits::kMaxFilterWorkPerFrame).
class FilterBudget {
public:
    void reset();
    // Takes `work` from the budget; false when it does not fit, and the
    // filter is then not run.
    bool spend(std::uint64_t work);

private:
    std::uint64_t m_spent = 0;
};

// Runs a layer's filters in order over the area drawn into it (a premultiplied
// ARGB32 layer, transparent outside that area). Returns the area the result
// covers: the drawn area grown by the filters' reach, within the layer.
QRect ApplyFilters(QImage& layer, QRect drawn, const std::vector<Filter>& filters,
                   FilterBudget& budget);

} // namespace vidorama::swf
