#pragma once

#include "avm2/Vm.h"

#include <cstdint>
#include <vector>

namespace vidorama::swf::avm2 {

// Action Message Format, the encodings ByteArray.writeObject and readObject
// use: version 0 (AMF0) and version 3 (AMF3).
void AmfWrite(Vm& vm, std::vector<std::uint8_t>& out, const Value& value, int version);
// Reads one value at pos, moving pos past it; an EOFError for data that ends
// early and a RangeError for a reference to nothing.
Value AmfRead(Vm& vm, const std::vector<std::uint8_t>& in, std::size_t& pos, int version);

} // namespace vidorama::swf::avm2
