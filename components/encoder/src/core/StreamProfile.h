#pragma once

#include <string>
#include <vector>

namespace vidorama::encoder {

// A named preset of a WMV or RM output: its video and sound codecs and rates.
// The lists run from the smallest files to the best quality.
struct StreamProfile {
    std::string name;
    std::string videoEncoder;
    int videoKbps = 0; // 0 when the video is quality-based
    int videoQuantizer = 0;
    int sizeMultiple = 2;
    std::string audioEncoder;
    int audioSampleRate = 44100;
    int audioChannels = 2;
    int audioKbps = 0;
};

std::vector<StreamProfile> wmvProfiles();
std::vector<StreamProfile> rmProfiles();

} // namespace vidorama::encoder
