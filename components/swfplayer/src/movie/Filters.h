#pragma once

#include "graphics/Effects.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vidorama::swf {

class ByteReader;

// Unknown values draw as Normal, as Flash does.
BlendMode BlendModeFromByte(std::uint8_t value);

// Reads a FILTERLIST; nullopt when it is cut short or names an unknown filter
// (its length would then be unknown, so nothing after it can be trusted).
std::optional<std::vector<Filter>> ReadFilterList(ByteReader& reader);

} // namespace vidorama::swf
