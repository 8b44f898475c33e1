// Measures how far apart the real-time capture puts a picture and the sound
// that starts with it: the program captures a movie whose stage turns white
// where a tone begins, with the real player and encoder, and the written file
// is read back. The offset depends on how the player and the capture keep
// pace on this machine, so it is a figure to watch, not a test.
// Usage: capture_av_offset_bench [RUNS]

#include "DecodedOutput.h"
#include "GeneratedMovies.h"
#include "RecordingMessageBoxes.h"
#include "app/AppEnvironment.h"
#include "app/CReelcapDlg.h"
#include "ui/WindowMessages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace vidorama {
namespace {

constexpr double kOutputFps = 25;

// Captures the movie as the user would and returns the written file's path,
// or nothing when the capture did not finish cleanly.
std::optional<std::string> CaptureMovie(const QTemporaryDir& dir, const QString& movie) {
    const QString modules = QStringLiteral(VIDORAMA_MODULE_DIR_FOR_BENCH);
    test::RecordingMessageBoxes boxes;
    AppEnvironment env;
    env.messages = &boxes;
    UseComponentsIn(env, modules);
    env.showFile = [](const std::string&) {
        return true;
    };
    env.configDirectory = dir.path();
    env.logPath = dir.filePath("vidorama.log");
    env.documentsDirectory = dir.path();
    env.runtimeDirectory = dir.filePath("runtime");
    env.endProcess = [](int code, ProcessEnd) {
        std::exit(code);
    };
    CReelcapDlg window(env);
    if (!window.InitDialog())
        return std::nullopt;
    window.show();
    window.OnDropFiles({movie});
    if (!window.movieOpen)
        return std::nullopt;
    window.settings.aviFrameRate = "25.00";
    SendWindowMessage(&window, WM_CMD_CAPTURE);
    QElapsedTimer clock;
    clock.start();
    while (window.capturing && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (window.capturing || !boxes.shown.empty())
        return std::nullopt;
    return window.outputPath;
}

// Milliseconds from the first white picture to the tone's start; positive
// when the sound is late.
std::optional<double> MeasureOffset(const std::string& file) {
    const int whiteFrame = test::FirstWhiteFrame(file);
    const int onset = test::FirstLoudSample(file);
    if (whiteFrame < 0 || onset < 0)
        return std::nullopt;
    return onset * 1000.0 / 44100 - whiteFrame * 1000.0 / kOutputFps;
}

} // namespace
} // namespace vidorama

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString movie = vidorama::test::WriteFlashAndToneMovie(dir.filePath("flash.swf"));
    double worst = 0;
    for (int run = 1; run <= runs; ++run) {
        QTemporaryDir outputs;
        auto file = vidorama::CaptureMovie(outputs, movie);
        auto offset = file ? vidorama::MeasureOffset(*file) : std::nullopt;
        if (!offset) {
            std::printf("run %d: the capture did not finish with both picture and tone\n", run);
            return 1;
        }
        std::printf("run %d: sound %+.0f ms from its picture\n", run, *offset);
        worst = std::max(worst, std::abs(*offset));
    }
    // A picture is seen only at the captured frames, one frame period apart.
    std::printf("largest offset %.0f ms over %d runs (frame period %.0f ms)\n", worst, runs,
                1000 / vidorama::kOutputFps);
    return 0;
}
