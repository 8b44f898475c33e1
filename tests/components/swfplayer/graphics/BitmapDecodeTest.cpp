#include "ShapeBodyWriter.h"
#include "swf/Limits.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace vidorama;
using namespace vidorama::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kDefineBits = 6;
constexpr int kDefineBitsLossless = 20;
constexpr int kDefineBitsJpeg2 = 21;
constexpr int kDefineBitsJpeg3 = 35;
constexpr int kDefineBitsLossless2 = 36;

Bytes Deflate(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    compress(out.data(), &size, data.data(), static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

Bytes Lossless(std::uint8_t format, int width, int height, const Bytes& pixels, int colors = 0) {
    SwfBitWriter w;
    w.u16(7).u8(format).u16(std::uint16_t(width)).u16(std::uint16_t(height));
    if (format == 3)
        w.u8(std::uint8_t(colors - 1));
    return w.bytes(Deflate(pixels)).take();
}

std::shared_ptr<const swf::BitmapDef> Decode(int tag, const Bytes& body,
                                             const swf::GraphicsParseContext& ctx = {}) {
    return Parse<swf::BitmapDef>(tag, body, ctx);
}

QRgb Premultiplied(const swf::BitmapDef& b, int x, int y) {
    return reinterpret_cast<const QRgb*>(b.image().constScanLine(y))[x];
}

Bytes Encode(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return Bytes(data.begin(), data.end());
}

Bytes SolidJpeg(QColor color, int size = 8) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(color);
    return Encode(image, "JPEG");
}

void ExpectNear(QRgb actual, QRgb expected, int tolerance) {
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance);
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance);
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance);
    EXPECT_EQ(qAlpha(actual), qAlpha(expected));
}

} // namespace

