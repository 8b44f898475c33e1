#include "player/MovieClip.h"

#include <algorithm>
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
};

// Flash stores a timeline as changes from frame to frame, so a goto folds the
// changes of the frames it passes into one command per depth and then applies
// them, without creating objects that would not survive to the target frame.
// Going backward replays from the first frame; objects placed before the
// target frame stay on the list, keep their own state (a clip's playhead goes
// on) and only take the placement values again.
void MovieClip::runGoto(TimelineHost& host, FrameNumber target) {
    bool rewind = target < m_currentFrame;
    if (rewind) {
        for (auto it = m_children.begin(); it != m_children.end();) {
            if (it->second->placeFrame() > target) {
                it->second->markRemoved();
                it = m_children.erase(it);
            } else {
                ++it;
            }
        }
        m_currentFrame = 0;
    }
    std::vector<GotoCommand> commands;
    collectGotoCommands(target, rewind, commands);
    if (rewind) {
        // Survivors that the replay does not place again were put there by
        // other means; without a placement on the target frame they go.
        for (auto it = m_children.begin(); it != m_children.end();) {
            bool placed = std::any_of(commands.begin(), commands.end(), [&](const GotoCommand& c) {
                return c.place.depth == it->first;
            });
            if (!placed) {
                it->second->markRemoved();
                it = m_children.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Objects from earlier frames come first, then the target frame's own
    // actions, then the objects placed on the target frame: the order in
    // which a normal advance would have queued their actions.
    for (const GotoCommand& command : commands)
        if (command.frame < target)
            applyGotoCommand(host, command, rewind);
    for (const ControlTag& tag : timeline().frame(target).tags)
        if (auto* action = std::get_if<DoAction>(&tag))
            host.queueActions(*this, action->actions);
    for (const GotoCommand& command : commands)
        if (command.frame >= target)
            applyGotoCommand(host, command, rewind);
}

void MovieClip::collectGotoCommands(FrameNumber target, bool rewind,
                                    std::vector<GotoCommand>& commands) {
    while (m_currentFrame < target) {
        ++m_currentFrame;
        for (const ControlTag& tag : timeline().frame(m_currentFrame).tags) {
            if (auto* placeTag = std::get_if<PlaceObject>(&tag)) {
                auto found = std::find_if(commands.begin(), commands.end(), [&](const auto& c) {
                    return c.place.depth == placeTag->depth;
                });
                if (found == commands.end()) {
                    commands.push_back({*placeTag, m_currentFrame, !placeTag->move});
                } else if (!placeTag->move && placeTag->characterId) {
                    // A new object over a pending one: the later placement wins.
                    *found = {*placeTag, m_currentFrame, true};
                } else {
                    found->place.mergeFrom(*placeTag);
                }
            } else if (auto* remove = std::get_if<RemoveObject>(&tag)) {
                std::erase_if(commands,
                              [&](const auto& c) { return c.place.depth == remove->depth; });
                if (!rewind)
                    removeAt(remove->depth);
            }
        }
    }
}

void MovieClip::applyGotoCommand(TimelineHost& host, const GotoCommand& command, bool rewind) {
    const PlaceObject& placeTag = command.place;
    auto existing = m_children.find(placeTag.depth);
    if (existing == m_children.end()) {
        if (command.fresh)
            addChild(host, placeTag, command.frame);
        return;
    }
    if (command.fresh && !rewind)
        return; // an occupied depth is left alone, as in a normal advance
    DisplayObject& child = *existing->second;
    if (placeTag.characterId && *placeTag.characterId != child.character().id()) {
        // A replay that places another clip than the survivor at its depth
        // makes a new one.
        if (rewind && command.fresh && (child.asClip() || IsSprite(host, *placeTag.characterId))) {
            removeAt(placeTag.depth);
            addChild(host, placeTag, command.frame);
            return;
        }
        swapCharacter(host, child, *placeTag.characterId);
    }
    if (command.fresh)
        child.properties() = DisplayProperties();
    child.properties().apply(placeTag);
}

bool MovieClip::IsSprite(TimelineHost& host, CharacterId id) {
    auto character = host.character(id);
    return character && character->kind() == CharacterDef::Kind::Sprite;
}

} // namespace vidorama::swf
