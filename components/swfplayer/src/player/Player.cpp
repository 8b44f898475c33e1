#include "player/Player.h"

#include "avm1/ClipEvents.h"
#include "avm1/TextFieldBinding.h"
#include "avm1/Vm.h"
#include "avm2/MovieScripts.h"
#include "graphics/BitmapDef.h"
#include "graphics/ShapeDef.h"
#include "player/BitmapShape.h"
#include "player/DisplayTreeDrawer.h"
#include "player/VideoObject.h"
#include "swf/Limits.h"
#include "text/TextDef.h"
#include "text/TextFieldBuilder.h"

#include <algorithm>

namespace vidorama::swf {

namespace {

std::size_t CountDisplayObjects(const MovieClip& root) {
    std::size_t count = 1;
    std::vector<const MovieClip*> pending{&root};
    while (!pending.empty()) {
        const MovieClip* clip = pending.back();
        pending.pop_back();
        count += clip->children().size();
        for (const auto& [depth, child] : clip->children())
            if (const MovieClip* childClip = child->asClip())
                pending.push_back(childClip);
    }
    return count;
}
} // namespace

Player::Player(std::shared_ptr<const Movie> movie, TraceHandler trace, StageQuality quality)
    : m_movie(std::move(movie)), m_sound(*m_movie, m_limits), m_traceHandler(std::move(trace)),
      m_quality(quality) {
    m_root = std::make_shared<MovieClip>(m_movie->rootSprite(), 0, 0);
    m_root->setSerial(m_nextSerial++);
    m_vm = std::make_unique<avm1::Vm>(static_cast<avm1::ScriptHost&>(*this), m_movie->version());
    // Clips made by scripts have one empty frame, as Flash reports them.
    Timeline emptyTimeline;
    emptyTimeline.padTo(1);
    m_emptySprite = std::make_shared<const SpriteDef>(0, std::move(emptyTimeline));
    if (m_movie->isActionScript3())
        m_scripts3 =
            std::make_unique<avm2::MovieScripts>(*m_movie, static_cast<avm1::ScriptHost&>(*this));
    beginStep();
    m_root->enterFirstFrame(*this);
    if (m_scripts3)
        m_scripts3->start();
    runFrameScripts();
    m_sound.endSilencedStreams();
}

void Player::trace(const std::string& text) {
    if (!m_traceHandler)
        return;
    std::string line = text;
    std::replace(line.begin(), line.end(), '\r', '\n');
    m_traceHandler(line);
}

Player::~Player() = default;

// Flash's debugger prints this among the traces of ActionScript 1 and 2
// movies.
void Player::placementRefused(std::uint16_t depth) {
    if (!m_scripts3)
        trace("Warning: Failed to place object at depth " + std::to_string(depth) + ".");
}

void Player::advanceFrame() {
    beginStep();
    ++m_framesPlayed;
    if (!m_looping && m_root->currentFrame() >= m_root->totalFrames())
        m_root->stop();
    for (const auto& weak : clipsInRunOrder()) {
        auto object = weak.lock();
        if (!object || object->removed())
            continue;
        queueEnterFrame(*object->asClip());
        object->asClip()->advance(*this);
    }
    // ActionScript 3 hears enterFrame once the playheads have moved, before
    // what the frames placed is constructed.
    if (m_scripts3) {
        m_scripts3->enterFrame();
        m_scripts3->frameEntered();
    }
    if (scriptsRun())
        m_vm->runTimedEvents();
    runFrameScripts();
    m_sound.endSilencedStreams();
}

void Player::gotoFrame(FrameNumber frame, bool play) {
    beginStep();
    m_root->gotoFrame(*this, frame, play);
    if (m_scripts3)
        m_scripts3->frameEntered();
    runFrameScripts();
    m_sound.endSilencedStreams();
}

void Player::stop() {
    m_root->stop();
    m_sound.endSilencedStreams();
}

void Player::render(Renderer& renderer, const Matrix& view) const {
    DisplayTreeDrawer drawer(renderer, *m_movie, m_limits);
    drawer.draw(*m_root, view, m_quality);
}

std::shared_ptr<const CharacterDef> Player::character(CharacterId id) {
    auto definition = m_movie->character(id);
    if (definition && definition->kind() == CharacterDef::Kind::Bitmap)
        return bitmapShape(definition);
    return definition;
}

std::shared_ptr<const BitmapDef> Player::libraryBitmap(CharacterId id) const {
    auto definition = m_movie->character(id);
    if (!definition || definition->kind() != CharacterDef::Kind::Bitmap)
        return nullptr;
    return std::static_pointer_cast<const BitmapDef>(definition);
}

// Takes one instance from the step's budget; false when the tree is full.
bool Player::reserveInstance(const MovieClip& parent, bool clip) {
    if (m_instancesThisStep >= Limits::kMaxInstancesPerStep) {
        m_limits.reached(PlayLimit::InstancesPerStep);
        return false;
    }
    if (m_objectsBeforeStep + m_instancesThisStep >= Limits::kMaxDisplayObjects) {
        m_limits.reached(PlayLimit::DisplayObjects);
        return false;
    }
    if (clip && parent.nesting() + 1 > Limits::kMaxSpriteNesting) {
        m_limits.reached(PlayLimit::SpriteNesting);
        return false;
    }
    ++m_instancesThisStep;
    return true;
}

std::shared_ptr<DisplayObject> Player::emptyClip(Depth depth, const MovieClip& parent) {
    if (!reserveInstance(parent, true))
        return nullptr;
    auto clip = std::make_shared<MovieClip>(m_emptySprite, depth, parent.nesting() + 1);
    clip->setSerial(m_nextSerial++);
    return clip;
}

std::shared_ptr<DisplayObject> Player::textField(Depth depth, const MovieClip& parent,
                                                 const Rect& bounds) {
    if (!m_movie->scriptTextField() || !reserveInstance(parent, false))
        return nullptr;
    auto field = ChangeTextField(*m_movie->scriptTextField(),
                                 [&bounds](EditTextRecord& record) { record.bounds = bounds; });
    auto object = std::make_shared<DisplayObject>(std::move(field), depth);
    object->setSerial(m_nextSerial++);
    return object;
}

std::shared_ptr<DisplayObject> Player::instantiate(CharacterId id, Depth depth,
                                                   const MovieClip& parent) {
    auto definition = character(id);
    bool isSprite = definition && definition->kind() == CharacterDef::Kind::Sprite;
    if (!definition || !reserveInstance(parent, isSprite))
        return nullptr;
    std::shared_ptr<DisplayObject> object;
    if (isSprite) {
        auto sprite = std::static_pointer_cast<const SpriteDef>(definition);
        object = std::make_shared<MovieClip>(std::move(sprite), depth, parent.nesting() + 1);
    } else if (definition->kind() == CharacterDef::Kind::Video) {
        auto video = std::static_pointer_cast<const VideoDef>(definition);
        object = std::make_shared<VideoObject>(std::move(video), depth, m_videoDecoders);
    } else {
        object = std::make_shared<DisplayObject>(std::move(definition), depth);
    }
    object->setSerial(m_nextSerial++);
    return object;
}

// ActionScript 3 names every display object. Before it, Flash names the
// objects scripts can reach, clips, buttons and text fields; shapes and static
// text stay unnamed and take no number.
std::string Player::defaultInstanceName(const DisplayObject& object) {
    const CharacterDef& character = object.character();
    bool named = m_scripts3 || object.asClip() ||
                 (character.kind() == CharacterDef::Kind::Text &&
                  static_cast<const TextDef&>(character).data().field);
    if (!named)
        return {};
    return "instance" + std::to_string(++m_instancesNamed);
}

std::shared_ptr<const CharacterDef>
Player::bitmapShape(const std::shared_ptr<const CharacterDef>& bitmap) {
    auto& shape = m_bitmapShapes[bitmap->id()];
    if (!shape)
        shape = MakeBitmapShape(static_cast<const BitmapDef&>(*bitmap));
    return shape;
}

void Player::queueActions(MovieClip& clip, std::span<const std::uint8_t> code) {
    // Scripts of ActionScript 3 movies are not run; their timelines are.
    if (scriptsRun())
        m_actionQueue.push_back({clip.weak_from_this(), {code, nullptr}});
}

// Init actions run once per sprite, ahead of every other queued action.
void Player::queueInitActions(MovieClip& clip, const DoInitAction& actions) {
    if (scriptsRun() && m_initActionsRun.insert(actions.spriteId).second)
        m_initQueue.push_back({clip.weak_from_this(), {actions.code, nullptr}});
}

void Player::queueClipEvent(MovieClip& clip, std::uint32_t event) {
    queueClipEvent(clip, event, m_actionQueue);
}

void Player::queueClipEvent(MovieClip& clip, std::uint32_t event,
                            std::deque<QueuedActions>& queue) {
    if (!scriptsRun() || !clip.clipActions())
        return;
    for (avm1::Code& code : avm1::ClipEventHandlers(clip.clipActions(), m_movie->version(), event))
        queue.push_back({clip.weak_from_this(), std::move(code)});
}

// A clip's enterFrame handlers run before its timeline steps, and so before
// the actions of the frame it steps to.
void Player::queueEnterFrame(MovieClip& clip) {
    queueClipEvent(clip, avm1::kClipEventEnterFrame);
    if (scriptsRun() && clip.scriptObject())
        m_actionQueue.push_back({clip.weak_from_this(), {}, "onEnterFrame"});
}

// A new clip's initialize handlers, and after every new clip's, their
// construct handlers run before any frame's actions, so that they can set
// what the first frame reads. Its load handlers come next, then its first
// frame's actions, and then its children's, each load before frame.
void Player::startClip(MovieClip& clip) {
    queueClipEvent(clip, avm1::kClipEventInitialize, m_initQueue);
    queueClipEvent(clip, avm1::kClipEventConstruct, m_constructQueue);
    queueClipEvent(clip, avm1::kClipEventLoad);
    clip.enterFirstFrame(*this);
}

void Player::timelineRemoving(DisplayObject& child) {
    if (m_scripts3)
        m_scripts3->timelineRemoving(child);
    else if (MovieClip* clip = child.asClip())
        queueUnload(*clip);
}

// A clip that leaves the stage takes its children with it: theirs run
// first, then its unload clip events, then its onUnload method.
void Player::queueUnload(MovieClip& clip) {
    if (!scriptsRun())
        return;
    for (const auto& [depth, child] : clip.children())
        if (MovieClip* inner = child->asClip())
            queueUnload(*inner);
    if (clip.clipActions())
        for (avm1::Code& code : avm1::ClipEventHandlers(clip.clipActions(), m_movie->version(),
                                                        avm1::kClipEventUnload))
            m_actionQueue.push_back(
                {clip.weak_from_this(), std::move(code), nullptr, clip.shared_from_this()});
    if (clip.scriptObject())
        m_actionQueue.push_back({clip.weak_from_this(), {}, "onUnload", clip.shared_from_this()});
}

double Player::timerMs() const {
    double rate = m_movie->frameRate() > 0 ? m_movie->frameRate() : 12;
    return double(m_framesPlayed) * 1000.0 / rate;
}

std::uint64_t Player::scriptStepsRun() const {
    return m_vm->stepsRun();
}

void Player::setScriptStepAllowance(std::uint64_t steps) {
    m_vm->setStepAllowance(steps);
}

std::vector<std::string> Player::scriptFeaturesMissing() const {
    if (!m_scripts3)
        return {};
    return {m_scripts3->missing().begin(), m_scripts3->missing().end()};
}

avm2::HeapFigures Player::scriptHeap() const {
    return m_scripts3 ? m_scripts3->heapFigures() : avm2::HeapFigures{};
}

void Player::beginStep() {
    m_instancesThisStep = 0;
    m_gotoFramesThisStep = 0;
    m_vm->beginFrame();
    if (m_scripts3)
        m_scripts3->beginFrame();
    m_objectsBeforeStep = CountDisplayObjects(*m_root);
}

bool Player::spendGotoFrames(FrameNumber frames) {
    if (m_gotoFramesThisStep + frames > Limits::kMaxGotoFramesPerFrame) {
        m_limits.reached(PlayLimit::GotoFrames);
        return false;
    }
    m_gotoFramesThisStep += frames;
    return true;
}

// Text fields bound to variables are bound as they are placed, before the
// frame's scripts, and show what the scripts left in them after.
void Player::runFrameScripts() {
    if (scriptsRun())
        avm1::SyncBoundTextFields(*m_vm, *m_root);
    runActionQueue();
    if (scriptsRun())
        avm1::SyncBoundTextFields(*m_vm, *m_root);
}

void Player::runActionQueue() {
    // Actions can queue more actions (a goto enters frames); the limit keeps
    // two clips that send each other to action frames from looping forever.
    // The script budgets bound the work inside each block.
    std::size_t blocks = 0;
    auto pending = [this] {
        return !m_initQueue.empty() || !m_constructQueue.empty() || !m_actionQueue.empty();
    };
    while (pending() && blocks++ < Limits::kMaxActionsPerFrame && !m_vm->frameCut()) {
        auto& queue = !m_initQueue.empty()        ? m_initQueue
                      : !m_constructQueue.empty() ? m_constructQueue
                                                  : m_actionQueue;
        QueuedActions next = std::move(queue.front());
        queue.pop_front();
        auto object = next.clip.lock();
        if (!object || (object->removed() && !next.unloading))
            continue;
        auto removed = next.unloading ? avm1::Vm::OnRemoved::Run : avm1::Vm::OnRemoved::Skip;
        if (next.method)
            m_vm->callClipMethod(*object->asClip(), next.method, removed);
        else
            m_vm->runBlock(*object->asClip(), next.code, removed);
        m_vm->collectIfDue();
    }
    if (m_vm->stopped() == avm1::Vm::Stop::Time)
        m_limits.reached(PlayLimit::ScriptTime);
    else if (m_vm->stopped() == avm1::Vm::Stop::Memory || (m_scripts3 && m_scripts3->memoryCut()))
        m_limits.reached(PlayLimit::ScriptMemory);
    else if (pending() || m_vm->frameCut() || (m_scripts3 && m_scripts3->frameCut()))
        m_limits.reached(PlayLimit::ScriptWork);
    m_initQueue.clear();
    m_constructQueue.clear();
    m_actionQueue.clear();
}

std::vector<std::weak_ptr<DisplayObject>> Player::clipsInRunOrder() const {
    std::vector<std::shared_ptr<DisplayObject>> clips;
    std::vector<const MovieClip*> pending{m_root.get()};
    clips.push_back(m_root);
    while (!pending.empty()) {
        const MovieClip* clip = pending.back();
        pending.pop_back();
        for (const auto& [depth, child] : clip->children()) {
            if (const MovieClip* childClip = child->asClip()) {
                clips.push_back(child);
                pending.push_back(childClip);
            }
        }
    }
    std::sort(clips.begin(), clips.end(),
              [](const auto& a, const auto& b) { return a->serial() > b->serial(); });
    return {clips.begin(), clips.end()};
}

} // namespace vidorama::swf
