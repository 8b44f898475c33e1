// Conversions of movies that ask for more than a conversion may spend: a
// stage too large for any picture, a rate so slow that one frame lasts
// minutes, sizes the encoder would refuse, what a killed conversion left
// behind, and damaged pictures whose decoders talk.

#include "ConversionFixture.h"
#include "core/CodecSizeLimits.h"
#include "swf/Limits.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <sys/wait.h>
#include <unistd.h>

namespace vidorama::test {
namespace {

using namespace tags;

class HostileConversion : public ConversionFixture {};

TEST_F(HostileConversion, AStageOverThePictureLimitIsScaledDownWithANote) {
    MovieWriter movie = NumberedFramesMovie(2, 10);
    movie.frameRect = {0, 240000, 0, 120000}; // 12,000 x 6,000 pixels
    cli::ConvertOptions options;
    options.encoding.preset = "ultrafast";
    const cli::JobResult result =
        convert(WriteMovie(path("m.swf"), movie), path("m.mp4"), cli::OutputKind::Mp4, options);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.frames, 2);
    EXPECT_NE(result.message.find("12000 x 6000 pixels is over the limit"), std::string::npos)
        << result.message;
}

TEST_F(HostileConversion, ASlowMovieGivesTheDurationAskedFor) {
    // One frame every 256 seconds, the slowest rate a header can give.
    MovieWriter movie = NumberedFramesMovie(2, 1.0 / 256);
    cli::ConvertOptions options;
    options.durationSeconds = 5;
    const cli::JobResult result =
        convert(WriteMovie(path("m.swf"), movie), path("m.webm"), cli::OutputKind::WebM, options);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_NEAR(result.outputSeconds, 5.0, 0.1);
}

TEST_F(HostileConversion, AVeryFastMovieIsTakenOneFrameInSeveral) {
    // 240 frames a second: the video shows one in four, at 60.
    MovieWriter movie = NumberedFramesMovie(240, 240);
    cli::ConvertOptions options;
    options.durationSeconds = 0.5;
    const std::string input = WriteMovie(path("m.swf"), movie);
    const cli::JobResult result = convert(input, path("m.webm"), cli::OutputKind::WebM, options);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.frames, 30);
    EXPECT_NEAR(result.outputSeconds, 0.5, 1e-9);
    EXPECT_NE(result.message.find("one frame in 4, at 60 frames a second"), std::string::npos)
        << result.message;
    // A rate asked for is kept.
    options.fps = cli::Rate{240, 1};
    options.overwrite = true;
    const cli::JobResult asked = convert(input, path("m.webm"), cli::OutputKind::WebM, options);
    ASSERT_TRUE(asked.ok) << asked.message;
    EXPECT_EQ(asked.frames, 120);
}

TEST_F(HostileConversion, SizesTheEncoderRefusesNameTheLimitAndASizeToGive) {
    cli::ConvertOptions options;
    options.width = 4112;
    options.height = 32;
    const cli::JobResult result = convert(WriteMovie(path("m.swf"), NumberedFramesMovie(2, 10)),
                                          path("m.mpg"), cli::OutputKind::Mpeg, options);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("MPEG-1 video is at most 4095 pixels a side"), std::string::npos)
        << result.message;
    EXPECT_NE(result.message.find("--size 4080x"), std::string::npos) << result.message;
    EXPECT_EQ(entries(), QStringList{"m.swf"});
}

TEST(CodecSizeLimits, EachEncoderAndContainerIsCheckedAgainstItsOwnLimit) {
    struct Case {
        const char* encoder;
        const char* muxer;
        int width, height;
        bool refused;
    };
    const Case cases[] = {
        {"mpeg1video", "mpeg", 4095, 16, false},    {"mpeg1video", "mpeg", 16, 4096, true},
        {"mpeg2video", "vob", 4000, 2000, false},   {"mpeg2video", "vob", 4096, 2000, true},
        {"mpeg4", "mp4", 8191, 16, false},          {"mpeg4", "mp4", 8192, 16, true},
        {"libx264", "mp4", 16384, 16, false},       {"libx264", "mp4", 16400, 16, true},
        {"libvpx-vp9", "webm", 16400, 16, true},    {"gif", "gif", 65536, 16, true},
        {"rv10", "rm", 1008, 1008, false},          {"rv10", "rm", 1024, 1024, true},
        {"libxvid", "matroska", 100000, 16, false}, {"libxvid", "avi", 65535, 16, false},
        {"libxvid", "avi", 100000, 16, true},       {"wmv2", "asf", 100000, 16, false},
    };
    for (const Case& c : cases) {
        const auto breach = encoder::CheckCodecPictureSize(c.encoder, c.muxer, c.width, c.height);
        EXPECT_EQ(breach.has_value(), c.refused) << c.encoder << " " << c.width << "x" << c.height;
        if (breach) { // the size suggested instead passes
            EXPECT_FALSE(encoder::CheckCodecPictureSize(c.encoder, c.muxer, breach->fittingWidth,
                                                        breach->fittingHeight))
                << c.encoder;
        }
    }
}

TEST_F(HostileConversion, PartFilesOfProcessesThatDiedAreRemoved) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const QString dead = ".m.mkv.vidorama-part-" + QString::number(child) + "-0";
    // Process 1 lives as long as the machine; other names are not ours.
    const QStringList kept = {".m.mkv.vidorama-part-1-0", ".notes.vidorama-part-x-1", "m.swf"};
    for (const QString& name : QStringList{dead, kept[0], kept[1]}) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const cli::JobResult result = convert(WriteMovie(path("m.swf"), NumberedFramesMovie(2, 10)),
                                          path("m.mkv"), cli::OutputKind::Matroska);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(entries(), (QStringList{kept[0], kept[1], "m.mkv", "m.swf"}));
}

// A JPEG whose last bytes are cut off: decoders show what there is, and say
// that the data ended early.
Bytes CutJpeg() {
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    bytes.chop(40);
    return Bytes(bytes.begin(), bytes.end());
}

TEST_F(HostileConversion, DecodersChatterGoesIntoTheNoteOnce) {
    MovieWriter movie;
    movie.frameRect = {0, 640, 0, 480};
    SwfBitWriter jpeg;
    jpeg.u16(1).bytes(CutJpeg());
    movie.tag(Tag(21, jpeg.take(), true));
    movie.frame({PlaceAt(1, 1)});
    movie.frame();
    movie.frame();
    WriteMovie(path("m.swf"), movie);

    QProcess process;
    process.setWorkingDirectory(folder.path());
    process.start(QString(VIDORAMA_TEST_BIN_DIR) + "/vidorama-convert",
                  {"--progress", "json", "m.swf", "-o", "m.mkv"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()), "");
    EXPECT_EQ(out.count("Corrupt JPEG data"), 1) << out.toStdString();
}

} // namespace
} // namespace vidorama::test
