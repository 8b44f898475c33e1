#include "flash/MovieProbe.h"

#include "capture/TempFiles.h"
#include "swf/Decompress.h"
#include "swf/Limits.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace vidorama {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kBodyBytesRead = 20;
// "ZWS" keeps the compressed length at 8, then five bytes of LZMA properties.
constexpr long kLzmaPropertiesOffset = 12;
constexpr std::size_t kLzmaPropertiesSize = 5;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t LoadU32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0] | (at[1] << 8) | (at[2] << 16)) |
           (static_cast<std::uint32_t>(at[3]) << 24);
}

long FileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0)
        return -1;
    return std::ftell(f);
}

// Reads n bits, most significant first, from the body bytes; false past them.
bool ReadBits(const unsigned char* bytes, unsigned& bitPos, unsigned n, std::uint32_t& value) {
    value = 0;
    for (unsigned i = 0; i < n; ++i, ++bitPos) {
        if (bitPos / 8 >= kBodyBytesRead)
            return false;
        value = (value << 1) | ((bytes[bitPos / 8] >> (7 - bitPos % 8)) & 1u);
    }
    return true;
}

// The rest of the file from offset on, or nothing when it cannot be read or
// is larger than any movie the engine accepts.
std::optional<std::vector<std::uint8_t>> ReadRest(std::FILE* movie, long offset) {
    long size = FileSize(movie);
    if (size < offset || static_cast<std::size_t>(size - offset) > swf::Limits::kMaxMovieBytes ||
        std::fseek(movie, offset, SEEK_SET) != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size - offset));
    if (std::fread(bytes.data(), 1, bytes.size(), movie) != bytes.size())
        return std::nullopt;
    return bytes;
}

// Unpacks the compressed body with the engine's decompressor; it must come to
// exactly the declared length, and one byte more would show a body longer
// than its header says. A zlib stream must also reach its own end, while the
// LZMA bodies of movies often carry no end marker and stop at the declared
// length. The body goes into a temporary file that is always removed, and its
// first bytes are read back.
bool ReadCompressedBody(std::FILE* movie, char signature, std::uint32_t declaredLength,
                        unsigned char* body) {
    if (declaredLength <= kHeaderSize || declaredLength > swf::Limits::kMaxMovieBytes)
        return false;
    const std::size_t bodyLength = declaredLength - kHeaderSize;
    const bool lzma = signature == 'Z';
    auto packed = ReadRest(movie, lzma ? kLzmaPropertiesOffset : static_cast<long>(kHeaderSize));
    if (!packed || (lzma && packed->size() < kLzmaPropertiesSize))
        return false;
    std::span<const std::uint8_t> data(*packed);
    swf::Decompressed unpacked =
        lzma ? swf::DecodeSwfLzma(data.first(kLzmaPropertiesSize),
                                  data.subspan(kLzmaPropertiesSize), bodyLength + 1)
             : swf::InflateZlib(data, bodyLength + 1);
    if (unpacked.bytes.size() != bodyLength || !(unpacked.complete || lzma))
        return false;

    std::string tempPath;
    File temp(CreateTempFile("~REELCAP", tempPath));
    if (!temp)
        return false;
    bool ok = std::fwrite(unpacked.bytes.data(), 1, bodyLength, temp.get()) == bodyLength &&
              std::fflush(temp.get()) == 0 && std::fseek(temp.get(), 0, SEEK_SET) == 0 &&
              std::fread(body, 1, kBodyBytesRead, temp.get()) == kBodyBytesRead;
    temp.reset();
    std::remove(tempPath.c_str());
    return ok;
}

} // namespace

bool ProbeMovieFile(const std::string& path, std::uint32_t maxWidth, std::uint32_t maxHeight,
                    MovieProbe& probe) {
    File movie(std::fopen(path.c_str(), "rb"));
    if (!movie)
        return false;
    unsigned char header[kHeaderSize];
    if (std::fread(header, 1, kHeaderSize, movie.get()) != kHeaderSize)
        return false;
    char signature = static_cast<char>(header[0]);
    if ((signature != 'F' && signature != 'C' && signature != 'Z') || header[1] != 'W' ||
        header[2] != 'S')
        return false;
    std::uint32_t declaredLength = LoadU32(header + 4);

    unsigned char body[kBodyBytesRead];
    if (signature == 'F') {
        if (FileSize(movie.get()) != static_cast<long>(declaredLength) ||
            std::fseek(movie.get(), static_cast<long>(kHeaderSize), SEEK_SET) != 0 ||
            std::fread(body, 1, kBodyBytesRead, movie.get()) != kBodyBytesRead)
            return false;
    } else if (!ReadCompressedBody(movie.get(), signature, declaredLength, body)) {
        return false;
    }
    movie.reset();

    unsigned bitPos = 5;
    std::uint32_t n = body[0] >> 3;
    std::uint32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    if (!ReadBits(body, bitPos, n, xMin) || !ReadBits(body, bitPos, n, xMax) ||
        !ReadBits(body, bitPos, n, yMin) || !ReadBits(body, bitPos, n, yMax))
        return false;
    probe.width = static_cast<std::int32_t>(xMax / 20);
    probe.height = static_cast<std::int32_t>(yMax / 20);
    return static_cast<std::uint32_t>(probe.width) <= maxWidth &&
           static_cast<std::uint32_t>(probe.height) <= maxHeight;
}

} // namespace vidorama
