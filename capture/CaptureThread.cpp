#include "capture/CaptureThread.h"

#include "capture/AutoResetEvent.h"
#include "capture/CaptureHost.h"
#include "capture/FrameScaler.h"
#include "capture/SpoolFile.h"
#include "capture/TickCount.h"
#include "capture/WorkBuffers.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

namespace vidorama {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Copies an RGB32 image into a raw frame: rows bottom-up, bytes blue, green,
// red, unused, no padding.
void CopyBottomUp(const QImage& image, encoder::ByteArray& frame) {
    std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 4;
    std::uint8_t* out = frame.Data();
    for (int y = image.height() - 1; y >= 0; --y, out += rowBytes)
        std::memcpy(out, image.constScanLine(y), rowBytes);
}

} // namespace

SlotDecision DecideSlot(std::int64_t elapsedMs, std::uint32_t frameSlot, double msPerFrame) {
    double lag = static_cast<double>(elapsedMs) - static_cast<double>(frameSlot) * msPerFrame;
    if (lag < 0)
        return {false, 0, static_cast<std::int64_t>(-lag)};
    return {true, static_cast<std::uint32_t>(lag / msPerFrame), 0};
}

const encoder::ByteArray* GrabFrame(const CaptureContext& c) {
    QImage& captured = *c.captureImage;
    c.host->PaintFrame(captured);
    if (captured.isNull())
        return nullptr;
    if (c.captureWidth == c.outputWidth && c.captureHeight == c.outputHeight) {
        CopyBottomUp(captured, *c.sourceFrameArray);
        return c.sourceFrameArray;
    }
    c.scaler->Scale(captured, *c.outputFrameArray);
    return c.outputFrameArray;
}

void CaptureFrames(const CaptureContext& c, std::chrono::steady_clock::time_point start) {
    using Clock = std::chrono::steady_clock;
    c.captureIdleEvent->Reset();
    double msPerFrame = 1000.0 / c.frameRate;
    std::size_t frameBytes =
        static_cast<std::size_t>(c.outputWidth) * static_cast<std::size_t>(c.outputHeight) * 4;
    bool autoEnd = c.host->AutoEndChecked();
    std::int32_t highestFrame = 0;

    std::unique_ptr<std::FILE, FileCloser> spool(CreateSpoolFile(*c.videoSpoolPath));
    if (spool) {
        std::uint32_t frameSlot = 1;
        while (!*c.stopRequested) {
            if (autoEnd) {
                std::int32_t current = c.host->FrameNum() + 1;
                if (current < highestFrame) {
                    // The movie has jumped back: it looped.
                    c.host->SetFrameNum(0);
                    *c.stopRequested = true;
                    break;
                }
                highestFrame = current;
                if (static_cast<std::uint32_t>(current) >= c.totalFrames) {
                    *c.stopRequested = true;
                    break;
                }
            }
            auto elapsedMs =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            SlotDecision slot = DecideSlot(elapsedMs, frameSlot, msPerFrame);
            if (!slot.due) {
                std::this_thread::sleep_for(std::chrono::milliseconds(slot.sleepMs));
                continue;
            }
            frameSlot += slot.skip;
            const encoder::ByteArray* frame = GrabFrame(c);
            if (!frame)
                break;
            WriteVideoRecord(spool.get(), c.buffers->packedFrameBuffer.get(), kWorkBufferSize,
                             static_cast<std::int32_t>(frameSlot), frame->Data(), frameBytes);
            ++frameSlot;
        }
        WriteEndRecord(spool.get());
    }
    spool.reset();
    c.captureIdleEvent->Set();
}

void CaptureThread(const CaptureContext& c) {
    c.host->MoveWindowOnScreen();
    c.host->EnterCaptureMode();
    // Pictures and sound are timed from the same instant, just before the
    // movie starts: a sound origin taken earlier would put every sound late
    // by the time the capture took to get going.
    auto start = std::chrono::steady_clock::now();
    if (c.captureStartTick) {
        // Zero means "no capture" to the sound hook, so the origin never is.
        std::uint32_t tick = TickCount();
        *c.captureStartTick = tick != 0 ? tick : 1;
    }
    if (c.host->AutoPlayChecked())
        c.host->Play();
    CaptureFrames(c, start);
    if (!*c.abortRequested) {
        c.host->StopMovie();
        c.audioIdleEvent->Wait();
        c.audioIdleEvent->Set();
        c.encodeIdleEvent->Reset();
        *c.encodeProgress = 0;
        c.host->StartEncodePass();
        c.host->LeaveCaptureMode();
        c.host->SendCaptureDone();
        c.host->EnableFinish();
    }
    c.host->EndCapture();
}

} // namespace vidorama
