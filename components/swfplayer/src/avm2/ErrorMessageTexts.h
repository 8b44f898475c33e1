#pragma once

#include <map>

namespace vidorama::swf::avm2 {

// Flash's text for each error number it knows, with %1.. placeholders.
const std::map<int, const char*>& ErrorMessageTexts();

} // namespace vidorama::swf::avm2
