#include "capture/FramePacking.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

namespace vidorama {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    std::vector<std::uint8_t> out(length);
    EXPECT_EQ(compress(out.data(), &length, data.data(), static_cast<uLong>(data.size())), Z_OK);
    out.resize(length);
    return out;
}

File FileWith(const std::vector<std::uint8_t>& bytes) {
    File f(std::tmpfile());
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    std::rewind(f.get());
    return f;
}

std::vector<std::uint8_t> Contents(std::FILE* f) {
    std::rewind(f);
    std::vector<std::uint8_t> bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(static_cast<std::uint8_t>(c));
    return bytes;
}

std::vector<std::uint8_t> Sample(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 9));
    return data;
}

TEST(InflateFileToFile, InflatesAStreamLargerThanOneChunkFromTheCurrentPosition) {
    auto data = Sample(100000);
    auto packed = Deflate(data);
    packed.insert(packed.begin(), {'C', 'W', 'S', 9});
    packed.insert(packed.end(), {'t', 'a', 'i', 'l'});
    File source = FileWith(packed);
    std::fseek(source.get(), 4, SEEK_SET);
    File target(std::tmpfile());
    EXPECT_EQ(InflateFileToFile(source.get(), target.get()), 0);
    EXPECT_EQ(Contents(target.get()), data);
}

TEST(InflateFileToFile, TruncatedAndCorruptStreamsFail) {
    auto packed = Deflate(Sample(50000));
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, packed.size() / 2, packed.size() - 1}) {
        File source = FileWith({packed.begin(), packed.begin() + static_cast<long>(cut)});
        File target(std::tmpfile());
        EXPECT_EQ(InflateFileToFile(source.get(), target.get()), Z_DATA_ERROR) << cut;
    }
    auto corrupt = packed;
    corrupt[0] = 0x12; // not a zlib header
    File source = FileWith(corrupt);
    File target(std::tmpfile());
    EXPECT_EQ(InflateFileToFile(source.get(), target.get()), Z_DATA_ERROR);

    auto flipped = packed;
    flipped[flipped.size() / 2] ^= 0xff;
    File flippedSource = FileWith(flipped);
    File flippedTarget(std::tmpfile());
    EXPECT_NE(InflateFileToFile(flippedSource.get(), flippedTarget.get()), 0);
}

TEST(InflateFileToFile, PresetDictionaryIsRefused) {
    const std::uint8_t withDictionary[] = {0x78, 0xbb, 0, 0, 0, 0, 0x03, 0x00};
    File source = FileWith({std::begin(withDictionary), std::end(withDictionary)});
    File target(std::tmpfile());
    EXPECT_EQ(InflateFileToFile(source.get(), target.get()), Z_DATA_ERROR);
}

TEST(InflateFileToFile, OutputBeyondTheLimitFailsLikeAFailedWrite) {
    auto packed = Deflate(std::vector<std::uint8_t>(1 << 20, 0));
    File source = FileWith(packed);
    File target(std::tmpfile());
    EXPECT_EQ(InflateFileToFile(source.get(), target.get(), 1000), -1);
}

TEST(FramePacking, PackAndUnpackRoundTrip) {
    auto raw = Sample(4096);
    std::vector<std::uint8_t> packed(8192), unpacked(4096);
    std::size_t packedLength = 0, unpackedLength = 0;
    ASSERT_EQ(PackFrame(raw.data(), raw.size(), packed.data(), packed.size(), packedLength), Z_OK);
    ASSERT_EQ(
        UnpackFrame(packed.data(), packedLength, unpacked.data(), unpacked.size(), unpackedLength),
        Z_OK);
    EXPECT_EQ(unpackedLength, raw.size());
    EXPECT_EQ(unpacked, raw);
    EXPECT_EQ(PackFrame(raw.data(), raw.size(), packed.data(), 16, packedLength), Z_BUF_ERROR);
}

} // namespace
} // namespace vidorama
