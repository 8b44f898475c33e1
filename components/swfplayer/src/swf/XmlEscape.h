#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace vidorama::swf {

// A character XML text must not hold as it is, and what stands for it.
using XmlEscapeRule = std::pair<char, std::string_view>;

// text with each character a rule names replaced by its stand-in. Both
// script engines print XML, each with its own set of rules.
std::string EscapeXml(std::string_view text, std::initializer_list<XmlEscapeRule> rules);

} // namespace vidorama::swf
