#include "avm1/ClipEvents.h"

#include "swf/ByteReader.h"

namespace vidorama::swf::avm1 {

std::vector<Code> ClipEventHandlers(const std::shared_ptr<const std::vector<std::uint8_t>>& actions,
                                    int swfVersion, std::uint32_t event) {
    std::vector<Code> handlers;
    if (!actions)
        return handlers;
    std::span<const std::uint8_t> bytes(*actions);
    ByteReader reader(bytes);
    bool wide = swfVersion >= 6;
    auto flags = [&]() -> std::uint32_t {
        return wide ? reader.u32() : reader.u16();
    };
    reader.u16(); // reserved
    flags();      // every event any handler takes
    while (!reader.atEnd()) {
        std::uint32_t events = flags();
        if (events == 0 || reader.overrun())
            break;
        std::size_t size = reader.u32();
        std::size_t start = reader.position();
        if (reader.overrun() || size > reader.remaining())
            break;
        std::size_t codeStart = start;
        if (events & kClipEventKeyPress)
            ++codeStart; // the key code
        if (events & event && codeStart <= start + size)
            handlers.push_back({bytes.subspan(codeStart, start + size - codeStart), actions});
        reader.skip(size);
    }
    return handlers;
}

} // namespace vidorama::swf::avm1
