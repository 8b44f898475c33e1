#include "core/FfmpegVideoEncoder.h"

#include "core/OutputPlanner.h"

#include <cmath>
#include <optional>

namespace vidorama::encoder {

namespace {

constexpr int kMaxDimension = 4096;
constexpr double kMaxFrameRate = 240.0;
constexpr int kMinInputRate = 8000;
constexpr int kMaxInputRate = 192000;
constexpr int kMinMpegAudioRate = 16000;
constexpr int kMaxMpegAudioRate = 48000;
constexpr int kMaxMpegAudioKbps = 384;
constexpr int kMinMpegVideoKbps = 64;
constexpr int kMaxMpegVideoKbps = 80000;

bool isValidPicture(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxDimension && height <= kMaxDimension;
}

bool isValidFormat(std::int32_t width, std::int32_t height, double frameRate) {
    return isValidPicture(width, height) && std::isfinite(frameRate) && frameRate > 0.0 &&
           frameRate <= kMaxFrameRate;
}

bool isMonoOrStereo(std::int32_t channels) {
    return channels == 1 || channels == 2;
}

// Lists cross the interface numbered from 1.
std::optional<std::size_t> indexOf(std::int32_t number, std::size_t count) {
    if (number < 1 || static_cast<std::size_t>(number) > count)
        return std::nullopt;
    return static_cast<std::size_t>(number - 1);
}

HRESULT statusCode(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::InvalidArgument:
        return E_INVALIDARG;
    case ErrorKind::NotOpen:
        return E_UNEXPECTED;
    case ErrorKind::OutOfMemory:
        return E_OUTOFMEMORY;
    case ErrorKind::Unsupported:
    case ErrorKind::Io:
    case ErrorKind::Codec:
        break;
    }
    return E_FAIL;
}

Status invalid(const char* message) {
    return Status::failure(ErrorKind::InvalidArgument, message);
}

} // namespace

FfmpegVideoEncoder::FfmpegVideoEncoder(std::unique_ptr<CodecConfigurator> configurator)
    : m_configurator(std::move(configurator)), m_codecs(availableAviCodecs()),
      m_wmvProfiles(wmvProfiles()), m_rmProfiles(rmProfiles()) {
    for (const AviCodec& codec : m_codecs)
        m_codecOptions.push_back(clampOptions(codec.capabilities, codec.defaults));
}

FfmpegVideoEncoder::~FfmpegVideoEncoder() = default;

HRESULT FfmpegVideoEncoder::report(const Status& status) {
    if (status.ok())
        return S_OK;
    m_lastError = status.message();
    return statusCode(status.kind());
}

HRESULT FfmpegVideoEncoder::OpenOutput(const std::string& path, std::int32_t fileType) {
    if (path.empty())
        return report(invalid("The output path is empty."));
    if (m_writer.isOpen())
        CloseOutput();
    OutputPlan plan;
    Status status = planOutput(fileType, plan);
    if (status.ok())
        status = m_writer.open(path, plan);
    return report(status);
}

Status FfmpegVideoEncoder::planOutput(std::int32_t fileType, OutputPlan& plan) const {
    switch (static_cast<OutputFileType>(fileType)) {
    case OutputFileType::Avi:
        if (m_codecs.empty())
            return Status::failure(ErrorKind::Unsupported, "No AVI video codec is installed.");
        return planAvi(m_settings, m_codecs[m_codec], m_codecOptions[m_codec], plan);
    case OutputFileType::Mpeg:
        return planMpeg(m_settings, plan);
    case OutputFileType::Wmv:
        return planWmv(m_settings, m_wmvProfiles[m_wmvProfile], plan);
    case OutputFileType::Rm:
        return planRm(m_settings, m_rmProfiles[m_rmProfile], plan);
    }
    return invalid("The output file type is unknown.");
}

HRESULT FfmpegVideoEncoder::GetLastErrorText(std::string* text) {
    *text = m_lastError;
    return S_OK;
}

HRESULT FfmpegVideoEncoder::CloseOutput() {
    return report(m_writer.close());
}

HRESULT FfmpegVideoEncoder::WriteAudio(const SampleArray& samples) {
    // The interface carries samples as unsigned words; their bits are signed PCM.
    const auto* data = reinterpret_cast<const std::int16_t*>(samples.Data());
    return report(m_writer.writeAudio(std::span<const std::int16_t>(data, samples.Count())));
}

