#pragma once

#include "core/AviCodecCatalog.h"
#include "core/CodecConfigurator.h"
#include "core/EncoderSettings.h"
#include "core/MediaWriter.h"
#include "core/StreamProfile.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <memory>
#include <string>
#include <vector>

namespace vidorama::encoder {

// The encoder component on FFmpeg. Configuration calls only record settings;
// OpenOutput plans the output from them and opens it; the writes go to the
// MediaWriter. Not thread-safe: the program uses it from one thread at a time.
class FfmpegVideoEncoder final : public IVideoEncoder {
public:
    explicit FfmpegVideoEncoder(std::unique_ptr<CodecConfigurator> configurator = nullptr);
    ~FfmpegVideoEncoder() override;

    HRESULT OpenOutput(const std::string& path, std::int32_t fileType) override;
    HRESULT CloseOutput() override;
    HRESULT WriteAudio(const SampleArray& samples) override;
    HRESULT WriteVideoFrame(const ByteArray& frame) override;
    HRESULT SetAudioInput(std::int32_t sampleRate, std::int32_t channels) override;
    HRESULT SetVideoFormat(std::int32_t width, std::int32_t height, double frameRate) override;
    HRESULT GetAudioPosition(std::uint32_t* position) override;
    HRESULT GetVideoPosition(std::uint32_t* position) override;
    HRESULT GetVideoCodecName(std::string* name) override;
    HRESULT SetAviAudioPcm(std::int32_t sampleRate, std::int32_t channels,
                           std::int32_t bits) override;
    HRESULT SetAviAudioAdpcm(std::int32_t sampleRate, std::int32_t channels) override;
    HRESULT SetAviAudioAlaw(std::int32_t sampleRate, std::int32_t channels) override;
    HRESULT SetAviAudioUlaw(std::int32_t sampleRate, std::int32_t channels) override;
    HRESULT SetAviAudioGsm(std::int32_t sampleRate) override;
    HRESULT SetAviAudioMp3(std::int32_t kbps, std::int32_t sampleRate,
                           std::int32_t channels) override;
    HRESULT GetVideoCodecCount(std::int32_t* count) override;
    HRESULT SelectVideoCodec(std::int32_t number) override;
    HRESULT ConfigureVideoCodec() override;
    HRESULT SetAviVideoFormat(std::int32_t width, std::int32_t height, double frameRate) override;
    HRESULT SetMpegAudio(std::int32_t kbps, std::int32_t sampleRate,
                         std::int32_t channels) override;
    HRESULT SetMpegVideo(std::int32_t version, std::int32_t kbps, std::int32_t width,
                         std::int32_t height, double frameRate) override;
    HRESULT SelectWmvProfile(std::int32_t number) override;
    HRESULT GetWmvProfileCount(std::int32_t* count) override;
    HRESULT GetWmvProfileName(std::string* name) override;
    HRESULT SelectRmProfile(std::int32_t number) override;
    HRESULT GetRmProfileCount(std::int32_t* count) override;
    HRESULT GetRmProfileName(std::int32_t number, std::string* name) override;
    HRESULT GetLastErrorText(std::string* text) override;

    // The options the next AVI output uses for codec `number` (from 1).
    const CodecOptions* codecOptions(std::int32_t number) const;
    // Why the last failing operation failed, for logs and the converter.
    const std::string& lastError() const { return m_lastError; }

private:
    HRESULT report(const Status& status);
    HRESULT setAviAudio(const AviAudioFormat& format);
    Status planOutput(std::int32_t fileType, OutputPlan& plan) const;

    std::unique_ptr<CodecConfigurator> m_configurator;
    std::vector<AviCodec> m_codecs;
    std::vector<CodecOptions> m_codecOptions;
    std::vector<StreamProfile> m_wmvProfiles;
    std::vector<StreamProfile> m_rmProfiles;
    std::size_t m_codec = 0;
    std::size_t m_wmvProfile = 0;
    std::size_t m_rmProfile = 0;
    EncoderSettings m_settings;
    MediaWriter m_writer;
    std::string m_lastError;
};

} // namespace vidorama::encoder
