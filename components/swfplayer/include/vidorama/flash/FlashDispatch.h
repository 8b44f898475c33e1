#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace vidorama::flash {

// Dispatch identifiers of the player's automation members, as the hosted Flash
// control published them. The program calls the player only through these.
enum class DispId : std::int32_t {
    Loop = 106,
    FrameNum = 107,
    Play = 112,
    Stop = 113,
    ScaleMode = 120,
    TotalFrames = 124,
    Playing = 125,
    StopPlay = 126,
    GotoFrame = 127,
    CurrentFrame = 128,
    IsPlaying = 129,
    Menu = 135,
    LoadMovie = 142,
};

enum class InvokeKind { Method, PropertyGet, PropertyPut };

// The argument and result types the members use: long, BOOL/VARIANT_BOOL and
// strings (UTF-8 here). An empty variant is "no value".
using Variant = std::variant<std::monostate, std::int32_t, bool, std::string>;

// Generic dispatch entry. An unknown identifier, a wrong invocation kind or
// wrong argument types are ignored and answer an empty variant, as a control
// that reports no failure to its host would.
class IFlashDispatch {
public:
    virtual ~IFlashDispatch() = default;
    virtual Variant Invoke(DispId id, InvokeKind kind, std::span<const Variant> args) = 0;
};

} // namespace vidorama::flash
