#include "core/CodecSizeLimits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace vidorama::encoder {

namespace {

// An encoder's or a container's limit on each side of the picture.
struct SideLimit {
    std::string_view name;
    std::string_view codec;
    int maxSide;
};

constexpr std::array<SideLimit, 8> kSideLimits{{
    {"avi", "An AVI file", 65535},
    {"mpeg1video", "MPEG-1 video", 4095},
    {"mpeg2video", "MPEG-2 video", 16383},
    {"mpeg4", "MPEG-4 part 2 video", 8191},
    {"libx264", "H.264 (x264)", 16384},
    {"libvpx-vp9", "VP9", 16384},
    {"mjpeg", "Motion JPEG", 65500},
    {"gif", "GIF", 65535},
}};

// RealVideo 1 numbers its macroblocks of 16 x 16 pixels in 12 bits.
constexpr int kRealVideo1Macroblocks = 4096;
constexpr int kMacroblock = 16;
// MPEG-2 marks sizes in 12 bits with an extension for the rest, and FFmpeg's
// encoder refuses sides whose low 12 bits are all zero.
constexpr int kMpeg2ForbiddenMultiple = 4096;

int Macroblocks(int side) {
    return (side + kMacroblock - 1) / kMacroblock;
}

// Shrinks both sides by one factor, rounded down to whole macroblocks, until
// the size passes.
template <typename Passes>
CodecSizeBreach Fitted(std::string rule, int width, int height, double scale, Passes passes) {
    CodecSizeBreach breach{std::move(rule), width, height};
    for (int attempt = 0; attempt < 64 && !passes(breach.fittingWidth, breach.fittingHeight);
         ++attempt, scale *= 0.98) {
        breach.fittingWidth =
            std::max(kMacroblock, static_cast<int>(width * scale) / kMacroblock * kMacroblock);
        breach.fittingHeight =
            std::max(kMacroblock, static_cast<int>(height * scale) / kMacroblock * kMacroblock);
    }
    return breach;
}

std::optional<CodecSizeBreach> CheckSideLimit(const std::string& name, int width, int height) {
    if (name == "rv10") {
        auto passes = [](int w, int h) {
            return Macroblocks(w) * Macroblocks(h) < kRealVideo1Macroblocks;
        };
        if (passes(width, height))
            return std::nullopt;
        const double scale =
            std::sqrt(static_cast<double>(kRealVideo1Macroblocks) /
                      (static_cast<double>(Macroblocks(width)) * Macroblocks(height)));
        return Fitted("RealVideo 1 takes fewer than 4096 blocks of 16 x 16 pixels", width, height,
                      scale, passes);
    }
    const auto limit = std::find_if(kSideLimits.begin(), kSideLimits.end(),
                                    [&](const SideLimit& l) { return l.name == name; });
    if (limit == kSideLimits.end())
        return std::nullopt;
    const bool mpeg2 = name == "mpeg2video";
    auto passes = [&](int w, int h) {
        return w <= limit->maxSide && h <= limit->maxSide &&
               !(mpeg2 && (w % kMpeg2ForbiddenMultiple == 0 || h % kMpeg2ForbiddenMultiple == 0));
    };
    if (passes(width, height))
        return std::nullopt;
    std::string rule = std::string(limit->codec) + " is at most " + std::to_string(limit->maxSide) +
                       " pixels a side";
    if (mpeg2)
        rule += ", and no side a multiple of 4096";
    const double scale =
        std::min(1.0, static_cast<double>(limit->maxSide) / std::max(width, height));
    return Fitted(std::move(rule), width, height, scale, passes);
}

} // namespace

std::optional<CodecSizeBreach> CheckCodecPictureSize(const std::string& encoderName,
                                                     const std::string& muxerName, int width,
                                                     int height) {
    if (auto breach = CheckSideLimit(encoderName, width, height))
        return breach;
    return CheckSideLimit(muxerName, width, height);
}

} // namespace vidorama::encoder