HRESULT FfmpegVideoEncoder::WriteVideoFrame(const ByteArray& frame) {
    // A frame array says its own size (4 x width x height); that size wins
    // over the configured one, and the picture is scaled to the output.
    std::int64_t width = m_settings.video.width;
    std::int64_t height = m_settings.video.height;
    const auto& dimensions = frame.Dimensions();
    if (dimensions.size() == 3 && dimensions[0] == 4) {
        width = dimensions[1];
        height = dimensions[2];
    }
    if (!isValidPicture(width, height) ||
        frame.ByteSize() != static_cast<std::size_t>(4 * width * height))
        return report(invalid("The frame's size does not match 4 x width x height."));
    const RawFrameView view{frame.Data(), static_cast<int>(width), static_cast<int>(height)};
    return report(m_writer.writeVideo(view));
}

HRESULT FfmpegVideoEncoder::SetAudioInput(std::int32_t sampleRate, std::int32_t channels) {
    if (sampleRate < kMinInputRate || sampleRate > kMaxInputRate || !isMonoOrStereo(channels))
        return report(invalid("The sound input must be mono or stereo at 8 to 192 kHz."));
    m_settings.audioInput = AudioInputFormat{sampleRate, channels};
    return S_OK;
}

HRESULT FfmpegVideoEncoder::SetVideoFormat(std::int32_t width, std::int32_t height,
                                           double frameRate) {
    if (!isValidFormat(width, height, frameRate))
        return report(invalid("The video size or frame rate is out of range."));
    m_settings.video = VideoFormat{width, height, frameRate};
    return S_OK;
}

HRESULT FfmpegVideoEncoder::GetAudioPosition(std::uint32_t* position) {
    if (!position)
        return E_POINTER;
    *position = m_writer.audioPositionMs();
    return S_OK;
}

HRESULT FfmpegVideoEncoder::GetVideoPosition(std::uint32_t* position) {
    if (!position)
        return E_POINTER;
    *position = m_writer.videoPositionMs();
    return S_OK;
}

HRESULT FfmpegVideoEncoder::GetVideoCodecName(std::string* name) {
    if (!name)
        return E_POINTER;
    if (m_codecs.empty())
        return report(Status::failure(ErrorKind::Unsupported, "No AVI video codec is installed."));
    *name = m_codecs[m_codec].name;
    return S_OK;
}

HRESULT FfmpegVideoEncoder::setAviAudio(const AviAudioFormat& format) {
    const Status status = validateAviAudio(format);
    if (status.ok())
        m_settings.aviAudio = format;
    return report(status);
}

HRESULT FfmpegVideoEncoder::SetAviAudioPcm(std::int32_t sampleRate, std::int32_t channels,
                                           std::int32_t bits) {
    return setAviAudio(AviAudioFormat{AviAudioCodec::Pcm, sampleRate, channels, bits});
}

HRESULT FfmpegVideoEncoder::SetAviAudioAdpcm(std::int32_t sampleRate, std::int32_t channels) {
    return setAviAudio(AviAudioFormat{AviAudioCodec::Adpcm, sampleRate, channels});
}

HRESULT FfmpegVideoEncoder::SetAviAudioAlaw(std::int32_t sampleRate, std::int32_t channels) {
    return setAviAudio(AviAudioFormat{AviAudioCodec::Alaw, sampleRate, channels});
}

HRESULT FfmpegVideoEncoder::SetAviAudioUlaw(std::int32_t sampleRate, std::int32_t channels) {
    return setAviAudio(AviAudioFormat{AviAudioCodec::Ulaw, sampleRate, channels});
}

HRESULT FfmpegVideoEncoder::SetAviAudioGsm(std::int32_t sampleRate) {
    return setAviAudio(AviAudioFormat{AviAudioCodec::Gsm, sampleRate, 1});
}

HRESULT FfmpegVideoEncoder::SetAviAudioMp3(std::int32_t kbps, std::int32_t sampleRate,
                                           std::int32_t channels) {
    return setAviAudio(AviAudioFormat{AviAudioCodec::Mp3, sampleRate, channels, 16, kbps});
}

HRESULT FfmpegVideoEncoder::GetVideoCodecCount(std::int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<std::int32_t>(m_codecs.size());
    return S_OK;
}

