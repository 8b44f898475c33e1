#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vidorama::test {

// One damaged movie and what was done to it ("cut-35pct", "flips-16"...).
struct BrokenFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Makes the damaged variants of one intact movie, as people find them in old
// archives and as hostile files are made: cut at many points, with flipped
// bits, with lying movie and tag lengths, with cut or corrupt zlib and LZMA
// bodies, and with garbage behind a valid signature. The movie may be stored
// in any form; its uncompressed, zlib and LZMA forms are all damaged. The
// same movie and seed always give the same files.
std::vector<BrokenFile> MakeBrokenFiles(const std::vector<std::uint8_t>& movie, std::uint32_t seed);

// Corpus movies to damage: count files spread over the range of sizes up to
// maxBytes, so that tiny test movies and larger real ones both take part.
std::vector<std::string> PickCorpusMovies(const std::string& corpusDir, std::size_t count,
                                          std::uintmax_t maxBytes);

} // namespace vidorama::test
