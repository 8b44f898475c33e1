#include "core/ExtendedOutputPlanner.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <array>
#include <string_view>

namespace vidorama::encoder {

namespace {

enum class QualityKind { None, RateFactor, Quantizer };

constexpr unsigned bit(ExtendedContainer container) {
    return 1u << static_cast<unsigned>(container);
}

constexpr unsigned kMp4 = bit(ExtendedContainer::Mp4);
constexpr unsigned kMatroska = bit(ExtendedContainer::Matroska);
constexpr unsigned kWebM = bit(ExtendedContainer::WebM);
constexpr unsigned kGif = bit(ExtendedContainer::Gif);
constexpr unsigned kPng = bit(ExtendedContainer::PngSequence);

struct VideoCodecEntry {
    std::string_view name;
    const char* encoder;
    AVPixelFormat opaqueFormat;
    AVPixelFormat alphaFormat; // AV_PIX_FMT_NONE: the codec cannot keep alpha
    QualityKind quality;
    int defaultQuality;
    int sizeMultiple;
    unsigned containers;
};

struct AudioCodecEntry {
    std::string_view name;
    const char* encoder;
    int sampleRate;
    int defaultKbps; // 0 for codecs whose rate follows from the format
    unsigned containers;
};

// The first entry a container accepts is its default.
constexpr std::array<VideoCodecEntry, 6> kVideoCodecs{{
    {"h264", "libx264", AV_PIX_FMT_YUV420P, AV_PIX_FMT_NONE, QualityKind::RateFactor, 20, 2,
     kMp4 | kMatroska},
    {"vp9", "libvpx-vp9", AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVA420P, QualityKind::RateFactor, 32, 2,
     kWebM | kMatroska},
    {"gif", "gif", AV_PIX_FMT_PAL8, AV_PIX_FMT_PAL8, QualityKind::None, 0, 1, kGif},
    {"png", "png", AV_PIX_FMT_RGB24, AV_PIX_FMT_RGBA, QualityKind::None, 0, 1, kPng | kMatroska},
    {"mpeg4", "mpeg4", AV_PIX_FMT_YUV420P, AV_PIX_FMT_NONE, QualityKind::Quantizer, 3, 2,
     kMp4 | kMatroska},
    {"ffv1", "ffv1", AV_PIX_FMT_BGR0, AV_PIX_FMT_BGRA, QualityKind::None, 0, 1, kMatroska},
}};

constexpr std::array<AudioCodecEntry, 4> kAudioCodecs{{
    {"aac", "aac", 44100, 160, kMp4 | kMatroska},
    {"opus", "libopus", 48000, 128, kWebM | kMatroska},
    {"mp3", "libmp3lame", 44100, 128, kMp4 | kMatroska},
    {"pcm", "pcm_s16le", 44100, 0, kMatroska},
}};

// x264 at "veryfast" writes about three times as fast as at "medium" for a
// little more size; a conversion is usually watched while it runs.
constexpr const char* kDefaultX264Preset = "veryfast";
// libvpx's "good" deadline at speed 4 is its usual balance; row threading
// lets it use more than one core on a single frame.
constexpr const char* kVp9Speed = "4";

template <typename Entry, std::size_t N>
const Entry* findEntry(const std::array<Entry, N>& table, const std::string& name,
                       ExtendedContainer container) {
    for (const Entry& entry : table) {
        if ((entry.containers & bit(container)) && (name.empty() || entry.name == name))
            return &entry;
    }
    return nullptr;
}

const VideoCodecEntry* defaultVideoCodec(ExtendedContainer container, bool alpha) {
    for (const VideoCodecEntry& entry : kVideoCodecs) {
        if ((entry.containers & bit(container)) && (!alpha || entry.alphaFormat != AV_PIX_FMT_NONE))
            return &entry;
    }
    return nullptr;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

int roundUp(int value, int multiple) {
    return multiple <= 1 ? value : (value + multiple - 1) / multiple * multiple;
}

void applyQuality(const VideoCodecEntry& codec, const ExtendedOutputSettings& settings,
                  VideoStreamPlan& video) {
    if (settings.videoBitRate > 0) {
        video.bitRate = settings.videoBitRate;
        return;
    }
    const int quality = settings.quality.value_or(codec.defaultQuality);
    if (codec.quality == QualityKind::RateFactor)
        video.privateOptions.emplace_back("crf", std::to_string(quality));
    else if (codec.quality == QualityKind::Quantizer)
        video.quantizer = quality;
}

void applyEncoderOptions(const VideoCodecEntry& codec, const ExtendedOutputSettings& settings,
                         VideoStreamPlan& video) {
    const std::string_view encoder = codec.encoder;
    if (encoder == "libx264") {
        video.privateOptions.emplace_back("preset", settings.preset.empty() ? kDefaultX264Preset
                                                                            : settings.preset);
    } else if (encoder == "libvpx-vp9") {
        video.privateOptions.emplace_back("deadline", "good");
        video.privateOptions.emplace_back("cpu-used", kVp9Speed);
        video.privateOptions.emplace_back("row-mt", "1");
    }
}

Status planVideo(const ExtendedOutputSettings& settings, VideoStreamPlan& video) {
    const VideoCodecEntry* codec =
        settings.videoCodec.empty()
            ? defaultVideoCodec(settings.container, settings.alpha)
            : findEntry(kVideoCodecs, settings.videoCodec, settings.container);
    if (!codec && settings.videoCodec.empty())
        return Status::failure(ErrorKind::Unsupported, "No video codec of this output kind can "
                                                       "keep transparency.");
    if (!codec)
        return Status::failure(ErrorKind::Unsupported,
                               "This output kind cannot hold " + settings.videoCodec +
                                   " video; it takes " +
                                   joined(videoCodecNames(settings.container)) + ".");
    if (settings.alpha && codec->alphaFormat == AV_PIX_FMT_NONE)
        return Status::failure(ErrorKind::Unsupported,
                               std::string(codec->name) + " video cannot keep transparency.");
    video.encoderName = codec->encoder;
    video.pixelFormat = settings.alpha ? codec->alphaFormat : codec->opaqueFormat;
    video.width = roundUp(settings.width, codec->sizeMultiple);
    video.height = roundUp(settings.height, codec->sizeMultiple);
    video.frameRate = settings.frameRate;
    video.sourceFrameRate = settings.frameRate;
    video.threadCount = settings.threadCount;
    applyQuality(*codec, settings, video);
    applyEncoderOptions(*codec, settings, video);
    return Status::success();
}

Status planAudio(const ExtendedOutputSettings& settings, AudioStreamPlan& audio) {
    const AudioCodecEntry* codec = findEntry(kAudioCodecs, settings.audioCodec, settings.container);
    if (!codec)
        return Status::failure(ErrorKind::Unsupported,
                               "This output kind cannot hold " + settings.audioCodec +
                                   " sound; it takes " +
                                   joined(audioCodecNames(settings.container)) + ".");
    audio.encoderName = codec->encoder;
    audio.sampleRate = codec->sampleRate;
    audio.channels = 2;
    const int kbps = settings.audioKbps > 0 ? settings.audioKbps : codec->defaultKbps;
    audio.bitRate = codec->defaultKbps > 0 ? std::int64_t{kbps} * 1000 : 0;
    audio.priming = PrimingSamples::SkippedByContainer;
    return Status::success();
}

ContainerPlan containerPlan(ExtendedContainer container) {
    switch (container) {
    case ExtendedContainer::Mp4:
        // The index goes to the front so that players can start before the
        // whole file has arrived.
        return {"mp4", {{"movflags", "+faststart"}}};
    case ExtendedContainer::Matroska:
        return {"matroska", {}};
    case ExtendedContainer::WebM:
        return {"webm", {}};
    case ExtendedContainer::Gif:
        return {"gif", {{"loop", "0"}}};
    case ExtendedContainer::PngSequence:
        return {"image2", {}};
    }
    return {};
}

template <typename Entry, std::size_t N>
std::vector<std::string> namesFor(const std::array<Entry, N>& table, ExtendedContainer container) {
    std::vector<std::string> names;
    for (const Entry& entry : table)
        if (entry.containers & bit(container))
            names.emplace_back(entry.name);
    return names;
}

} // namespace

Status planExtendedOutput(const ExtendedOutputSettings& settings, OutputPlan& plan) {
    plan = OutputPlan{};
    plan.container = containerPlan(settings.container);
    VideoStreamPlan video;
    Status status = planVideo(settings, video);
    if (!status.ok())
        return status;
    plan.video = video;
    if (settings.sound && containerHasSound(settings.container)) {
        AudioStreamPlan audio;
        status = planAudio(settings, audio);
        if (!status.ok())
            return status;
        plan.audio = audio;
    }
    plan.audioInput = settings.audioInput;
    return Status::success();
}

bool containerHasSound(ExtendedContainer container) {
    return container != ExtendedContainer::Gif && container != ExtendedContainer::PngSequence;
}

std::vector<std::string> videoCodecNames(ExtendedContainer container) {
    return namesFor(kVideoCodecs, container);
}

std::vector<std::string> audioCodecNames(ExtendedContainer container) {
    return containerHasSound(container) ? namesFor(kAudioCodecs, container)
                                        : std::vector<std::string>{};
}

bool carriesAlpha(const VideoStreamPlan& video) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(video.pixelFormat);
    return descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA);
}

} // namespace vidorama::encoder
