#include "core/PixelConverter.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace vidorama::encoder {

PixelConverter::~PixelConverter() {
    sws_freeContext(m_context);
}

Status PixelConverter::convert(const RawFrameView& source, AVFrame& destination, RowOrder order) {
    if (!source.pixels || source.width <= 0 || source.height <= 0)
        return Status::failure(ErrorKind::InvalidArgument, "The frame has no pixels.");
    if (destination.format == AV_PIX_FMT_PAL8)
        return m_quantizer.quantize(source, destination);
    const AVPixelFormat sourceFormat = source.alpha ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR0;
    m_context = sws_getCachedContext(
        m_context, source.width, source.height, sourceFormat, destination.width, destination.height,
        static_cast<AVPixelFormat>(destination.format), SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!m_context)
        return Status::failure(ErrorKind::Unsupported,
                               "No pixel conversion into the codec's format exists.");

    const int rowBytes = source.width * 4;
    const std::uint8_t* firstRow = source.pixels;
    int stride = rowBytes;
    if (order != source.rows) {
        // A negative stride walks the rows from the other end of the picture.
        firstRow = source.pixels + static_cast<std::ptrdiff_t>(source.height - 1) * rowBytes;
        stride = -rowBytes;
    }
    const std::uint8_t* const planes[4] = {firstRow, nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    const int rows = sws_scale(m_context, planes, strides, 0, source.height, destination.data,
                               destination.linesize);
    if (rows < 0)
        return Status::fromAvError("Converting the frame's pixels", rows);
    if (rows == 0)
        return Status::failure(ErrorKind::Codec, "The pixel conversion produced no rows.");
    return Status::success();
}

} // namespace vidorama::encoder
