#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vidorama::swf::avm1 {

// A number as Flash prints it: up to 15 significant digits, no trailing
// zeros, and exponent notation below 1e-5 and from 1e15 up.
std::string NumberToString(double n);

// A number in the given radix (2..36), as Number.toString(radix) prints it:
// the integer part only, as Flash does for radixes other than 10.
std::string NumberToRadixString(double n, int radix);

// Text to number as ActionScript converts it: surrounding white space is
// allowed, "0x" introduces hexadecimal, and anything else that is not a
// decimal number is NaN. An empty string is NaN from SWF 5 up.
double StringToNumber(std::string_view text, int swfVersion);

// parseInt and parseFloat read the longest prefix they understand.
double ParseIntPrefix(std::string_view text, std::optional<int> radix);
double ParseFloatPrefix(std::string_view text);

// ToInt32 as bitwise operators use it: wrapping modulo 2^32.
int ToInt32(double n);

} // namespace vidorama::swf::avm1
