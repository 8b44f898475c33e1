#pragma once

#include "avm2/AbcFile.h"

#include <optional>

namespace vidorama::swf::avm2 {

// Flash checks a method's code before its first run and refuses all of it
// when a branch or an exception handler lands inside an instruction (error
// 1021). This is that check: the error number it fails with, or nothing.
// Code with an instruction whose length is not known is left to the
// interpreter, which refuses what it cannot run when it gets there.
std::optional<int> CheckBranchTargets(const AbcMethodBody& body);

} // namespace vidorama::swf::avm2
