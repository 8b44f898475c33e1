#include "DecodedOutput.h"
#include "GeneratedMovies.h"
#include "MainWindowFixture.h"
#include "ui/WindowMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

namespace vidorama::test {
namespace {

// The standard output of a command that must succeed.
QByteArray RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return process.readAllStandardOutput();
}

// Conversions in the program with the real player and encoder components.
class RealConversionTest : public MainWindowTest {
protected:
    void OpenWithRealComponents() {
        QString modules = QStringLiteral(VIDORAMA_MODULE_DIR_FOR_TESTS);
        AppEnvironment env = MakeEnvironment();
        UseComponentsIn(env, modules);
        env.showFile = [this](const std::string& path) {
            shown.push_back(path);
            return true;
        };
        window = std::make_unique<CReelcapDlg>(env);
        ASSERT_TRUE(window->InitDialog());
        window->show();
    }

    // Plays and captures the open movie until the completion dialog closed.
    void Capture() {
        SendWindowMessage(window.get(), WM_CMD_CAPTURE);
        ASSERT_TRUE(window->capturing);
        QElapsedTimer clock;
        clock.start();
        while (window->capturing && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(window->capturing);
        EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0].text.toStdString();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], window->outputPath);
    }

    std::vector<std::string> shown;
};

TEST_F(RealConversionTest, PlayAndCaptureMakesAFinishedVideo) {
    OpenWithRealComponents();
    window->OnDropFiles({WriteMovie(dir.filePath("square.swf"), 320, 240, 12)});
    ASSERT_TRUE(window->movieOpen);
    EXPECT_EQ(window->totalFrames, 12u);
    Capture();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(window->videoSpoolPath)));
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0",
                            "-show_entries", "stream=codec_name,width,height,nb_read_frames", "-of",
                            "csv=p=0", QString::fromStdString(window->outputPath)});
    ASSERT_TRUE(probe.waitForFinished(30000));
    QStringList fields = QString::fromLatin1(probe.readAllStandardOutput()).trimmed().split(',');
    ASSERT_EQ(fields.size(), 4) << fields.join(',').toStdString();
    EXPECT_EQ(fields[1], "320");
    EXPECT_EQ(fields[2], "240");
    // Captured at 10 frames a second while 12 movie frames play at 12 a
    // second: about ten output frames, give or take the pacing.
    EXPECT_GE(fields[3].toInt(), 5);
    EXPECT_LE(fields[3].toInt(), 15);

    // The first picture stands upright: the square's top left corner is near
    // the stage's left edge, 15 pixels down, on white.
    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", QString::fromStdString(window->outputPath),
                            "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_TRUE(decode.waitForFinished(30000));
    QByteArray rgb = decode.readAllStandardOutput();
    ASSERT_EQ(rgb.size(), 320 * 240 * 3);
    auto pixel = [&](int x, int y) {
        const auto* p = reinterpret_cast<const unsigned char*>(rgb.constData()) + (y * 320 + x) * 3;
        return QColor(p[0], p[1], p[2]);
    };
    EXPECT_GT(pixel(10, 25).red(), 180);
    EXPECT_LT(pixel(10, 25).green(), 90);
    EXPECT_GT(pixel(10, 225).green(), 200); // white below it
    EXPECT_GT(pixel(200, 25).green(), 200);
}

// How closely the tone follows its picture depends on how the player and the
// capture keep pace with the clock, so the figure is measured by
// capture_av_offset_bench; that the encode pass places captured sound exactly
// is checked in CapturedTimingTest. Here: both reach the file, each after the
// black and silent first second.
TEST_F(RealConversionTest, SoundAndPictureOfAMovieBothReachTheVideo) {
    OpenWithRealComponents();
    window->OnDropFiles({WriteFlashAndToneMovie(dir.filePath("flash.swf"))});
    ASSERT_TRUE(window->movieOpen);
    window->settings.aviFrameRate = "25.00";
    Capture();
    QString output = QString::fromStdString(window->outputPath);

    QString streams = QString::fromLatin1(
        RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,width,height", "-of",
                            "default=nw=1", output}));
    EXPECT_TRUE(streams.contains("codec_type=video")) << streams.toStdString();
    EXPECT_TRUE(streams.contains("codec_type=audio")) << streams.toStdString();
    EXPECT_TRUE(streams.contains("width=320"));
    EXPECT_TRUE(streams.contains("height=240"));

    EXPECT_GT(FirstWhiteFrame(window->outputPath), 0);
    EXPECT_GT(FirstLoudSample(window->outputPath), 0);
}

} // namespace
} // namespace vidorama::test
