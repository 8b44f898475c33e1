// Writes a short clip in every output kind, every AVI codec and every AVI
// sound format, then reads the file back with ffprobe.

#include "ClipWriter.h"
#include "EncoderTestSupport.h"
#include "MediaProbe.h"
#include "core/FfmpegVideoEncoder.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace vidorama::encoder::test {
namespace {

struct OutputCase {
    std::string label;
    OutputFileType type = OutputFileType::Avi;
    std::function<HRESULT(IVideoEncoder&, const ClipShape&)> configure;
    ClipShape clip;
    std::string format;
    std::string videoCodec;
    int width = 64;
    int height = 48;
    double streamRate = 0.0;   // 0: the clip's rate
    std::string frameRateText; // the exact stream rate, where it matters
    std::string audioCodec;
    int audioRate = 44100;
    int audioChannels = 2;
    // Samples (at the output rate) a decoder may add or drop: the codec's
    // block, and for MP3 and MPEG audio the encoder's priming samples.
    int audioSlack = 0;
};

void PrintTo(const OutputCase& c, std::ostream* os) {
    *os << c.label;
}

OutputCase aviCodecCase(std::string label, std::string codecName, std::string ffprobeCodec) {
    OutputCase c;
    c.label = std::move(label);
    c.configure = [codecName](IVideoEncoder& encoder, const ClipShape& clip) {
        return configureAvi(encoder, clip, codecName);
    };
    c.format = "avi";
    c.videoCodec = std::move(ffprobeCodec);
    c.audioCodec = "pcm_s16le";
    return c;
}

OutputCase aviAudioCase(std::string label, std::function<HRESULT(IVideoEncoder&)> audio,
                        std::string codec, int rate, int channels, int slack) {
    OutputCase c;
    c.label = std::move(label);
    c.configure = [audio](IVideoEncoder& encoder, const ClipShape& clip) {
        return configureAvi(encoder, clip, "Xvid", audio);
    };
    c.format = "avi";
    c.videoCodec = "mpeg4";
    c.audioCodec = std::move(codec);
    c.audioRate = rate;
    c.audioChannels = channels;
    c.audioSlack = slack;
    return c;
}

std::vector<OutputCase> aviCodecCases() {
    std::vector<OutputCase> cases{
        aviCodecCase("Xvid", "Xvid", "mpeg4"),
        aviCodecCase("Mpeg4Part2", "MPEG-4 part 2", "mpeg4"),
        aviCodecCase("MsMpeg4v2", "MPEG-4 v2", "msmpeg4v2"),
        aviCodecCase("MsMpeg4v3", "MPEG-4 v3", "msmpeg4v3"),
        aviCodecCase("MicrosoftVideo1", "Microsoft Video 1", "msvideo1"),
        aviCodecCase("MotionJpeg", "Motion JPEG", "mjpeg"),
        aviCodecCase("H264", "H.264", "h264"),
        aviCodecCase("Ffv1", "FFV1", "ffv1"),
        aviCodecCase("HuffYuv", "HuffYUV", "huffyuv"),
        aviCodecCase("Cinepak", "Cinepak", "cinepak"),
        aviCodecCase("UncompressedRgb", "Uncompressed RGB", "rawvideo"),
    };
    // DV takes 720 x 576 at 25 frames per second whatever it is given: the
    // program sets that size, hands over smaller frames, and runs at 10 fps.
    OutputCase dv = aviCodecCase("DvPal", "MainConcept DV", "dvvideo");
    dv.configure = [](IVideoEncoder& encoder, const ClipShape& clip) {
        const HRESULT hr = configureAvi(encoder, clip, "MainConcept DV");
        if (hr != S_OK)
            return hr;
        const HRESULT sized = encoder.SetVideoFormat(720, 576, clip.frameRate);
        return sized == S_OK ? encoder.SetAviVideoFormat(720, 576, clip.frameRate) : sized;
    };
    dv.width = 720;
    dv.height = 576;
    dv.streamRate = 25.0;
    cases.push_back(dv);
    return cases;
}

std::vector<OutputCase> aviAudioCases() {
    constexpr int kMp3Slack = 1152 + 1105;
    return {
        aviAudioCase(
            "PcmMono8Bit", [](IVideoEncoder& e) { return e.SetAviAudioPcm(44100, 1, 8); }, "pcm_u8",
            44100, 1, 0),
        aviAudioCase(
            "AlawStereo", [](IVideoEncoder& e) { return e.SetAviAudioAlaw(44100, 2); }, "pcm_alaw",
            44100, 2, 0),
        aviAudioCase(
            "UlawMono", [](IVideoEncoder& e) { return e.SetAviAudioUlaw(44100, 1); }, "pcm_mulaw",
            44100, 1, 0),
        aviAudioCase(
            "Mp3Stereo", [](IVideoEncoder& e) { return e.SetAviAudioMp3(128, 44100, 2); }, "mp3",
            44100, 2, kMp3Slack),
        aviAudioCase(
            "Mp3Mono", [](IVideoEncoder& e) { return e.SetAviAudioMp3(64, 44100, 1); }, "mp3",
            44100, 1, kMp3Slack),
        aviAudioCase(
            "AdpcmStereo", [](IVideoEncoder& e) { return e.SetAviAudioAdpcm(44100, 2); },
            "adpcm_ms", 44100, 2, 2048),
        aviAudioCase(
            "AdpcmMono", [](IVideoEncoder& e) { return e.SetAviAudioAdpcm(44100, 1); }, "adpcm_ms",
            44100, 1, 2048),
        aviAudioCase(
            "Gsm", [](IVideoEncoder& e) { return e.SetAviAudioGsm(44100); }, "gsm_ms", 8000, 1,
            320),
    };
}

OutputCase mpegCase(std::string label, int version, double rate, std::string rateText,
                    double streamRate) {
    OutputCase c;
    c.label = std::move(label);
    c.type = OutputFileType::Mpeg;
    c.clip.frameRate = rate;
    c.configure = [version](IVideoEncoder& encoder, const ClipShape& clip) {
        HRESULT hr = encoder.SetAudioInput(44100, 2);
        if (hr == S_OK)
            hr = encoder.SetMpegAudio(128, 44100, 2);
        if (hr == S_OK)
            hr = encoder.SetVideoFormat(clip.width, clip.height, clip.frameRate);
        if (hr == S_OK)
            hr = encoder.SetMpegVideo(version, 1150, clip.width, clip.height, clip.frameRate);
        return hr;
    };
    c.format = "mpeg";
    c.videoCodec = version == 2 ? "mpeg2video" : "mpeg1video";
    c.streamRate = streamRate;
    c.frameRateText = std::move(rateText);
    c.audioCodec = "mp2";
    c.audioSlack = 1152 + 481;
    return c;
}

OutputCase profileCase(OutputFileType type, int number, std::string video, int rate, int channels) {
    OutputCase c;
    c.label = (type == OutputFileType::Wmv ? "Wmv" : "Rm") + std::string("Profile") +
              std::to_string(number);
    c.type = type;
    c.clip.frameRate = 12.0;
    c.configure = [type, number](IVideoEncoder& encoder, const ClipShape& clip) {
        HRESULT hr = type == OutputFileType::Wmv ? encoder.SelectWmvProfile(number)
                                                 : encoder.SelectRmProfile(number);
        if (hr == S_OK)
            hr = encoder.SetVideoFormat(clip.width, clip.height, clip.frameRate);
        if (hr == S_OK)
            hr = encoder.SetAudioInput(44100, 2);
        return hr;
    };
    c.format = type == OutputFileType::Wmv ? "asf" : "rm";
    c.videoCodec = std::move(video);
    c.audioCodec = type == OutputFileType::Wmv ? "wmav2" : "ac3";
    c.audioRate = rate;
    c.audioChannels = channels;
    c.audioSlack = type == OutputFileType::Wmv ? 2048 : 1536;
    return c;
}

std::vector<OutputCase> streamCases() {
    return {
        mpegCase("Mpeg1At2397", 1, 23.97, "24000/1001", 24000.0 / 1001.0),
        mpegCase("Mpeg2At2997", 2, 29.97, "30000/1001", 30000.0 / 1001.0),
        mpegCase("Mpeg1At25", 1, 25.0, "25/1", 25.0),
        // A rate MPEG does not have gets the nearest legal one, and frames
        // are repeated so that the picture keeps its time.
        mpegCase("Mpeg2At12", 2, 12.0, "24000/1001", 24000.0 / 1001.0),
        profileCase(OutputFileType::Wmv, 1, "wmv1", 22050, 1),
        profileCase(OutputFileType::Wmv, 2, "wmv2", 32000, 1),
        profileCase(OutputFileType::Wmv, 3, "wmv2", 44100, 2),
        profileCase(OutputFileType::Wmv, 4, "wmv2", 44100, 2),
        profileCase(OutputFileType::Wmv, 5, "wmv2", 44100, 2),
        profileCase(OutputFileType::Wmv, 6, "wmv2", 44100, 2),
        profileCase(OutputFileType::Rm, 1, "rv10", 44100, 1),
        profileCase(OutputFileType::Rm, 2, "rv20", 44100, 1),
        profileCase(OutputFileType::Rm, 3, "rv20", 44100, 2),
        profileCase(OutputFileType::Rm, 4, "rv20", 44100, 2),
        profileCase(OutputFileType::Rm, 5, "rv20", 44100, 2),
    };
}

// Frames in the file: one per caller frame, unless the codec's fixed rate is
// a different clock, in which case frames are repeated to keep time.
std::int64_t expectedFrames(const ClipShape& clip, double streamRate) {
    if (std::fabs(streamRate / clip.frameRate - 1.0) <= 0.005)
        return clip.frames;
    return static_cast<std::int64_t>(std::ceil(clip.frames * streamRate / clip.frameRate - 1e-9));
}

class EncoderOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(EncoderOutput, WritesAClipThatProbesAsConfigured) {
    if (!ffprobeAvailable())
        GTEST_SKIP() << "ffprobe is not installed";
    const OutputCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("clip");
    FfmpegVideoEncoder encoder;
    ASSERT_EQ(c.configure(encoder, c.clip), S_OK) << encoder.lastError();
    ASSERT_EQ(encoder.OpenOutput(path, static_cast<std::int32_t>(c.type)), S_OK)
        << encoder.lastError();
    const ClipResult written = writeClip(encoder, c.clip);
    ASSERT_EQ(written.status, S_OK) << encoder.lastError();
    ASSERT_EQ(encoder.CloseOutput(), S_OK) << encoder.lastError();
    EXPECT_TRUE(written.positionsGrew);

