#include "BrokenFiles.h"

#include "SwfCompression.h"
#include "swf/ByteReader.h"
#include "swf/SwfFile.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace vidorama::test {

namespace {

constexpr std::size_t kSignatureBytes = 8;
// "ZWS" movies keep a 4-byte compressed length and 5 property bytes between
// the signature and the LZMA data; the dictionary size is properties 1..4.
constexpr std::size_t kLzmaLengthOffset = 8;
constexpr std::size_t kLzmaDictionaryOffset = 13;
constexpr std::size_t kLzmaDataOffset = 17;

class Damager {
public:
    Damager(std::uint32_t seed, std::vector<BrokenFile>& out) : m_random(seed), m_out(out) {}

    // A number in 0..bound-1. Plain modulo keeps the sequence the same with
    // every standard library, unlike the distribution classes.
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : m_random() % bound; }

    void add(std::string name, Bytes bytes) {
        m_out.push_back({std::move(name), std::move(bytes)});
    }

    void cut(const std::string& name, const Bytes& file, std::size_t from, int percent) {
        std::size_t keep = from + (file.size() - from) * static_cast<std::size_t>(percent) / 100;
        add(name + "-cut-" + std::to_string(percent) + "pct",
            Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep)));
    }

    // Flips bits from offset from on: a damaged signature is refused at once
    // and would test little.
    void flip(const std::string& name, Bytes file, std::size_t from, int flips) {
        for (int i = 0; i < flips && file.size() > from; ++i)
            file[from + below(file.size() - from)] ^= static_cast<std::uint8_t>(1u << below(8));
        add(name + "-flips-" + std::to_string(flips), std::move(file));
    }

    void setU32(const std::string& name, Bytes file, std::size_t offset, std::uint32_t value) {
        for (std::size_t i = 0; i < 4 && offset + i < file.size(); ++i)
            file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
        add(name, std::move(file));
    }

    // A valid signature and declared length followed by random bytes.
    void garbage(char signature, const Bytes& plain) {
        Bytes file(plain.begin(), plain.begin() + kSignatureBytes);
        file[0] = static_cast<std::uint8_t>(signature);
        std::size_t length = 1 + below(4096);
        for (std::size_t i = 0; i < length; ++i)
            file.push_back(static_cast<std::uint8_t>(m_random()));
        add(std::string("garbage-") + signature + "WS", std::move(file));
    }

private:
    std::mt19937 m_random;
    std::vector<BrokenFile>& m_out;
};

// Where the root's tags start in an uncompressed movie: after the signature,
// the frame rectangle (5 bits of field width, then four fields), the rate
// and the frame count.
std::size_t FirstTagOffset(const Bytes& plain) {
    std::size_t nBits = plain.size() > kSignatureBytes ? plain[kSignatureBytes] >> 3 : 0;
    std::size_t rectBytes = (5 + 4 * nBits + 7) / 8;
    return kSignatureBytes + rectBytes + 4;
}

// The offsets of the root's tag headers, up to the End tag.
std::vector<std::size_t> TagOffsets(const Bytes& plain) {
    std::vector<std::size_t> offsets;
    std::size_t pos = FirstTagOffset(plain);
    while (pos + 2 <= plain.size()) {
        swf::ByteReader reader(std::span<const std::uint8_t>(plain).subspan(pos));
        std::uint16_t header = reader.u16();
        std::uint32_t length = header & 0x3f;
        if (length == 0x3f)
            length = reader.u32();
        if (reader.overrun() || header >> 6 == 0)
            break;
        offsets.push_back(pos);
        pos += reader.position() + length;
    }
    return offsets;
}

