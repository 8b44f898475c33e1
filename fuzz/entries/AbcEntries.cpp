#include "FuzzEntries.h"
#include "avm2/AbcFile.h"
#include "movie/Movie.h"
#include "player/Player.h"

#include <vector>

namespace vidorama::fuzz {

namespace {
// Enough frames for frame scripts, enterFrame handlers and a goto or two.
constexpr int kFramesPlayed = 4;

void Append(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void AppendTag(std::vector<std::uint8_t>& out, int code, std::span<const std::uint8_t> body) {
    Append(out, static_cast<std::uint32_t>((code << 6) | 0x3f), 2);
    Append(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
}

// An uncompressed ActionScript 3 movie of one frame whose only script is
// the block, so that every mutation reaches the machine.
std::vector<std::uint8_t> MovieAround(std::span<const std::uint8_t> abc) {
    std::vector<std::uint8_t> tags;
    const std::uint8_t attributes[] = {0x08, 0, 0, 0};
    AppendTag(tags, 69, attributes);
    std::vector<std::uint8_t> doAbc = {0, 0, 0, 0, 0};
    doAbc.insert(doAbc.end(), abc.begin(), abc.end());
    AppendTag(tags, 82, doAbc);
    Append(tags, 1 << 6, 2); // ShowFrame
    Append(tags, 0, 2);      // End
    // A 1 x 1 pixel stage: a five-bit rectangle of 20-twip sides.
    std::vector<std::uint8_t> movie = {'F',  'W',  'S',  10,   0,    0,    0,    0,
                                       0x28, 0x28, 0x0a, 0x00, 0x00, 0x0c, 0x01, 0x00};
    movie.insert(movie.end(), tags.begin(), tags.end());
    std::uint32_t length = static_cast<std::uint32_t>(movie.size());
    for (int i = 0; i < 4; ++i)
        movie[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return movie;
}
} // namespace

bool ReadAbcBlock(std::span<const std::uint8_t> data) {
    return swf::avm2::ReadAbc(data).ok();
}

bool RunAbcBlock(std::span<const std::uint8_t> data) {
    if (!swf::avm2::ReadAbc(data).ok())
        return false;
    auto movie = swf::Movie::load(MovieAround(data));
    if (!movie)
        return false;
    swf::Player player(movie.value());
    for (int frame = 1; frame < kFramesPlayed; ++frame)
        player.advanceFrame();
    return true;
}

} // namespace vidorama::fuzz
