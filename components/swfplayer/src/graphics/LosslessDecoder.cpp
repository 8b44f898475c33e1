#include "graphics/LosslessDecoder.h"

#include "graphics/EmbeddedImage.h"
#include "swf/Decompress.h"

#include <algorithm>
#include <vector>

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kPalette = 3;
constexpr std::uint8_t kRgb15 = 4;
constexpr std::uint8_t kRgb32 = 5;

// Rows of the palette and 15-bit formats are padded to whole 32-bit words.
std::size_t PaddedRow(std::size_t bytes) {
    return (bytes + 3) & ~std::size_t{3};
}

// Premultiplied pixels whose colour exceeds their alpha are invalid; Flash
// shows them clamped, which also keeps blending well defined.
QRgb Premultiplied(unsigned r, unsigned g, unsigned b, unsigned a) {
    return qRgba(static_cast<int>(std::min(r, a)), static_cast<int>(std::min(g, a)),
                 static_cast<int>(std::min(b, a)), static_cast<int>(a));
}

void DecodePalette(const std::vector<std::uint8_t>& data, std::size_t colors, bool withAlpha,
                   QImage& image) {
    std::size_t entry = withAlpha ? 4 : 3;
    std::vector<QRgb> palette(256, qRgba(0, 0, 0, 0));
    for (std::size_t i = 0; i < colors && (i + 1) * entry <= data.size(); ++i) {
        const std::uint8_t* c = data.data() + i * entry;
        palette[i] = withAlpha ? Premultiplied(c[0], c[1], c[2], c[3]) : qRgb(c[0], c[1], c[2]);
    }
    std::size_t offset = colors * entry;
    std::size_t stride = PaddedRow(static_cast<std::size_t>(image.width()));
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::size_t at = offset + static_cast<std::size_t>(y) * stride + x;
            row[x] = at < data.size() ? palette[data[at]] : qRgba(0, 0, 0, 0);
        }
    }
}

void DecodeRgb15(const std::vector<std::uint8_t>& data, QImage& image) {
    std::size_t stride = PaddedRow(static_cast<std::size_t>(image.width()) * 2);
    auto expand = [](unsigned v) {
        return static_cast<int>((v << 3) | (v >> 2));
    };
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::size_t at = static_cast<std::size_t>(y) * stride + std::size_t(x) * 2;
            if (at + 1 >= data.size()) {
                row[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            unsigned v = (unsigned{data[at]} << 8) | data[at + 1];
            row[x] = qRgb(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
        }
    }
}

void DecodeRgb32(const std::vector<std::uint8_t>& data, bool withAlpha, QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::size_t at = (static_cast<std::size_t>(y) * image.width() + x) * 4;
            if (at + 3 >= data.size()) {
                row[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            const std::uint8_t* p = data.data() + at;
            row[x] = withAlpha ? Premultiplied(p[1], p[2], p[3], p[0]) : qRgb(p[1], p[2], p[3]);
        }
    }
}

} // namespace

Result<QImage> DecodeLossless(ByteReader& body, bool withAlpha, std::uint64_t* totalPixels) {
    std::uint8_t format = body.u8();
    int width = body.u16();
    int height = body.u16();
    std::size_t colors = format == kPalette ? std::size_t{body.u8()} + 1 : 0;
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "lossless bitmap header is cut short");
    if (format != kPalette && format != kRgb32 && !(format == kRgb15 && !withAlpha))
        return MakeError(Error::Category::Unsupported,
                         "unknown lossless bitmap format " + std::to_string(format));
    if (!BitmapSizeAllowed(width, height, totalPixels))
        return MakeError(Error::Category::LimitExceeded,
                         "lossless bitmap of " + std::to_string(width) + "x" +
                             std::to_string(height) + " pixels is empty or too large");
    std::size_t expected = 0;
    if (format == kPalette)
        expected = colors * (withAlpha ? 4 : 3) + PaddedRow(std::size_t(width)) * height;
    else if (format == kRgb15)
        expected = PaddedRow(std::size_t(width) * 2) * height;
    else
        expected = std::size_t(width) * height * 4;
    std::vector<std::uint8_t> data = InflateZlib(body.rest(), expected).bytes;
    if (data.empty())
        return MakeError(Error::Category::Format, "lossless bitmap data does not inflate");
    // Short data is drawn up to where it ends; the rest stays transparent.
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return MakeError(Error::Category::LimitExceeded, "no memory for a lossless bitmap");
    if (format == kPalette)
        DecodePalette(data, colors, withAlpha, image);
    else if (format == kRgb15)
        DecodeRgb15(data, image);
    else
        DecodeRgb32(data, withAlpha, image);
    return image;
}

} // namespace vidorama::swf
