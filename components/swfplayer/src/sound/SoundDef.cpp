#include "sound/SoundDef.h"

#include "swf/ByteReader.h"

namespace vidorama::swf {

Result<std::shared_ptr<const SoundDef>> ReadDefineSound(std::span<const std::uint8_t> body) {
    ByteReader reader(body);
    CharacterId id = reader.u16();
    SoundFormat format = SoundFormat::FromByte(reader.u8());
    std::uint32_t sampleCount = reader.u32();
    if (reader.overrun())
        return MakeError(Error::Category::Truncated, "DefineSound is cut short");
    return std::make_shared<const SoundDef>(id, format, sampleCount, reader.rest());
}

} // namespace vidorama::swf
