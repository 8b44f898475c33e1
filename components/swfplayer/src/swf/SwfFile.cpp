#include "swf/SwfFile.h"

#include "swf/ByteReader.h"
#include "swf/Decompress.h"
#include "swf/Limits.h"

#include <algorithm>
#include <fstream>

namespace vidorama::swf {

namespace {

constexpr std::size_t kSignatureBytes = 8;
// "ZWS" movies store the compressed length and five bytes of LZMA properties
// between the signature and the data.
constexpr std::size_t kLzmaPrefixBytes = 4 + 5;

Result<Compression> ReadSignature(std::span<const std::uint8_t> file) {
    if (file.size() < kSignatureBytes)
        return MakeError(Error::Category::Truncated, "the file is too short to be a SWF movie");
    if (file[1] != 'W' || file[2] != 'S')
        return MakeError(Error::Category::Format, "not a SWF movie (bad signature)");
    switch (file[0]) {
    case 'F':
        return Compression::None;
    case 'C':
        return Compression::Zlib;
    case 'Z':
        return Compression::Lzma;
    default:
        return MakeError(Error::Category::Format, "not a SWF movie (bad signature)");
    }
}

// The movie body, as stored or decompressed, bounded by the declared length.
Result<Decompressed> ReadBody(std::span<const std::uint8_t> file, Compression compression,
                              std::size_t bodyLength) {
    auto payload = file.subspan(kSignatureBytes);
    if (compression == Compression::None) {
        Decompressed body;
        auto stored = payload.first(std::min(payload.size(), bodyLength));
        body.bytes.assign(stored.begin(), stored.end());
        body.complete = stored.size() == bodyLength;
        if (!body.complete)
            body.damage = "the file ends before the length its header declares";
        return body;
    }
    if (compression == Compression::Zlib)
        return InflateZlib(payload, bodyLength);
    if (payload.size() < kLzmaPrefixBytes)
        return MakeError(Error::Category::Truncated, "the LZMA header is incomplete");
    return DecodeSwfLzma(payload.subspan(4, 5), payload.subspan(kLzmaPrefixBytes), bodyLength);
}

} // namespace

Result<SwfFile> ReadSwf(std::span<const std::uint8_t> file) {
    auto compression = ReadSignature(file);
    if (!compression)
        return compression.error();
    SwfFile swf;
    ByteReader signature(file.first(kSignatureBytes));
    signature.skip(3);
    swf.header.compression = compression.value();
    swf.header.version = signature.u8();
    swf.header.declaredLength = signature.u32();
    if (swf.header.declaredLength > Limits::kMaxMovieBytes)
        return MakeError(Error::Category::LimitExceeded,
                         "the movie declares " + std::to_string(swf.header.declaredLength) +
                             " bytes, more than the engine accepts");
    if (swf.header.declaredLength <= kSignatureBytes)
        return MakeError(Error::Category::Format, "the movie declares no content");

    auto body = ReadBody(file, swf.header.compression, swf.header.declaredLength - kSignatureBytes);
    if (!body)
        return body.error();
    ByteReader reader(body.value().bytes);
    swf.header.frameRect = ReadRect(reader);
    swf.header.frameRate = reader.u16() / 256.0;
    swf.header.frameCount = reader.u16();
    if (reader.overrun())
        return MakeError(Error::Category::Truncated,
                         "the movie header is incomplete" +
                             (body.value().damage.empty() ? "" : ": " + body.value().damage));
    swf.tagsOffset = kSignatureBytes + reader.position();
    swf.damage = body.value().damage;

    // The signature is rewritten as that of an uncompressed movie, since the
    // bytes that follow it now are.
    const std::vector<std::uint8_t>& bodyBytes = body.value().bytes;
    auto data = std::make_shared<std::vector<std::uint8_t>>(kSignatureBytes + bodyBytes.size());
    std::uint8_t* out = data->data();
    out[0] = 'F';
    out[1] = 'W';
    out[2] = 'S';
    out[3] = swf.header.version;
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(swf.header.declaredLength >> (8 * i));
    std::copy(bodyBytes.begin(), bodyBytes.end(), out + kSignatureBytes);
    swf.data = std::move(data);
    return swf;
}

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return MakeError(Error::Category::Io, "cannot open " + path);
    auto size = static_cast<std::streamoff>(in.tellg());
    if (size < 0)
        return MakeError(Error::Category::Io, "cannot read " + path);
    if (static_cast<std::uint64_t>(size) > Limits::kMaxMovieBytes)
        return MakeError(Error::Category::LimitExceeded,
                         path + " is larger than any movie accepted");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return MakeError(Error::Category::Io, "cannot read " + path);
    return bytes;
}

} // namespace vidorama::swf
