#pragma once

#include "avm1/Code.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vidorama::swf::avm1 {

// Clip events as CLIPEVENTFLAGS stores them (the 32-bit form of SWF 6 up;
// SWF 5 stores the low 16 bits).
enum ClipEvent : std::uint32_t {
    kClipEventLoad = 0x00000001,
    kClipEventEnterFrame = 0x00000002,
    kClipEventUnload = 0x00000004,
    kClipEventInitialize = 0x00000200,
    kClipEventKeyPress = 0x00020000,
    kClipEventConstruct = 0x00040000,
};

// The handlers of a placement's CLIPACTIONS that run for the event, in the
// order they are stored. Broken records end the list.
std::vector<Code> ClipEventHandlers(const std::shared_ptr<const std::vector<std::uint8_t>>& actions,
                                    int swfVersion, std::uint32_t event);

} // namespace vidorama::swf::avm1
