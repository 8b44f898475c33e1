#pragma once

#include "avm2/AbcFile.h"

#include <optional>
#include <string>

namespace vidorama::swf::avm2 {

// Why Flash refuses a method's code: its error number and the details its
// text names.
struct CodeFault {
    int code = 0;
    std::string detail;
    std::string more;
};

// Flash checks a method's code before its first run and refuses all of it
// when a branch or an exception handler lands inside an instruction (error
// 1021) or an operand names a constant, class or method the block lacks.
// This is that check, over the code that can run. Code with an instruction
// whose length is not known is left to the interpreter, which refuses what
// it cannot run when it gets there.
std::optional<CodeFault> CheckCode(const AbcFile& abc, const AbcMethodBody& body);

} // namespace vidorama::swf::avm2
