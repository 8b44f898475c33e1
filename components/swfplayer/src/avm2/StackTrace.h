#pragma once

#include "avm2/Object.h"

#include <string>
#include <vector>

namespace vidorama::swf::avm2 {

// The name Flash's debugger gives a method of a block in stack traces:
// "pkg::Class/get name()" style, from the trait that binds it, or
// "MethodInfo-N" for a function no trait names.
std::string MethodDisplayName(AbcRuntime& rt, std::uint32_t methodIndex);

// What getStackTrace() gives: the error's text as its toString() makes it
// now, then a line for each method that was running when it was made,
// innermost first.
std::string StackTraceText(Vm& vm, const Value& error);

} // namespace vidorama::swf::avm2
