#include "core/FrameSmoother.h"

#include "core/FfmpegPtr.h"

#include <algorithm>

namespace vidorama::encoder {

namespace {

Status scale(const AVFrame& source, AVFrame& destination) {
    SwsContextPtr context(sws_getContext(
        source.width, source.height, static_cast<AVPixelFormat>(source.format), destination.width,
        destination.height, static_cast<AVPixelFormat>(destination.format), SWS_AREA, nullptr,
        nullptr, nullptr));
    if (!context)
        return Status::failure(ErrorKind::Unsupported, "The picture cannot be rescaled.");
    const int rows = sws_scale(context.get(), source.data, source.linesize, 0, source.height,
                               destination.data, destination.linesize);
    if (rows <= 0)
        return Status::failure(ErrorKind::Codec, "Rescaling the picture failed.");
    return Status::success();
}

Status allocate(AVFrame& frame, int format, int width, int height) {
    av_frame_unref(&frame);
    frame.format = format;
    frame.width = width;
    frame.height = height;
    const int result = av_frame_get_buffer(&frame, 0);
    if (result < 0)
        return Status::fromAvError("Allocating a picture", result);
    return Status::success();
}

} // namespace

Status FrameSmoother::smooth(const AVFrame& source, int level, AVFrame& destination) {
    FramePtr small(av_frame_alloc());
    if (!small)
        return Status::failure(ErrorKind::OutOfMemory, "Allocating a picture failed.");
    const int width = std::max(source.width >> level, 2);
    const int height = std::max(source.height >> level, 2);
    Status status = allocate(*small, source.format, width, height);
    if (status.ok())
        status = scale(source, *small);
    if (status.ok())
        status = allocate(destination, source.format, source.width, source.height);
    if (status.ok())
        status = scale(*small, destination);
    return status;
}

} // namespace vidorama::encoder