HRESULT FfmpegVideoEncoder::SelectVideoCodec(std::int32_t number) {
    const auto index = indexOf(number, m_codecs.size());
    if (!index)
        return report(invalid("There is no video codec with that number."));
    m_codec = *index;
    return S_OK;
}

HRESULT FfmpegVideoEncoder::ConfigureVideoCodec() {
    if (m_codecs.empty())
        return report(Status::failure(ErrorKind::Unsupported, "No AVI video codec is installed."));
    if (!m_configurator)
        return E_NOTIMPL;
    const AviCodec& codec = m_codecs[m_codec];
    CodecOptions options = m_codecOptions[m_codec];
    switch (m_configurator->configure(codec.name, codec.capabilities, options)) {
    case ConfigureResult::Accepted:
        m_codecOptions[m_codec] = clampOptions(codec.capabilities, options);
        return S_OK;
    case ConfigureResult::Cancelled:
        return S_FALSE;
    case ConfigureResult::Unavailable:
        break;
    }
    return report(Status::failure(ErrorKind::Unsupported, "The codec dialog cannot be shown."));
}

HRESULT FfmpegVideoEncoder::SetAviVideoFormat(std::int32_t width, std::int32_t height,
                                              double frameRate) {
    if (!isValidFormat(width, height, frameRate))
        return report(invalid("The AVI video size or frame rate is out of range."));
    m_settings.aviVideo = VideoFormat{width, height, frameRate};
    return S_OK;
}

HRESULT FfmpegVideoEncoder::SetMpegAudio(std::int32_t kbps, std::int32_t sampleRate,
                                         std::int32_t channels) {
    if (kbps < 8 || kbps > kMaxMpegAudioKbps || sampleRate < kMinMpegAudioRate ||
        sampleRate > kMaxMpegAudioRate || !isMonoOrStereo(channels))
        return report(invalid("The MPEG audio settings are out of range."));
    m_settings.mpegAudio = MpegAudioSettings{kbps, sampleRate, channels};
    return S_OK;
}

HRESULT FfmpegVideoEncoder::SetMpegVideo(std::int32_t version, std::int32_t kbps,
                                         std::int32_t width, std::int32_t height,
                                         double frameRate) {
    if ((version != 1 && version != 2) || kbps < kMinMpegVideoKbps || kbps > kMaxMpegVideoKbps ||
        !isValidFormat(width, height, frameRate))
        return report(invalid("The MPEG video settings are out of range."));
    m_settings.mpegVideo = MpegVideoSettings{version, kbps, VideoFormat{width, height, frameRate}};
    return S_OK;
}

HRESULT FfmpegVideoEncoder::SelectWmvProfile(std::int32_t number) {
    const auto index = indexOf(number, m_wmvProfiles.size());
    if (!index)
        return report(invalid("There is no WMV profile with that number."));
    m_wmvProfile = *index;
    return S_OK;
}

HRESULT FfmpegVideoEncoder::GetWmvProfileCount(std::int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<std::int32_t>(m_wmvProfiles.size());
    return S_OK;
}

HRESULT FfmpegVideoEncoder::GetWmvProfileName(std::string* name) {
    if (!name)
        return E_POINTER;
    *name = m_wmvProfiles[m_wmvProfile].name;
    return S_OK;
}

HRESULT FfmpegVideoEncoder::SelectRmProfile(std::int32_t number) {
    const auto index = indexOf(number, m_rmProfiles.size());
    if (!index)
        return report(invalid("There is no RM profile with that number."));
    m_rmProfile = *index;
    return S_OK;
}

HRESULT FfmpegVideoEncoder::GetRmProfileCount(std::int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<std::int32_t>(m_rmProfiles.size());
    return S_OK;
}

HRESULT FfmpegVideoEncoder::GetRmProfileName(std::int32_t number, std::string* name) {
    if (!name)
        return E_POINTER;
    const auto index = indexOf(number, m_rmProfiles.size());
    if (!index)
        return report(invalid("There is no RM profile with that number."));
    *name = m_rmProfiles[*index].name;
    return S_OK;
}

const CodecOptions* FfmpegVideoEncoder::codecOptions(std::int32_t number) const {
    const auto index = indexOf(number, m_codecOptions.size());
    return index ? &m_codecOptions[*index] : nullptr;
}

} // namespace vidorama::encoder
