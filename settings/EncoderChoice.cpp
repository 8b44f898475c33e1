#include "settings/EncoderChoice.h"

#include "vidorama/encoder/IVideoEncoder.h"

namespace vidorama {

std::string ReduceCodecName(std::string_view name) {
    std::string reduced;
    for (char c : name) {
        if (c >= 'a' && c <= 'z')
            reduced += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            reduced += c;
    }
    return reduced;
}

void CodecPreference::Consider(int index, std::string_view name) {
    std::string reduced = ReduceCodecName(name);
    auto remember = [&](int& slot, std::string_view needle) {
        if (slot < 0 && reduced.find(needle) != std::string::npos)
            slot = index;
    };
    remember(m_xvid, "XVID");
    remember(m_microsoftMpeg, "MICROSOFTMPEG");
    remember(m_microsoftVideo, "MICROSOFTVIDEO");
}

int CodecPreference::Choice() const {
    for (int found : {m_xvid, m_microsoftMpeg, m_microsoftVideo})
        if (found >= 0)
            return found;
    return 0;
}

namespace {

int LastIndex(encoder::HRESULT (encoder::IVideoEncoder::*getCount)(std::int32_t*),
              encoder::IVideoEncoder& encoder) {
    std::int32_t count = 0;
    (encoder.*getCount)(&count);
    return count - 1;
}

} // namespace

void ChooseDefaultEncoders(ConversionSettings& settings, encoder::IVideoEncoder& encoder) {
    if (settings.aviCodec == -1) {
        std::int32_t count = 0;
        encoder.GetVideoCodecCount(&count);
        CodecPreference preference;
        for (std::int32_t number = 1; number <= count && !preference.AllFound(); ++number) {
            encoder.SelectVideoCodec(number);
            std::string name;
            encoder.GetVideoCodecName(&name);
            preference.Consider(number - 1, name);
        }
        settings.aviCodec = preference.Choice();
    }
    if (settings.wmvProfile == -1)
        settings.wmvProfile = LastIndex(&encoder::IVideoEncoder::GetWmvProfileCount, encoder);
    if (settings.rmProfile == -1)
        settings.rmProfile = LastIndex(&encoder::IVideoEncoder::GetRmProfileCount, encoder);
}

} // namespace vidorama
