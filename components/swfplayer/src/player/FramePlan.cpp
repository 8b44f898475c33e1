#include "player/FramePlan.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <variant>

namespace vidorama::swf {

namespace {

// What the frame has done so far to each depth it touches.
class DepthLedger {
public:
    explicit DepthLedger(const std::function<bool(std::uint16_t)>& occupied)
        : m_occupied(occupied) {}

    void place(const PlaceObject& tag, std::size_t position) {
        m_placements[tag.depth].push_back(position);
        if (!tag.move && tag.characterId && !occupiedNow(tag.depth))
            m_placedHere.insert(tag.depth);
    }

    // Returns the positions of the placements the removal takes back.
    std::vector<std::size_t> remove(std::uint16_t depth, std::vector<std::uint16_t>& removals) {
        std::vector<std::size_t> cancelled;
        if (m_placedHere.erase(depth) == 0) {
            if (!m_occupied(depth) || m_removed.contains(depth))
                return cancelled;
            m_removed.insert(depth);
            removals.push_back(depth);
        }
        cancelled.swap(m_placements[depth]);
        return cancelled;
    }

private:
    bool occupiedNow(std::uint16_t depth) const {
        return m_placedHere.contains(depth) || (m_occupied(depth) && !m_removed.contains(depth));
    }

    const std::function<bool(std::uint16_t)>& m_occupied;
    std::unordered_map<std::uint16_t, std::vector<std::size_t>> m_placements;
    std::unordered_set<std::uint16_t> m_placedHere;
    std::unordered_set<std::uint16_t> m_removed;
};

} // namespace

FramePlan PlanFrame(const Frame& frame, const std::function<bool(std::uint16_t)>& occupied) {
    FramePlan plan;
    DepthLedger ledger(occupied);
    for (const ControlTag& tag : frame.tags) {
        if (auto* remove = std::get_if<RemoveObject>(&tag)) {
            for (std::size_t position : ledger.remove(remove->depth, plan.removals))
                plan.tags[position] = nullptr;
            continue;
        }
        if (auto* place = std::get_if<PlaceObject>(&tag))
            ledger.place(*place, plan.tags.size());
        plan.tags.push_back(&tag);
    }
    std::erase(plan.tags, nullptr);
    return plan;
}

} // namespace vidorama::swf
