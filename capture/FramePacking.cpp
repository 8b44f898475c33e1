#include "capture/FramePacking.h"

#include <zlib.h>

namespace vidorama {

int PackFrame(const std::uint8_t* raw, std::size_t rawLength, std::uint8_t* out,
              std::size_t capacity, std::size_t& outLength) {
    uLongf length = static_cast<uLongf>(capacity);
    int status = ::compress(out, &length, raw, static_cast<uLong>(rawLength));
    outLength = status == Z_OK ? static_cast<std::size_t>(length) : 0;
    return status;
}

int UnpackFrame(const std::uint8_t* packed, std::size_t packedLength, std::uint8_t* out,
                std::size_t capacity, std::size_t& outLength) {
    uLongf length = static_cast<uLongf>(capacity);
    int status = ::uncompress(out, &length, packed, static_cast<uLong>(packedLength));
    outLength = status == Z_OK ? static_cast<std::size_t>(length) : 0;
    return status;
}

int InflateFileToFile(std::FILE* source, std::FILE* target, std::uint64_t maxOutput) {
    constexpr std::size_t kChunk = 16384;
    unsigned char in[kChunk];
    unsigned char out[kChunk];

    z_stream stream{};
    int status = ::inflateInit(&stream);
    if (status != Z_OK)
        return status;

    do {
        stream.avail_in = static_cast<uInt>(std::fread(in, 1, kChunk, source));
        if (std::ferror(source)) {
            ::inflateEnd(&stream);
            return -1;
        }
        if (stream.avail_in == 0)
            break; // the source ended before the stream did
        stream.next_in = in;
        do {
            stream.avail_out = kChunk;
            stream.next_out = out;
            status = ::inflate(&stream, Z_NO_FLUSH);
            if (status == Z_NEED_DICT)
                status = Z_DATA_ERROR;
            if (status == Z_DATA_ERROR || status == Z_MEM_ERROR || status == Z_STREAM_ERROR) {
                ::inflateEnd(&stream);
                return status == Z_STREAM_ERROR ? Z_DATA_ERROR : status;
            }
            std::size_t have = kChunk - stream.avail_out;
            if (stream.total_out > maxOutput) {
                ::inflateEnd(&stream);
                return -1;
            }
            if (std::fwrite(out, 1, have, target) != have || std::ferror(target)) {
                ::inflateEnd(&stream);
                return -1;
            }
        } while (stream.avail_out == 0);
    } while (status != Z_STREAM_END);

    ::inflateEnd(&stream);
    return status == Z_STREAM_END ? 0 : Z_DATA_ERROR;
}

} // namespace vidorama
