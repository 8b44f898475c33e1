// Frames and sound handed to the encoding thread reach the encoder in their
// order, and its failures come back to the conversion without a hang.

#include "pipeline/BackgroundSink.h"

#include "RecordingSink.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace vidorama::test {
namespace {

QImage Numbered(int k) {
    QImage image(16, 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(k, 0, 0));
    return image;
}

std::int64_t NumberOf(const QImage& frame) {
    return qRed(frame.pixel(0, 0));
}

// Fails its nth frame, and counts what it was asked.
class FailingSink final : public cli::FrameSink {
public:
    explicit FailingSink(int failAt) : m_failAt(failAt) {}
    encoder::Status writeFrame(const QImage&) override {
        return ++frames == m_failAt ? encoder::Status::failure(encoder::ErrorKind::Io, "disk full")
                                    : encoder::Status::success();
    }
    encoder::Status repeatFrame() override { return writeFrame(QImage()); }
    encoder::Status writeSound(std::span<const std::int16_t>) override {
        return encoder::Status::success();
    }
    encoder::Status finish() override {
        finished = true;
        return encoder::Status::success();
    }
    void abandon() override { abandoned = true; }

    std::atomic<int> frames = 0;
    bool finished = false;
    bool abandoned = false;

private:
    int m_failAt;
};

TEST(BackgroundSink, HandsEverythingOnInOrder) {
    RecordingSink target(NumberOf);
    {
        cli::BackgroundSink sink(target);
        // More frames than pictures in flight, so that pictures are reused.
        for (int k = 0; k < 3 * cli::BackgroundSink::kPictures; ++k) {
            ASSERT_TRUE(sink.writeFrame(Numbered(k)).ok());
            if (k % 3 == 1) {
                ASSERT_TRUE(sink.repeatFrame().ok());
            }
            const std::vector<std::int16_t> sound(static_cast<std::size_t>(2 * (k + 1)), 7);
            ASSERT_TRUE(sink.writeSound(sound).ok());
        }
        ASSERT_TRUE(sink.finish().ok());
    }
    std::vector<std::int64_t> expected;
    std::vector<std::int64_t> soundBefore;
    std::int64_t sound = 0;
    for (int k = 0; k < 3 * cli::BackgroundSink::kPictures; ++k) {
        expected.push_back(k);
        soundBefore.push_back(sound);
        if (k % 3 == 1) {
            expected.push_back(k);
            soundBefore.push_back(sound);
        }
        sound += k + 1;
    }
    EXPECT_EQ(target.frames, expected);
    EXPECT_EQ(target.soundAfterFrame, soundBefore);
    EXPECT_EQ(target.soundFrames, sound);
    EXPECT_TRUE(target.finished);
}

// Takes its time over each frame, and notes where the pixels it was given
// lie.
class SlowSink final : public cli::FrameSink {
public:
    encoder::Status writeFrame(const QImage& frame) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        pixels.push_back(frame.constBits());
        return encoder::Status::success();
    }
    encoder::Status repeatFrame() override { return encoder::Status::success(); }
    encoder::Status writeSound(std::span<const std::int16_t>) override {
        return encoder::Status::success();
    }
    encoder::Status finish() override { return encoder::Status::success(); }
    void abandon() override {}

    std::vector<const uchar*> pixels;
};

TEST(BackgroundSink, FramesAreHandedOnUncopiedAndFewAreHeld) {
    SlowSink target;
    std::vector<QImage> given;
    std::vector<const uchar*> givenPixels;
    {
        cli::BackgroundSink sink(target);
        for (int k = 0; k < 4 * cli::BackgroundSink::kPictures; ++k) {
            given.push_back(Numbered(k));
            givenPixels.push_back(given.back().constBits());
            ASSERT_TRUE(sink.writeFrame(given.back()).ok());
            // Every frame given and not yet written is held by the sink, and
            // no more than its pictures in flight.
            int held = 0;
            for (const QImage& frame : given)
                held += frame.isDetached() ? 0 : 1;
            EXPECT_LE(held, cli::BackgroundSink::kPictures) << k;
        }
        ASSERT_TRUE(sink.finish().ok());
    }
    EXPECT_EQ(target.pixels, givenPixels);
    for (const QImage& frame : given)
        EXPECT_TRUE(frame.isDetached());
}

TEST(BackgroundSink, AFailureStopsTheConversion) {
    FailingSink target(2);
    cli::BackgroundSink sink(target);
    encoder::Status status = encoder::Status::success();
    // The failure shows at the latest once every picture is waiting.
    for (int k = 0; k < 1000 && status.ok(); ++k)
        status = sink.writeFrame(Numbered(k));
    EXPECT_EQ(status.message(), "disk full");
    EXPECT_EQ(sink.finish().message(), "disk full");
    EXPECT_FALSE(target.finished);
    EXPECT_LE(target.frames, 2 + cli::BackgroundSink::kPictures);
    sink.abandon();
    EXPECT_TRUE(target.abandoned);
}

TEST(BackgroundSink, AbandoningDropsWhatWaits) {
    FailingSink target(0);
    cli::BackgroundSink sink(target);
    for (int k = 0; k < 10; ++k)
        ASSERT_TRUE(sink.writeFrame(Numbered(k)).ok());
    sink.abandon();
    EXPECT_TRUE(target.abandoned);
    EXPECT_FALSE(target.finished);
    EXPECT_FALSE(sink.writeFrame(Numbered(0)).ok());
}

} // namespace
} // namespace vidorama::test
