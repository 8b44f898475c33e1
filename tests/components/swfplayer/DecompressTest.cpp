// The one decompressor of compressed movies, used by the engine and the
// program's header probe: bounded output, damage reported with the bytes
// decoded before it.

#include "swf/Decompress.h"

#include "swf/SwfCompression.h"

#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace vidorama::swf {
namespace {

using test::Bytes;
using test::Deflate;

Bytes Sample(std::size_t size) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 9));
    return data;
}

// The parts of the "ZWS" form of data: five property bytes, then the stream.
struct LzmaBody {
    Bytes whole;
    std::span<const std::uint8_t> properties() const { return std::span(whole).subspan(12, 5); }
    std::span<const std::uint8_t> stream() const { return std::span(whole).subspan(17); }
};

LzmaBody Lzma(const Bytes& data) {
    Bytes fws = {'F', 'W', 'S', 13, 0, 0, 0, 0};
    fws.insert(fws.end(), data.begin(), data.end());
    return {test::CompressLzma(fws)};
}

bool IsPrefix(const Bytes& part, const Bytes& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

TEST(Decompress, ZlibStreamsLargerThanOneOutputStepComeOutWhole) {
    const Bytes data = Sample(3 << 20);
    Decompressed out = InflateZlib(Deflate(data), data.size() + 1);
    EXPECT_TRUE(out.complete) << out.damage;
    EXPECT_EQ(out.bytes, data);
}

TEST(Decompress, BrokenZlibStreamsKeepWhatCameBeforeTheDamage) {
    const Bytes data = Sample(50000);
    const Bytes packed = Deflate(data);
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, packed.size() / 2, packed.size() - 1}) {
        // Room for more than the data, so that only the stream's end counts.
        Decompressed out = InflateZlib({packed.data(), cut}, data.size() + 1);
        EXPECT_FALSE(out.complete) << cut;
        EXPECT_FALSE(out.damage.empty()) << cut;
        EXPECT_TRUE(IsPrefix(out.bytes, data)) << cut;
    }
    Bytes notZlib = packed;
    notZlib[0] = 0x12;
    EXPECT_FALSE(InflateZlib(notZlib, data.size()).complete);
    // A stream that wants a preset dictionary cannot be a movie's.
    const Bytes withDictionary = {0x78, 0xbb, 0, 0, 0, 0, 0x03, 0x00};
    EXPECT_FALSE(InflateZlib(withDictionary, 100).complete);
}

TEST(Decompress, OutputStopsAtTheDeclaredLength) {
    // A small stream that would inflate to megabytes yields only what the
    // movie declares.
    Decompressed zlib = InflateZlib(Deflate(Bytes(8 << 20, 0)), 1000);
    EXPECT_TRUE(zlib.complete);
    EXPECT_EQ(zlib.bytes.size(), 1000u);
    const LzmaBody zeros = Lzma(Bytes(8 << 20, 0));
    Decompressed lzma = DecodeSwfLzma(zeros.properties(), zeros.stream(), 1000);
    EXPECT_TRUE(lzma.complete);
    EXPECT_EQ(lzma.bytes.size(), 1000u);
}

TEST(Decompress, LzmaBodiesDecodeAndTruncatedOnesReportDamage) {
    const Bytes data = Sample(200000);
    LzmaBody body = Lzma(data);
    Decompressed whole = DecodeSwfLzma(body.properties(), body.stream(), data.size());
    EXPECT_TRUE(whole.complete) << whole.damage;
    EXPECT_EQ(whole.bytes, data);

    Decompressed cut = DecodeSwfLzma(body.properties(),
                                     body.stream().first(body.stream().size() / 2), data.size());
    EXPECT_FALSE(cut.complete);
    EXPECT_FALSE(cut.damage.empty());
    EXPECT_TRUE(IsPrefix(cut.bytes, data));

    // Properties that claim a 4 GB dictionary are held to the output's size.
    for (std::size_t i = 13; i <= 16; ++i)
        body.whole[i] = 0xff;
    Decompressed lying = DecodeSwfLzma(body.properties(), body.stream(), data.size());
    EXPECT_TRUE(lying.complete) << lying.damage;
    EXPECT_FALSE(DecodeSwfLzma(body.properties().first(4), body.stream(), data.size()).complete);
}

} // namespace
} // namespace vidorama::swf
