#include "flash/MovieProbe.h"

#include "SwfBitWriter.h"
#include "SwfCompression.h"
#include "TempDir.h"
#include "capture/TempFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vidorama {
namespace {

// The bytes of a small movie body: frame rectangle, rate, count, End tag.
std::vector<std::uint8_t> Body(std::int32_t xMaxTwips, std::int32_t yMaxTwips) {
    test::SwfBitWriter w;
    w.rect({0, xMaxTwips, 0, yMaxTwips}).fixed8(24).u16(1).u16(0);
    std::vector<std::uint8_t> body = w.take();
    body.resize(body.size() + 40, 0); // room for the 20 bytes the probe reads
    return body;
}

std::vector<std::uint8_t> Header(char signature, std::uint32_t declaredLength) {
    test::SwfBitWriter w;
    w.u8(static_cast<std::uint8_t>(signature)).u8('W').u8('S').u8(10).u32(declaredLength);
    return w.take();
}

std::vector<std::uint8_t> Uncompressed(const std::vector<std::uint8_t>& body, int lengthError = 0) {
    auto file = Header('F', static_cast<std::uint32_t>(body.size() + 8 + lengthError));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& body, int lengthError = 0) {
    return test::CompressZlib(Uncompressed(body, lengthError));
}

std::vector<std::uint8_t> Lzma(const std::vector<std::uint8_t>& body, int lengthError = 0) {
    return test::CompressLzma(Uncompressed(body, lengthError));
}

class MovieProbeTest : public ::testing::Test {
protected:
    // Temporary files go to a folder of this test's own, so that tests running
    // beside it cannot disturb the count of leftovers.
    void SetUp() override { qputenv("TMPDIR", tempFolder.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("TMPDIR"); }

    bool Probe(const std::vector<std::uint8_t>& bytes, std::uint32_t maxWidth = 4000,
               std::uint32_t maxHeight = 4000) {
        std::string path = dir.filePath("movie.swf").toStdString();
        test::WriteWholeFile(path, bytes);
        probe = {};
        return ProbeMovieFile(path, maxWidth, maxHeight, probe);
    }
    std::size_t LeftoverTempFiles() {
        EXPECT_EQ(TempDirectory(), tempFolder.path().toStdString() + "/");
        return test::TempFilesWithPrefix(TempDirectory(), "~REELCAP").size();
    }

    QTemporaryDir dir;
    QTemporaryDir tempFolder;
    MovieProbe probe;
};

TEST_F(MovieProbeTest, ReadsTheFrameSizeOfEveryKindOfMovie) {
    std::size_t before = LeftoverTempFiles();
    auto body = Body(11000, 8000);
    for (const auto& file : {Uncompressed(body), Zlib(body), Lzma(body)}) {
        EXPECT_TRUE(Probe(file)) << char(file[0]);
        EXPECT_EQ(probe.width, 550);
        EXPECT_EQ(probe.height, 400);
    }
    EXPECT_TRUE(Probe(Uncompressed(Body(11019, 8019))));
    EXPECT_EQ(probe.width, 550);
    EXPECT_EQ(probe.height, 400);
    EXPECT_EQ(LeftoverTempFiles(), before);
}

TEST_F(MovieProbeTest, DeclaredLengthMustMatch) {
    std::size_t before = LeftoverTempFiles();
    auto body = Body(11000, 8000);
    for (int error : {-1, 1}) {
        EXPECT_FALSE(Probe(Uncompressed(body, error)));
        EXPECT_FALSE(Probe(Zlib(body, error)));
        EXPECT_FALSE(Probe(Lzma(body, error)));
    }
    EXPECT_EQ(LeftoverTempFiles(), before);
}

TEST_F(MovieProbeTest, RefusesMoviesLargerThanTheScreenAllows) {
    auto body = Body(11000, 8000);
    EXPECT_TRUE(Probe(Uncompressed(body), 550, 400));
    EXPECT_FALSE(Probe(Uncompressed(body), 549, 400));
    EXPECT_EQ(probe.width, 550); // the size stays as computed
    EXPECT_FALSE(Probe(Uncompressed(body), 550, 399));
}

TEST_F(MovieProbeTest, RefusesWhatIsNotAMovie) {
    std::string text = "This is a text file with the extension .swf, nothing more.";
    EXPECT_FALSE(Probe({text.begin(), text.end()}));
    EXPECT_FALSE(Probe({'F', 'W', 'S'}));
    EXPECT_FALSE(Probe({}));
    // Too short to hold the 20 bytes of the frame rectangle.
    auto tiny = Header('F', 12);
    tiny.insert(tiny.end(), {0x50, 0, 0, 0});
    EXPECT_FALSE(Probe(tiny));
    // A compressed body that is damaged or cut short.
    std::size_t before = LeftoverTempFiles();
    auto zlib = Zlib(Body(11000, 8000));
    zlib.resize(zlib.size() - 4);
    EXPECT_FALSE(Probe(zlib));
    auto lzma = Lzma(Body(11000, 8000));
    lzma[20] ^= 0x5a;
    EXPECT_FALSE(Probe(lzma));
    EXPECT_EQ(LeftoverTempFiles(), before);
    EXPECT_FALSE(ProbeMovieFile(dir.filePath("absent.swf").toStdString(), 4000, 4000, probe));
}

TEST_F(MovieProbeTest, CompressedBodyLargerThanDeclaredIsCutShort) {
    // A small file that claims a small length but inflates to megabytes must
    // not be unpacked to its end.
    std::vector<std::uint8_t> huge(8 << 20, 0);
    auto start = Body(11000, 8000);
    std::copy(start.begin(), start.end(), huge.begin());
    auto file = Zlib(huge, -(8 << 20) + 100);
    EXPECT_FALSE(Probe(file));
}

} // namespace
} // namespace vidorama
