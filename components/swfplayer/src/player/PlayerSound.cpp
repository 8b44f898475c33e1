#include "player/PlayerSound.h"

#include "movie/Movie.h"
#include "player/MovieClip.h"
#include "sound/EventVoice.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

// A start of a sound that plays already and may not play twice is ignored;
// a stop ends every copy of the sound that plays.
void PlayerSound::startSound(const StartSound& tag) {
    CharacterId id = tag.soundId;
    if (!tag.className.empty()) {
        auto named = m_movie.symbolClass(tag.className);
        if (!named)
            return;
        id = *named;
    }
    auto sound = std::dynamic_pointer_cast<const SoundDef>(m_movie.character(id));
    if (!sound)
        return;
    if (tag.info.stop) {
        m_mixer.stopSound(id);
        return;
    }
    if (tag.info.noMultiple && m_mixer.playing(id))
        return;
    if (m_mixer.add(std::make_shared<EventVoice>(m_library.decoded(*sound), tag.info), id) == 0)
        m_limits.reached(PlayLimit::Voices);
}

SoundMixer::VoiceId PlayerSound::startScriptSound(CharacterId id, double offsetSeconds, int loops,
                                                  std::uint64_t group) {
    auto sound = std::dynamic_pointer_cast<const SoundDef>(m_movie.character(id));
    if (!sound)
        return 0;
    SoundInfo info;
    if (offsetSeconds > 0 && offsetSeconds < 86400)
        info.inPoint = static_cast<std::uint32_t>(offsetSeconds * kOutputRate);
    info.loops = static_cast<std::uint16_t>(std::clamp(loops, 1, 0xffff));
    SoundMixer::VoiceId voice =
        m_mixer.add(std::make_shared<EventVoice>(m_library.decoded(*sound), info), id, group);
    if (voice == 0)
        m_limits.reached(PlayLimit::Voices);
    return voice;
}

std::optional<double> PlayerSound::durationMs(CharacterId id) const {
    auto sound = std::dynamic_pointer_cast<const SoundDef>(m_movie.character(id));
    if (!sound)
        return std::nullopt;
    const int rate = sound->format().sampleRate();
    return rate > 0 ? std::round(1000.0 * sound->sampleCount() / rate) : 0;
}

namespace {

const StreamBlock* BlockOf(const Timeline& timeline, FrameNumber frame) {
    if (frame < 1 || frame > timeline.frameCount())
        return nullptr;
    for (const ControlTag& tag : timeline.frame(frame).tags)
        if (const auto* block = std::get_if<StreamBlock>(&tag))
            return block;
    return nullptr;
}

} // namespace

void PlayerSound::streamBlock(MovieClip& clip, const StreamBlock& block) {
    FrameNumber frame = clip.currentFrame();
    auto found = m_streams.find(clip.serial());
    if (found == m_streams.end()) {
        Stream stream{clip.weak_from_this(),
                      std::make_shared<StreamVoice>(),
                      0,
                      StreamDecoder(m_movie.frameRate()),
                      frame,
                      {}};
        stream.voiceId = m_mixer.add(stream.voice, std::nullopt);
        if (stream.voiceId == 0) {
            m_limits.reached(PlayLimit::Voices);
            return;
        }
        found = m_streams.emplace(clip.serial(), std::move(stream)).first;
        decodeBlock(found->second, block, frame, true);
    } else if (frame >= found->second.nextFrame) {
        decodeBlock(found->second, block, frame, false);
    }
    if (const StreamBlock* next = BlockOf(clip.timeline(), frame + 1))
        decodeBlock(found->second, *next, frame + 1, false);
}

void PlayerSound::decodeBlock(Stream& stream, const StreamBlock& block, FrameNumber frame,
                              bool start) {
    m_decoded.clear();
    stream.decoder.decode(block, start, m_decoded);
    stream.voice->append(m_decoded);
    stream.nextFrame = frame + 1;
    stream.frameEnds[frame] = stream.voice->appendedFrames();
    // Only the last two frames can still be cut back to.
    while (stream.frameEnds.size() > 2)
        stream.frameEnds.erase(stream.frameEnds.begin());
}

void PlayerSound::stopStream(const MovieClip& clip) {
    auto found = m_streams.find(clip.serial());
    if (found == m_streams.end())
        return;
    m_mixer.stop(found->second.voiceId);
    m_streams.erase(found);
}

void PlayerSound::stopAll() {
    m_mixer.stopAll();
    m_streams.clear();
}

// A clip that leaves the stage takes its stream with it at once; a clip that
// stops lets the block of the frame it stopped on play out, so the frame it
// shows keeps its sound.
void PlayerSound::endSilencedStreams() {
    for (auto it = m_streams.begin(); it != m_streams.end();) {
        auto object = it->second.clip.lock();
        const MovieClip* clip = object ? object->asClip() : nullptr;
        if (!clip || clip->removed()) {
            m_mixer.stop(it->second.voiceId);
            it = m_streams.erase(it);
        } else if (!clip->playing()) {
            // The next frame's block, decoded ahead, will not play.
            auto current = it->second.frameEnds.find(clip->currentFrame());
            if (current != it->second.frameEnds.end())
                it->second.voice->cutAt(current->second);
            it->second.voice->endWhenDrained();
            it = m_streams.erase(it);
        } else {
            ++it;
        }
    }
}

bool PlayerSound::streaming() const {
    for (const auto& [serial, stream] : m_streams)
        if (stream.voice->sounding())
            return true;
    return false;
}

} // namespace vidorama::swf
