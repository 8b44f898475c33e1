#include "movie/ButtonDef.h"

#include "swf/ByteReader.h"

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kHasBlendMode = 0x20;
constexpr std::uint8_t kHasFilterList = 0x10;
constexpr std::uint8_t kStateUp = 0x01;

} // namespace

std::optional<std::vector<PlaceObject>> ReadButtonUpState(ByteReader& body, int version) {
    std::vector<PlaceObject> upState;
    body.u16(); // character id
    if (version == 2) {
        body.u8();  // track as menu
        body.u16(); // offset of the actions
    }
    while (true) {
        std::uint8_t flags = body.u8();
        if (body.overrun())
            return std::nullopt;
        if (flags == 0)
            break;
        PlaceObject place;
        place.version = 2;
        place.characterId = body.u16();
        place.depth = body.u16();
        place.matrix = ReadMatrix(body);
        if (version == 2) {
            place.colorTransform = ReadColorTransform(body, true);
            if (flags & kHasFilterList) {
                place.filters = ReadFilterList(body);
                if (!place.filters)
                    return std::nullopt;
            }
            if (flags & kHasBlendMode)
                place.blendMode = BlendModeFromByte(body.u8());
        }
        if (body.overrun())
            return std::nullopt;
        if (flags & kStateUp)
            upState.push_back(std::move(place));
    }
    return upState;
}

std::shared_ptr<const SpriteDef> MakeButtonSprite(CharacterId id,
                                                  const std::vector<PlaceObject>& upState) {
    Frame frame;
    for (const PlaceObject& place : upState)
        frame.tags.emplace_back(place);
    Timeline timeline;
    timeline.appendFrame(std::move(frame));
    return std::make_shared<const SpriteDef>(id, std::move(timeline), true);
}

} // namespace vidorama::swf
