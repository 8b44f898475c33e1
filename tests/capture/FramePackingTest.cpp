#include "capture/FramePacking.h"

#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

namespace vidorama {
namespace {

std::vector<std::uint8_t> Sample(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>((i * 31) ^ (i >> 9));
    return data;
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
