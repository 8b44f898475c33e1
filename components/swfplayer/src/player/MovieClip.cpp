#include "player/MovieClip.h"

#include "player/FramePlan.h"
#include "text/TextDef.h"

#include <algorithm>
#include <variant>
#include <vector>

namespace vidorama::swf {

namespace {

bool IsClipKind(const CharacterDef& character) {
    return character.kind() == CharacterDef::Kind::Sprite;
}

bool SameName(std::string_view a, std::string_view b, bool caseSensitive) {
    if (a.size() != b.size())
        return false;
    if (caseSensitive)
        return a == b;
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace

MovieClip::MovieClip(std::shared_ptr<const SpriteDef> sprite, Depth depth, int nesting)
    : DisplayObject(sprite, depth), m_sprite(std::move(sprite)), m_nesting(nesting) {}

MovieClip::~MovieClip() {
    for (auto& [depth, child] : m_children)
        child->markRemoved();
}

void MovieClip::markRemoved() {
    DisplayObject::markRemoved();
    for (auto& [depth, child] : m_children)
        child->markRemoved();
}

void MovieClip::markRestored() {
    DisplayObject::markRestored();
    for (auto& [depth, child] : m_children)
        child->markRestored();
}

DisplayObject* MovieClip::childByName(std::string_view name, bool caseSensitive) const {
    for (const auto& [depth, child] : m_children)
        if (SameName(child->properties().name, name, caseSensitive))
            return child.get();
    return nullptr;
}

void MovieClip::enterFirstFrame(TimelineHost& host) {
    runFrame(host, 1);
}

void MovieClip::advance(TimelineHost& host) {
    if (!m_playing)
        return;
    if (m_currentFrame < totalFrames()) {
        runFrame(host, m_currentFrame + 1);
    } else if (totalFrames() > 1) {
        // Looping is a goto back to the first frame: what survives stays.
        runGoto(host, 1);
    }
}

void MovieClip::gotoFrame(TimelineHost& host, FrameNumber frame, bool play) {
    m_playing = play;
    auto events = frame > totalFrames() ? TargetFrameEvents::Skip : TargetFrameEvents::Run;
    frame = std::clamp<FrameNumber>(frame, 1, totalFrames());
    if (frame != m_currentFrame)
        runGoto(host, frame, events);
}

// The objects a frame removes leave while the playhead still shows the frame
// before, as the scripts they tell of their removal see it.
void MovieClip::runFrame(TimelineHost& host, FrameNumber frame) {
    FramePlan plan = PlanFrame(timeline().frame(frame),
                               [this](std::uint16_t depth) { return m_children.contains(depth); });
    for (std::uint16_t depth : plan.removals)
        removeByTimeline(host, depth);
    m_currentFrame = frame;
    for (const ControlTag* tag : plan.tags) {
        if (auto* placeTag = std::get_if<PlaceObject>(tag))
            place(host, *placeTag);
        else
            runFrameEvent(host, *tag);
    }
}

// What a frame does besides changing the display list: queue its actions and
// start its sounds. A goto does this for its target frame only.
void MovieClip::runFrameEvent(TimelineHost& host, const ControlTag& tag) {
    if (auto* action = std::get_if<DoAction>(&tag))
        host.queueActions(*this, action->code);
    else if (auto* init = std::get_if<DoInitAction>(&tag))
        host.queueInitActions(*this, *init);
    else if (auto* sound = std::get_if<StartSound>(&tag))
        host.startSound(*sound);
    else if (auto* block = std::get_if<StreamBlock>(&tag))
        host.streamBlock(*this, *block);
}

void MovieClip::place(TimelineHost& host, const PlaceObject& placeTag) {
    auto existing = m_children.find(placeTag.depth);
    if (placeTag.move) {
        if (existing == m_children.end())
            return;
        DisplayObject& child = *existing->second;
        if (placeTag.characterId && *placeTag.characterId != child.character().id())
            swapCharacter(host, child, *placeTag.characterId);
        child.applyPlacement(placeTag);
    } else if (existing != m_children.end() || !placeTag.characterId) {
        // Flash leaves an occupied depth alone when asked to place a new
        // object there without "move".
        host.placementRefused(placeTag.depth);
    } else {
        addChild(host, placeTag, m_currentFrame);
    }
}

bool MovieClip::addChild(TimelineHost& host, const PlaceObject& placeTag, FrameNumber placeFrame) {
    auto child = host.instantiate(*placeTag.characterId, placeTag.depth, *this);
    if (!child)
        return false;
    child->properties().apply(placeTag);
    if (child->properties().name.empty())
        child->properties().name = host.defaultInstanceName(*child);
    child->setPlaceFrame(placeFrame);
    child->setParent(this);
    child->setClipActions(placeTag.clipActions);
    m_children[placeTag.depth] = child;
    if (MovieClip* clip = child->asClip())
        host.startClip(*clip);
    return true;
}

// Static characters (shapes, morph shapes, bitmaps) change their definition
// in place. Flash leaves clips alone: a clip neither becomes another character
// nor replaces a static one that way, and the placement's other fields still
// apply.
void MovieClip::swapCharacter(TimelineHost& host, DisplayObject& child, CharacterId id) {
    auto character = host.character(id);
    if (character && !IsClipKind(child.character()) && !IsClipKind(*character))
        child.setCharacter(std::move(character));
}

void MovieClip::addScriptChild(std::shared_ptr<DisplayObject> child, Depth depth) {
    removeAt(depth);
    child->setDepth(depth);
    child->setParent(this);
    child->setCreatedByScript();
    m_children[depth] = std::move(child);
}

void MovieClip::removeChild(Depth depth) {
    removeAt(depth);
}

void MovieClip::swapChildDepths(Depth from, Depth to) {
    auto a = m_children.find(from);
    if (a == m_children.end() || from == to)
        return;
    std::shared_ptr<DisplayObject> moving = a->second;
    m_children.erase(a);
    auto b = m_children.find(to);
    if (b != m_children.end()) {
        b->second->setDepth(from);
        m_children[from] = b->second;
        m_children.erase(to);
    }
    // Flash stops managing an object a script has moved: the timeline no
    // longer places or removes it.
    moving->setCreatedByScript();
    moving->setDepth(to);
    m_children[to] = std::move(moving);
}

// The host hears of the removal first and may run scripts that change the
// list, so the child is looked up again before it goes.
void MovieClip::removeByTimeline(TimelineHost& host, Depth depth) {
    auto found = m_children.find(depth);
    if (found == m_children.end())
        return;
    std::shared_ptr<DisplayObject> child = found->second;
    host.timelineRemoving(*child);
    found = m_children.find(depth);
    if (found != m_children.end() && found->second == child)
        removeAt(depth);
}

void MovieClip::removeAt(Depth depth) {
    auto found = m_children.find(depth);
    if (found == m_children.end())
        return;
    found->second->markRemoved();
    m_children.erase(found);
}

} // namespace vidorama::swf
