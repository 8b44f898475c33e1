#pragma once

#include "vidorama/encoder/IVideoEncoder.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace vidorama::test {

// An encoder that writes nothing and succeeds, counting what it was given. It
// notes the order of writes: 'V' a frame, 'A' a sound block, 'S' silence.
// Positions count writes; a write can be made to fail.
class FakeVideoEncoder final : public encoder::IVideoEncoder {
public:
    using HRESULT = encoder::HRESULT;

    HRESULT OpenOutput(const std::string& path, std::int32_t) override {
        openedPath = path;
        return encoder::S_OK;
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
        ++audioWrites;
        return encoder::S_OK;
    }
    HRESULT WriteVideoFrame(const encoder::ByteArray& frame) override {
        if (failVideo)
            return encoder::E_FAIL;
        sequence += 'V';
        lastFrameFirstByte = frame.Elements().empty() ? 0 : frame.Elements()[0];
        ++videoWrites;
        return encoder::S_OK;
    }
    HRESULT SetAudioInput(std::int32_t, std::int32_t) override { return encoder::S_OK; }
    HRESULT SetVideoFormat(std::int32_t, std::int32_t, double) override { return encoder::S_OK; }
    HRESULT GetAudioPosition(std::uint32_t* p) override { return Position(p, audioWrites); }
    HRESULT GetVideoPosition(std::uint32_t* p) override { return Position(p, videoWrites); }
    HRESULT GetVideoCodecName(std::string* name) override {
        *name = "Stand-in codec";
        return encoder::S_OK;
    }
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
    HRESULT GetVideoCodecCount(std::int32_t* count) override {
        *count = 1;
        return encoder::S_OK;
    }
    HRESULT SelectVideoCodec(std::int32_t) override { return encoder::S_OK; }
    HRESULT ConfigureVideoCodec() override { return encoder::S_OK; }
    HRESULT SetAviVideoFormat(std::int32_t, std::int32_t, double) override { return encoder::S_OK; }
    HRESULT SetMpegAudio(std::int32_t, std::int32_t, std::int32_t) override {
        return encoder::S_OK;
    }
    HRESULT SetMpegVideo(std::int32_t, std::int32_t, std::int32_t, std::int32_t, double) override {
        return encoder::S_OK;
    }
    HRESULT SelectWmvProfile(std::int32_t) override { return encoder::S_OK; }
    HRESULT GetWmvProfileCount(std::int32_t* count) override {
        *count = 1;
        return encoder::S_OK;
    }
    HRESULT GetWmvProfileName(std::string* name) override {
        *name = "Stand-in profile";
        return encoder::S_OK;
    }
    HRESULT SelectRmProfile(std::int32_t) override { return encoder::S_OK; }
    HRESULT GetRmProfileCount(std::int32_t* count) override {
        *count = 1;
        return encoder::S_OK;
    }
    HRESULT GetRmProfileName(std::int32_t, std::string* name) override {
        *name = "Stand-in profile";
        return encoder::S_OK;
    }

    std::string openedPath;
    std::string sequence;
    bool failAudio = false;
    bool failVideo = false;
    std::uint8_t lastFrameFirstByte = 0;
    std::atomic<int> closeCalls{0};
    std::atomic<int> audioWrites{0};
    std::atomic<int> videoWrites{0};

private:
    static HRESULT Position(std::uint32_t* p, int count) {
        *p = static_cast<std::uint32_t>(count);
        return encoder::S_OK;
    }
};

} // namespace vidorama::test
