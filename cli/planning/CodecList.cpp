#include "core/AviCodecCatalog.h"
#include "core/ExtendedOutputPlanner.h"
#include "core/StreamProfile.h"
#include "planning/EncoderPlan.h"

namespace vidorama::cli {

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

std::string NumberedProfiles(const std::vector<encoder::StreamProfile>& profiles) {
    std::string text;
    for (std::size_t i = 0; i < profiles.size(); ++i)
        text += "  " + std::to_string(i + 1) + "  " + profiles[i].name + "\n";
    return text;
}

std::string ExtendedLine(const char* name, encoder::ExtendedContainer container) {
    std::string line =
        std::string("  ") + name + ": video " + Joined(encoder::videoCodecNames(container));
    const auto sound = encoder::audioCodecNames(container);
    line += sound.empty() ? ", no sound" : "; sound " + Joined(sound);
    return line + "\n";
}

} // namespace

std::string DescribeCodecs() {
    std::string text = "avi video codecs (--vcodec takes any part of a name):\n";
    for (const encoder::AviCodec& codec : encoder::availableAviCodecs())
        text += "  " + codec.name + "\n";
    text += "avi sound (--acodec): pcm (default), alaw, mp3, ulaw, adpcm, gsm, none\n";
    text += "mpeg: MPEG-1 or MPEG-2 video (--mpeg-version) with MPEG audio layer II\n";
    text += "wmv profiles (--profile):\n" + NumberedProfiles(encoder::wmvProfiles());
    text += "rm profiles (--profile):\n" + NumberedProfiles(encoder::rmProfiles());
    text += "other outputs (the first codec is the default):\n";
    text += ExtendedLine("mp4", encoder::ExtendedContainer::Mp4);
    text += ExtendedLine("mkv", encoder::ExtendedContainer::Matroska);
    text += ExtendedLine("webm", encoder::ExtendedContainer::WebM);
    text += ExtendedLine("gif", encoder::ExtendedContainer::Gif);
    text += ExtendedLine("png", encoder::ExtendedContainer::PngSequence);
    return text;
}

} // namespace vidorama::cli