TEST(LosslessBitmap, PaletteRowsArePaddedToFourBytes) {
    // Three pixels a row: each row of indexes is padded with one byte.
    Bytes data{255, 0, 0, 0, 255, 0, 0, 0, 255}; // red, green, blue
    Bytes rows{0, 1, 2, 99, 2, 1, 0, 99};
    data.insert(data.end(), rows.begin(), rows.end());
    auto b = Decode(kDefineBitsLossless, Lossless(3, 3, 2, data, 3));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->width(), 3);
    EXPECT_EQ(b->height(), 2);
    EXPECT_EQ(Premultiplied(*b, 0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(Premultiplied(*b, 2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(Premultiplied(*b, 0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(Premultiplied(*b, 1, 1), qRgb(0, 255, 0));
}

TEST(LosslessBitmap, AlphaPaletteIsPremultipliedAndClamped) {
    // A half-transparent dark red, and an invalid colour brighter than its alpha.
    Bytes data{128, 0, 0, 128, 200, 0, 0, 100, 0, 0, 0, 0};
    Bytes rows{0, 1, 2, 0};
    data.insert(data.end(), rows.begin(), rows.end());
    auto b = Decode(kDefineBitsLossless2, Lossless(3, 3, 1, data, 3));
    ASSERT_TRUE(b);
    EXPECT_EQ(Premultiplied(*b, 0, 0), qRgba(128, 0, 0, 128));
    EXPECT_EQ(Premultiplied(*b, 1, 0), qRgba(100, 0, 0, 100));
    EXPECT_EQ(Premultiplied(*b, 2, 0), qRgba(0, 0, 0, 0));
}

TEST(LosslessBitmap, FifteenBitPixels) {
    // Big-endian 0RRRRRGGGGGBBBBB; one pixel a row, padded to four bytes.
    Bytes data{0x7C, 0x00, 0, 0, 0x03, 0xE0, 0, 0, 0x00, 0x1F, 0, 0, 0x42, 0x10, 0, 0};
    auto b = Decode(kDefineBitsLossless, Lossless(4, 1, 4, data));
    ASSERT_TRUE(b);
    EXPECT_EQ(Premultiplied(*b, 0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(Premultiplied(*b, 0, 1), qRgb(0, 255, 0));
    EXPECT_EQ(Premultiplied(*b, 0, 2), qRgb(0, 0, 255));
    EXPECT_EQ(Premultiplied(*b, 0, 3), qRgb(132, 132, 132));
}

TEST(LosslessBitmap, ThirtyTwoBitPixels) {
    // DefineBitsLossless ignores the first byte; DefineBitsLossless2 reads it
    // as premultiplied alpha.
    Bytes data{0, 10, 20, 30, 128, 64, 32, 16};
    auto opaque = Decode(kDefineBitsLossless, Lossless(5, 2, 1, data));
    auto alpha = Decode(kDefineBitsLossless2, Lossless(5, 2, 1, data));
    ASSERT_TRUE(opaque && alpha);
    EXPECT_EQ(Premultiplied(*opaque, 0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(Premultiplied(*opaque, 1, 0), qRgb(64, 32, 16));
    EXPECT_EQ(Premultiplied(*alpha, 0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(Premultiplied(*alpha, 1, 0), qRgba(64, 32, 16, 128));
}

TEST(LosslessBitmap, BrokenOrOversizedDataIsRefused) {
    EXPECT_FALSE(swf::ParseGraphicsCharacter(kDefineBitsLossless,
                                             swf::ByteReader(Lossless(5, 0, 4, Bytes(16))), {})
                     .ok());
    EXPECT_FALSE(swf::ParseGraphicsCharacter(kDefineBitsLossless,
                                             swf::ByteReader(Lossless(5, 20000, 1, Bytes(16))), {})
                     .ok());
    Bytes notZlib{0x07, 0x00, 5, 1, 0, 1, 0, 1, 2, 3, 4};
    EXPECT_FALSE(
        swf::ParseGraphicsCharacter(kDefineBitsLossless, swf::ByteReader(notZlib), {}).ok());
    // Short data draws what there is; the rest is transparent.
    auto b = Decode(kDefineBitsLossless2, Lossless(5, 2, 1, {255, 1, 2, 3}));
    ASSERT_TRUE(b);
    EXPECT_EQ(Premultiplied(*b, 1, 0), qRgba(0, 0, 0, 0));
    // The movie-wide pixel budget is shared by all bitmaps.
    std::uint64_t total = swf::Limits::kMaxTotalBitmapPixels - 1;
    swf::GraphicsParseContext ctx;
    ctx.totalBitmapPixels = &total;
    EXPECT_FALSE(swf::ParseGraphicsCharacter(kDefineBitsLossless,
                                             swf::ByteReader(Lossless(5, 2, 1, Bytes(8))), ctx)
                     .ok());
}

TEST(JpegBitmap, StrayMarkersBeforeTheImageAreDropped) {
    Bytes jpeg = SolidJpeg(QColor(200, 40, 90));
    Bytes body{7, 0, 0xFF, 0xD9, 0xFF, 0xD8};
    body.insert(body.end(), jpeg.begin(), jpeg.end());
    auto b = Decode(kDefineBitsJpeg2, body);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->width(), 8);
    ExpectNear(Premultiplied(*b, 4, 4), qRgb(200, 40, 90), 3);
}

TEST(JpegBitmap, DefineBitsTakesTheMoviesTables) {
    // Split one JPEG into tables (quantisation and Huffman segments) and the
    // rest, each with its own start and end markers, as DefineBits stores them.
    Bytes jpeg = SolidJpeg(QColor(30, 160, 220), 16);
    Bytes tables{0xFF, 0xD8}, image{0xFF, 0xD8};
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF && jpeg[pos + 1] != 0xDA) {
        std::size_t end = pos + 2 + ((std::size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3]);
        bool table = jpeg[pos + 1] == 0xDB || jpeg[pos + 1] == 0xC4;
        Bytes& to = table ? tables : image;
        to.insert(to.end(), jpeg.begin() + long(pos), jpeg.begin() + long(end));
        pos = end;
    }
    image.insert(image.end(), jpeg.begin() + long(pos), jpeg.end());
    tables.insert(tables.end(), {0xFF, 0xD9});
    Bytes body{7, 0};
    body.insert(body.end(), image.begin(), image.end());
    swf::GraphicsParseContext ctx;
    ctx.jpegTables = tables;
    auto b = Decode(kDefineBits, body, ctx);
    ASSERT_TRUE(b);
    ExpectNear(Premultiplied(*b, 8, 8), qRgb(30, 160, 220), 3);
    // Without the tables the image cannot be decoded, and says so.
    EXPECT_FALSE(swf::ParseGraphicsCharacter(kDefineBits, swf::ByteReader(body), {}).ok());
}

TEST(JpegBitmap, Jpeg3AlphaPlaneMultipliesIn) {
    Bytes jpeg = SolidJpeg(QColor(0, 0, 0), 4);
    Bytes alpha(16, 0x80);
    alpha[0] = 0xFF;
    SwfBitWriter w;
    w.u16(7).u32(std::uint32_t(jpeg.size())).bytes(jpeg).bytes(Deflate(alpha));
    auto b = Decode(kDefineBitsJpeg3, w.take());
    ASSERT_TRUE(b);
    EXPECT_EQ(qAlpha(Premultiplied(*b, 0, 0)), 255);
    EXPECT_EQ(qAlpha(Premultiplied(*b, 1, 0)), 128);
    EXPECT_LE(qRed(Premultiplied(*b, 1, 0)), 128);
}

TEST(JpegBitmap, PngAndGifDataLoadWithTheirOwnAlpha) {
    QImage source(2, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(255, 0, 0, 255));
    source.setPixel(1, 0, qRgba(0, 0, 255, 0));
    Bytes png = Encode(source, "PNG");
    Bytes body{7, 0};
    body.insert(body.end(), png.begin(), png.end());
    auto b = Decode(kDefineBitsJpeg2, body);
    ASSERT_TRUE(b);
    EXPECT_EQ(Premultiplied(*b, 0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(Premultiplied(*b, 1, 0), qRgba(0, 0, 0, 0));

    // The smallest GIF89a: one pixel of palette entry 0, red.
    Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0,  0,
              0,   ',', 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 'D', 1, 0, ';'};
    Bytes gifBody{7, 0};
    gifBody.insert(gifBody.end(), gif.begin(), gif.end());
    auto g = Decode(kDefineBitsJpeg2, gifBody);
    ASSERT_TRUE(g);
    EXPECT_EQ(Premultiplied(*g, 0, 0), qRgb(255, 0, 0));
}
