// How the encoder component answers the calls the program makes around the
// writing itself: lists, closing, refused settings, failed paths, adapted
// sizes and the stream positions.

#include "ClipWriter.h"
#include "EncoderTestSupport.h"
#include "MediaProbe.h"
#include "core/FfmpegVideoEncoder.h"
#include "core/OutputPlanner.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <unistd.h>

namespace vidorama::encoder::test {
namespace {

constexpr auto kAvi = static_cast<std::int32_t>(OutputFileType::Avi);
constexpr auto kMpeg = static_cast<std::int32_t>(OutputFileType::Mpeg);
constexpr auto kWmv = static_cast<std::int32_t>(OutputFileType::Wmv);
constexpr auto kRm = static_cast<std::int32_t>(OutputFileType::Rm);

// The program's default-codec rule reads names reduced to upper-case ASCII
// letters and digits.
std::string reduced(const std::string& name) {
    std::string result;
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

std::vector<std::string> codecNames(IVideoEncoder& encoder) {
    std::int32_t count = 0;
    EXPECT_EQ(encoder.GetVideoCodecCount(&count), S_OK);
    std::vector<std::string> names;
    for (std::int32_t number = 1; number <= count; ++number) {
        std::string name;
        EXPECT_EQ(encoder.SelectVideoCodec(number), S_OK);
        EXPECT_EQ(encoder.GetVideoCodecName(&name), S_OK);
        names.push_back(name);
    }
    return names;
}

std::ptrdiff_t firstContaining(const std::vector<std::string>& names, const std::string& text) {
    const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
        return reduced(name).find(text) != std::string::npos;
    });
    return found == names.end() ? -1 : found - names.begin();
}

TEST(EncoderLists, CodecNamesServeTheProgramsRules) {
    FfmpegVideoEncoder encoder;
    const auto names = codecNames(encoder);
    ASSERT_EQ(names.size(), 12u) << "an encoder is missing from the installed FFmpeg";
    // The default rule prefers XVID, then MICROSOFTMPEG, then MICROSOFTVIDEO.
    EXPECT_EQ(firstContaining(names, "XVID"), 0);
    EXPECT_GT(firstContaining(names, "MICROSOFTMPEG"), 0);
    EXPECT_GT(firstContaining(names, "MICROSOFTVIDEO"), 0);
    // The DV rule looks for this text and forces 720 x 576.
    const auto dv = std::count_if(names.begin(), names.end(), [](const std::string& name) {
        return name.find("MainConcept DV") != std::string::npos;
    });
    EXPECT_EQ(dv, 1);
}

TEST(EncoderLists, ProfilesAreNumberedFromOneAndNamed) {
    FfmpegVideoEncoder encoder;
    std::int32_t wmv = 0;
    std::int32_t rm = 0;
    ASSERT_EQ(encoder.GetWmvProfileCount(&wmv), S_OK);
    ASSERT_EQ(encoder.GetRmProfileCount(&rm), S_OK);
    EXPECT_EQ(wmv, 6);
    EXPECT_EQ(rm, 5);
    std::vector<std::string> names;
    for (std::int32_t number = 1; number <= wmv; ++number) {
        ASSERT_EQ(encoder.SelectWmvProfile(number), S_OK);
        names.emplace_back();
        ASSERT_EQ(encoder.GetWmvProfileName(&names.back()), S_OK);
    }
    for (std::int32_t number = 1; number <= rm; ++number) {
        names.emplace_back();
        ASSERT_EQ(encoder.GetRmProfileName(number, &names.back()), S_OK);
    }
    EXPECT_NE(names[static_cast<std::size_t>(wmv) - 1].find("best quality"), std::string::npos);
    EXPECT_NE(names.back().find("best quality"), std::string::npos);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << "duplicate name";
}

TEST(EncoderConfiguration, RefusesWhatNoOutputCanTake) {
    FfmpegVideoEncoder encoder;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(encoder.SetVideoFormat(0, 48, 10.0), E_INVALIDARG);
    EXPECT_EQ(encoder.SetVideoFormat(64, -48, 10.0), E_INVALIDARG);
    EXPECT_EQ(encoder.SetVideoFormat(64, 100000, 10.0), E_INVALIDARG);
    EXPECT_EQ(encoder.SetVideoFormat(64, 48, 0.0), E_INVALIDARG);
    EXPECT_EQ(encoder.SetVideoFormat(64, 48, nan), E_INVALIDARG);
    EXPECT_EQ(encoder.SetAviVideoFormat(64, 48, -1.0), E_INVALIDARG);
    EXPECT_EQ(encoder.SetMpegVideo(3, 1150, 64, 48, 25.0), E_INVALIDARG);
    EXPECT_EQ(encoder.SetMpegAudio(128, 44100, 6), E_INVALIDARG);
    EXPECT_EQ(encoder.SetAviAudioPcm(44100, 2, 12), E_INVALIDARG);
    EXPECT_EQ(encoder.SetAviAudioAlaw(44100, 3), E_INVALIDARG);
    EXPECT_EQ(encoder.SetAviAudioMp3(1000, 44100, 2), E_INVALIDARG);
    EXPECT_EQ(encoder.SetAudioInput(0, 2), E_INVALIDARG);
    EXPECT_EQ(encoder.SelectVideoCodec(0), E_INVALIDARG);
    EXPECT_EQ(encoder.SelectVideoCodec(13), E_INVALIDARG);
    EXPECT_EQ(encoder.SelectWmvProfile(7), E_INVALIDARG);
    EXPECT_EQ(encoder.SelectRmProfile(-1), E_INVALIDARG);
    std::string name;
    EXPECT_EQ(encoder.GetRmProfileName(6, &name), E_INVALIDARG);
    EXPECT_EQ(encoder.GetVideoCodecName(nullptr), E_POINTER);
    EXPECT_EQ(encoder.GetVideoPosition(nullptr), E_POINTER);
    EXPECT_EQ(encoder.OpenOutput("/tmp/never-written.avi", 5), E_INVALIDARG);
    EXPECT_FALSE(fileExists("/tmp/never-written.avi"));
    // A refused call leaves the earlier selection in place.
    ASSERT_EQ(encoder.SelectVideoCodec(2), S_OK);
    EXPECT_EQ(encoder.SelectVideoCodec(99), E_INVALIDARG);
    EXPECT_EQ(encoder.GetVideoCodecName(&name), S_OK);
    EXPECT_NE(name.find("MPEG-4 part 2"), std::string::npos);
}

TEST(EncoderOutputLifecycle, CloseWithNothingOpenSucceeds) {
    FfmpegVideoEncoder encoder;
    EXPECT_EQ(encoder.CloseOutput(), S_OK);
    EXPECT_EQ(encoder.CloseOutput(), S_OK);
    auto frame = ByteArray::Create({4, 64, 48});
    auto block = SampleArray::Create({4096});
    EXPECT_EQ(encoder.WriteVideoFrame(*frame), E_UNEXPECTED);
    EXPECT_EQ(encoder.WriteAudio(*block), E_UNEXPECTED);
}

TEST(EncoderOutputLifecycle, UnwritablePathFailsAndLeavesNothing) {
    TempDir dir;
    FfmpegVideoEncoder encoder;
    const ClipShape clip;
    ASSERT_EQ(configureAvi(encoder, clip, "Xvid"), S_OK);
    ASSERT_EQ(encoder.SetMpegVideo(1, 1150, 64, 48, 25.0), S_OK);
    const std::string missingFolder = dir.file("missing/clip.out");
    for (std::int32_t type : {kAvi, kMpeg, kWmv, kRm}) {
        EXPECT_LT(encoder.OpenOutput(missingFolder, type), 0) << "type " << type;
        EXPECT_FALSE(fileExists(missingFolder));
        EXPECT_LT(encoder.OpenOutput(dir.path(), type), 0) << "type " << type;
        EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
    }
    if (geteuid() != 0) {
        const std::string locked = dir.file("locked");
        std::filesystem::create_directory(locked);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
        EXPECT_LT(encoder.OpenOutput(locked + "/clip.avi", kAvi), 0);
        EXPECT_FALSE(fileExists(locked + "/clip.avi"));
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    }
    EXPECT_EQ(encoder.WriteVideoFrame(*ByteArray::Create({4, 64, 48})), E_UNEXPECTED);
    // The failures leave the encoder ready for the next output.
    EXPECT_EQ(encoder.OpenOutput(dir.file("good.avi"), kAvi), S_OK) << encoder.lastError();
    EXPECT_EQ(encoder.CloseOutput(), S_OK);
    EXPECT_TRUE(fileExists(dir.file("good.avi")));
}

TEST(EncoderOutputLifecycle, FailedWritesEndCleanlyAndSpareForeignFiles) {
    if (!fileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    FfmpegVideoEncoder encoder;
    ClipShape clip;
    clip.frames = 25;
    ASSERT_EQ(configureAvi(encoder, clip, "Uncompressed RGB"), S_OK);
    ASSERT_EQ(encoder.OpenOutput("/dev/full", kAvi), S_OK) << encoder.lastError();
    const ClipResult written = writeClip(encoder, clip);
    const HRESULT closed = encoder.CloseOutput();
    EXPECT_TRUE(written.status < 0 || closed < 0) << "a full device accepted the clip";
    EXPECT_TRUE(fileExists("/dev/full"));
    EXPECT_EQ(encoder.CloseOutput(), S_OK);
}

TEST(EncoderOutputLifecycle, OpeningAgainCompletesTheOpenOutput) {
    if (!ffprobeAvailable())
        GTEST_SKIP() << "ffprobe is not installed";
    TempDir dir;
    FfmpegVideoEncoder encoder;
    ClipShape clip;
    clip.frames = 5;
    ASSERT_EQ(configureAvi(encoder, clip, "Motion JPEG"), S_OK);
    ASSERT_EQ(encoder.OpenOutput(dir.file("first.avi"), kAvi), S_OK);
    ASSERT_EQ(writeClip(encoder, clip).status, S_OK);
    ASSERT_EQ(encoder.OpenOutput(dir.file("second.avi"), kAvi), S_OK);
    ASSERT_EQ(encoder.CloseOutput(), S_OK);
    const auto first = probeMedia(dir.file("first.avi"));
    ASSERT_TRUE(first.has_value());
    ASSERT_NE(first->stream("video"), nullptr);
    EXPECT_EQ(first->stream("video")->decodedFrames, 5);
    EXPECT_TRUE(probeMedia(dir.file("second.avi")).has_value());
}

TEST(EncoderWriting, BadBuffersAreRefusedWithoutSpoilingTheOutput) {
    if (!ffprobeAvailable())
        GTEST_SKIP() << "ffprobe is not installed";
    TempDir dir;
    FfmpegVideoEncoder encoder;
    const ClipShape clip;
    ASSERT_EQ(configureAvi(encoder, clip, "Xvid"), S_OK);
    ASSERT_EQ(encoder.OpenOutput(dir.file("clip.avi"), kAvi), S_OK);
    EXPECT_EQ(encoder.WriteVideoFrame(*ByteArray::Create({100})), E_INVALIDARG);
    EXPECT_EQ(encoder.WriteVideoFrame(*ByteArray::Create({4, 0, 48})), E_INVALIDARG);
    EXPECT_EQ(encoder.WriteAudio(*SampleArray::Create({3})), E_INVALIDARG);
    // A frame of another size than configured is scaled to the output.
    EXPECT_EQ(encoder.WriteVideoFrame(*ByteArray::Create({4, 33, 17})), S_OK);
    EXPECT_EQ(encoder.WriteVideoFrame(*ByteArray::Create({4, 64, 48})), S_OK);
    EXPECT_EQ(encoder.WriteAudio(*SampleArray::Create({4096})), S_OK);
    ASSERT_EQ(encoder.CloseOutput(), S_OK) << encoder.lastError();
    const auto info = probeMedia(dir.file("clip.avi"));
    ASSERT_TRUE(info.has_value());
    ASSERT_NE(info->stream("video"), nullptr);
    EXPECT_EQ(info->stream("video")->decodedFrames, 2);
    EXPECT_EQ(info->stream("video")->width, 64);
}

TEST(EncoderWriting, PositionsCountMillisecondsOfEachStream) {
    TempDir dir;
    FfmpegVideoEncoder encoder;
    const ClipShape clip; // 10 frames per second
    ASSERT_EQ(configureAvi(encoder, clip, "Xvid"), S_OK);
    ASSERT_EQ(encoder.OpenOutput(dir.file("clip.avi"), kAvi), S_OK);
    auto frame = ByteArray::Create({4, 64, 48});
    auto block = SampleArray::Create({2 * kBlockSampleFrames});
    std::uint32_t video = 1;
    std::uint32_t audio = 1;
    ASSERT_EQ(encoder.GetVideoPosition(&video), S_OK);
    ASSERT_EQ(encoder.GetAudioPosition(&audio), S_OK);
    EXPECT_EQ(video, 0u);
    EXPECT_EQ(audio, 0u);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(encoder.WriteVideoFrame(*frame), S_OK);
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(encoder.WriteAudio(*block), S_OK);
    encoder.GetVideoPosition(&video);
    encoder.GetAudioPosition(&audio);
    EXPECT_EQ(video, 300u);
    EXPECT_EQ(audio, 7u * kBlockSampleFrames * 1000 / kInputSampleRate);
    EXPECT_EQ(encoder.CloseOutput(), S_OK);
}

struct SizeCase {
    const char* label;
    std::int32_t type;
    const char* codec; // AVI codec, or nullptr
    int width;
    int height;
};

TEST(EncoderWriting, SizesACodecCannotTakeAreRoundedUp) {
    if (!ffprobeAvailable())
        GTEST_SKIP() << "ffprobe is not installed";
    const SizeCase cases[] = {
        {"Cinepak", kAvi, "Cinepak", 164, 124},  {"Xvid", kAvi, "Xvid", 162, 122},
        {"H.264", kAvi, "H.264", 162, 122},      {"FFV1", kAvi, "FFV1", 161, 121},
        {"MPEG", kMpeg, nullptr, 162, 122},      {"WMV", kWmv, nullptr, 162, 122},
        {"RealVideo 1", kRm, nullptr, 176, 128},
    };
    TempDir dir;
    ClipShape clip;
    clip.width = 161;
    clip.height = 121;
    clip.frames = 3;
    for (const SizeCase& c : cases) {
        FfmpegVideoEncoder encoder;
        if (c.codec) {
            ASSERT_EQ(configureAvi(encoder, clip, c.codec), S_OK) << c.label;
        }
        ASSERT_EQ(encoder.SetVideoFormat(clip.width, clip.height, clip.frameRate), S_OK);
        ASSERT_EQ(encoder.SetMpegVideo(2, 1150, clip.width, clip.height, 25.0), S_OK);
        ASSERT_EQ(encoder.SelectRmProfile(1), S_OK);
        const std::string path = dir.file(c.label);
        ASSERT_EQ(encoder.OpenOutput(path, c.type), S_OK) << c.label << ": " << encoder.lastError();
        ASSERT_EQ(writeClip(encoder, clip).status, S_OK) << c.label;
        ASSERT_EQ(encoder.CloseOutput(), S_OK) << c.label;
        const auto info = probeMedia(path);
        ASSERT_TRUE(info.has_value()) << c.label;
        const StreamInfo* video = info->stream("video");
        ASSERT_NE(video, nullptr) << c.label;
        EXPECT_EQ(video->width, c.width) << c.label;
        EXPECT_EQ(video->height, c.height) << c.label;
    }
}

// FFmpeg's RealMedia muxer refuses a video frame over 64 kB. Random pixels
// at 640 x 480 make frames several times that at any quantiser, so every
// one of them needs the encoder's fallback.
TEST(EncoderWriting, RealMediaFramesAlwaysFitThePacketLimit) {
    if (!ffprobeAvailable())
        GTEST_SKIP() << "ffprobe is not installed";
    TempDir dir;
    FfmpegVideoEncoder encoder;
    ClipShape clip;
    clip.width = 640;
    clip.height = 480;
    clip.frameRate = 12.0;
    clip.frames = 3;
    clip.noise = true;
    ASSERT_EQ(encoder.SelectRmProfile(5), S_OK);
    ASSERT_EQ(encoder.SetVideoFormat(clip.width, clip.height, clip.frameRate), S_OK);
    ASSERT_EQ(encoder.OpenOutput(dir.file("noise.rm"), kRm), S_OK) << encoder.lastError();
    ASSERT_EQ(writeClip(encoder, clip).status, S_OK) << encoder.lastError();
    ASSERT_EQ(encoder.CloseOutput(), S_OK) << encoder.lastError();
    const auto info = probeMedia(dir.file("noise.rm"));
    ASSERT_TRUE(info.has_value());
    ASSERT_NE(info->stream("video"), nullptr);
    EXPECT_EQ(info->stream("video")->decodedFrames, clip.frames);
    EXPECT_LE(info->largestVideoPacket, static_cast<std::int64_t>(kRealMediaMaxVideoPacket));
}

TEST(EncoderWriting, MpegTakesEveryRateOfTheSettingsLists) {
    TempDir dir;
    FfmpegVideoEncoder encoder;
    ClipShape clip;
    clip.frames = 2;
    ASSERT_EQ(encoder.SetAudioInput(44100, 2), S_OK);
    for (int version : {1, 2}) {
        for (int videoKbps : {750, 1150, 1500, 1950, 2376}) {
            for (int audioKbps : {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384}) {
                ASSERT_EQ(encoder.SetMpegAudio(audioKbps, 44100, 2), S_OK);
                ASSERT_EQ(encoder.SetMpegVideo(version, videoKbps, 64, 64, 25.0), S_OK);
                const std::string path = dir.file("clip.mpeg");
                ASSERT_EQ(encoder.OpenOutput(path, kMpeg), S_OK)
                    << version << " " << videoKbps << " " << audioKbps << encoder.lastError();
                ASSERT_EQ(writeClip(encoder, clip).status, S_OK);
                ASSERT_EQ(encoder.CloseOutput(), S_OK);
            }
        }
    }
}

} // namespace
} // namespace vidorama::encoder::test
