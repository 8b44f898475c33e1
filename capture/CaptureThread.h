#pragma once

#include "vidorama/encoder/SafeArray.h"

#include <QImage>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace vidorama {

class AutoResetEvent;
class CaptureHost;
class FrameScaler;
struct WorkBuffers;

// Everything one capture works with. The sizes and the rate are fixed when
// the capture starts; the images and arrays are made then and reused for
// every frame.
struct CaptureContext {
    CaptureHost* host = nullptr;
    std::atomic<bool>* stopRequested = nullptr;
    const std::atomic<bool>* abortRequested = nullptr;
    AutoResetEvent* captureIdleEvent = nullptr;
    AutoResetEvent* audioIdleEvent = nullptr;
    AutoResetEvent* encodeIdleEvent = nullptr;
    std::atomic<int>* encodeProgress = nullptr;
    std::string* videoSpoolPath = nullptr;
    WorkBuffers* buffers = nullptr;
    int captureWidth = 0, captureHeight = 0;
    int outputWidth = 0, outputHeight = 0;
    double frameRate = 0;
    std::uint32_t totalFrames = 0;
    QImage* captureImage = nullptr; // captureWidth x captureHeight, RGB32
    FrameScaler* scaler = nullptr;  // prepared for capture size to output size
    encoder::ByteArray* sourceFrameArray = nullptr;
    encoder::ByteArray* outputFrameArray = nullptr;
    // The sound capture's time origin (0: not capturing). The capture thread
    // sets it with the pictures' own, so that both share one clock.
    std::atomic<std::uint32_t>* captureStartTick = nullptr;
};

// The capture thread from start to end: capture mode, the paced loop, and,
// unless the window is closing, the encode pass and the completion dialog.
void CaptureThread(const CaptureContext& context);

// The paced loop: grabs frames at the output rate into the video spool until
// stopped, the movie ends or loops (with auto-end), or a grab fails. Slot n
// is due n frame periods after start, which is also the sound's origin.
void CaptureFrames(const CaptureContext& context,
                   std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now());

// Paints the current picture and yields it as a bottom-up BGRx frame at the
// output size, scaled as a halftone stretch when the sizes differ; nullptr on
// failure.
const encoder::ByteArray* GrabFrame(const CaptureContext& context);

// Pacing: how many slots a cycle at elapsedMs skips, or -1 with the time to
// sleep when slot frameSlot is not due yet.
struct SlotDecision {
    bool due = false;
    std::uint32_t skip = 0;
    std::int64_t sleepMs = 0;
};
SlotDecision DecideSlot(std::int64_t elapsedMs, std::uint32_t frameSlot, double msPerFrame);

} // namespace vidorama
