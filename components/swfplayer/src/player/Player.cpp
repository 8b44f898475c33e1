#include "player/Player.h"

#include "graphics/BitmapDef.h"
#include "graphics/ShapeDef.h"
#include "player/ActionRunner.h"
#include "player/BitmapShape.h"
#include "player/DisplayTreeDrawer.h"
#include "player/VideoObject.h"
#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf {

namespace {
// Names of instances are compared without regard to case before SWF 7.
constexpr std::uint8_t kFirstCaseSensitiveVersion = 7;

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

Player::Player(std::shared_ptr<const Movie> movie) : m_movie(std::move(movie)), m_sound(*m_movie) {
    m_root = std::make_shared<MovieClip>(m_movie->rootSprite(), 0, 0);
    m_root->setSerial(m_nextSerial++);
    beginStep();
    m_root->enterFirstFrame(*this);
    runActionQueue();
    m_sound.endSilencedStreams();
}

Player::~Player() = default;

void Player::advanceFrame() {
    beginStep();
    if (!m_looping && m_root->currentFrame() >= m_root->totalFrames())
        m_root->stop();
    for (const auto& weak : clipsInRunOrder()) {
        auto object = weak.lock();
        if (object && !object->removed())
            object->asClip()->advance(*this);
    }
    runActionQueue();
    m_sound.endSilencedStreams();
}

void Player::gotoFrame(FrameNumber frame, bool play) {
    beginStep();
    m_root->gotoFrame(*this, frame, play);
    runActionQueue();
    m_sound.endSilencedStreams();
}

void Player::stop() {
    m_root->stop();
    m_sound.endSilencedStreams();
}

void Player::render(Renderer& renderer, const Matrix& view) const {
    DisplayTreeDrawer drawer(renderer, *m_movie);
    drawer.draw(*m_root, view);
}

std::shared_ptr<const CharacterDef> Player::character(CharacterId id) {
    auto definition = m_movie->character(id);
    if (definition && definition->kind() == CharacterDef::Kind::Bitmap)
        return bitmapShape(definition);
    return definition;
}

std::shared_ptr<DisplayObject> Player::instantiate(CharacterId id, std::uint16_t depth,
                                                   const MovieClip& parent) {
    auto definition = character(id);
    if (!definition || m_instancesThisStep >= Limits::kMaxInstancesPerStep ||
        m_objectsBeforeStep + m_instancesThisStep >= Limits::kMaxDisplayObjects)
        return nullptr;
    std::shared_ptr<DisplayObject> object;
    if (definition->kind() == CharacterDef::Kind::Sprite) {
        if (parent.nesting() + 1 > Limits::kMaxSpriteNesting)
            return nullptr;
        auto sprite = std::static_pointer_cast<const SpriteDef>(definition);
        object = std::make_shared<MovieClip>(std::move(sprite), depth, parent.nesting() + 1);
    } else if (definition->kind() == CharacterDef::Kind::Video) {
        auto video = std::static_pointer_cast<const VideoDef>(definition);
        object = std::make_shared<VideoObject>(std::move(video), depth, m_videoDecoders);
    } else {
        object = std::make_shared<DisplayObject>(std::move(definition), depth);
    }
    object->setSerial(m_nextSerial++);
    ++m_instancesThisStep;
    return object;
}

std::shared_ptr<const CharacterDef>
Player::bitmapShape(const std::shared_ptr<const CharacterDef>& bitmap) {
    auto& shape = m_bitmapShapes[bitmap->id()];
    if (!shape)
        shape = MakeBitmapShape(static_cast<const BitmapDef&>(*bitmap));
    return shape;
}

void Player::queueActions(MovieClip& clip, std::shared_ptr<const ActionList> actions) {
    // Scripts of ActionScript 3 movies are not run; their timelines are.
    if (!m_movie->isActionScript3())
        m_actionQueue.push_back({clip.weak_from_this(), std::move(actions)});
}

void Player::beginStep() {
    m_instancesThisStep = 0;
    m_gotoFramesThisStep = 0;
    m_objectsBeforeStep = CountDisplayObjects(*m_root);
}

bool Player::spendGotoFrames(FrameNumber frames) {
    if (m_gotoFramesThisStep + frames > Limits::kMaxGotoFramesPerFrame)
        return false;
    m_gotoFramesThisStep += frames;
    return true;
}

void Player::runActionQueue() {
    ActionRunner runner(*this, m_movie->version() >= kFirstCaseSensitiveVersion);
    // Actions can queue more actions (a goto enters frames); the limit keeps
    // two clips that send each other to action frames from looping forever.
    // It counts actions rather than blocks, as one block may hold thousands.
    std::size_t actions = 0;
    while (!m_actionQueue.empty() && actions < Limits::kMaxActionsPerFrame) {
        QueuedActions next = std::move(m_actionQueue.front());
        m_actionQueue.pop_front();
        actions += std::max<std::size_t>(next.actions->size(), 1);
        auto object = next.clip.lock();
        if (object && !object->removed())
            runner.run(*object->asClip(), *next.actions);
    }
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
