#include "EncodePassHarness.h"
#include "FakeVideoEncoder.h"
#include "capture/SpoolFile.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>

namespace vidorama {
namespace {

constexpr int kWidth = 4, kHeight = 2;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class EncodePassTest : public ::testing::Test, protected test::EncodePassHarness {
protected:
    void SetUp() override {
        ASSERT_TRUE(buffers.Allocate());
        silence = encoder::SampleArray::Create({8820});
        // What the encoder has written so far.
        QFile part(QString::fromStdString(partPath));
        part.open(QIODevice::WriteOnly);
        part.write("RIFF");
    }

    void WriteVideo(const std::vector<std::int32_t>& frameSlots) {
        std::unique_ptr<std::FILE, FileCloser> spool(CreateSpoolFile(videoPath));
        std::vector<std::uint8_t> raw(kWidth * kHeight * 4);
        for (std::int32_t slot : frameSlots) {
            std::fill(raw.begin(), raw.end(), static_cast<std::uint8_t>(slot));
            WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize, slot,
                             raw.data(), raw.size());
        }
        WriteEndRecord(spool.get());
    }

    void WriteAudio(std::initializer_list<std::int32_t> times) {
        std::unique_ptr<std::FILE, FileCloser> spool(CreateSpoolFile(audioPath));
        std::vector<std::uint8_t> block(kSoundBlockSize, 0x11);
        for (std::int32_t time : times)
            WriteSoundRecord(spool.get(), buffers.rawFrameBuffer.get(), time, block.data());
        WriteEndRecord(spool.get());
    }

    void Run() { RunPass(fake, silence.get(), kWidth, kHeight); }

    bool Exists(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }
    std::size_t Count(char c) { return std::count(fake.sequence.begin(), fake.sequence.end(), c); }

    std::unique_ptr<encoder::SampleArray> silence;
    test::FakeVideoEncoder fake;
};

TEST_F(EncodePassTest, FramesRepeatOverSkippedSlots) {
    // Slot n is frame n of the video: the first picture stands for frames 0
    // and 1, the one of slot 2 for frames 2 to 4.
    WriteVideo({1, 2, 5});
    Run();
    EXPECT_EQ(fake.sequence, "VVVVVV");
    EXPECT_EQ(fake.lastFrameFirstByte, 5);
    EXPECT_EQ(fake.closeCalls, 1);
    // The end record is never handed on, so the pass stops just short of 100.
    EXPECT_GT(progress, 80);
    EXPECT_LT(progress, 100);
    EXPECT_TRUE(idle.WaitFor(std::chrono::milliseconds(0)));
    // The complete output takes its name; nothing is left under another.
    EXPECT_TRUE(Exists(outputPath));
    EXPECT_FALSE(Exists(partPath));
    EXPECT_FALSE(Exists(videoPath));
}

TEST_F(EncodePassTest, SilenceFillsTheGapsBetweenSoundBlocks) {
    // The first block at 350 ms: exactly 350 ms of silence before it, three
    // steps and the rest; +120 ms: one step after; +40 ms: none.
    WriteAudio({350, 470, 510});
    Run();
    EXPECT_EQ(fake.sequence, "SSSSAASA");
    EXPECT_EQ(fake.silentSamples, (350u + 100u) * 44100 / 1000 * 2);
    EXPECT_FALSE(Exists(audioPath));
}

TEST_F(EncodePassTest, LongSilenceIsWrittenInBatchesBetweenVideoSteps) {
    WriteAudio({12100}); // 121 steps of silence lead to the first block
    std::vector<std::int32_t> frameSlots(150);
    std::iota(frameSlots.begin(), frameSlots.end(), 1);
    WriteVideo(frameSlots);
    Run();
    EXPECT_EQ(Count('S'), 121u);
    EXPECT_EQ(Count('V'), 151u);
    EXPECT_EQ(fake.sequence.find('A'), fake.sequence.rfind('S') + 1);
    // No run of silence is longer than one batch of 50.
    std::size_t longest = 0, run = 0;
    for (char c : fake.sequence) {
        run = c == 'S' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 50u);
}

TEST_F(EncodePassTest, EqualPositionsTakeVideoThenAudio) {
    WriteVideo({0, 1});
    WriteAudio({0, 50});
    Run();
    EXPECT_EQ(fake.sequence, "VAVA");
}

TEST_F(EncodePassTest, MissingSpoolsLeaveOnlyClosingTheOutput) {
    Run();
    EXPECT_TRUE(fake.sequence.empty());
    EXPECT_EQ(fake.closeCalls, 1);
    EXPECT_TRUE(idle.WaitFor(std::chrono::milliseconds(0)));
    WriteAudio({0});
    Run();
    EXPECT_EQ(fake.sequence, "A");
}

TEST_F(EncodePassTest, CancelRemovesOutputAndSpools) {
    WriteVideo({1, 2});
    WriteAudio({0});
    cancelRequested = true;
    Run();
    EXPECT_TRUE(fake.sequence.empty());
    EXPECT_FALSE(Exists(outputPath));
    EXPECT_FALSE(Exists(partPath));
    EXPECT_FALSE(Exists(videoPath));
    EXPECT_FALSE(Exists(audioPath));
}

TEST_F(EncodePassTest, FailedWritesReportAndRemoveTheOutput) {
    WriteVideo({1, 4});
    fake.failVideo = true;
    Run();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Failed to convert. Please select other encoder and try again.");
    EXPECT_EQ(boxes.shown[0].caption, "Message");
    EXPECT_TRUE(cancelRequested);
    EXPECT_FALSE(Exists(outputPath));
    EXPECT_FALSE(Exists(partPath));
    EXPECT_EQ(fake.closeCalls, 1);
    // The log keeps the failure with the output it was for and its cause.
    QFile logFile(logPath);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    QString logged = QString::fromUtf8(logFile.readAll());
    EXPECT_TRUE(logged.contains(QString::fromStdString(outputPath))) << logged.toStdString();
    EXPECT_TRUE(logged.contains("video write refused")) << logged.toStdString();

    cancelRequested = false;
    fake.failVideo = false;
    fake.failAudio = true;
    WriteAudio({0, 10});
    Run();
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_FALSE(Exists(audioPath));
}

TEST_F(EncodePassTest, AFileThatTookTheOutputNameMeanwhileIsKept) {
    WriteVideo({1});
    QFile other(QString::fromStdString(outputPath));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("someone else's");
    other.close();
    Run();
    QFile kept(QString::fromStdString(outputPath));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "someone else's");
    EXPECT_FALSE(Exists(partPath));
}

} // namespace
} // namespace vidorama
