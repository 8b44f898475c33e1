#pragma once

#include "vidorama/encoder/IVideoEncoder.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace vidorama::test {

// An encoder that writes nothing and succeeds, counting what it was given. It
// notes the order of writes ('V' a frame, 'A' a sound block, 'S' silence) and
// every configuration call with its arguments. Positions count writes; writes
// and opening can be made to fail.
class FakeVideoEncoder final : public encoder::IVideoEncoder {
public:
    using HRESULT = encoder::HRESULT;
    using i32 = std::int32_t;

    HRESULT OpenOutput(const std::string& path, i32 type) override {
        if (failOpen)
            return encoder::E_FAIL;
        openedPath = path;
        return Note("OpenOutput", type);
    }
    HRESULT CloseOutput() override {
        ++closeCalls;
        return encoder::S_OK;
    }
    HRESULT WriteAudio(const encoder::SampleArray& samples) override {
        if (failAudio)
            return encoder::E_FAIL;
        bool silent = std::all_of(samples.Elements().begin(), samples.Elements().end(),
                                  [](std::uint16_t s) { return s == 0; });
        sequence += silent ? 'S' : 'A';
        if (silent)
            silentSamples += samples.Count();
        ++audioWrites;
        return encoder::S_OK;
    }
    HRESULT WriteVideoFrame(const encoder::ByteArray& frame) override {
        if (failVideo) {
            lastError = "video write refused";
            return encoder::E_FAIL;
        }
        sequence += 'V';
        lastFrameFirstByte = frame.Elements().empty() ? 0 : frame.Elements()[0];
        ++videoWrites;
        return encoder::S_OK;
    }
    HRESULT SetAudioInput(i32 rate, i32 ch) override { return Note("SetAudioInput", rate, ch); }
    HRESULT SetVideoFormat(i32 w, i32 h, double fps) override {
        return Note("SetVideoFormat", w, h, fps);
    }
    HRESULT GetAudioPosition(std::uint32_t* p) override { return Position(p, audioWrites); }
    HRESULT GetVideoPosition(std::uint32_t* p) override { return Position(p, videoWrites); }
    HRESULT GetVideoCodecName(std::string* name) override {
        *name = codecName;
        return encoder::S_OK;
    }
    HRESULT SetAviAudioPcm(i32 rate, i32 ch, i32 bits) override {
        return Note("SetAviAudioPcm", rate, ch, bits);
    }
    HRESULT SetAviAudioAdpcm(i32 rate, i32 ch) override {
        return Note("SetAviAudioAdpcm", rate, ch);
    }
    HRESULT SetAviAudioAlaw(i32 rate, i32 ch) override { return Note("SetAviAudioAlaw", rate, ch); }
    HRESULT SetAviAudioUlaw(i32 rate, i32 ch) override { return Note("SetAviAudioUlaw", rate, ch); }
    HRESULT SetAviAudioGsm(i32 rate) override { return Note("SetAviAudioGsm", rate); }
    HRESULT SetAviAudioMp3(i32 kbps, i32 rate, i32 ch) override {
        return Note("SetAviAudioMp3", kbps, rate, ch);
    }
    HRESULT GetVideoCodecCount(i32* count) override {
        *count = static_cast<i32>(codecNames.size());
        return encoder::S_OK;
    }
    HRESULT SelectVideoCodec(i32 n) override {
        if (n >= 1 && n <= static_cast<i32>(codecNames.size()))
            codecName = codecNames[static_cast<std::size_t>(n - 1)];
        return Note("SelectVideoCodec", n);
    }
    HRESULT ConfigureVideoCodec() override { return Note("ConfigureVideoCodec"); }
    HRESULT SetAviVideoFormat(i32 w, i32 h, double fps) override {
        return Note("SetAviVideoFormat", w, h, fps);
    }
    HRESULT SetMpegAudio(i32 kbps, i32 rate, i32 ch) override {
        return Note("SetMpegAudio", kbps, rate, ch);
    }
    HRESULT SetMpegVideo(i32 version, i32 kbps, i32 w, i32 h, double fps) override {
        return Note("SetMpegVideo", version, kbps, w, h, fps);
    }
    HRESULT SelectWmvProfile(i32 n) override { return Note("SelectWmvProfile", n); }
    HRESULT GetWmvProfileCount(i32* count) override {
        *count = static_cast<i32>(profileNames.size());
        return encoder::S_OK;
    }
    HRESULT GetWmvProfileName(std::string* name) override {
        *name = profileNames.empty() ? std::string() : profileNames.back();
        return encoder::S_OK;
    }
    HRESULT SelectRmProfile(i32 n) override { return Note("SelectRmProfile", n); }
    HRESULT GetRmProfileCount(i32* count) override {
        *count = static_cast<i32>(profileNames.size());
        return encoder::S_OK;
    }
    HRESULT GetRmProfileName(i32 n, std::string* name) override {
        bool known = n >= 1 && n <= static_cast<i32>(profileNames.size());
        *name = known ? profileNames[static_cast<std::size_t>(n - 1)] : std::string();
        return known ? encoder::S_OK : encoder::E_INVALIDARG;
    }

    HRESULT GetLastErrorText(std::string* text) override {
        *text = lastError;
        return encoder::S_OK;
    }

    std::vector<std::string> codecNames{"Stand-in codec"};
    std::string lastError;
    std::vector<std::string> profileNames{"Stand-in profile"};
    std::string codecName = "Stand-in codec";
    std::string openedPath;
    // Configuration calls in order, e.g. "SetAudioInput 44100 2".
    std::vector<std::string> configCalls;
    std::string sequence;
    bool failOpen = false;
    bool failAudio = false;
    bool failVideo = false;
    std::uint8_t lastFrameFirstByte = 0;
    std::atomic<int> closeCalls{0};
    std::atomic<int> audioWrites{0};
    std::size_t silentSamples = 0;
    std::atomic<int> videoWrites{0};

private:
    template <typename... Args> HRESULT Note(const char* name, Args... args) {
        std::string call = name;
        ((call += ' ', call += Text(args)), ...);
        configCalls.push_back(call);
        return encoder::S_OK;
    }
    static std::string Text(i32 v) { return std::to_string(v); }
    static std::string Text(double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        return text;
    }
    static HRESULT Position(std::uint32_t* p, int count) {
        *p = static_cast<std::uint32_t>(count);
        return encoder::S_OK;
    }
};

} // namespace vidorama::test
