#include "graphics/CharacterParsers.h"

#include "graphics/BitmapParser.h"
#include "graphics/ShapeParser.h"

namespace vidorama::swf {

namespace {

enum TagCode : int {
    kDefineShape = 2,
    kDefineBits = 6,
    kDefineBitsLossless = 20,
    kDefineBitsJpeg2 = 21,
    kDefineShape2 = 22,
    kDefineShape3 = 32,
    kDefineBitsJpeg3 = 35,
    kDefineBitsLossless2 = 36,
    kDefineMorphShape = 46,
    kDefineShape4 = 83,
    kDefineMorphShape2 = 84,
    kDefineBitsJpeg4 = 90,
};

} // namespace

bool IsGraphicsCharacterTag(int tagCode) {
    switch (tagCode) {
    case kDefineShape:
    case kDefineShape2:
    case kDefineShape3:
    case kDefineShape4:
    case kDefineMorphShape:
    case kDefineMorphShape2:
    case kDefineBits:
    case kDefineBitsJpeg2:
    case kDefineBitsJpeg3:
    case kDefineBitsJpeg4:
    case kDefineBitsLossless:
    case kDefineBitsLossless2:
        return true;
    default:
        return false;
    }
}

Result<std::shared_ptr<const CharacterDef>>
ParseGraphicsCharacter(int tagCode, ByteReader body, const GraphicsParseContext& ctx) {
    switch (tagCode) {
    case kDefineShape:
    case kDefineShape2:
    case kDefineShape3:
    case kDefineShape4:
        return ParseShape(tagCode, body, ctx.swfVersion);
    case kDefineMorphShape:
    case kDefineMorphShape2:
        return ParseMorphShape(tagCode, body, ctx.swfVersion);
    default:
        if (IsGraphicsCharacterTag(tagCode))
            return ParseBitmap(tagCode, body, ctx);
        return MakeError(Error::Category::Unsupported,
                         "tag " + std::to_string(tagCode) + " is not a drawable character",
                         tagCode);
    }
}

} // namespace vidorama::swf
