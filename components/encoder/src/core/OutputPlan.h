#pragma once

extern "C" {
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
}

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vidorama::encoder {

using OptionList = std::vector<std::pair<std::string, std::string>>;

// How the key-frame interval reaches the encoder: most take it as the GOP
// size; a few older codecs only look at the minimum key-frame distance.
enum class KeyFrameField { GopSize, MinInterval };

// Everything needed to open one video encoder and its stream. The writer does
// no guessing: the planners that build this have already adapted sizes and
// rates to what the codec accepts.
struct VideoStreamPlan {
    std::string encoderName;
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    int width = 0;
    int height = 0;
    // The rate written into the stream, and the rate at which the caller's
    // frames are timed. When they differ, frames are repeated or dropped so
    // that the video keeps the caller's time.
    AVRational frameRate{0, 1};
    AVRational sourceFrameRate{0, 1};
    std::uint32_t codecTag = 0; // 0 keeps the container's default tag
    std::int64_t bitRate = 0;   // bits per second; 0 leaves the encoder's default
    int quantizer = 0;          // above 0: constant quantiser instead of a bit rate
    int keyFrameInterval = 0;   // 0 leaves the encoder's default
    KeyFrameField keyFrameField = KeyFrameField::GopSize;
    int maxBFrames = 0;
    std::int64_t maxRate = 0;  // bits per second, for the VBV model
    int bufferSize = 0;        // VBV buffer in bits
    int threadCount = 1;       // 0 lets the encoder pick
    OptionList privateOptions; // the encoder's own options, e.g. x264's preset
    // Uncompressed DIBs in AVI are stored bottom-up, which is already the
    // order of the caller's rows, so they are not flipped.
    bool keepBottomUpRows = false;
    // A container limit on one video packet (RealMedia cannot carry more
    // than 64 kB per frame); 0 means no limit.
    std::size_t maxPacketBytes = 0;
};

// What becomes of the silence some encoders (MP3, AAC, Opus) put before the
// first sample. Played as silence, it makes the sound late by its length,
// a few tens of milliseconds. A container with an edit list or a codec delay
// can skip it; for the others the same length can be cut from the start of
// the caller's sound, so that every later sample plays at its own time.
enum class PrimingSamples { PlayedAsSilence, SkippedByContainer, TrimmedFromInput };

struct AudioStreamPlan {
    std::string encoderName;
    int sampleRate = 44100;
    int channels = 2;
    std::int64_t bitRate = 0; // 0 for codecs whose rate follows from the format
    PrimingSamples priming = PrimingSamples::PlayedAsSilence;
};

// The caller's sound: interleaved signed 16-bit samples.
struct AudioInputFormat {
    int sampleRate = 44100;
    int channels = 2;
};

struct ContainerPlan {
    std::string muxerName;
    OptionList muxerOptions;
};

// One output file: its container and the streams in it.
struct OutputPlan {
    ContainerPlan container;
    std::optional<VideoStreamPlan> video;
    std::optional<AudioStreamPlan> audio;
    AudioInputFormat audioInput;
};

} // namespace vidorama::encoder
