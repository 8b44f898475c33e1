#pragma once

#include "avm1/Code.h"
#include "avm1/ScriptHost.h"
#include "avm2/HeapFigures.h"
#include "graphics/StageQuality.h"
#include "movie/Movie.h"
#include "player/MovieClip.h"
#include "player/PlayLimitLog.h"
#include "player/PlayerSound.h"
#include "player/TimelineHost.h"
#include "video/VideoPlayback.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vidorama::swf {

class Renderer;
namespace avm1 {
class Vm;
}
namespace avm2 {
class MovieScripts;
}

// One playback of a movie: the stage, the root clip and its display tree, and
// the actions waiting to run. The player never reads a clock: its driver calls
// advanceFrame() once per frame interval (the real-time control) or as fast as
// it likes (tests, the converter), and render() whenever it wants a picture.
class Player final : private TimelineHost, private avm1::ScriptHost {
public:
    // Receives every line the movie's scripts trace().
    using TraceHandler = std::function<void(const std::string&)>;

    // Loads the movie onto the stage and runs its first frame, so that a new
    // player shows frame 1. The quality is the host's; the movie's scripts
    // may change it from their first frame on.
    explicit Player(std::shared_ptr<const Movie> movie, TraceHandler trace = {},
                    StageQuality quality = StageQuality::High);
    ~Player() override;

    const Movie& movie() const { return *m_movie; }
    MovieClip& root() { return *m_root; }
    const MovieClip& root() const { return *m_root; }

    // One frame interval: every clip runs its enterFrame events and steps its
    // timeline (newest clips first, as Flash orders them), then the queued
    // actions run.
    void advanceFrame();

    // The root timeline, as the host controls it. Frames are 1-based.
    FrameNumber currentFrame() const { return m_root->currentFrame(); }
    FrameNumber totalFrames() const { return m_root->totalFrames(); }
    bool playing() const { return m_root->playing(); }
    void play() { m_root->play(); }
    // Stops the root timeline, and with it the root's stream sound; event
    // sounds play on, as in Flash.
    void stop();
    void gotoFrame(FrameNumber frame, bool play);
    // When false the root stops on its last frame instead of going back to
    // the first. Clips inside always loop.
    void setLooping(bool loop) { m_looping = loop; }
    bool looping() const { return m_looping; }

    // How the stage is drawn: the host's quality until the movie asks for
    // another.
    StageQuality quality() const override { return m_quality; }
    void setQuality(StageQuality quality) override { m_quality = quality; }

    // Describes the current frame to a renderer; view maps stage twips to the
    // target's pixels.
    void render(Renderer& renderer, const Matrix& view) const;

    // Mixes the next sampleFrames frames of 44,100 Hz stereo sound, interleaved
    // 16-bit, into out (out.size() == 2 * sampleFrames); silence where nothing plays.
    // After each advanceFrame() the driver pulls exactly the sample frames of that
    // frame, floor((k+1)*44100/fps) - floor(k*44100/fps) for frame k.
    void mixAudio(std::span<std::int16_t> out) { m_sound.mix(out); }
    // True while some sound has samples to play.
    bool soundPlaying() const { return m_sound.sounding(); }
    // True while a stream sound plays, which the picture then follows.
    bool streamPlaying() const { return m_sound.streaming(); }

    // Script instructions run so far, and how many the whole playback may
    // run before its scripts stop for good (a converter's cap on script
    // time for the length of its output); unlimited unless set.
    std::uint64_t scriptStepsRun() const;
    void setScriptStepAllowance(std::uint64_t steps);

    // Every line a script traces, whichever interpreter runs it, goes out
    // here as Flash's log shows it: a carriage return breaks the line.
    void trace(const std::string& text) override;

    // The limits this playback has reached so far, and so cut short.
    const PlayLimitLog& limitsReached() const { return m_limits; }
    // What the movie's ActionScript 3 reached that the player does not have
    // yet (classes, methods), once each; empty for other movies.
    std::vector<std::string> scriptFeaturesMissing() const;
    // The ActionScript 3 heap's figures; zeros for other movies.
    avm2::HeapFigures scriptHeap() const;

private:
    // A block of code to run on a clip, or (with a method name) a call of
    // one of its script methods, such as onEnterFrame.
    struct QueuedActions {
        std::weak_ptr<DisplayObject> clip;
        avm1::Code code;
        const char* method = nullptr;
        // An unload handler runs once its clip has left the stage, and so
        // keeps the clip until then.
        std::shared_ptr<DisplayObject> unloading = nullptr;
    };

