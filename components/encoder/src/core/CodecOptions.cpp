#include "core/CodecOptions.h"

#include <algorithm>

namespace vidorama::encoder {

CodecOptions clampOptions(const CodecCapabilities& capabilities, CodecOptions options) {
    if (!capabilities.quality)
        options.rateControl = RateControl::Bitrate;
    else if (!capabilities.bitrate)
        options.rateControl = RateControl::Quality;
    options.bitrateKbps = std::clamp(options.bitrateKbps, kMinBitrateKbps, kMaxBitrateKbps);
    if (capabilities.quality)
        options.quality =
            std::clamp(options.quality, capabilities.quality->best, capabilities.quality->worst);
    options.keyFrameInterval = std::clamp(options.keyFrameInterval, 1, kMaxKeyFrameInterval);
    const auto& presets = capabilities.presets;
    if (!presets.empty() &&
        std::find(presets.begin(), presets.end(), options.preset) == presets.end())
        options.preset = presets[presets.size() / 2];
    return options;
}

void applyOptions(const CodecCapabilities& capabilities, const CodecOptions& chosen,
                  VideoStreamPlan& plan) {
    const CodecOptions options = clampOptions(capabilities, chosen);
    if (capabilities.bitrate && options.rateControl == RateControl::Bitrate)
        plan.bitRate = std::int64_t{options.bitrateKbps} * 1000;
    if (capabilities.quality && options.rateControl == RateControl::Quality) {
        if (capabilities.quality->scale == QualityScale::RateFactor)
            plan.privateOptions.emplace_back("crf", std::to_string(options.quality));
        else
            plan.quantizer = options.quality;
    }
    if (capabilities.keyFrameInterval)
        plan.keyFrameInterval = options.keyFrameInterval;
    if (!capabilities.presets.empty())
        plan.privateOptions.emplace_back("preset", options.preset);
}

} // namespace vidorama::encoder
