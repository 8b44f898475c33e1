#pragma once

#include "core/OutputPlan.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidorama::encoder {

enum class RateControl { Bitrate, Quality };

// What a quality number means for a codec: a quantiser (1 best to 31) for the
// MPEG-4 family and JPEG, a constant rate factor (0 best to 51) for H.264.
enum class QualityScale { Quantizer, RateFactor };

struct QualityRange {
    QualityScale scale = QualityScale::Quantizer;
    int best = 1;
    int worst = 31;
};

// Which options a codec offers the user. A codec with none (lossless ones,
// uncompressed RGB, DV) gets a dialog that says so.
struct CodecCapabilities {
    bool bitrate = false;
    std::optional<QualityRange> quality;
    bool keyFrameInterval = false;
    std::vector<std::string> presets; // speed presets, fastest first

    bool hasOptions() const {
        return bitrate || quality.has_value() || keyFrameInterval || !presets.empty();
    }
};

// The user's choices for one codec; kept per codec so that switching codecs
// and back keeps them.
struct CodecOptions {
    RateControl rateControl = RateControl::Quality;
    int bitrateKbps = 1500;
    int quality = 3;
    int keyFrameInterval = 100;
    std::string preset;

    bool operator==(const CodecOptions&) const = default;
};

inline constexpr int kMinBitrateKbps = 16;
inline constexpr int kMaxBitrateKbps = 50000;
inline constexpr int kMaxKeyFrameInterval = 1000;

// Brings options into the ranges the capabilities allow, so that a hand-made
// or stale value cannot reach an encoder.
CodecOptions clampOptions(const CodecCapabilities& capabilities, CodecOptions options);

// Puts the options into a video stream plan.
void applyOptions(const CodecCapabilities& capabilities, const CodecOptions& options,
                  VideoStreamPlan& plan);

} // namespace vidorama::encoder
