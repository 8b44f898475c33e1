// Measures how the real-time capture keeps pace: plays a movie in the player
// component, captures it at a given output rate for a given time as the
// program does, and prints how many frame slots were captured and skipped.
// Usage: capture_pacing_bench MOVIE.swf [FPS] [SECONDS] [WIDTHxHEIGHT]

#include "capture/AutoResetEvent.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureThread.h"
#include "capture/FrameScaler.h"
#include "capture/SpoolFile.h"
#include "capture/WorkBuffers.h"
#include "flash/CFlash.h"
#include "flash/FindFlashModule.h"
#include "ui/UiThread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <thread>

namespace vidorama {
namespace {

// The player in a window, driven as the capture thread drives the program.
class BenchHost final : public CaptureHost {
public:
    explicit BenchHost(CFlash& flash) : m_flash(flash) {}
    void MoveWindowOnScreen() override {}
    void EnterCaptureMode() override {}
    void LeaveCaptureMode() override {}
    bool AutoPlayChecked() override { return true; }
    bool AutoEndChecked() override { return false; }
    void Play() override { m_flash.Play(); }
    std::int32_t FrameNum() override { return m_flash.FrameNum(); }
    void SetFrameNum(std::int32_t frame) override { m_flash.SetFrameNum(frame); }
    void StopMovie() override { m_flash.Stop(); }
    void PaintFrame(QImage& target) override { m_flash.PaintInto(target); }
    void StartEncodePass() override {}
    void SendCaptureDone() override {}
    void EnableFinish() override {}
    void EndCapture() override {}

private:
    CFlash& m_flash;
};

struct SpoolCount {
    int records = 0;
    std::int32_t lastSlot = 0;
};

SpoolCount CountSpool(const std::string& path, WorkBuffers& buffers, std::size_t rawLength) {
    SpoolCount count;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
    SpoolReader reader(in.get(), kWorkBufferSize);
    std::int32_t slot = 0;
    while (reader.ReadVideo(buffers.packedFrameBuffer.get(), buffers.rawFrameBuffer.get(),
                            rawLength, slot)) {
        ++count.records;
        count.lastSlot = slot;
    }
    return count;
}

} // namespace
} // namespace vidorama

int main(int argc, char** argv) {
    using namespace vidorama;
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MOVIE.swf [FPS] [SECONDS] [WIDTHxHEIGHT]\n", argv[0]);
        return 2;
    }
    double fps = argc > 2 ? std::atof(argv[2]) : 25.0;
    int seconds = argc > 3 ? std::atoi(argv[3]) : 30;
    int width = 550, height = 400;
    if (argc > 4)
        std::sscanf(argv[4], "%dx%d", &width, &height);

    CFlash flash;
    flash.Attach(CreateFlashControl(QStringLiteral(VIDORAMA_MODULE_DIR_FOR_BENCH)));
    if (!flash.Control()) {
        std::fprintf(stderr, "the player component is not installed\n");
        return 1;
    }
    flash.resize(width, height);
    flash.LoadMovie(0, argv[1]);
    flash.SetLoop(true);

    BenchHost host(flash);
    WorkBuffers buffers;
    buffers.Allocate();
    QImage image(width, height, QImage::Format_RGB32);
    auto source = encoder::ByteArray::Create({4, std::uint32_t(width), std::uint32_t(height)});
    std::atomic<bool> stop{false}, abort{false};
    std::atomic<int> progress{0};
    AutoResetEvent captureIdle, audioIdle(true), encodeIdle(true);
    std::string spoolPath;
    CaptureContext context;
    context.host = &host;
    context.stopRequested = &stop;
    context.abortRequested = &abort;
    context.captureIdleEvent = &captureIdle;
    context.audioIdleEvent = &audioIdle;
    context.encodeIdleEvent = &encodeIdle;
    context.encodeProgress = &progress;
    context.videoSpoolPath = &spoolPath;
    context.buffers = &buffers;
    context.captureWidth = context.outputWidth = width;
    context.captureHeight = context.outputHeight = height;
    context.frameRate = fps;
    context.captureImage = &image;
    context.sourceFrameArray = source.get();

    QElapsedTimer clock;
    clock.start();
    std::thread capture([&] {
        host.Play();
        CaptureFrames(context);
    });
    QTimer::singleShot(seconds * 1000, [&] { stop = true; });
    while (!captureIdle.WaitFor(std::chrono::milliseconds(5)))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    capture.join();
    double elapsed = clock.elapsed() / 1000.0;

    SpoolCount count = CountSpool(spoolPath, buffers, std::size_t(width) * height * 4);
    std::remove(spoolPath.c_str());
    int skipped = count.lastSlot - count.records;
    std::printf("movie %s at %dx%d, %.2f fps for %.1f s\n", argv[1], width, height, fps, elapsed);
    std::printf("slots %d, captured %d, skipped %d (%.2f %%)\n", count.lastSlot, count.records,
                skipped, count.lastSlot ? 100.0 * skipped / count.lastSlot : 0.0);
    return 0;
}
