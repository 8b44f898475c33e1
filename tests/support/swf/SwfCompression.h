#pragma once

#include "swf/SwfWriter.h"

#include <lzma.h>
#include <stdexcept>
#include <zlib.h>

namespace vidorama::test {

inline Bytes Deflate(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(size);
    return out;
}

namespace tags {
// DefineBitsLossless2 in the 32-bit format, from straight ARGB pixels row by row.
inline Bytes DefineBitsLossless2(std::uint16_t id, std::uint16_t width, std::uint16_t height,
                                 const std::vector<swf::Rgba>& pixels) {
    Bytes argb;
    for (const swf::Rgba& p : pixels) {
        // Stored premultiplied.
        argb.push_back(p.a);
        argb.push_back(static_cast<std::uint8_t>(p.r * p.a / 255));
        argb.push_back(static_cast<std::uint8_t>(p.g * p.a / 255));
        argb.push_back(static_cast<std::uint8_t>(p.b * p.a / 255));
    }
    SwfBitWriter w;
    w.u16(id).u8(5).u16(width).u16(height).bytes(Deflate(argb));
    return Tag(36, w.take());
}
} // namespace tags

// Turns an uncompressed "FWS" movie into its "CWS" (zlib) form. Users link
// zlib (the engine libraries bring it).
inline Bytes CompressZlib(const Bytes& fws) {
    uLongf size = compressBound(static_cast<uLong>(fws.size() - 8));
    Bytes out(8 + size);
    if (compress2(out.data() + 8, &size, fws.data() + 8, static_cast<uLong>(fws.size() - 8), 9) !=
        Z_OK)
        throw std::runtime_error("zlib compression failed");
    out.resize(8 + size);
    std::copy(fws.begin(), fws.begin() + 8, out.begin());
    out[0] = 'C';
    return out;
}

// Turns an uncompressed movie into its "ZWS" (LZMA) form: the signature, the
// compressed length, the five property bytes and the raw LZMA data.
inline Bytes CompressLzma(const Bytes& fws) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_alone_encoder(&stream, &options) != LZMA_OK)
        throw std::runtime_error("LZMA initialisation failed");
    Bytes alone(fws.size() + 1024);
    stream.next_in = fws.data() + 8;
    stream.avail_in = fws.size() - 8;
    stream.next_out = alone.data();
    stream.avail_out = alone.size();
    lzma_ret status = lzma_code(&stream, LZMA_FINISH);
    alone.resize(alone.size() - stream.avail_out);
    lzma_end(&stream);
    if (status != LZMA_STREAM_END)
        throw std::runtime_error("LZMA compression failed");
    // The .lzma header is 5 property bytes and an 8-byte size; SWF keeps the
    // properties only.
    Bytes out(fws.begin(), fws.begin() + 8);
    out[0] = 'Z';
    SwfBitWriter length;
    length.u32(static_cast<std::uint32_t>(alone.size() - 13));
    Bytes lengthBytes = length.take();
    out.insert(out.end(), lengthBytes.begin(), lengthBytes.end());
    out.insert(out.end(), alone.begin(), alone.begin() + 5);
    out.insert(out.end(), alone.begin() + 13, alone.end());
    return out;
}

} // namespace vidorama::test
