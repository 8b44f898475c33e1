#pragma once

#include "settings/ConversionSettings.h"

#include <string>
#include <string_view>

namespace vidorama {

namespace encoder {
class IVideoEncoder;
}

// A codec name reduced to its ASCII letters and digits, upper-cased:
// "Microsoft Video 1" becomes "MICROSOFTVIDEO1".
std::string ReduceCodecName(std::string_view name);

// The preferred default among the video codecs: the first whose reduced name
// contains "XVID", else the first with "MICROSOFTMPEG", else the first with
// "MICROSOFTVIDEO", else the first codec of all.
class CodecPreference {
public:
    void Consider(int index, std::string_view name);
    bool AllFound() const { return m_xvid >= 0 && m_microsoftMpeg >= 0 && m_microsoftVideo >= 0; }
    int Choice() const;

private:
    int m_xvid = -1;
    int m_microsoftMpeg = -1;
    int m_microsoftVideo = -1;
};

// Replaces "not chosen yet" (-1) in aviCodec, wmvProfile and rmProfile by a
// real index: the preferred codec, and the last WMV and RM profiles. Looking
// for the codec leaves the last examined one selected on the encoder.
void ChooseDefaultEncoders(ConversionSettings& settings, encoder::IVideoEncoder& encoder);

} // namespace vidorama
