// Picture and sound stay together in the files the converter writes: in a
// movie whose stage turns white on the frames where a tone starts, the tone
// is heard within one frame of the white picture, read back by FFmpeg.

#include "ConversionFixture.h"
#include "swf/SwfStreamBlocks.h"

#include <QProcess>
#include <cmath>
#include <numbers>

namespace vidorama::test {
namespace {

constexpr int kFps = 25;
constexpr int kFrames = 50;
constexpr int kToneFrames = 5;
constexpr int kBeats[] = {10, 30};
constexpr double kToneHz = 1000;
constexpr int kSampleRate = 44100;

bool Beating(int frame) {
    for (int beat : kBeats)
        if (frame >= beat && frame < beat + kToneFrames)
            return true;
    return false;
}

// Black frames and silence, but white frames with a loud tone from each beat.
MovieWriter BeatMovie() {
    MovieWriter movie;
    movie.frameRect = {0, 640, 0, 480};
    movie.frameRate = kFps;
    movie.tag(tags::SetBackgroundColor({0, 0, 0, 255}));
    movie.tag(tags::DefineRectShape(1, {0, 640, 0, 480}, {255, 255, 255, 255}));
    const int total = kSampleRate * kFrames / kFps;
    std::vector<std::int16_t> sound(static_cast<std::size_t>(total));
    for (int i = 0; i < total; ++i)
        if (Beating(i * kFps / kSampleRate))
            sound[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(
                16000 * std::sin(2 * std::numbers::pi * kToneHz * i / kSampleRate));
    movie.tag(
        tags::SoundStreamHead({tags::Codec::LittleEndian, tags::Rate::k44}, kSampleRate / kFps));
    const auto blocks = tags::PcmStreamBlocks(sound, kSampleRate, kFps, 1);
    for (int k = 0; k < kFrames; ++k) {
        std::vector<Bytes> frame{blocks[static_cast<std::size_t>(k)]};
        if (Beating(k) && !Beating(k - 1))
            frame.push_back(tags::PlaceAt(1, 1));
        if (!Beating(k) && Beating(k - 1))
            frame.push_back(tags::RemoveObject2(1));
        movie.frame(frame);
    }
    return movie;
}

QByteArray Decode(const std::string& file, const QStringList& output) {
    QProcess ffmpeg;
    ffmpeg.start(VIDORAMA_FFMPEG, QStringList{"-v", "error", "-i", QString::fromStdString(file)} +
                                      output + QStringList{"-"});
    EXPECT_TRUE(ffmpeg.waitForFinished(60000));
    return ffmpeg.readAllStandardOutput();
}

// Seconds from the start at which each white run of frames begins.
std::vector<double> PictureOnsets(const std::string& file) {
    const QByteArray gray = Decode(file, {"-map", "0:v", "-fps_mode", "passthrough", "-s", "4x3",
                                          "-pix_fmt", "gray", "-f", "rawvideo"});
    std::vector<double> onsets;
    bool white = false;
    for (int frame = 0; frame * 12 < gray.size(); ++frame) {
        const bool now = static_cast<unsigned char>(gray[frame * 12 + 5]) > 128;
        if (now && !white)
            onsets.push_back(static_cast<double>(frame) / kFps);
        white = now;
    }
    return onsets;
}

// Seconds at which each loud passage begins, the sound laid out from time 0
// as the file's time stamps place it.
std::vector<double> SoundOnsets(const std::string& file) {
    const QByteArray pcm = Decode(file, {"-map", "0:a", "-af", "aresample=async=1:first_pts=0",
                                         "-ac", "1", "-ar", "44100", "-f", "s16le"});
    const auto* samples = reinterpret_cast<const std::int16_t*>(pcm.constData());
    std::vector<double> onsets;
    int quietSince = 0;
    for (int i = 0; i < static_cast<int>(pcm.size() / 2); ++i) {
        if (std::abs(samples[i]) < 4000) {
            ++quietSince;
            continue;
        }
        // A tone is loud in every few samples; a gap of a tenth of a second
        // separates two of them.
        if (quietSince > kSampleRate / 10 || onsets.empty())
            onsets.push_back(static_cast<double>(i) / kSampleRate);
        quietSince = 0;
    }
    return onsets;
}

class AvAlignment : public ConversionFixture {};

TEST_F(AvAlignment, ToneAndPictureChangeTogetherWithinOneFrame) {
    const std::string movie = WriteMovie(path("beats.swf"), BeatMovie());
    const struct {
        const char* file;
        cli::OutputKind kind;
        const char* audioCodec;
    } outputs[] = {{"b.mp4", cli::OutputKind::Mp4, ""},
                   {"b.avi", cli::OutputKind::Avi, "mp3"},
                   {"b.webm", cli::OutputKind::WebM, ""}};
    for (const auto& output : outputs) {
        SCOPED_TRACE(output.file);
        cli::ConvertOptions options;
        options.encoding.audioCodec = output.audioCodec;
        const cli::JobResult result = convert(movie, path(output.file), output.kind, options);
        ASSERT_TRUE(result.ok) << result.message;
        const std::vector<double> pictures = PictureOnsets(path(output.file));
        const std::vector<double> sounds = SoundOnsets(path(output.file));
        ASSERT_EQ(pictures.size(), std::size(kBeats));
        ASSERT_EQ(sounds.size(), std::size(kBeats));
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            EXPECT_NEAR(pictures[i], static_cast<double>(kBeats[i]) / kFps, 1e-9);
            EXPECT_NEAR(sounds[i], pictures[i], 1.0 / kFps) << "beat " << i;
        }
    }
}

} // namespace
} // namespace vidorama::test
