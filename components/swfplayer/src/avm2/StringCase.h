#pragma once

#include <string>

namespace vidorama::swf::avm2 {

// String.toUpperCase and toLowerCase as Flash maps case: one UTF-16 unit at
// a time, to one unit, by the simple mappings of the Unicode version Flash
// was built with; surrogate pairs stay as they are.
std::u16string FlashUpperCase(std::u16string text);
std::u16string FlashLowerCase(std::u16string text);

} // namespace vidorama::swf::avm2
