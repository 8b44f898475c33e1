#include "capture/CaptureThread.h"

#include "capture/AutoResetEvent.h"
#include "capture/CaptureHost.h"
#include "capture/FrameScaler.h"
#include "capture/SpoolFile.h"
#include "capture/TickCount.h"
#include "capture/WorkBuffers.h"

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vidorama {
namespace {

// A movie that moves one frame on per grab and loops or stops at its end.
class FakeHost final : public CaptureHost {
public:
    void MoveWindowOnScreen() override { calls += "M"; }
    void EnterCaptureMode() override { calls += "E"; }
    void LeaveCaptureMode() override { calls += "L"; }
    bool AutoPlayChecked() override { return autoPlay; }
    bool AutoEndChecked() override { return autoEnd; }
    void Play() override {
        calls += "P";
        if (soundOrigin)
            originAtPlay = soundOrigin->load();
    }
    std::int32_t FrameNum() override { return frame; }
    void SetFrameNum(std::int32_t f) override {
        frame = f;
        calls += "F";
    }
    void StopMovie() override { calls += "S"; }
    void PaintFrame(QImage& target) override {
        target.fill(QColor(frame * 10 % 256, 0, 0));
        ++grabs;
        frame = (loopAt > 0 && frame + 1 >= loopAt) ? 0 : frame + 1;
    }
    void StartEncodePass() override { calls += "N"; }
    void SendCaptureDone() override { calls += "D"; }
    void EnableFinish() override { calls += "F"; }
    void EndCapture() override { calls += "X"; }

    std::string calls;
    const std::atomic<std::uint32_t>* soundOrigin = nullptr;
    std::uint32_t originAtPlay = 0;
    bool autoPlay = true, autoEnd = true;
    std::int32_t frame = 0;
    std::int32_t loopAt = 0;
    int grabs = 0;
};

class CaptureThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(buffers.Allocate());
        audioIdle.Set();
        Sizes(8, 6, 8, 6);
    }
    void TearDown() override {
        if (!spoolPath.empty())
            std::remove(spoolPath.c_str());
    }
    void Sizes(int cw, int ch, int ow, int oh) {
        capture = QImage(cw, ch, QImage::Format_RGB32);
        scaler.Prepare(cw, ch, ow, oh);
        source = encoder::ByteArray::Create({4, std::uint32_t(cw), std::uint32_t(ch)});
        output = encoder::ByteArray::Create({4, std::uint32_t(ow), std::uint32_t(oh)});
        context.captureWidth = cw;
        context.captureHeight = ch;
        context.outputWidth = ow;
        context.outputHeight = oh;
    }
    CaptureContext& Context() {
        context.host = &host;
        context.stopRequested = &stopRequested;
        context.abortRequested = &abortRequested;
        context.captureIdleEvent = &captureIdle;
        context.audioIdleEvent = &audioIdle;
        context.encodeIdleEvent = &encodeIdle;
        context.encodeProgress = &progress;
        context.videoSpoolPath = &spoolPath;
        context.buffers = &buffers;
        context.frameRate = 100;
        context.captureImage = &capture;
        context.scaler = &scaler;
        context.sourceFrameArray = source.get();
        context.outputFrameArray = output.get();
        return context;
    }
    std::vector<std::int32_t> SpooledSlots() {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(spoolPath.c_str(), "rb"),
                                                           std::fclose);
        SpoolReader reader(in.get(), kWorkBufferSize);
        std::vector<std::int32_t> frameSlots;
        std::int32_t slot = 0;
        std::size_t raw = std::size_t(context.outputWidth) * std::size_t(context.outputHeight) * 4;
        while (reader.ReadVideo(buffers.packedFrameBuffer.get(), buffers.rawFrameBuffer.get(), raw,
                                slot))
            frameSlots.push_back(slot);
        return frameSlots;
    }

    FakeHost host;
    CaptureContext context;
    WorkBuffers buffers;
    QImage capture;
    FrameScaler scaler;
    std::unique_ptr<encoder::ByteArray> source, output;
    std::atomic<bool> stopRequested{false}, abortRequested{false};
    std::atomic<int> progress{50};
    AutoResetEvent captureIdle, audioIdle, encodeIdle{true};
    std::string spoolPath;
};

