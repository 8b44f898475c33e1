#pragma once

#include "vidorama/encoder/HResult.h"
#include "vidorama/encoder/SafeArray.h"

#include <cstdint>
#include <string>

namespace vidorama::encoder {

// Output file types as OpenOutput numbers them.
enum class OutputFileType : std::int32_t { Avi = 1, Mpeg = 2, Wmv = 3, Rm = 4 };

// The encoder component. Every operation answers with an HRESULT; results come
// back through out-parameters. Lists (video codecs, WMV and RM profiles) are
// numbered from 1 here; the program keeps them indexed from 0.
//
// GetAudioPosition and GetVideoPosition grow in one common unit as samples and
// frames are written, so that comparing them tells which stream is behind: the
// time written so far in milliseconds (sound samples at the input rate, video
// frames at the rate the output stream runs at).
// WriteVideoFrame takes a bottom-up 32-bit BGRx frame of 4 x width x height
// bytes; WriteAudio takes interleaved 16-bit stereo samples at 44,100 Hz.
// CloseOutput completes the file and succeeds when nothing is open.
class IVideoEncoder {
public:
    virtual ~IVideoEncoder() = default;

    virtual HRESULT OpenOutput(const std::string& path, std::int32_t fileType) = 0;
    virtual HRESULT CloseOutput() = 0;
    virtual HRESULT WriteAudio(const SampleArray& samples) = 0;
    virtual HRESULT WriteVideoFrame(const ByteArray& frame) = 0;
    virtual HRESULT SetAudioInput(std::int32_t sampleRate, std::int32_t channels) = 0;
    virtual HRESULT SetVideoFormat(std::int32_t width, std::int32_t height, double frameRate) = 0;
    virtual HRESULT GetAudioPosition(std::uint32_t* position) = 0;
    virtual HRESULT GetVideoPosition(std::uint32_t* position) = 0;
    virtual HRESULT GetVideoCodecName(std::string* name) = 0;
    virtual HRESULT SetAviAudioPcm(std::int32_t sampleRate, std::int32_t channels,
                                   std::int32_t bits) = 0;
    virtual HRESULT SetAviAudioAdpcm(std::int32_t sampleRate, std::int32_t channels) = 0;
    virtual HRESULT SetAviAudioAlaw(std::int32_t sampleRate, std::int32_t channels) = 0;
    virtual HRESULT SetAviAudioUlaw(std::int32_t sampleRate, std::int32_t channels) = 0;
    virtual HRESULT SetAviAudioGsm(std::int32_t sampleRate) = 0;
    virtual HRESULT SetAviAudioMp3(std::int32_t kbps, std::int32_t sampleRate,
                                   std::int32_t channels) = 0;
    virtual HRESULT GetVideoCodecCount(std::int32_t* count) = 0;
    virtual HRESULT SelectVideoCodec(std::int32_t number) = 0;
    virtual HRESULT ConfigureVideoCodec() = 0;
    virtual HRESULT SetAviVideoFormat(std::int32_t width, std::int32_t height,
                                      double frameRate) = 0;
    virtual HRESULT SetMpegAudio(std::int32_t kbps, std::int32_t sampleRate,
                                 std::int32_t channels) = 0;
    virtual HRESULT SetMpegVideo(std::int32_t version, std::int32_t kbps, std::int32_t width,
                                 std::int32_t height, double frameRate) = 0;
    virtual HRESULT SelectWmvProfile(std::int32_t number) = 0;
    virtual HRESULT GetWmvProfileCount(std::int32_t* count) = 0;
    virtual HRESULT GetWmvProfileName(std::string* name) = 0;
    virtual HRESULT SelectRmProfile(std::int32_t number) = 0;
    virtual HRESULT GetRmProfileCount(std::int32_t* count) = 0;
    virtual HRESULT GetRmProfileName(std::int32_t number, std::string* name) = 0;
    // Why the last failed operation failed, in words for the log; "" when
    // nothing has failed or the component cannot tell.
    virtual HRESULT GetLastErrorText(std::string* text) = 0;
};

} // namespace vidorama::encoder
