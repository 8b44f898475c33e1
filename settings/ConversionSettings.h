#pragma once

#include <string>

namespace vidorama {

// What kind of video a capture becomes and how. A value type: the main window
// holds one, the settings dialog edits a copy, the command line fills its own.
struct ConversionSettings {
    enum OutputKind { kAvi = 0, kMpeg = 1, kWmv = 2, kRm = 3 };
    enum SizeMode { kOriginalSize = 0, kCustomSize = 2 };

    int outputKind = kAvi;
    int sizeMode = kOriginalSize;
    int height = 240;
    int width = 320;
    std::string outputFolder; // always ends in the path separator
    std::string aviFrameRate = "10.00";
    int aviCodec = -1;
    int audioFormat = 0; // 0 PCM, 1 ALAW, 2 MP3, 3 ULAW, 4 ADPCM, 5 GSM
    int channels = 1;    // 0 mono, 1 stereo
    std::string mpegFrameRate = "23.97";
    std::string mpegVideoBitrate = "1150";
    int mpegChannels = 2;
    std::string mpegAudioBitrate = "128";
    int mpegVersion = 0; // 0 MPEG-1, 1 MPEG-2
    int wmvProfile = -1;
    int rmProfile = -1;

    bool operator==(const ConversionSettings&) const = default;
};

} // namespace vidorama