    // Dictionary look-up; bitmaps come back as the shapes that draw them.
    std::shared_ptr<const CharacterDef> character(CharacterId id) override;
    std::shared_ptr<DisplayObject> instantiate(CharacterId id, Depth depth,
                                               const MovieClip& parent) override;
    std::string defaultInstanceName(const DisplayObject& object) override;
    // Bitmaps placed by themselves are drawn as shapes made once per bitmap.
    std::shared_ptr<const CharacterDef>
    bitmapShape(const std::shared_ptr<const CharacterDef>& bitmap);
    void queueActions(MovieClip& clip, std::span<const std::uint8_t> code) override;
    void queueInitActions(MovieClip& clip, const DoInitAction& actions) override;
    void startClip(MovieClip& clip) override;
    void queueClipEvent(MovieClip& clip, std::uint32_t event);
    void queueClipEvent(MovieClip& clip, std::uint32_t event, std::deque<QueuedActions>& queue);
    void queueEnterFrame(MovieClip& clip);
    void queueUnload(MovieClip& clip);
    bool scriptsRun() const { return !m_movie->isActionScript3(); }

    // What scripts ask of the player.
    TimelineHost& timelineHost() override { return *this; }
    MovieClip& rootClip() override { return *m_root; }
    double timerMs() const override;
    std::shared_ptr<const BitmapDef> libraryBitmap(CharacterId id) const override;
    std::optional<CharacterId> exportedCharacter(const std::string& name) const override {
        return m_movie->exported(name);
    }
    std::shared_ptr<DisplayObject> emptyClip(Depth depth, const MovieClip& parent) override;
    std::shared_ptr<DisplayObject> textField(Depth depth, const MovieClip& parent,
                                             const Rect& bounds) override;
    PlayerSound& sounds() override { return m_sound; }
    double stageWidth() const override { return m_movie->frameRect().width() / kTwipsPerPixel; }
    double stageHeight() const override { return m_movie->frameRect().height() / kTwipsPerPixel; }
    bool reserveInstance(const MovieClip& parent, bool clip);
    bool spendGotoFrames(FrameNumber frames) override;
    // Every frame step (an advance or a goto by the host) starts with fresh
    // budgets and the display tree's size, so that the objects it adds stay
    // within the limits.
    void beginStep();
    void startSound(const StartSound& sound) override { m_sound.startSound(sound); }
    void streamBlock(MovieClip& clip, const StreamBlock& block) override {
        m_sound.streamBlock(clip, block);
    }
    void stopStream(const MovieClip& clip) override { m_sound.stopStream(clip); }
    void stopAllSounds() override { m_sound.stopAll(); }
    void timelineRemoving(DisplayObject& child) override;
    void placementRefused(std::uint16_t depth) override;
    void runFrameScripts();
    void runActionQueue();
    // Every clip of the display tree, newest first.
    std::vector<std::weak_ptr<DisplayObject>> clipsInRunOrder() const;

    std::shared_ptr<const Movie> m_movie;
    // Drawing, which is const, reports here too.
    mutable PlayLimitLog m_limits;
    // Before the root, so that the sounds outlive the clips that own streams.
    PlayerSound m_sound;
    std::shared_ptr<MovieClip> m_root;
    std::unique_ptr<avm1::Vm> m_vm;
    std::unique_ptr<avm2::MovieScripts> m_scripts3;
    // Init actions and initialize handlers run first, construct handlers
    // next, then everything else.
    std::deque<QueuedActions> m_initQueue;
    std::deque<QueuedActions> m_constructQueue;
    std::deque<QueuedActions> m_actionQueue;
    std::set<CharacterId> m_initActionsRun;
    std::shared_ptr<const SpriteDef> m_emptySprite;
    TraceHandler m_traceHandler;
    std::uint64_t m_framesPlayed = 0;
    std::map<CharacterId, std::shared_ptr<const CharacterDef>> m_bitmapShapes;
    std::shared_ptr<VideoDecoderBudget> m_videoDecoders = std::make_shared<VideoDecoderBudget>();
    // Creation order of clips; their serial numbers order the frame step.
    std::uint64_t m_nextSerial = 0;
    std::uint64_t m_instancesNamed = 0;
    std::size_t m_instancesThisStep = 0;
    std::size_t m_objectsBeforeStep = 0;
    std::uint64_t m_gotoFramesThisStep = 0;
    bool m_looping = true;
    StageQuality m_quality = StageQuality::High;
};

} // namespace vidorama::swf