    const auto info = probeMedia(path);
    ASSERT_TRUE(info.has_value()) << "ffprobe cannot read " << path;
    EXPECT_NE(info->format.find(c.format), std::string::npos) << info->format;

    const double streamRate = c.streamRate > 0.0 ? c.streamRate : c.clip.frameRate;
    const StreamInfo* video = info->stream("video");
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->codec, c.videoCodec);
    EXPECT_EQ(video->width, c.width);
    EXPECT_EQ(video->height, c.height);
    if (!c.frameRateText.empty()) {
        EXPECT_EQ(video->frameRate, c.frameRateText);
    }
    EXPECT_EQ(video->decodedFrames, expectedFrames(c.clip, streamRate));
    const double videoSeconds = static_cast<double>(video->decodedFrames) / streamRate;
    EXPECT_NEAR(video->decodedSeconds, videoSeconds, 1.0 / streamRate);

    const StreamInfo* audio = info->stream("audio");
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->codec, c.audioCodec);
    EXPECT_EQ(audio->sampleRate, c.audioRate);
    EXPECT_EQ(audio->channels, c.audioChannels);
    const double expectedSamples =
        static_cast<double>(written.sampleFramesWritten) * c.audioRate / kInputSampleRate;
    EXPECT_NEAR(static_cast<double>(audio->decodedSamples), expectedSamples, c.audioSlack + 1.0);

    // MPEG program streams carry no overall duration; ffprobe's guess from
    // scattered time stamps is not worth checking.
    if (c.type != OutputFileType::Mpeg) {
        const double slackSeconds = 1.0 / streamRate + (c.audioSlack + 2048.0) / c.audioRate;
        EXPECT_NEAR(info->durationSeconds, videoSeconds, slackSeconds);
    }
}

std::string caseName(const ::testing::TestParamInfo<OutputCase>& info) {
    return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(AviCodecs, EncoderOutput, ::testing::ValuesIn(aviCodecCases()), caseName);
INSTANTIATE_TEST_SUITE_P(AviSound, EncoderOutput, ::testing::ValuesIn(aviAudioCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Streams, EncoderOutput, ::testing::ValuesIn(streamCases()), caseName);

} // namespace
} // namespace vidorama::encoder::test
