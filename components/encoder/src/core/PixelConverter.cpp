#include "core/PixelConverter.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <libyuv/convert_from_argb.h>

namespace vidorama::encoder {

namespace {

// Nearly every conversion turns 32-bit frames into 4:2:0 of the same size.
// libswscale has no direct path for that pair: it runs its general scaler,
// filtering the chroma planes through a bicubic kernel, which costs a large
// share of a whole encode. libyuv converts the pair directly with SIMD rows,
// with the same BT.601 limited-range coefficients, averaging each 2 x 2 block
// for the chroma. The fourth byte never matters here: 4:2:0 has no alpha.
bool ConvertDirectly(const RawFrameView& source, AVFrame& destination, RowOrder order) {
    if (destination.format != AV_PIX_FMT_YUV420P || destination.width != source.width ||
        destination.height != source.height)
        return false;
    // A negative height walks the source rows from the bottom up.
    const int height = order == source.rows ? source.height : -source.height;
    return libyuv::ARGBToI420(source.pixels, source.width * 4, destination.data[0],
                              destination.linesize[0], destination.data[1], destination.linesize[1],
                              destination.data[2], destination.linesize[2], source.width,
                              height) == 0;
}

} // namespace

PixelConverter::~PixelConverter() {
    sws_freeContext(m_context);
}

Status PixelConverter::convert(const RawFrameView& source, AVFrame& destination, RowOrder order) {
    if (!source.pixels || source.width <= 0 || source.height <= 0)
        return Status::failure(ErrorKind::InvalidArgument, "The frame has no pixels.");
    if (destination.format == AV_PIX_FMT_PAL8)
        return m_quantizer.quantize(source, destination);
    if (ConvertDirectly(source, destination, order))
        return Status::success();
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