// The movie with a stage of 40,000 x 30,000 pixels: a picture at its own size
// would take gigabytes.
Bytes WithHugeStage(const Bytes& plain) {
    SwfBitWriter rect;
    rect.rect({0, 20 * 40000, 0, 20 * 30000});
    Bytes file(plain.begin(), plain.begin() + kSignatureBytes);
    Bytes rectBytes = rect.take();
    file.insert(file.end(), rectBytes.begin(), rectBytes.end());
    std::size_t rest = FirstTagOffset(plain) - 4;
    file.insert(file.end(), plain.begin() + static_cast<std::ptrdiff_t>(rest), plain.end());
    auto length = static_cast<std::uint32_t>(file.size());
    for (std::size_t i = 0; i < 4; ++i)
        file[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return file;
}

// Makes one tag claim more bytes than it has and another claim none.
void LieAboutTags(Damager& damager, const Bytes& plain) {
    std::vector<std::size_t> offsets = TagOffsets(plain);
    if (offsets.empty())
        return;
    for (bool longer : {true, false}) {
        Bytes file = plain;
        std::size_t at = offsets[damager.below(offsets.size())];
        bool longHeader = (file[at] & 0x3f) == 0x3f;
        if (longHeader) {
            std::uint32_t length = longer ? 0xfffffff0u : 0u;
            for (std::size_t i = 0; i < 4; ++i)
                file[at + 2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        } else {
            file[at] = static_cast<std::uint8_t>((file[at] & 0xc0) | (longer ? 0x3e : 0));
        }
        damager.add(longer ? "tag-length-long" : "tag-length-zero", std::move(file));
    }
}

} // namespace

std::vector<BrokenFile> MakeBrokenFiles(const Bytes& movie, std::uint32_t seed) {
    auto read = swf::ReadSwf(movie);
    if (!read)
        throw std::runtime_error("not an intact movie: " + read.error().message);
    const Bytes& plain = *read.value().data;
    Bytes zlib = CompressZlib(plain);
    Bytes lzma = CompressLzma(plain);
    auto size = static_cast<std::uint32_t>(plain.size());

    std::vector<BrokenFile> files;
    Damager damager(seed, files);
    damager.add("cut-header", Bytes(plain.begin(), plain.begin() + 8 + 1 + damager.below(12)));
    for (int percent : {1, 10, 35, 70, 99})
        damager.cut("plain", plain, 0, percent);
    for (int percent : {15, 50, 90}) {
        damager.cut("zlib", zlib, kSignatureBytes, percent);
        damager.cut("lzma", lzma, kLzmaDataOffset, percent);
    }
    damager.add("lzma-cut-properties", Bytes(lzma.begin(), lzma.begin() + 14));

    for (int flips : {1, 4, 16, 64})
        damager.flip("plain", plain, kSignatureBytes, flips);
    for (int flips : {1, 8}) {
        damager.flip("zlib", zlib, kSignatureBytes, flips);
        damager.flip("lzma", lzma, kLzmaDataOffset, flips);
    }

    damager.setU32("plain-length-0", plain, 4, 0);
    damager.setU32("plain-length-9", plain, 4, 9);
    damager.setU32("plain-length-half", plain, 4, size / 2);
    damager.setU32("zlib-length-double", zlib, 4, size * 2);
    damager.setU32("zlib-length-max", zlib, 4, 0xffffffffu);
    damager.setU32("lzma-length-half", lzma, 4, size / 2);
    damager.setU32("lzma-length-huge", lzma, 4, 0x7fffffffu);
    damager.setU32("lzma-packed-length-wrong", lzma, kLzmaLengthOffset, 3);
    damager.setU32("lzma-dictionary-4gb", lzma, kLzmaDictionaryOffset, 0xffffffffu);
    LieAboutTags(damager, plain);
    damager.add("stage-huge", WithHugeStage(plain));

    for (char signature : {'F', 'C', 'Z'})
        damager.garbage(signature, plain);
    return files;
}

std::vector<std::string> PickCorpusMovies(const std::string& corpusDir, std::size_t count,
                                          std::uintmax_t maxBytes) {
    namespace fs = std::filesystem;
    std::vector<std::pair<std::uintmax_t, std::string>> movies;
    for (const auto& entry : fs::recursive_directory_iterator(corpusDir)) {
        if (entry.is_regular_file() && entry.path().extension() == ".swf" &&
            entry.file_size() <= maxBytes)
            movies.emplace_back(entry.file_size(), entry.path().string());
    }
    std::sort(movies.begin(), movies.end());
    std::vector<std::string> picked;
    for (std::size_t i = 0; i < count && !movies.empty(); ++i) {
        std::size_t at = count > 1 ? i * (movies.size() - 1) / (count - 1) : 0;
        if (picked.empty() || picked.back() != movies[at].second)
            picked.push_back(movies[at].second);
    }
    return picked;
}

} // namespace vidorama::test
