#pragma once

#include "avm2/Object.h"

#include <cstdint>
#include <vector>

namespace vidorama::swf::avm2 {

// flash.utils.ByteArray: bytes, the position reads and writes go on from,
// and the byte order of its numbers.
class ByteArrayObject final : public Object {
public:
    using Object::Object;
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
    bool littleEndian = false;
    // The AMF version writeObject and readObject use: 0 or 3.
    int objectEncoding = 3;
};

// Indexed access, for the property lookups of the machine: the byte at an
// index (undefined past the end), and a store that grows the array.
Value ByteAt(const ByteArrayObject& array, std::size_t index);
void SetByteAt(Vm& vm, ByteArrayObject& array, std::size_t index, const Value& value);

} // namespace vidorama::swf::avm2
