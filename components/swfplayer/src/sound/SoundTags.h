#pragma once

#include "sound/SoundFormat.h"
#include "swf/Character.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vidorama::swf {

class ByteReader;

// One point of a volume envelope: from pos44 samples into the sound (44.1 kHz
// samples, counted from the in point and on through the loops) the levels run
// in a straight line to the next point's. Levels go from 0 to 32768 (full).
struct EnvelopePoint {
    std::uint32_t pos44 = 0;
    std::uint16_t left = 32768;
    std::uint16_t right = 32768;
    bool operator==(const EnvelopePoint&) const = default;
};

// SOUNDINFO: how StartSound plays an event sound. In and out points are
// 44.1 kHz samples whatever the sound's own rate.
struct SoundInfo {
    bool stop = false;
    bool noMultiple = false;
    std::optional<std::uint32_t> inPoint;
    std::optional<std::uint32_t> outPoint;
    std::uint16_t loops = 1;
    std::vector<EnvelopePoint> envelope;
    bool operator==(const SoundInfo&) const = default;
};

// StartSound names its sound by id; StartSound2 by the class name that
// SymbolClass gives the sound, looked up when it plays.
struct StartSound {
    CharacterId soundId = 0;
    std::string className;
    SoundInfo info;
};

// SoundStreamHead/SoundStreamHead2: the format of a timeline's stream sound.
struct StreamHead {
    SoundFormat format;
    // Samples the average block holds, at the stream's own rate.
    std::uint16_t samplesPerBlock = 0;
    // MP3 only: samples to drop at the start of the stream (coder delay).
    std::int16_t latencySeek = 0;
};

// SoundStreamBlock: one frame's part of the stream, with the head in force
// when the block was read. The data is a view into the movie.
struct StreamBlock {
    StreamHead head;
    std::span<const std::uint8_t> data;
    // The first block of its timeline's stream.
    bool first = false;
};

SoundInfo ReadSoundInfo(ByteReader& reader);
StartSound ReadStartSound(ByteReader& reader);
StartSound ReadStartSound2(ByteReader& reader);
StreamHead ReadStreamHead(ByteReader& reader);

} // namespace vidorama::swf
