#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vidorama::swf {

// Inflates zlib data into at most maxBytes bytes. Damaged or short data gives
// what could be inflated before the damage; the caller decides what is enough.
std::vector<std::uint8_t> InflateBounded(std::span<const std::uint8_t> data, std::size_t maxBytes);

} // namespace vidorama::swf
