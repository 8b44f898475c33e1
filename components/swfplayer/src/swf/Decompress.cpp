#include "swf/Decompress.h"

#include <algorithm>
#include <array>
#include <limits>
#include <lzma.h>
#include <zlib.h>

namespace vidorama::swf {

namespace {

// Output grows in steps so that a lying length field cannot make us reserve a
// huge buffer before a single byte has been decoded.
constexpr std::size_t kOutputStep = 1u << 20;

std::size_t NextOutputSize(std::size_t current, std::size_t maxOutput) {
    return std::min(maxOutput, current + std::max(kOutputStep, current / 2));
}

// The decoder allocates the dictionary size that the properties state (bytes
// 1 to 4), up to 4 GB for a lying file. Matches never reach back before the
// first byte, so a dictionary as long as the output is always large enough.
void LimitDictionary(std::array<std::uint8_t, 13>& header, std::size_t maxOutput) {
    constexpr std::size_t kSmallestDictionary = 4096;
    std::uint32_t stated = 0;
    for (int i = 3; i >= 0; --i)
        stated = (stated << 8) | header[1 + static_cast<std::size_t>(i)];
    auto needed = static_cast<std::uint32_t>(
        std::min<std::size_t>(std::max(maxOutput, kSmallestDictionary), UINT32_MAX));
    std::uint32_t size = std::min(stated, needed);
    for (std::size_t i = 0; i < 4; ++i)
        header[1 + i] = static_cast<std::uint8_t>(size >> (8 * i));
}

} // namespace

Decompressed InflateZlib(std::span<const std::uint8_t> input, std::size_t maxOutput) {
    Decompressed result;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        result.damage = "zlib could not be initialised";
        return result;
    }
    // zlib counts in 32-bit units; movies are far below that limit.
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(input.size(), UINT32_MAX));
    std::size_t produced = 0;
    int status = Z_OK;
    while (produced < maxOutput) {
        result.bytes.resize(NextOutputSize(produced, maxOutput));
        stream.next_out = result.bytes.data() + produced;
        stream.avail_out = static_cast<uInt>(result.bytes.size() - produced);
        status = inflate(&stream, Z_NO_FLUSH);
        produced = result.bytes.size() - stream.avail_out;
        if (status != Z_OK)
            break;
        if (stream.avail_in == 0 && stream.avail_out != 0) {
            status = Z_BUF_ERROR;
            break;
        }
    }
    inflateEnd(&stream);
    result.bytes.resize(produced);
    if (status == Z_STREAM_END || produced >= maxOutput)
        result.complete = true;
    else if (status == Z_BUF_ERROR)
        result.damage = "the compressed data ends early";
    else
        result.damage = std::string("corrupt zlib data: ") + (stream.msg ? stream.msg : "error");
    return result;
}

Decompressed DecodeSwfLzma(std::span<const std::uint8_t> properties,
                           std::span<const std::uint8_t> input, std::size_t maxOutput) {
    Decompressed result;
    if (properties.size() != 5) {
        result.damage = "the LZMA properties are missing";
        return result;
    }
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&stream, UINT64_MAX) != LZMA_OK) {
        result.damage = "LZMA could not be initialised";
        return result;
    }
    // The .lzma container the decoder expects is the properties followed by
    // the uncompressed size; "unknown" lets the stream end where it ends.
    std::array<std::uint8_t, 13> header{};
    std::copy(properties.begin(), properties.end(), header.begin());
    std::fill(header.begin() + 5, header.end(), 0xff);
    LimitDictionary(header, maxOutput);
    std::size_t produced = 0;
    lzma_ret status = LZMA_OK;
    for (int part = 0; part < 2 && status == LZMA_OK && produced < maxOutput; ++part) {
        auto chunk = part == 0 ? std::span<const std::uint8_t>(header) : input;
        stream.next_in = chunk.data();
        stream.avail_in = chunk.size();
        while (status == LZMA_OK && produced < maxOutput && (stream.avail_in > 0 || part == 1)) {
            result.bytes.resize(NextOutputSize(produced, maxOutput));
            stream.next_out = result.bytes.data() + produced;
            stream.avail_out = result.bytes.size() - produced;
            status = lzma_code(&stream, part == 1 ? LZMA_FINISH : LZMA_RUN);
            produced = result.bytes.size() - stream.avail_out;
        }
    }
    lzma_end(&stream);
    result.bytes.resize(produced);
    if (status == LZMA_STREAM_END || produced >= maxOutput)
        result.complete = true;
    else if (status == LZMA_BUF_ERROR || status == LZMA_OK)
        result.damage = "the compressed data ends early";
    else
        result.damage = "corrupt LZMA data (code " + std::to_string(static_cast<int>(status)) + ")";
    return result;
}

} // namespace vidorama::swf
