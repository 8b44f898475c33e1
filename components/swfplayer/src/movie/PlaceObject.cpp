#include "movie/PlaceObject.h"

#include "swf/ByteReader.h"

namespace vidorama::swf {

namespace {

enum PlaceFlags : std::uint8_t {
    kMove = 0x01,
    kHasCharacter = 0x02,
    kHasMatrix = 0x04,
    kHasColorTransform = 0x08,
    kHasRatio = 0x10,
    kHasName = 0x20,
    kHasClipDepth = 0x40,
    kHasClipActions = 0x80,
};

enum PlaceFlags3 : std::uint8_t {
    kHasFilterList = 0x01,
    kHasBlendMode = 0x02,
    kHasCacheAsBitmap = 0x04,
    kHasClassName = 0x08,
    kHasVisible = 0x20,
    kHasOpaqueBackground = 0x40,
};

template <typename T> void Take(std::optional<T>& into, const std::optional<T>& from) {
    if (from)
        into = from;
}

PlaceObject ReadPlaceObject1(ByteReader& body) {
    PlaceObject place;
    place.characterId = body.u16();
    place.depth = body.u16();
    place.matrix = ReadMatrix(body);
    if (!body.atEnd())
        place.colorTransform = ReadColorTransform(body, false);
    return place;
}

// The optional fields of PlaceObject3 that come after the clip depth.
bool ReadPlaceObject3Extras(ByteReader& body, std::uint8_t flags3, PlaceObject& place) {
    if (flags3 & kHasFilterList) {
        place.filters = ReadFilterList(body);
        if (!place.filters)
            return false;
    }
    if (flags3 & kHasBlendMode)
        place.blendMode = BlendModeFromByte(body.u8());
    if (flags3 & kHasCacheAsBitmap)
        place.cacheAsBitmap = body.atEnd() || body.u8() != 0;
    if (flags3 & kHasVisible)
        place.visible = body.u8() != 0;
    if (flags3 & kHasOpaqueBackground)
        place.backgroundColor = ReadRgba(body);
    return true;
}

} // namespace

void PlaceObject::mergeFrom(const PlaceObject& later) {
    if (later.characterId) {
        characterId = later.characterId;
        move = move && later.move;
    }
    Take(matrix, later.matrix);
    Take(colorTransform, later.colorTransform);
    Take(ratio, later.ratio);
    Take(name, later.name);
    Take(clipDepth, later.clipDepth);
    Take(className, later.className);
    Take(filters, later.filters);
    Take(blendMode, later.blendMode);
    Take(cacheAsBitmap, later.cacheAsBitmap);
    Take(visible, later.visible);
    Take(backgroundColor, later.backgroundColor);
    if (later.clipActions)
        clipActions = later.clipActions;
}

Result<PlaceObject> ReadPlaceObject(ByteReader& body, int version) {
    if (version == 1) {
        PlaceObject place = ReadPlaceObject1(body);
        if (body.overrun())
            return MakeError(Error::Category::Truncated, "PlaceObject is cut short");
        return place;
    }
    PlaceObject place;
    place.version = version;
    std::uint8_t flags = body.u8();
    std::uint8_t flags3 = version >= 3 ? body.u8() : 0;
    place.depth = body.u16();
    place.move = flags & kMove;
    // Movies in the wild store the class name only when its own flag is set,
    // whatever the "has image" flag says.
    if (flags3 & kHasClassName)
        place.className = body.string();
    if (flags & kHasCharacter)
        place.characterId = body.u16();
    if (flags & kHasMatrix)
        place.matrix = ReadMatrix(body);
    if (flags & kHasColorTransform)
        place.colorTransform = ReadColorTransform(body, true);
    if (flags & kHasRatio)
        place.ratio = body.u16();
    if (flags & kHasName)
        place.name = body.string();
    if (flags & kHasClipDepth)
        place.clipDepth = body.u16();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "PlaceObject is cut short");
    if (!ReadPlaceObject3Extras(body, flags3, place))
        return MakeError(Error::Category::Format, "PlaceObject3 has a broken filter list");
    if (flags & kHasClipActions) {
        auto actions = body.rest();
        place.clipActions =
            std::make_shared<const std::vector<std::uint8_t>>(actions.begin(), actions.end());
    }
    return place;
}

Result<RemoveObject> ReadRemoveObject(ByteReader& body, int version) {
    RemoveObject remove;
    if (version == 1)
        remove.characterId = body.u16();
    remove.depth = body.u16();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "RemoveObject is cut short");
    return remove;
}

} // namespace vidorama::swf
