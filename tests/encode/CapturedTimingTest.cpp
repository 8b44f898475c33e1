// The real-time capture stamps each picture with its frame slot and each sound
// block with the milliseconds since the capture began. From there on nothing
// may depend on the clock: the encode pass must put a block captured at t ms
// exactly t ms into the written file, on the same time line as the frames.
// Checked in samples and frames of the file FFmpeg reads back.

#include "DecodedOutput.h"
#include "EncodePassHarness.h"
#include "capture/SpoolFile.h"
#include "encode/EncoderComponent.h"

#include <gtest/gtest.h>
#include <memory>

namespace vidorama {
namespace {

using encoder::Failed;

constexpr int kWidth = 32, kHeight = 24;
constexpr double kFps = 25;
constexpr int kSampleRate = 44100;
constexpr int kSlots = 30;
constexpr int kWhiteSlot = 12;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class CapturedTimingTest : public ::testing::Test, protected test::EncodePassHarness {
protected:
    void SetUp() override {
        ASSERT_TRUE(buffers.Allocate());
        encoder = CreateEncoderComponent(QStringLiteral(VIDORAMA_MODULE_DIR_FOR_TESTS));
        ASSERT_TRUE(encoder);
        ASSERT_FALSE(Failed(encoder->SetAviAudioPcm(kSampleRate, 2, 16)));
        ASSERT_FALSE(Failed(encoder->SetVideoFormat(kWidth, kHeight, kFps)));
        ASSERT_FALSE(Failed(encoder->SetAviVideoFormat(kWidth, kHeight, kFps)));
        ASSERT_FALSE(Failed(encoder->SelectVideoCodec(1)));
        ASSERT_FALSE(Failed(encoder->SetAudioInput(kSampleRate, 2)));
        ASSERT_FALSE(Failed(encoder->OpenOutput(partPath, 1)));
    }

    // Black pictures, white from kWhiteSlot on, as the capture loop spools
    // them: its first slot is 1.
    void SpoolPictures() {
        File spool(CreateSpoolFile(videoPath));
        std::vector<std::uint8_t> raw(kWidth * kHeight * 4);
        for (std::int32_t slot = 1; slot <= kSlots; ++slot) {
            std::fill(raw.begin(), raw.end(), slot >= kWhiteSlot ? 255 : 0);
            WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize, slot,
                             raw.data(), raw.size());
        }
        WriteEndRecord(spool.get());
    }

    // Loud blocks back to back from firstMs, as the sound hook queues them.
    void SpoolSound(std::int32_t firstMs, int blocks) {
        File spool(CreateSpoolFile(audioPath));
        std::vector<std::int16_t> loud(kSoundBlockSize / 2, 12000);
        const std::int32_t blockMs = kSoundBlockSize / 4 * 1000 / kSampleRate;
        for (int i = 0; i < blocks; ++i)
            WriteSoundRecord(spool.get(), buffers.rawFrameBuffer.get(), firstMs + i * blockMs,
                             reinterpret_cast<const std::uint8_t*>(loud.data()));
        WriteEndRecord(spool.get());
    }

    void Encode() {
        auto silence = encoder::SampleArray::Create({kSampleRate / 10 * 2});
        RunPass(*encoder, silence.get(), kWidth, kHeight);
        ASSERT_TRUE(boxes.shown.empty()) << boxes.shown[0].text.toStdString();
    }

    std::unique_ptr<encoder::IVideoEncoder> encoder;
};

TEST_F(CapturedTimingTest, SoundCapturedWithAPictureStartsOnItsFrame) {
    SpoolPictures();
    const std::int32_t whiteMs = static_cast<std::int32_t>(kWhiteSlot * 1000 / kFps);
    SpoolSound(whiteMs, 10);
    Encode();
    EXPECT_EQ(test::FirstWhiteFrame(outputPath), kWhiteSlot);
    EXPECT_EQ(test::FirstLoudSample(outputPath), kWhiteSlot * kSampleRate / static_cast<int>(kFps));
}

TEST_F(CapturedTimingTest, SoundBetweenFramesKeepsItsMillisecond) {
    // 1237 ms is twelve whole silence steps and a rest of 37 ms.
    SpoolPictures();
    SpoolSound(1237, 4);
    Encode();
    EXPECT_EQ(test::FirstLoudSample(outputPath), 1237 * kSampleRate / 1000);
}

} // namespace
} // namespace vidorama
