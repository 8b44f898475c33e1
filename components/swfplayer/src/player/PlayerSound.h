#pragma once

#include "movie/Timeline.h"
#include "player/PlayLimitLog.h"
#include "sound/SoundLibrary.h"
#include "sound/SoundMixer.h"
#include "sound/SoundTags.h"
#include "sound/StreamDecoder.h"
#include "sound/StreamVoice.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>

namespace vidorama::swf {

class DisplayObject;
class Movie;
class MovieClip;

// The sound of one playback: event sounds as frames start and stop them, and
// each clip's stream sound, which lasts while its clip plays on and goes
// when the clip stops, leaves the stage or jumps to another frame. A stream
// is decoded one frame ahead of its clip, so that blocks whose sound falls a
// little short of their frame (uneven sample counts, an MP3 coder delay) play
// on without a gap, as Flash's stream buffer lets them.
class PlayerSound {
public:
    PlayerSound(const Movie& movie, PlayLimitLog& limits) : m_movie(movie), m_limits(limits) {}

    void startSound(const StartSound& tag);
    void streamBlock(MovieClip& clip, const StreamBlock& block);
    void stopStream(const MovieClip& clip);
    void stopAll();
    // Ends the streams of clips that no longer play.
    void endSilencedStreams();

    // A script's Sound.start(): the sound from offsetSeconds on, loops
    // times, in a group of voices whose transform the script sets. 0 when
    // nothing started.
    SoundMixer::VoiceId startScriptSound(CharacterId id, double offsetSeconds, int loops,
                                         std::uint64_t group);
    // The length of a sound character in milliseconds, if it is one.
    std::optional<double> durationMs(CharacterId id) const;
    SoundMixer& mixer() { return m_mixer; }

    void mix(std::span<std::int16_t> out) { m_mixer.mix(out); }
    bool sounding() const { return m_mixer.sounding(); }
    bool streaming() const;

private:
    struct Stream {
        std::weak_ptr<const DisplayObject> clip;
        std::shared_ptr<StreamVoice> voice;
        SoundMixer::VoiceId voiceId = 0;
        StreamDecoder decoder;
        // The frame whose block goes in next, and where the sound of the
        // frames decoded so far ends in the voice.
        FrameNumber nextFrame = 0;
        std::map<FrameNumber, std::uint64_t> frameEnds;
    };

    void decodeBlock(Stream& stream, const StreamBlock& block, FrameNumber frame, bool start);

    const Movie& m_movie;
    PlayLimitLog& m_limits;
    SoundMixer m_mixer;
    SoundLibrary m_library;
    // By the clip's serial number, which no other clip of the player shares.
    std::map<std::uint64_t, Stream> m_streams;
    StereoPcm m_decoded;
};

} // namespace vidorama::swf
