#include "planning/EncoderPlan.h"

#include "core/AviCodecCatalog.h"
#include "core/CodecSizeLimits.h"
#include "core/ExtendedOutputPlanner.h"
#include "core/OutputPlanner.h"
#include "core/StreamProfile.h"
#include "settings/ConversionSettings.h"
#include "settings/EncoderChoice.h"

#include <array>

namespace vidorama::cli {

namespace {

using encoder::OutputPlan;

constexpr int kStereo = 2;
// The program's AVI sound formats in the order of its settings' audioFormat.
constexpr std::array<std::string_view, 6> kAviSoundNames{"pcm",  "alaw",  "mp3",
                                                         "ulaw", "adpcm", "gsm"};
constexpr std::array<encoder::AviAudioCodec, 6> kAviSoundCodecs{
    encoder::AviAudioCodec::Pcm,  encoder::AviAudioCodec::Alaw,  encoder::AviAudioCodec::Mp3,
    encoder::AviAudioCodec::Ulaw, encoder::AviAudioCodec::Adpcm, encoder::AviAudioCodec::Gsm};

AVRational Exact(Rate rate) {
    return AVRational{static_cast<int>(rate.num), static_cast<int>(rate.den)};
}

encoder::VideoFormat Picture(const EncoderRequest& request) {
    return {request.width, request.height, request.frameRate.value()};
}

bool Matches(std::string_view wanted, const encoder::AviCodec& codec) {
    const std::string fragment = ReduceCodecName(wanted);
    return !fragment.empty() && (ReduceCodecName(codec.name).find(fragment) != std::string::npos ||
                                 ReduceCodecName(codec.encoderName) == fragment);
}

// The codec the user named, or the program's own preference (Xvid first).
std::optional<std::size_t> ChooseAviCodec(const std::vector<encoder::AviCodec>& codecs,
                                          const std::string& wanted) {
    if (wanted.empty()) {
        CodecPreference preference;
        for (std::size_t i = 0; i < codecs.size(); ++i)
            preference.Consider(static_cast<int>(i), codecs[i].name);
        return codecs.empty() ? std::nullopt
                              : std::optional(static_cast<std::size_t>(preference.Choice()));
    }
    for (std::size_t i = 0; i < codecs.size(); ++i)
        if (Matches(wanted, codecs[i]))
            return i;
    return std::nullopt;
}

encoder::CodecOptions AviCodecOptions(const encoder::AviCodec& codec,
                                      const EncodingOptions& encoding) {
    encoder::CodecOptions options = codec.defaults;
    if (encoding.videoKbps) {
        options.rateControl = encoder::RateControl::Bitrate;
        options.bitrateKbps = *encoding.videoKbps;
    } else if (encoding.quality) {
        options.rateControl = encoder::RateControl::Quality;
        options.quality = *encoding.quality;
    }
    if (!encoding.preset.empty())
        options.preset = encoding.preset;
    return options;
}

// The sound of an AVI as the program's settings give it: PCM, stereo.
std::string AviSound(const EncodingOptions& encoding, encoder::AviAudioFormat& format) {
    const ConversionSettings defaults;
    std::size_t index = static_cast<std::size_t>(defaults.audioFormat);
    if (!encoding.audioCodec.empty()) {
        index = 0;
        while (index < kAviSoundNames.size() && kAviSoundNames[index] != encoding.audioCodec)
            ++index;
        if (index == kAviSoundNames.size())
            return "AVI sound is pcm, alaw, mp3, ulaw, adpcm, gsm or none, not " +
                   encoding.audioCodec;
    }
    format.codec = kAviSoundCodecs[index];
    format.channels = encoding.channels.value_or(defaults.channels + 1);
    format.kbps = encoding.audioKbps.value_or(format.kbps);
    return {};
}

std::string PlanAvi(const EncoderRequest& request, OutputPlan& plan) {
    const auto codecs = encoder::availableAviCodecs();
    const auto index = ChooseAviCodec(codecs, request.encoding->videoCodec);
    if (!index)
        return codecs.empty() ? "no AVI video codec is installed"
                              : "no AVI codec is called " + request.encoding->videoCodec +
                                    " (see --list-codecs)";
    encoder::EncoderSettings settings;
    settings.video = Picture(request);
    settings.aviVideo = settings.video;
    if (std::string error = AviSound(*request.encoding, settings.aviAudio); !error.empty())
        return error;
    const encoder::AviCodec& codec = codecs[*index];
    encoder::Status status =
        encoder::planAvi(settings, codec, AviCodecOptions(codec, *request.encoding), plan);
    if (!codec.fixedFormat)
        plan.video->frameRate = Exact(request.frameRate);
    return status.ok() ? std::string() : status.message();
}

std::string PlanMpeg(const EncoderRequest& request, OutputPlan& plan) {
    const ConversionSettings defaults;
    const EncodingOptions& encoding = *request.encoding;
    encoder::EncoderSettings settings;
    settings.video = Picture(request);
    settings.mpegVideo = encoder::MpegVideoSettings{
        encoding.mpegVersion.value_or(defaults.mpegVersion + 1),
        encoding.videoKbps.value_or(std::stoi(defaults.mpegVideoBitrate)), settings.video};
    settings.mpegAudio = encoder::MpegAudioSettings{
        encoding.audioKbps.value_or(std::stoi(defaults.mpegAudioBitrate)), 44100, kStereo};
    encoder::Status status = encoder::planMpeg(settings, plan);
    return status.ok() ? std::string() : status.message();
}

std::string PlanProfile(const EncoderRequest& request, OutputPlan& plan) {
    const bool wmv = request.kind == OutputKind::Wmv;
    const auto profiles = wmv ? encoder::wmvProfiles() : encoder::rmProfiles();
    // The program's default is the last profile of each list, the best one.
    const std::size_t index = static_cast<std::size_t>(
        request.encoding->profile.value_or(static_cast<int>(profiles.size())));
    if (index < 1 || index > profiles.size())
        return "there are " + std::to_string(profiles.size()) + (wmv ? " WMV" : " RM") +
               " profiles; see --list-codecs";
    encoder::EncoderSettings settings;
    settings.video = Picture(request);
    encoder::Status status = wmv ? encoder::planWmv(settings, profiles[index - 1], plan)
                                 : encoder::planRm(settings, profiles[index - 1], plan);
    plan.video->frameRate = Exact(request.frameRate);
    return status.ok() ? std::string() : status.message();
}

encoder::ExtendedContainer ContainerOf(OutputKind kind) {
    switch (kind) {
    case OutputKind::Matroska:
        return encoder::ExtendedContainer::Matroska;
    case OutputKind::WebM:
        return encoder::ExtendedContainer::WebM;
    case OutputKind::Gif:
        return encoder::ExtendedContainer::Gif;
    case OutputKind::PngSequence:
        return encoder::ExtendedContainer::PngSequence;
    default:
        return encoder::ExtendedContainer::Mp4;
    }
}

std::string PlanExtended(const EncoderRequest& request, OutputPlan& plan) {
    const EncodingOptions& encoding = *request.encoding;
    encoder::ExtendedOutputSettings settings;
    settings.container = ContainerOf(request.kind);
    settings.width = request.width;
    settings.height = request.height;
    settings.frameRate = Exact(request.frameRate);
    settings.videoCodec = encoding.videoCodec;
    settings.audioCodec = encoding.audioCodec;
    settings.videoBitRate = std::int64_t{encoding.videoKbps.value_or(0)} * 1000;
    settings.quality = encoding.quality;
    settings.preset = encoding.preset;
    settings.audioKbps = encoding.audioKbps.value_or(0);
    settings.alpha = encoding.transparent;
    settings.threadCount = request.threadCount;
    encoder::Status status = encoder::planExtendedOutput(settings, plan);
    return status.ok() ? std::string() : status.message();
}

std::string PlanKind(const EncoderRequest& request, OutputPlan& plan) {
    const bool soundless = request.encoding->audioCodec == "none";
    EncodingOptions encoding = *request.encoding;
    if (soundless)
        encoding.audioCodec.clear();
    EncoderRequest adjusted = request;
    adjusted.encoding = &encoding;
    std::string error;
    switch (request.kind) {
    case OutputKind::Avi:
        error = PlanAvi(adjusted, plan);
        break;
    case OutputKind::Mpeg:
        error = PlanMpeg(adjusted, plan);
        break;
    case OutputKind::Wmv:
    case OutputKind::Rm:
        error = PlanProfile(adjusted, plan);
        break;
    default:
        error = PlanExtended(adjusted, plan);
        break;
    }
    if (soundless)
        plan.audio.reset();
    return error;
}

} // namespace

std::string PlanEncoder(const EncoderRequest& request, OutputPlan& plan) {
    const EncodingOptions& encoding = *request.encoding;
    const bool programKind = request.kind == OutputKind::Mpeg || request.kind == OutputKind::Wmv ||
                             request.kind == OutputKind::Rm;
    if (programKind && (!encoding.videoCodec.empty() ||
                        (!encoding.audioCodec.empty() && encoding.audioCodec != "none")))
        return "MPEG, WMV and RM outputs have fixed codecs; choose a profile or another format";
    std::string error = PlanKind(request, plan);
    if (!error.empty())
        return error;
    // Frames come at the asked rate; where a codec keeps its own (MPEG, DV)
    // the encoder repeats or drops frames to keep time.
    if (plan.video)
        plan.video->sourceFrameRate = Exact(request.frameRate);
    // The converter keeps every sound sample at its frame's time. Where the
    // container cannot skip an encoder's priming, the first milliseconds of
    // the movie's sound give way to it rather than all the sound coming late.
    if (plan.audio && plan.audio->priming == encoder::PrimingSamples::PlayedAsSilence)
        plan.audio->priming = encoder::PrimingSamples::TrimmedFromInput;
    // The encoders' own refusal of a size says only "invalid argument".
    if (plan.video)
        if (auto breach =
                encoder::CheckCodecPictureSize(plan.video->encoderName, plan.container.muxerName,
                                               plan.video->width, plan.video->height))
            return "frames of " + std::to_string(plan.video->width) + " x " +
                   std::to_string(plan.video->height) +
                   " pixels are too large for this output: " + breach->rule + "; give --size " +
                   std::to_string(breach->fittingWidth) + "x" +
                   std::to_string(breach->fittingHeight) + " or choose another format";
    if (encoding.transparent && (!plan.video || !encoder::carriesAlpha(*plan.video)))
        return "this output cannot keep transparency; use mkv, webm, gif or png, or an AVI with "
               "--vcodec huffyuv";
    return {};
}

} // namespace vidorama::cli
