#include "sound/SoundTags.h"

#include "swf/ByteReader.h"

#include <algorithm>

namespace vidorama::swf {

namespace {
constexpr std::uint8_t kHasInPoint = 0x01;
constexpr std::uint8_t kHasOutPoint = 0x02;
constexpr std::uint8_t kHasLoops = 0x04;
constexpr std::uint8_t kHasEnvelope = 0x08;
constexpr std::uint8_t kNoMultiple = 0x10;
constexpr std::uint8_t kStop = 0x20;
} // namespace

SoundInfo ReadSoundInfo(ByteReader& reader) {
    SoundInfo info;
    std::uint8_t flags = reader.u8();
    info.stop = (flags & kStop) != 0;
    info.noMultiple = (flags & kNoMultiple) != 0;
    if (flags & kHasInPoint)
        info.inPoint = reader.u32();
    if (flags & kHasOutPoint)
        info.outPoint = reader.u32();
    // A loop count of 0 plays the sound once, as 1 does.
    if (flags & kHasLoops)
        info.loops = std::max<std::uint16_t>(reader.u16(), 1);
    if (flags & kHasEnvelope) {
        std::uint8_t count = reader.u8();
        for (std::uint8_t i = 0; i < count && !reader.overrun(); ++i) {
            EnvelopePoint point;
            point.pos44 = reader.u32();
            point.left = reader.u16();
            point.right = reader.u16();
            if (!reader.overrun())
                info.envelope.push_back(point);
        }
    }
    return info;
}

StartSound ReadStartSound(ByteReader& reader) {
    StartSound start;
    start.soundId = reader.u16();
    start.info = ReadSoundInfo(reader);
    return start;
}

StartSound ReadStartSound2(ByteReader& reader) {
    StartSound start;
    start.className = reader.string();
    start.info = ReadSoundInfo(reader);
    return start;
}

// The playback fields of the first byte only advise the player; the stream
// format that counts is the second byte's.
StreamHead ReadStreamHead(ByteReader& reader) {
    StreamHead head;
    reader.u8();
    head.format = SoundFormat::FromByte(reader.u8());
    head.samplesPerBlock = reader.u16();
    if (head.format.codec == SoundCodec::Mp3 && reader.remaining() >= 2)
        head.latencySeek = reader.i16();
    return head;
}

} // namespace vidorama::swf
