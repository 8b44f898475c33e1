#pragma once

#include <string>
#include <string_view>

namespace vidorama::swf::avm1 {

// Script strings are kept as UTF-8, but from SWF 6 on Flash counts, indexes
// and codes them in UTF-16 units: a character beyond U+FFFF is two units.
// Bytes that are not UTF-8 become one unit each, of their own value.
std::u16string ToUtf16(std::string_view text);
// Unpaired surrogates become U+FFFD, as Flash writes them out.
std::string FromUtf16(std::u16string_view units);

} // namespace vidorama::swf::avm1
