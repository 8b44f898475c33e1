#include "core/Status.h"

extern "C" {
#include <libavutil/error.h>
}

#include <cerrno>

namespace vidorama::encoder {

Status Status::failure(ErrorKind kind, std::string message) {
    Status status;
    status.m_kind = kind;
    status.m_message = std::move(message);
    return status;
}

Status Status::fromAvError(std::string_view what, int averror) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof(text));
    ErrorKind kind = ErrorKind::Codec;
    if (averror == AVERROR(ENOMEM))
        kind = ErrorKind::OutOfMemory;
    else if (averror == AVERROR(EINVAL) || averror == AVERROR(ERANGE))
        kind = ErrorKind::InvalidArgument;
    else if (averror == AVERROR(EACCES) || averror == AVERROR(ENOENT) ||
             averror == AVERROR(ENOSPC) || averror == AVERROR(EIO) || averror == AVERROR(EROFS) ||
             averror == AVERROR(EISDIR) || averror == AVERROR(ENOTDIR))
        kind = ErrorKind::Io;
    return failure(kind, std::string(what) + ": " + text);
}

} // namespace vidorama::encoder
