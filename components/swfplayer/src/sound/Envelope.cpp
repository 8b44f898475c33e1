#include "sound/Envelope.h"

#include <algorithm>

namespace vidorama::swf {

namespace {
constexpr std::int32_t kFullLevel = 32768;

std::int32_t Level(std::uint16_t level) {
    return std::min<std::int32_t>(level, kFullLevel);
}

std::int32_t Between(std::int32_t from, std::int32_t to, std::uint64_t done, std::uint64_t span) {
    return from + static_cast<std::int32_t>((to - from) * static_cast<std::int64_t>(done) /
                                            static_cast<std::int64_t>(span));
}
} // namespace

Envelope::Envelope(std::vector<EnvelopePoint> points) : m_points(std::move(points)) {
    // Points out of order cannot be followed; Flash's tools never write them,
    // and sorting keeps the levels defined.
    std::stable_sort(m_points.begin(), m_points.end(),
                     [](const auto& a, const auto& b) { return a.pos44 < b.pos44; });
}

void Envelope::levelsAt(std::uint64_t position, std::int32_t& left, std::int32_t& right) {
    if (m_points.empty()) {
        left = right = kFullLevel;
        return;
    }
    while (m_next < m_points.size() && m_points[m_next].pos44 <= position)
        ++m_next;
    if (m_next == 0 || m_next == m_points.size()) {
        const EnvelopePoint& point = m_points[m_next == 0 ? 0 : m_next - 1];
        left = Level(point.left);
        right = Level(point.right);
        return;
    }
    const EnvelopePoint& from = m_points[m_next - 1];
    const EnvelopePoint& to = m_points[m_next];
    std::uint64_t span = to.pos44 - from.pos44;
    std::uint64_t done = position - from.pos44;
    left = Between(Level(from.left), Level(to.left), done, span);
    right = Between(Level(from.right), Level(to.right), done, span);
}

} // namespace vidorama::swf
