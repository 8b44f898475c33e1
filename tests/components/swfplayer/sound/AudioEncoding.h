#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::test {

using Bytes = std::vector<std::uint8_t>;

// Sound coded by one of FFmpeg's encoders, packet by packet, to build movies
// with compressed sounds in tests.
struct EncodedSound {
    std::vector<Bytes> packets;
    // Samples (per channel) the encoder puts before the sound: its delay.
    int delay = 0;
    // Samples per packet.
    int frameSize = 0;
};

// pcm is interleaved 16-bit at the given rate. Nothing when the encoder is
// missing or refuses the format.
std::optional<EncodedSound> Encode(const std::string& encoder, const std::vector<std::int16_t>& pcm,
                                   int rate, int channels, int bitRate = 0);

Bytes Concatenate(const std::vector<Bytes>& packets);

// FFmpeg's SWF ADPCM encoder starts every 4,096-sample packet with the code
// size; a movie's ADPCM sound has it once and the packets' bits follow on.
Bytes JoinAdpcmPackets(const std::vector<Bytes>& packets, int channels);

} // namespace vidorama::test
