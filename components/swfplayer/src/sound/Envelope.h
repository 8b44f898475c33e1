#pragma once

#include "sound/SoundTags.h"

#include <cstdint>
#include <vector>

namespace vidorama::swf {

// The volume envelope of a playing event sound. Positions only grow, so the
// envelope keeps its place among the points instead of searching each time.
class Envelope {
public:
    explicit Envelope(std::vector<EnvelopePoint> points);

    bool empty() const { return m_points.empty(); }
    // Left and right levels (0..32768) at the given 44.1 kHz sample position;
    // before the first point its level holds, after the last point the last.
    void levelsAt(std::uint64_t position, std::int32_t& left, std::int32_t& right);

private:
    std::vector<EnvelopePoint> m_points;
    std::size_t m_next = 0;
};

} // namespace vidorama::swf
