#include "flash/LzmaFileToFile.h"

#include <cstring>
#include <lzma.h>
#include <zlib.h>

namespace vidorama {

namespace {

constexpr std::size_t kChunk = 16384;
constexpr std::size_t kPropertiesSize = 5;
constexpr std::uint64_t kMemoryLimit = 256u * 1024 * 1024;

// SWF keeps the raw LZMA properties without the .lzma header's 8-byte length;
// the "alone" decoder wants the header, so it is rebuilt in front.
bool FeedAloneHeader(lzma_stream& stream, std::FILE* source, std::uint64_t bodyLength,
                     std::uint8_t* header) {
    if (std::fread(header, 1, kPropertiesSize, source) != kPropertiesSize)
        return false;
    for (int i = 0; i < 8; ++i)
        header[kPropertiesSize + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(bodyLength >> (8 * i));
    stream.next_in = header;
    stream.avail_in = kPropertiesSize + 8;
    return true;
}

} // namespace

int LzmaFileToFile(std::FILE* source, std::FILE* target, std::uint64_t bodyLength) {
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&stream, kMemoryLimit) != LZMA_OK)
        return Z_MEM_ERROR;

    std::uint8_t header[kPropertiesSize + 8];
    std::uint8_t in[kChunk];
    std::uint8_t out[kChunk];
    int result = Z_DATA_ERROR;
    if (!FeedAloneHeader(stream, source, bodyLength, header)) {
        lzma_end(&stream);
        return Z_DATA_ERROR;
    }
    for (;;) {
        if (stream.avail_in == 0) {
            stream.next_in = in;
            stream.avail_in = std::fread(in, 1, kChunk, source);
            if (std::ferror(source)) {
                result = -1;
                break;
            }
        }
        lzma_action action = stream.avail_in == 0 ? LZMA_FINISH : LZMA_RUN;
        stream.next_out = out;
        stream.avail_out = kChunk;
        lzma_ret status = lzma_code(&stream, action);
        std::size_t have = kChunk - stream.avail_out;
        if (stream.total_out > bodyLength ||
            (have > 0 && std::fwrite(out, 1, have, target) != have)) {
            result = -1;
            break;
        }
        if (status == LZMA_STREAM_END) {
            result = stream.total_out == bodyLength ? 0 : Z_DATA_ERROR;
            break;
        }
        if (status != LZMA_OK) {
            result = status == LZMA_MEM_ERROR ? Z_MEM_ERROR : Z_DATA_ERROR;
            break;
        }
    }
    lzma_end(&stream);
    return result;
}

} // namespace vidorama
