#include "FuzzEntries.h"
#include "movie/Movie.h"
#include "player/Player.h"

#include <vector>

namespace vidorama::fuzz {

namespace {

// Frames enough for a goto or a clip event to come back round once.
constexpr int kFramesPlayed = 3;
constexpr std::uint16_t kTagShowFrame = 1;
constexpr std::uint16_t kTagDoAction = 12;
constexpr std::uint16_t kTagPlaceObject2 = 26;
constexpr std::uint16_t kTagDefineSprite = 39;
constexpr std::uint16_t kSpriteId = 1;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value & 0xffff));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

// Always the long header form, so that any length fits.
void PutTag(std::vector<std::uint8_t>& out, std::uint16_t code,
            std::span<const std::uint8_t> body) {
    PutU16(out, static_cast<std::uint16_t>(code << 6 | 0x3f));
    PutU32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

// A movie whose main timeline and a named clip on it both run the action
// bytes in every frame. The first byte picks the SWF version (4 to 11), as
// the rules of conversion and name case depend on it.
std::vector<std::uint8_t> MovieAround(std::span<const std::uint8_t> data) {
    const std::uint8_t version = data.empty() ? 6 : static_cast<std::uint8_t>(4 + data[0] % 8);
    const std::span<const std::uint8_t> actions = data.empty() ? data : data.subspan(1);
    std::vector<std::uint8_t> sprite;
    PutU16(sprite, kSpriteId);
    PutU16(sprite, 1);
    PutTag(sprite, kTagDoAction, actions);
    PutTag(sprite, kTagShowFrame, {});
    PutU16(sprite, 0);
    std::vector<std::uint8_t> place{0x22}; // a character and a name
    PutU16(place, 1);
    PutU16(place, kSpriteId);
    for (char c : std::string_view("clip"))
        place.push_back(static_cast<std::uint8_t>(c));
    place.push_back(0);

    std::vector<std::uint8_t> movie{'F', 'W', 'S', version, 0, 0, 0, 0};
    // An empty stage rectangle, 24 frames a second, two frames.
    movie.insert(movie.end(), {0x00, 0x00, 0x18, 0x02, 0x00});
    PutTag(movie, kTagDefineSprite, sprite);
    PutTag(movie, kTagPlaceObject2, place);
    for (int frame = 0; frame < 2; ++frame) {
        PutTag(movie, kTagDoAction, actions);
        PutTag(movie, kTagShowFrame, {});
    }
    PutU16(movie, 0);
    const auto length = static_cast<std::uint32_t>(movie.size());
    for (int i = 0; i < 4; ++i)
        movie[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return movie;
}

} // namespace

bool RunActionBytes(std::span<const std::uint8_t> data) {
    const std::vector<std::uint8_t> bytes = MovieAround(data);
    auto movie = swf::Movie::load(bytes);
    if (!movie)
        return false;
    swf::Player player(movie.value(), [](const std::string&) {});
    for (int frame = 1; frame < kFramesPlayed; ++frame)
        player.advanceFrame();
    return true;
}

} // namespace vidorama::fuzz
