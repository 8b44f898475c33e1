#pragma once

#include "movie/Timeline.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vidorama::swf {

// How a clip enters a frame: Flash first takes away the objects the frame
// removes from the list the clip had, then moves its playhead, then applies
// the frame's other tags in order. A frame may place an object and remove it
// again, or remove one and place a new one at the same depth; only the net
// effect on each depth is kept, so a placement the frame itself takes back
// never creates anything.
struct FramePlan {
    // Depths whose objects from before the frame leave, in tag order.
    std::vector<std::uint16_t> removals;
    // The frame's placements that stand and its other tags, in tag order.
    std::vector<const ControlTag*> tags;
};

// occupied tells whether the clip has an object at a depth before the frame.
FramePlan PlanFrame(const Frame& frame, const std::function<bool(std::uint16_t)>& occupied);

} // namespace vidorama::swf
