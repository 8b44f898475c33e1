#pragma once

#include "avm2/Object.h"

#include <vector>

namespace vidorama::swf::avm2 {

// An Error keeps the methods that were running when it was made, innermost
// first: Flash's debugger prints them in getStackTrace(), whenever it is
// asked, with the error's text of that moment.
class ErrorObject final : public Object {
public:
    using Object::Object;
    void references(Tracer& tracer) const override;
    std::vector<MethodRef> stack;
};

} // namespace vidorama::swf::avm2
