#include "capture/SpoolFile.h"

#include "TempDir.h"
#include "capture/FramePacking.h"
#include "capture/TempFiles.h"
#include "capture/WorkBuffers.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vidorama {
namespace {

constexpr int kWidth = 8, kHeight = 4;
constexpr std::size_t kRawLength = kWidth * kHeight * 4;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class SpoolFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(buffers.Allocate()); }
    void TearDown() override {
        for (const std::string& p : created)
            std::remove(p.c_str());
    }

    // A fresh spool, open for writing; its path is remembered for removal.
    File NewSpool(std::string& path) {
        File spool(CreateSpoolFile(path));
        created.push_back(path);
        return spool;
    }

    static std::vector<std::uint8_t> Frame(std::uint8_t seed) {
        std::vector<std::uint8_t> raw(kRawLength);
        for (std::size_t i = 0; i < raw.size(); ++i)
            raw[i] = static_cast<std::uint8_t>(seed + i * 7);
        return raw;
    }

    // Reads every frame slot until the stream ends.
    std::vector<std::int32_t> ReadSlots(const std::string& path,
                                        std::size_t rawLength = kRawLength) {
        File in(std::fopen(path.c_str(), "rb"));
        SpoolReader reader(in.get(), kWorkBufferSize);
        std::vector<std::int32_t> slots;
        std::int32_t slot = 0;
        while (reader.ReadVideo(buffers.packedFrameBuffer.get(), buffers.rawFrameBuffer.get(),
                                rawLength, slot))
            slots.push_back(slot);
        EXPECT_TRUE(reader.Ended());
        return slots;
    }

    WorkBuffers buffers;
    std::vector<std::string> created;
};

TEST_F(SpoolFileTest, CreatesEmptyFileWithPrefixInTemporaryFolder) {
    std::string path;
    File spool = NewSpool(path);
    ASSERT_TRUE(spool);
    std::filesystem::path p(path);
    EXPECT_EQ(p.parent_path().string() + "/", TempDirectory());
    EXPECT_EQ(p.filename().string().rfind("~VID", 0), 0u);
    EXPECT_EQ(std::filesystem::file_size(p), 0u);
}

TEST_F(SpoolFileTest, EmptyCaptureIsEightZeroBytes) {
    std::string path;
    File spool = NewSpool(path);
    WriteEndRecord(spool.get());
    spool.reset();
    EXPECT_EQ(test::ReadWholeFile(path), std::string(8, '\0'));
    EXPECT_TRUE(ReadSlots(path).empty());
}

TEST_F(SpoolFileTest, VideoRecordsRoundTripWithGaps) {
    std::string path;
    File spool = NewSpool(path);
    for (std::int32_t slot : {1, 2, 5}) {
        auto raw = Frame(static_cast<std::uint8_t>(slot));
        ASSERT_TRUE(WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize,
                                     slot, raw.data(), raw.size()));
    }
    WriteEndRecord(spool.get());
    spool.reset();

    std::string bytes = test::ReadWholeFile(path);
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(bytes[8], '\x78'); // a zlib stream header follows
    EXPECT_EQ(bytes.substr(bytes.size() - 8), std::string(8, '\0'));

    File in(std::fopen(path.c_str(), "rb"));
    SpoolReader reader(in.get(), kWorkBufferSize);
    std::int32_t slot = 0;
    for (std::int32_t expected : {1, 2, 5}) {
        ASSERT_TRUE(reader.ReadVideo(buffers.packedFrameBuffer.get(), buffers.rawFrameBuffer.get(),
                                     kRawLength, slot));
        EXPECT_EQ(slot, expected);
        auto raw = Frame(static_cast<std::uint8_t>(expected));
        EXPECT_TRUE(std::equal(raw.begin(), raw.end(), buffers.rawFrameBuffer.get()));
    }
    EXPECT_FALSE(reader.ReadVideo(buffers.packedFrameBuffer.get(), buffers.rawFrameBuffer.get(),
                                  kRawLength, slot));
}

TEST_F(SpoolFileTest, MalformedRecordsEndTheStream) {
    auto raw = Frame(3);
    std::string path;
    {
        File spool = NewSpool(path);
        WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize, 1,
                         raw.data(), raw.size());
        // Slot 3 with length 0 is not the end record but cannot unpack.
        const std::uint8_t empty[8] = {3, 0, 0, 0, 0, 0, 0, 0};
        std::fwrite(empty, 1, 8, spool.get());
        WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize, 4,
                         raw.data(), raw.size());
    }
    EXPECT_EQ(ReadSlots(path), std::vector<std::int32_t>{1});
    // The wrong frame size ends the stream at once.
    EXPECT_TRUE(ReadSlots(path, kRawLength + 4).empty());

    // A length beyond the receiving buffer is refused before anything is read.
    std::string lying;
    {
        File spool = NewSpool(lying);
        const std::uint8_t header[8] = {1, 0, 0, 0, 0x81, 0x96, 0x98, 0x00}; // 10,000,001
        std::fwrite(header, 1, 8, spool.get());
        const std::uint8_t negative[8] = {2, 0, 0, 0, 0xff, 0xff, 0xff, 0xff};
        std::fwrite(negative, 1, 8, spool.get());
    }
    EXPECT_TRUE(ReadSlots(lying).empty());
}