TEST(DecideSlot, PacesSlotsAndSkipsWholeIntervals) {
    // 25 frames a second: slot n is due at 40 n ms.
    SlotDecision early = DecideSlot(100, 3, 40.0);
    EXPECT_FALSE(early.due);
    EXPECT_EQ(early.sleepMs, 20);
    SlotDecision onTime = DecideSlot(130, 3, 40.0);
    EXPECT_TRUE(onTime.due);
    EXPECT_EQ(onTime.skip, 0u);
    SlotDecision late = DecideSlot(250, 4, 40.0);
    EXPECT_TRUE(late.due);
    EXPECT_EQ(late.skip, 2u); // slot 6 is captured
}

TEST_F(CaptureThreadTest, AutoEndStopsBeforeCapturingTheLastFrame) {
    host.frame = 0;
    context.totalFrames = 4;
    // Slots of 100 ms: the first one is met even on a busy machine under the
    // sanitizers, where 10 ms slots were sometimes skipped.
    CaptureContext& paced = Context();
    paced.frameRate = 10;
    CaptureFrames(paced);
    EXPECT_TRUE(stopRequested);
    EXPECT_EQ(host.grabs, 3); // frames 1..3 captured; the cycle that sees frame 4 stops
    std::vector<std::int32_t> frameSlots = SpooledSlots();
    ASSERT_EQ(frameSlots.size(), 3u);
    EXPECT_EQ(frameSlots.front(), 1);
    EXPECT_TRUE(std::is_sorted(frameSlots.begin(), frameSlots.end()));
    EXPECT_TRUE(captureIdle.WaitFor(std::chrono::milliseconds(0)));
}

TEST_F(CaptureThreadTest, OneFrameMovieSpoolsOnlyTheEndRecord) {
    context.totalFrames = 1;
    CaptureFrames(Context());
    EXPECT_EQ(host.grabs, 0);
    EXPECT_EQ(std::filesystem::file_size(spoolPath), 8u);
}

TEST_F(CaptureThreadTest, LoopingMovieIsRewoundAndEndsTheCapture) {
    context.totalFrames = 100;
    host.loopAt = 3;
    CaptureFrames(Context());
    EXPECT_EQ(host.frame, 0);
    EXPECT_NE(host.calls.find('F'), std::string::npos);
    EXPECT_EQ(SpooledSlots().size(), 3u);
}

TEST_F(CaptureThreadTest, ScaledFramesAreBottomUpBgrx) {
    Sizes(8, 6, 4, 2);
    host.autoEnd = false;
    host.frame = 20; // red 200
    context.totalFrames = 0;
    Context();
    const encoder::ByteArray* frame = GrabFrame(context);
    ASSERT_EQ(frame, output.get());
    EXPECT_EQ(frame->ByteSize(), 4u * 4u * 2u);
    EXPECT_EQ(frame->Data()[0], 0);   // blue
    EXPECT_EQ(frame->Data()[2], 200); // red
    Sizes(8, 6, 8, 6);
    Context();
    EXPECT_EQ(GrabFrame(context), source.get()); // same size: no scaling
}

TEST_F(CaptureThreadTest, ThreadRunsCaptureModeEncodeAndHandOver) {
    context.totalFrames = 2;
    CaptureThread(Context());
    EXPECT_EQ(host.calls, "MEPSNLDFX");
    EXPECT_EQ(progress, 0);
    EXPECT_FALSE(encodeIdle.WaitFor(std::chrono::milliseconds(0))); // reset for the pass
    EXPECT_TRUE(audioIdle.WaitFor(std::chrono::milliseconds(0)));   // kept signalled
}

TEST_F(CaptureThreadTest, TheSoundsOriginIsSetBeforeTheMovieStarts) {
    // Sound stamped from an earlier origin than the pictures' would sit late
    // in the video by the time between the two.
    std::atomic<std::uint32_t> origin{0};
    context.captureStartTick = &origin;
    host.soundOrigin = &origin;
    context.totalFrames = 2;
    std::uint32_t before = TickCount();
    CaptureThread(Context());
    EXPECT_NE(host.originAtPlay, 0u);
    EXPECT_LE(host.originAtPlay - before, 1000u); // taken during this capture
}

TEST_F(CaptureThreadTest, ClosingWindowSkipsTheEncodePass) {
    abortRequested = true;
    stopRequested = true;
    host.autoPlay = false;
    CaptureThread(Context());
    EXPECT_EQ(host.calls, "MEX");
}

} // namespace
} // namespace vidorama
