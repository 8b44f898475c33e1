#include "graphics/EmbeddedImage.h"

#include "swf/Limits.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <string_view>

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;

// Copies the marker segments of one JPEG fragment, without its SOI and EOI
// markers, up to and including the entropy-coded data after the first scan.
void AppendSegments(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
    std::size_t pos = 0;
    while (pos + 1 < in.size()) {
        if (in[pos] != kMarker)
            break;
        std::uint8_t marker = in[pos + 1];
        if (marker == kMarker) {
            ++pos;
            continue;
        }
        if (marker == kStartOfImage || marker == kEndOfImage) {
            pos += 2;
            continue;
        }
        if (marker == kStartOfScan) {
            out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(pos), in.end());
            return;
        }
        if (pos + 3 >= in.size())
            break;
        std::size_t length = (std::size_t{in[pos + 2]} << 8) | in[pos + 3];
        std::size_t end = std::min(in.size(), pos + 2 + length);
        out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(pos),
                   in.begin() + static_cast<std::ptrdiff_t>(end));
        pos = end;
    }
    // Whatever does not parse as marker segments is passed on for the decoder
    // to judge.
    out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(pos), in.end());
}

const char* FormatOf(std::span<const std::uint8_t> data) {
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
    static constexpr std::uint8_t kGif[] = {'G', 'I', 'F', '8'};
    if (data.size() >= 4 && std::equal(std::begin(kPng), std::end(kPng), data.begin()))
        return "PNG";
    if (data.size() >= 4 && std::equal(std::begin(kGif), std::end(kGif), data.begin()))
        return "GIF";
    return "JPEG";
}

} // namespace

std::vector<std::uint8_t> JoinJpegStream(std::span<const std::uint8_t> tables,
                                         std::span<const std::uint8_t> image) {
    std::vector<std::uint8_t> out{kMarker, kStartOfImage};
    out.reserve(tables.size() + image.size() + 2);
    AppendSegments(tables, out);
    AppendSegments(image, out);
    return out;
}

bool BitmapSizeAllowed(std::int64_t width, std::int64_t height, std::uint64_t* totalPixels) {
    if (width <= 0 || height <= 0 || width > Limits::kMaxBitmapSide ||
        height > Limits::kMaxBitmapSide)
        return false;
    auto pixels = static_cast<std::uint64_t>(width * height);
    if (pixels > Limits::kMaxBitmapPixels)
        return false;
    if (totalPixels) {
        if (*totalPixels + pixels > Limits::kMaxTotalBitmapPixels)
            return false;
        *totalPixels += pixels;
    }
    return true;
}

Result<QImage> DecodeEmbeddedImage(std::span<const std::uint8_t> data) {
    const char* format = FormatOf(data);
    std::vector<std::uint8_t> jpeg;
    QByteArray bytes;
    if (std::string_view(format) == "JPEG") {
        jpeg = JoinJpegStream({}, data);
        bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(jpeg.data()),
                                        static_cast<qsizetype>(jpeg.size()));
    } else {
        bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                        static_cast<qsizetype>(data.size()));
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    QSize size = reader.size();
    if (size.isValid() && !BitmapSizeAllowed(size.width(), size.height(), nullptr))
        return MakeError(Error::Category::LimitExceeded, "embedded image is too large");
    QImage image = reader.read();
    if (image.isNull())
        return MakeError(Error::Category::Format, std::string("cannot decode embedded ") + format +
                                                      ": " + reader.errorString().toStdString());
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace vidorama::swf
