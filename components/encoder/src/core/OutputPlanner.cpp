#include "core/OutputPlanner.h"

#include "core/FrameRate.h"

extern "C" {
#include <libavutil/rational.h>
}

#include <algorithm>
#include <cmath>

namespace vidorama::encoder {

namespace {

// The buffer a DVD player is built for (MPEG-2 main profile, main level); it
// is also ample for MPEG-1 at the rates of the settings lists.
constexpr int kMpegVbvBits = 1835008;
constexpr int kMpegBFrames = 2;
constexpr int kStreamingKeyFrameSeconds = 5;
// RealVideo frames must stay under the muxer's packet limit; a rate-control
// buffer a little smaller than that makes the encoder raise its quantiser
// before a frame gets there.
constexpr int kRealVideoBufferBits = 8 * 60000;

int roundUpToMultiple(int v, int m) {
    return m <= 1 ? v : (v + m - 1) / m * m;
}

VideoStreamPlan videoPlan(std::string encoder, AVPixelFormat format, const VideoFormat& picture,
                          int multiple) {
    VideoStreamPlan plan;
    plan.encoderName = std::move(encoder);
    plan.pixelFormat = format;
    plan.width = roundUpToMultiple(picture.width, multiple);
    plan.height = roundUpToMultiple(picture.height, multiple);
    plan.frameRate = frameRateFromDouble(picture.frameRate);
    plan.sourceFrameRate = plan.frameRate;
    return plan;
}

int streamingKeyFrameInterval(AVRational rate) {
    return std::max(1, static_cast<int>(std::lround(av_q2d(rate) * kStreamingKeyFrameSeconds)));
}

OutputPlan profileOutput(const EncoderSettings& settings, const StreamProfile& profile,
                         std::string muxer) {
    OutputPlan plan;
    plan.container.muxerName = std::move(muxer);
    VideoStreamPlan video =
        videoPlan(profile.videoEncoder, AV_PIX_FMT_YUV420P, settings.video, profile.sizeMultiple);
    video.bitRate = std::int64_t{profile.videoKbps} * 1000;
    video.quantizer = profile.videoQuantizer;
    video.keyFrameInterval = streamingKeyFrameInterval(video.frameRate);
    plan.video = video;
    plan.audio = AudioStreamPlan{profile.audioEncoder, profile.audioSampleRate,
                                 profile.audioChannels, std::int64_t{profile.audioKbps} * 1000};
    plan.audioInput = settings.audioInput;
    return plan;
}

} // namespace

int roundUpToMultiple(int v, int m) {
    return m <= 1 ? v : (v + m - 1) / m * m;
}

Status planAvi(const EncoderSettings& settings, const AviCodec& codec, const CodecOptions& options,
               OutputPlan& plan) {
    const VideoFormat picture = settings.aviVideo.value_or(settings.video);
    VideoStreamPlan video =
        videoPlan(codec.encoderName, codec.pixelFormat, picture, codec.sizeMultiple);
    if (codec.fixedFormat) {
        video.width = codec.fixedFormat->width;
        video.height = codec.fixedFormat->height;
        video.frameRate = codec.fixedFormat->frameRate;
    }
    video.codecTag = codec.codecTag;
    video.keyFrameField = codec.keyFrameField;
    video.threadCount = codec.threadCount;
    video.keepBottomUpRows = codec.keepBottomUpRows;
    applyOptions(codec.capabilities, options, video);

    plan = OutputPlan{};
    plan.container.muxerName = "avi";
    if (codec.keepBottomUpRows)
        plan.container.muxerOptions.emplace_back("flipped_raw_rgb", "1");
    plan.video = video;
    plan.audio = aviAudioStream(settings.aviAudio);
    plan.audioInput = settings.audioInput;
    return validateAviAudio(settings.aviAudio);
}

Status planMpeg(const EncoderSettings& settings, OutputPlan& plan) {
    const MpegVideoSettings mpeg =
        settings.mpegVideo.value_or(MpegVideoSettings{1, 1150, settings.video});
    const bool mpeg2 = mpeg.version == 2;
    VideoStreamPlan video =
        videoPlan(mpeg2 ? "mpeg2video" : "mpeg1video", AV_PIX_FMT_YUV420P, mpeg.format, 2);
    video.frameRate = nearestFrameRate(video.sourceFrameRate, mpegFrameRates());
    video.bitRate = std::int64_t{mpeg.kbps} * 1000;
    video.maxRate = video.bitRate * 2;
    video.bufferSize = kMpegVbvBits;
    video.maxBFrames = kMpegBFrames;
    video.keyFrameInterval = av_q2d(video.frameRate) > 28.0 ? 15 : 12;

    plan = OutputPlan{};
    plan.container.muxerName = mpeg2 ? "vob" : "mpeg";
    plan.video = video;
    plan.audio = AudioStreamPlan{"mp2", settings.mpegAudio.sampleRate, settings.mpegAudio.channels,
                                 std::int64_t{settings.mpegAudio.kbps} * 1000};
    plan.audioInput = settings.audioInput;
    return Status::success();
}

Status planWmv(const EncoderSettings& settings, const StreamProfile& profile, OutputPlan& plan) {
    plan = profileOutput(settings, profile, "asf");
    return Status::success();
}

Status planRm(const EncoderSettings& settings, const StreamProfile& profile, OutputPlan& plan) {
    plan = profileOutput(settings, profile, "rm");
    VideoStreamPlan& video = *plan.video;
    video.maxRate = video.bitRate * 2;
    video.bufferSize = kRealVideoBufferBits;
    video.maxPacketBytes = kRealMediaMaxVideoPacket;
    return Status::success();
}

} // namespace vidorama::encoder
