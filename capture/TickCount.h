#pragma once

#include <chrono>
#include <cstdint>

namespace vidorama {

// Milliseconds of the steady clock as an unsigned 32-bit count that wraps,
// like the tick counter the capture's time stamps were designed around.
inline std::uint32_t TickCount() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

} // namespace vidorama
