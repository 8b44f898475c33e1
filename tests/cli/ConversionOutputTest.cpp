// What the converter writes, checked by reading the files back with ffprobe:
// frame counts, durations and sound lengths for the common rates, and every
// output kind.

#include "ConversionFixture.h"
#include "MediaProbe.h"

#include <QImage>
#include <cmath>

namespace vidorama::test {
namespace {

using encoder::test::MediaInfo;
using encoder::test::probeMedia;

constexpr int kRates[] = {10, 12, 24, 25, 30};

class ConversionOutput : public ConversionFixture {
protected:
    void SetUp() override {
        if (!encoder::test::ffprobeAvailable())
            GTEST_SKIP() << "ffprobe is not installed";
    }

    MediaInfo probe(const std::string& file) {
        auto info = probeMedia(file);
        EXPECT_TRUE(info) << file;
        return info.value_or(MediaInfo{});
    }
};

TEST_F(ConversionOutput, FramesAndDurationAreExactForCommonRates) {
    for (int fps : kRates) {
        SCOPED_TRACE(std::to_string(fps) + " fps");
        const int frames = fps + 7;
        const std::string movie = WriteMovie(path("m.swf"), NumberedFramesMovie(frames, fps));
        for (cli::OutputKind kind : {cli::OutputKind::Mp4, cli::OutputKind::Avi}) {
            const std::string out = path(kind == cli::OutputKind::Mp4 ? "o.mp4" : "o.avi");
            cli::ConvertOptions options;
            options.overwrite = true;
            const cli::JobResult result = convert(movie, out, kind, options);
            ASSERT_TRUE(result.ok) << result.message;
            EXPECT_EQ(result.frames, frames);
            EXPECT_EQ(result.soundFrames, std::int64_t{frames} * 44100 / fps);
            const MediaInfo info = probe(out);
            const auto* video = info.stream("video");
            const auto* audio = info.stream("audio");
            ASSERT_TRUE(video && audio);
            EXPECT_EQ(video->decodedFrames, frames);
            EXPECT_NEAR(video->decodedSeconds, static_cast<double>(frames) / fps, 1e-4);
            EXPECT_EQ(video->frameRate, std::to_string(fps) + "/1");
            if (kind == cli::OutputKind::Avi) {
                // The program's default AVI sound is PCM, which keeps every sample.
                EXPECT_EQ(audio->decodedSamples, std::int64_t{frames} * 44100 / fps);
            } else {
                // AAC codes whole blocks of 1,024 samples after a block of
                // priming; the file's edit list trims both, so the file
                // lasts as long as the picture, to the millisecond in which
                // MP4 gives the whole file's length.
                EXPECT_NEAR(info.durationSeconds, static_cast<double>(frames) / fps, 1e-3);
                EXPECT_GE(audio->decodedSamples, std::int64_t{frames} * 44100 / fps);
                EXPECT_LT(audio->decodedSamples, std::int64_t{frames} * 44100 / fps + 2048);
            }
        }
    }
}

TEST_F(ConversionOutput, SamplesTheMovieAtAnotherOutputRate) {
    const std::string movie = WriteMovie(path("m.swf"), NumberedFramesMovie(36, 24));
    cli::ConvertOptions options;
    options.fps = cli::Rate{30000, 1001};
    const cli::JobResult result = convert(movie, path("o.mp4"), cli::OutputKind::Mp4, options);
    ASSERT_TRUE(result.ok) << result.message;
    // 1.5 seconds of movie, in whole NTSC frames: 45 frames cover 1.5015 s.
    EXPECT_EQ(result.frames, 45);
    const MediaInfo info = probe(path("o.mp4"));
    EXPECT_EQ(info.stream("video")->decodedFrames, 45);
    EXPECT_EQ(info.stream("video")->frameRate, "30000/1001");
}

TEST_F(ConversionOutput, WritesEveryOutputKind) {
    const std::string movie = WriteMovie(path("m.swf"), NumberedFramesMovie(6, 12));
    struct Case {
        cli::OutputKind kind;
        const char* name;
        const char* videoCodec;
        const char* audioCodec; // "" for none
    };
    const Case cases[] = {
        {cli::OutputKind::Mpeg, "o.mpeg", "mpeg1video", "mp2"},
        {cli::OutputKind::Wmv, "o.wmv", "wmv2", "wmav2"},
        {cli::OutputKind::Rm, "o.rmvb", "rv20", "ac3"},
        {cli::OutputKind::Matroska, "o.mkv", "h264", "aac"},
        {cli::OutputKind::WebM, "o.webm", "vp9", "opus"},
        {cli::OutputKind::Gif, "o.gif", "gif", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const cli::JobResult result = convert(movie, path(c.name), c.kind);
        ASSERT_TRUE(result.ok) << result.message;
        const MediaInfo info = probe(path(c.name));
        ASSERT_TRUE(info.stream("video"));
        EXPECT_EQ(info.stream("video")->codec, c.videoCodec);
        if (*c.audioCodec)
            EXPECT_EQ(info.stream("audio") ? info.stream("audio")->codec : "", c.audioCodec);
        else
            EXPECT_FALSE(info.stream("audio"));
    }
    // MPEG has no 12 fps; its encoder repeats frames to keep the time.
    EXPECT_NEAR(probe(path("o.mpeg")).stream("video")->decodedSeconds, 0.5, 0.05);
    EXPECT_EQ(probe(path("o.gif")).stream("video")->decodedFrames, 6);
}

TEST_F(ConversionOutput, PictureSequencesAreNumberedFramesAtTheAskedSize) {
    const std::string movie = WriteMovie(path("m.swf"), NumberedFramesMovie(5, 10));
    cli::ConvertOptions options;
    options.width = 64;
    options.height = 40;
    const cli::JobResult result =
        convert(movie, path("frames"), cli::OutputKind::PngSequence, options);
    ASSERT_TRUE(result.ok) << result.message;
    const QStringList pictures = QDir(folder.filePath("frames")).entryList(QDir::Files);
    ASSERT_EQ(pictures,
              (QStringList{"000001.png", "000002.png", "000003.png", "000004.png", "000005.png"}));
    for (int k = 0; k < 5; ++k) {
        QImage picture(folder.filePath("frames/" + pictures[k]));
        ASSERT_EQ(picture.size(), QSize(64, 40));
        EXPECT_EQ(FrameNumberOf(picture), k);
    }
}

TEST_F(ConversionOutput, TransparentOutputsKeepOnlyWhatTheMovieDraws) {
    // A square in the middle of a stage that is otherwise empty.
    MovieWriter writer;
    writer.frameRect = {0, 640, 0, 480};
    writer.tag(tags::SetBackgroundColor({0, 0, 255, 255}));
    writer.tag(tags::DefineRectShape(1, {160, 480, 120, 360}, {255, 0, 0, 255}));
    writer.frame({tags::PlaceAt(1, 1)});
    writer.frame();
    const std::string movie = WriteMovie(path("m.swf"), writer);
    cli::ConvertOptions options;
    options.encoding.transparent = true;
    ASSERT_TRUE(convert(movie, path("frames"), cli::OutputKind::PngSequence, options).ok);
    QImage picture(folder.filePath("frames/000001.png"));
    EXPECT_TRUE(picture.hasAlphaChannel());
    EXPECT_EQ(qAlpha(picture.pixel(2, 2)), 0);
    EXPECT_EQ(picture.pixel(16, 12), qRgba(255, 0, 0, 255));
    for (auto kind : {cli::OutputKind::WebM, cli::OutputKind::Gif, cli::OutputKind::Matroska}) {
        const std::string out = path("t" + std::to_string(static_cast<int>(kind)));
        EXPECT_TRUE(convert(movie, out, kind, options).ok);
    }
    // Formats without alpha say so rather than drop it silently.
    const cli::JobResult refused = convert(movie, path("t.mp4"), cli::OutputKind::Mp4, options);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("transparency"), std::string::npos);
}

} // namespace
} // namespace vidorama::test
