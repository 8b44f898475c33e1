#include "player/MovieClip.h"

#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

namespace vidorama::swf {

// One depth's placements folded over the frames a goto passes through.
struct GotoCommand {
    PlaceObject place;
    // The frame of the placement that created the object.
    FrameNumber frame = 0;
    // A new placement rather than a change to an object already there.
    bool fresh = false;
    // A later RemoveObject took the depth away.
    bool dropped = false;
};

// Flash stores a timeline as changes from frame to frame, so a goto folds the
// changes of the frames it passes into one command per depth and then applies
// them, without creating objects that would not survive to the target frame.
// Going backward replays from the first frame; objects placed before the
// target frame stay on the list, keep their own state (a clip's playhead goes
// on) and only take the placement values again. The clip's stream sound stops
// and starts again from the target frame's block, if it has one.
void MovieClip::runGoto(TimelineHost& host, FrameNumber target, TargetFrameEvents events) {
    bool rewind = target < m_currentFrame;
    if (!host.spendGotoFrames(rewind ? target : target - m_currentFrame))
        return;
    host.stopStream(*this);
    if (rewind) {
        // Scripts told of these removals already see the frame the goto
        // reaches.
        m_currentFrame = target;
        std::vector<Depth> later;
        for (const auto& [depth, child] : m_children)
            if (child->placeFrame() > target && !child->createdByScript())
                later.push_back(depth);
        for (Depth depth : later)
            removeByTimeline(host, depth);
        m_currentFrame = 0;
    }
    std::vector<GotoCommand> commands;
    collectGotoCommands(host, target, rewind, commands);
    if (rewind) {
        // Survivors that the replay does not place again were put there by
        // other means; without a placement on the target frame they go.
        std::unordered_set<Depth> replayed;
        for (const GotoCommand& command : commands)
            replayed.insert(command.place.depth);
        std::vector<Depth> unplaced;
        for (const auto& [depth, child] : m_children)
            if (!replayed.contains(depth) && !child->createdByScript())
                unplaced.push_back(depth);
        for (Depth depth : unplaced)
            removeByTimeline(host, depth);
    }
    // Objects from earlier frames come first, then the target frame's own
    // actions and sounds, then the objects placed on the target frame: the
    // order in which a normal advance would have queued their actions.
    for (const GotoCommand& command : commands)
        if (command.frame < target)
            applyGotoCommand(host, command, rewind);
    if (events == TargetFrameEvents::Run)
        for (const ControlTag& tag : timeline().frame(target).tags)
            runFrameEvent(host, tag);
    for (const GotoCommand& command : commands)
        if (command.frame >= target)
            applyGotoCommand(host, command, rewind);
}

void MovieClip::collectGotoCommands(TimelineHost& host, FrameNumber target, bool rewind,
                                    std::vector<GotoCommand>& commands) {
    // Where each depth's pending command is: a timeline may place thousands
    // of objects, and a search of the list for each would take their square.
    std::unordered_map<std::uint16_t, std::size_t> pending;
    while (m_currentFrame < target) {
        ++m_currentFrame;
        for (const ControlTag& tag : timeline().frame(m_currentFrame).tags) {
            if (auto* placeTag = std::get_if<PlaceObject>(&tag)) {
                if (!placeTag->move && !placeTag->characterId) {
                    if (!rewind)
                        host.placementRefused(placeTag->depth);
                    continue;
                }
                auto [found, added] = pending.try_emplace(placeTag->depth, commands.size());
                if (added) {
                    commands.push_back({*placeTag, m_currentFrame, !placeTag->move});
                } else if (!placeTag->move) {
                    // A new object over a pending one: the first stays, as
                    // in a normal advance.
                    if (!rewind)
                        host.placementRefused(placeTag->depth);
                } else {
                    commands[found->second].place.mergeFrom(*placeTag);
                }
            } else if (auto* remove = std::get_if<RemoveObject>(&tag)) {
                if (auto found = pending.find(remove->depth); found != pending.end()) {
                    commands[found->second].dropped = true;
                    pending.erase(found);
                }
                if (!rewind)
                    removeByTimeline(host, remove->depth);
            }
        }
    }
    std::erase_if(commands, [](const GotoCommand& command) { return command.dropped; });
}

void MovieClip::applyGotoCommand(TimelineHost& host, const GotoCommand& command, bool rewind) {
    const PlaceObject& placeTag = command.place;
    auto existing = m_children.find(placeTag.depth);
    if (existing == m_children.end()) {
        if (command.fresh)
            addChild(host, placeTag, command.frame);
        return;
    }
    if (command.fresh && !rewind) {
        host.placementRefused(placeTag.depth);
        return;
    }
    DisplayObject& child = *existing->second;
    if (placeTag.characterId && *placeTag.characterId != child.character().id()) {
        // A replay that places another clip than the survivor at its depth
        // makes a new one.
        if (rewind && command.fresh && (child.asClip() || IsSprite(host, *placeTag.characterId))) {
            removeByTimeline(host, placeTag.depth);
            addChild(host, placeTag, command.frame);
            return;
        }
        swapCharacter(host, child, *placeTag.characterId);
    }
    if (command.fresh)
        child.resetPlacement(placeTag);
    else
        child.applyPlacement(placeTag);
}

bool MovieClip::IsSprite(TimelineHost& host, CharacterId id) {
    auto character = host.character(id);
    return character && character->kind() == CharacterDef::Kind::Sprite;
}

} // namespace vidorama::swf
