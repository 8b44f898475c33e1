#include "graphics/BitmapParser.h"

#include "graphics/BitmapDef.h"
#include "graphics/EmbeddedImage.h"
#include "graphics/LosslessDecoder.h"
#include "swf/Decompress.h"

#include <algorithm>
#include <string>

namespace vidorama::swf {

namespace {

constexpr int kDefineBits = 6;
constexpr int kDefineBitsLossless = 20;
constexpr int kDefineBitsJpeg3 = 35;
constexpr int kDefineBitsLossless2 = 36;
constexpr int kDefineBitsJpeg4 = 90;

// DefineBitsJPEG3/4 keep the JPEG's alpha as a separate zlib plane of one byte
// a pixel. The JPEG's colours are already multiplied by that alpha (movies
// store them so); they are only clamped to it. An alpha plane that ends early
// leaves the rest opaque. PNG and GIF data have their own alpha and ignore the
// plane.
void ApplyAlphaPlane(QImage& image, std::span<const std::uint8_t> compressed) {
    auto pixels = static_cast<std::size_t>(image.width()) * image.height();
    std::vector<std::uint8_t> alpha = InflateZlib(compressed, pixels).bytes;
    if (alpha.empty())
        return;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            std::size_t at = static_cast<std::size_t>(y) * image.width() + x;
            if (at >= alpha.size())
                return;
            int a = alpha[at];
            QRgb c = row[x];
            row[x] = qRgba(std::min(qRed(c), a), std::min(qGreen(c), a), std::min(qBlue(c), a), a);
        }
    }
}

bool IsJpeg(std::span<const std::uint8_t> data) {
    return !(data.size() >= 4 && ((data[0] == 0x89 && data[1] == 'P') ||
                                  (data[0] == 'G' && data[1] == 'I' && data[2] == 'F')));
}

Result<QImage> DecodeJpegTag(int tagCode, ByteReader& body, const GraphicsParseContext& ctx) {
    if (tagCode == kDefineBits) {
        std::vector<std::uint8_t> joined = JoinJpegStream(ctx.jpegTables, body.rest());
        return DecodeEmbeddedImage(joined);
    }
    std::size_t alphaOffset = 0;
    bool hasAlpha = tagCode == kDefineBitsJpeg3 || tagCode == kDefineBitsJpeg4;
    if (hasAlpha)
        alphaOffset = body.u32();
    // The deblocking strength of DefineBitsJPEG4 only softens block edges;
    // it is read past and not applied.
    if (tagCode == kDefineBitsJpeg4)
        body.u16();
    std::span<const std::uint8_t> image = hasAlpha ? body.take(alphaOffset) : body.rest();
    Result<QImage> decoded = DecodeEmbeddedImage(image);
    if (decoded && hasAlpha && IsJpeg(image))
        ApplyAlphaPlane(decoded.value(), body.rest());
    return decoded;
}

} // namespace

Result<std::shared_ptr<const CharacterDef>> ParseBitmap(int tagCode, ByteReader body,
                                                        const GraphicsParseContext& ctx) {
    CharacterId id = body.u16();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "bitmap tag without a character id", tagCode);
    bool lossless = tagCode == kDefineBitsLossless || tagCode == kDefineBitsLossless2;
    Result<QImage> image =
        lossless ? DecodeLossless(body, tagCode == kDefineBitsLossless2, ctx.totalBitmapPixels)
                 : DecodeJpegTag(tagCode, body, ctx);
    if (!image) {
        Error error = image.error();
        error.tagCode = tagCode;
        error.message = "bitmap " + std::to_string(id) + ": " + error.message;
        return error;
    }
    if (!lossless &&
        !BitmapSizeAllowed(image.value().width(), image.value().height(), ctx.totalBitmapPixels))
        return MakeError(Error::Category::LimitExceeded,
                         "bitmap " + std::to_string(id) + " exceeds the movie's pixel limit",
                         tagCode);
    return std::shared_ptr<const CharacterDef>(
        std::make_shared<BitmapDef>(id, std::move(image).value()));
}

} // namespace vidorama::swf
