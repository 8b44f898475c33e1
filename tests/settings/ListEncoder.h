#pragma once

#include "vidorama/encoder/IVideoEncoder.h"

#include <string>
#include <vector>

namespace vidorama::test {

// An encoder whose codec and profile lists the test chooses. It keeps the
// selections made on it (numbers from 1) and refuses numbers outside a list.
class ListEncoder final : public encoder::IVideoEncoder {
public:
    using HRESULT = encoder::HRESULT;

    std::vector<std::string> codecs;
    std::vector<std::string> wmvProfiles;
    std::vector<std::string> rmProfiles;
    int selectedCodec = 0;
    int selectedWmv = 0;
    int selectedRm = 0;
    std::vector<int> codecSelections;
    int configureCalls = 0;

    HRESULT GetVideoCodecCount(std::int32_t* count) override { return Count(codecs, count); }
    HRESULT SelectVideoCodec(std::int32_t number) override {
        codecSelections.push_back(number);
        return Select(codecs, number, selectedCodec);
    }
    HRESULT GetVideoCodecName(std::string* name) override {
        return Name(codecs, selectedCodec, name);
    }
    HRESULT ConfigureVideoCodec() override {
        ++configureCalls;
        return encoder::S_OK;
    }
    HRESULT SelectWmvProfile(std::int32_t number) override {
        return Select(wmvProfiles, number, selectedWmv);
    }
    HRESULT GetWmvProfileCount(std::int32_t* count) override { return Count(wmvProfiles, count); }
    HRESULT GetWmvProfileName(std::string* name) override {
        return Name(wmvProfiles, selectedWmv, name);
    }
    HRESULT SelectRmProfile(std::int32_t number) override {
        return Select(rmProfiles, number, selectedRm);
    }
    HRESULT GetRmProfileCount(std::int32_t* count) override { return Count(rmProfiles, count); }
    HRESULT GetRmProfileName(std::int32_t number, std::string* name) override {
        return Name(rmProfiles, number, name);
    }

    HRESULT GetLastErrorText(std::string* text) override {
        text->clear();
        return encoder::S_OK;
    }
    HRESULT OpenOutput(const std::string&, std::int32_t) override { return encoder::S_OK; }
    HRESULT CloseOutput() override { return encoder::S_OK; }
    HRESULT WriteAudio(const encoder::SampleArray&) override { return encoder::S_OK; }
    HRESULT WriteVideoFrame(const encoder::ByteArray&) override { return encoder::S_OK; }
    HRESULT SetAudioInput(std::int32_t, std::int32_t) override { return encoder::S_OK; }
    HRESULT SetVideoFormat(std::int32_t, std::int32_t, double) override { return encoder::S_OK; }
    HRESULT GetAudioPosition(std::uint32_t* p) override { return Zero(p); }
    HRESULT GetVideoPosition(std::uint32_t* p) override { return Zero(p); }
    HRESULT SetAviAudioPcm(std::int32_t, std::int32_t, std::int32_t) override {
        return encoder::S_OK;
    }
    HRESULT SetAviAudioAdpcm(std::int32_t, std::int32_t) override { return encoder::S_OK; }
    HRESULT SetAviAudioAlaw(std::int32_t, std::int32_t) override { return encoder::S_OK; }
    HRESULT SetAviAudioUlaw(std::int32_t, std::int32_t) override { return encoder::S_OK; }
    HRESULT SetAviAudioGsm(std::int32_t) override { return encoder::S_OK; }
    HRESULT SetAviAudioMp3(std::int32_t, std::int32_t, std::int32_t) override {
        return encoder::S_OK;
    }
    HRESULT SetAviVideoFormat(std::int32_t, std::int32_t, double) override { return encoder::S_OK; }
    HRESULT SetMpegAudio(std::int32_t, std::int32_t, std::int32_t) override {
        return encoder::S_OK;
    }
    HRESULT SetMpegVideo(std::int32_t, std::int32_t, std::int32_t, std::int32_t, double) override {
        return encoder::S_OK;
    }

private:
    static HRESULT Count(const std::vector<std::string>& list, std::int32_t* count) {
        *count = static_cast<std::int32_t>(list.size());
        return encoder::S_OK;
    }
    static HRESULT Select(const std::vector<std::string>& list, int number, int& selected) {
        if (number < 1 || number > static_cast<int>(list.size()))
            return encoder::E_INVALIDARG;
        selected = number;
        return encoder::S_OK;
    }
    static HRESULT Name(const std::vector<std::string>& list, int number, std::string* name) {
        if (number < 1 || number > static_cast<int>(list.size()))
            return encoder::E_INVALIDARG;
        *name = list[static_cast<std::size_t>(number - 1)];
        return encoder::S_OK;
    }
    static HRESULT Zero(std::uint32_t* p) {
        *p = 0;
        return encoder::S_OK;
    }
};

} // namespace vidorama::test
