#include "core/StreamProfile.h"

namespace vidorama::encoder {

namespace {

// RealVideo 1 codes only whole macroblocks; RealVideo 2 takes multiples of 4.
constexpr int kRealVideo1Multiple = 16;
constexpr int kRealVideo2Multiple = 4;

StreamProfile wmv(std::string name, std::string video, int videoKbps, int quantizer, int rate,
                  int channels, int audioKbps) {
    return StreamProfile{std::move(name), std::move(video), videoKbps, quantizer, 2, "wmav2", rate,
                         channels,        audioKbps};
}

StreamProfile rm(std::string name, std::string video, int videoKbps, int channels, int audioKbps) {
    const int multiple = video == "rv10" ? kRealVideo1Multiple : kRealVideo2Multiple;
    return StreamProfile{std::move(name), std::move(video), videoKbps, 0, multiple, "ac3",
                         44100,           channels,         audioKbps};
}

} // namespace

std::vector<StreamProfile> wmvProfiles() {
    return {
        wmv("Windows Media Video 7 for dial-up modems (56 Kbps)", "wmv1", 28, 0, 22050, 1, 24),
        wmv("Windows Media Video 8 for ISDN (128 Kbps)", "wmv2", 96, 0, 32000, 1, 32),
        wmv("Windows Media Video 8 for DSL and cable modems (384 Kbps)", "wmv2", 320, 0, 44100, 2,
            64),
        wmv("Windows Media Video 8 for local area networks (768 Kbps)", "wmv2", 672, 0, 44100, 2,
            96),
        wmv("Windows Media Video 8 high quality (1.5 Mbps)", "wmv2", 1372, 0, 44100, 2, 128),
        wmv("Windows Media Video 8 best quality (quality-based video, 192 Kbps sound)", "wmv2", 0,
            2, 44100, 2, 192),
    };
}

std::vector<StreamProfile> rmProfiles() {
    return {
        rm("RealVideo 1 for 56K modems (64 Kbps)", "rv10", 32, 1, 32),
        rm("RealVideo 2 for ISDN (128 Kbps)", "rv20", 80, 1, 48),
        rm("RealVideo 2 for DSL and cable modems (384 Kbps)", "rv20", 320, 2, 64),
        rm("RealVideo 2 for local area networks (768 Kbps)", "rv20", 672, 2, 96),
        rm("RealVideo 2 best quality (2 Mbps)", "rv20", 1808, 2, 192),
    };
}

} // namespace vidorama::encoder
