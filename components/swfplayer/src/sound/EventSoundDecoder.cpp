#include "sound/EventSoundDecoder.h"

#include "sound/SoundDecoder.h"
#include "swf/ByteReader.h"
#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;
// Nellymoser data comes in blocks of 64 bytes.
constexpr std::size_t kNellymoserBlockBytes = 64;

// How much data goes to the decoder at a time: whole sample frames for
// uncompressed data, whole blocks for Nellymoser, anything for MP3 (its
// parser finds the frames). ADPCM and Speex cannot be cut: they go in one
// piece (0 here), Speex frame by frame as its decoder asks for more.
std::size_t ChunkBytes(const SoundFormat& format) {
    switch (format.codec) {
    case SoundCodec::UncompressedNative:
    case SoundCodec::UncompressedLittleEndian:
        return kChunkBytes -
               kChunkBytes % (std::size_t(format.channels()) * (format.sixteenBit ? 2 : 1));
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser:
        return kChunkBytes - kChunkBytes % kNellymoserBlockBytes;
    case SoundCodec::Mp3:
        return kChunkBytes;
    default:
        return 0;
    }
}

} // namespace

StereoPcm DecodeEventSound(const SoundDef& sound) {
    StereoPcm out;
    SoundDecoder decoder(sound.format());
    if (!decoder.valid())
        return out;
    ByteReader data(sound.data());
    if (sound.format().codec == SoundCodec::Mp3)
        decoder.skip(static_cast<std::uint64_t>(std::max<std::int16_t>(data.i16(), 0)));
    // A count of 0 is what some tools write when they do not know it.
    std::uint64_t most = sound.format().samplesFor(Limits::kMaxSoundFrames);
    decoder.limit(sound.sampleCount() > 0 ? std::min<std::uint64_t>(sound.sampleCount(), most)
                                          : most);
    std::size_t chunk = ChunkBytes(sound.format());
    if (chunk == 0)
        decoder.decode(data.take(decoder.dataBytesFor(most)), out);
    while (chunk > 0 && !data.atEnd() && FrameCount(out) < Limits::kMaxSoundFrames)
        decoder.decode(data.take(chunk), out);
    if (FrameCount(out) < Limits::kMaxSoundFrames)
        decoder.finish(out);
    out.resize(std::min(out.size(), 2 * Limits::kMaxSoundFrames));
    return out;
}

} // namespace vidorama::swf