TEST_F(SpoolFileTest, TruncatedFilesYieldTheCompleteRecords) {
    auto raw = Frame(9);
    std::string path;
    {
        File spool = NewSpool(path);
        for (std::int32_t slot : {1, 2})
            WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize, slot,
                             raw.data(), raw.size());
    }
    // No end record at all: both records count.
    EXPECT_EQ(ReadSlots(path), (std::vector<std::int32_t>{1, 2}));
    // Cut inside the second record, and inside the third header.
    std::string whole = test::ReadWholeFile(path);
    std::size_t recordSize = whole.size() / 2;
    for (std::size_t cut : {recordSize + 3, recordSize + 12, whole.size() - 1}) {
        std::string part = path + ".cut";
        created.push_back(part);
        test::WriteWholeFile(part, {whole.begin(), whole.begin() + static_cast<long>(cut)});
        EXPECT_EQ(ReadSlots(part), std::vector<std::int32_t>{1}) << "cut at " << cut;
    }
}

TEST_F(SpoolFileTest, FrameTooLargeForTheBufferEndsAtItsFirstRecord) {
    // 2,560 x 1,600 x 4 bytes packs well but cannot unpack into 10,000,000.
    constexpr std::size_t kLarge = 2560u * 1600u * 4u;
    std::vector<std::uint8_t> raw(kLarge, 0x40);
    std::string path;
    {
        File spool = NewSpool(path);
        ASSERT_TRUE(WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize,
                                     1, raw.data(), raw.size()));
        WriteEndRecord(spool.get());
    }
    EXPECT_TRUE(ReadSlots(path, kLarge).empty());

    // Data that does not pack into the buffer is left out, nothing written.
    std::vector<std::uint8_t> noise(kWorkBufferSize);
    std::uint32_t state = 12345;
    for (auto& b : noise) {
        state = state * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    std::string skipped;
    File spool = NewSpool(skipped);
    EXPECT_FALSE(WriteVideoRecord(spool.get(), buffers.packedFrameBuffer.get(), kWorkBufferSize, 1,
                                  noise.data(), noise.size()));
    spool.reset();
    EXPECT_EQ(std::filesystem::file_size(skipped), 0u);
}

TEST_F(SpoolFileTest, SoundRecordsRoundTripAndCheckTheirLength) {
    std::vector<std::uint8_t> block(kSoundBlockSize);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i);
    std::string path;
    {
        File spool = NewSpool(path);
        WriteSoundRecord(spool.get(), buffers.rawFrameBuffer.get(), 0, block.data());
        WriteSoundRecord(spool.get(), buffers.rawFrameBuffer.get(), 350, block.data());
        // A complete record of another length ends the audio stream.
        const std::uint8_t header[8] = {0x90, 0x01, 0, 0, 4, 0, 0, 0};
        std::fwrite(header, 1, 8, spool.get());
        std::fwrite(block.data(), 1, 4, spool.get());
        WriteSoundRecord(spool.get(), buffers.rawFrameBuffer.get(), 500, block.data());
        WriteEndRecord(spool.get());
    }
    EXPECT_EQ(std::filesystem::file_size(path),
              2 * (8 + kSoundBlockSize) + 12 + (8 + kSoundBlockSize) + 8);
    File in(std::fopen(path.c_str(), "rb"));
    SpoolReader reader(in.get(), kWorkBufferSize);
    std::vector<std::int32_t> times;
    std::int32_t time = 0;
    while (reader.ReadSound(buffers.soundBuffer.get(), time)) {
        times.push_back(time);
        EXPECT_TRUE(std::equal(block.begin(), block.end(), buffers.soundBuffer.get()));
    }
    EXPECT_EQ(times, (std::vector<std::int32_t>{0, 350}));
}

TEST(SpoolReader, MissingFileIsAnEndedStream) {
    SpoolReader reader(nullptr, kWorkBufferSize);
    std::int32_t time = 0;
    std::uint8_t buffer[8];
    EXPECT_FALSE(reader.ReadSound(buffer, time));
    EXPECT_TRUE(reader.Ended());
}

} // namespace
} // namespace vidorama
