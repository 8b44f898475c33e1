#pragma once

#include "movie/Movie.h"
#include "player/MovieClip.h"
#include "player/TimelineHost.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace vidorama::swf {

class Renderer;

// One playback of a movie: the stage, the root clip and its display tree, and
// the actions waiting to run. The player never reads a clock: its driver calls
// advanceFrame() once per frame interval (the real-time control) or as fast as
// it likes (tests, the converter), and render() whenever it wants a picture.
class Player final : private TimelineHost {
public:
    // Loads the movie onto the stage and runs its first frame, so that a new
    // player shows frame 1.
    explicit Player(std::shared_ptr<const Movie> movie);
    ~Player() override;

    const Movie& movie() const { return *m_movie; }
    MovieClip& root() { return *m_root; }
    const MovieClip& root() const { return *m_root; }

    // One frame interval: every playing clip steps its timeline (newest clips
    // first, as Flash orders them), then the queued actions run.
    void advanceFrame();

    // The root timeline, as the host controls it. Frames are 1-based.
    FrameNumber currentFrame() const { return m_root->currentFrame(); }
    FrameNumber totalFrames() const { return m_root->totalFrames(); }
    bool playing() const { return m_root->playing(); }
    void play() { m_root->play(); }
    void stop() { m_root->stop(); }
    void gotoFrame(FrameNumber frame, bool play);
    // When false the root stops on its last frame instead of going back to
    // the first. Clips inside always loop.
    void setLooping(bool loop) { m_looping = loop; }
    bool looping() const { return m_looping; }

    // Describes the current frame to a renderer; view maps stage twips to the
    // target's pixels.
    void render(Renderer& renderer, const Matrix& view) const;

private:
    struct QueuedActions {
        std::weak_ptr<DisplayObject> clip;
        std::shared_ptr<const ActionList> actions;
    };

    // Dictionary look-up; bitmaps come back as the shapes that draw them.
    std::shared_ptr<const CharacterDef> character(CharacterId id) override;
    std::shared_ptr<DisplayObject> instantiate(CharacterId id, std::uint16_t depth,
                                               const MovieClip& parent) override;
    // Bitmaps placed by themselves are drawn as shapes made once per bitmap.
    std::shared_ptr<const CharacterDef>
    bitmapShape(const std::shared_ptr<const CharacterDef>& bitmap);
    void queueActions(MovieClip& clip, std::shared_ptr<const ActionList> actions) override;
    void runActionQueue();
    // Every clip of the display tree, newest first.
    std::vector<std::weak_ptr<DisplayObject>> clipsInRunOrder() const;

    std::shared_ptr<const Movie> m_movie;
    std::shared_ptr<MovieClip> m_root;
    std::deque<QueuedActions> m_actionQueue;
    std::map<CharacterId, std::shared_ptr<const CharacterDef>> m_bitmapShapes;
    // Creation order of clips; their serial numbers order the frame step.
    std::uint64_t m_nextSerial = 0;
    std::size_t m_instancesThisStep = 0;
    bool m_looping = true;
};

} // namespace vidorama::swf
