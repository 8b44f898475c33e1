#include "ClipWriter.h"

#include <cmath>
#include <numbers>
#include <random>

namespace vidorama::encoder::test {

namespace {

void paintFrame(ByteArray& frame, const ClipShape& clip, int index, std::mt19937& random) {
    std::uint8_t* pixel = frame.Data();
    const int shown = index == 4 ? 3 : index;
    for (int y = 0; y < clip.height; ++y) {
        for (int x = 0; x < clip.width; ++x, pixel += 4) {
            if (clip.noise) {
                const auto value = static_cast<std::uint32_t>(random());
                pixel[0] = static_cast<std::uint8_t>(value);
                pixel[1] = static_cast<std::uint8_t>(value >> 8);
                pixel[2] = static_cast<std::uint8_t>(value >> 16);
            } else {
                const bool bar = ((x + shown * 4) / 8) % 2 == 0;
                pixel[0] = static_cast<std::uint8_t>(bar ? 220 : 30);
                pixel[1] = static_cast<std::uint8_t>(y * 255 / clip.height);
                pixel[2] = static_cast<std::uint8_t>((x + shown * 16) & 0xFF);
            }
            pixel[3] = 0;
        }
    }
}

void fillTone(SampleArray& block, std::int64_t firstFrame) {
    std::uint16_t* sample = block.Data();
    for (int i = 0; i < kBlockSampleFrames; ++i) {
        const double t = static_cast<double>(firstFrame + i) / kInputSampleRate;
        const auto value =
            static_cast<std::int16_t>(8000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * t));
        sample[2 * i] = static_cast<std::uint16_t>(value);
        sample[2 * i + 1] = static_cast<std::uint16_t>(value);
    }
}

int blocksFor(const ClipShape& clip) {
    if (clip.audioBlocks >= 0)
        return clip.audioBlocks;
    const double seconds = clip.frames / clip.frameRate;
    return static_cast<int>(seconds * kInputSampleRate / kBlockSampleFrames);
}

} // namespace

ClipResult writeClip(IVideoEncoder& encoder, const ClipShape& clip) {
    ClipResult result;
    auto frame = ByteArray::Create(
        {4, static_cast<std::uint32_t>(clip.width), static_cast<std::uint32_t>(clip.height)});
    auto block = SampleArray::Create({2 * kBlockSampleFrames});
    std::mt19937 random(7);
    const int blocks = blocksFor(clip);
    int blocksWritten = 0;
    std::uint32_t lastVideo = 0;
    std::uint32_t lastAudio = 0;
    while (result.status == S_OK &&
           (result.framesWritten < clip.frames || blocksWritten < blocks)) {
        std::uint32_t video = 0;
        std::uint32_t audio = 0;
        encoder.GetVideoPosition(&video);
        encoder.GetAudioPosition(&audio);
        result.positionsGrew = result.positionsGrew && video >= lastVideo && audio >= lastAudio;
        lastVideo = video;
        lastAudio = audio;
        const bool videoLeft = result.framesWritten < clip.frames;
        const bool audioLeft = blocksWritten < blocks;
        if (videoLeft && (video <= audio || !audioLeft)) {
            paintFrame(*frame, clip, result.framesWritten, random);
            result.status = encoder.WriteVideoFrame(*frame);
            ++result.framesWritten;
        }
        if (result.status == S_OK && audioLeft && (audio <= video || !videoLeft)) {
            fillTone(*block, result.sampleFramesWritten);
            result.status = encoder.WriteAudio(*block);
            ++blocksWritten;
            result.sampleFramesWritten += kBlockSampleFrames;
        }
    }
    return result;
}

} // namespace vidorama::encoder::test
