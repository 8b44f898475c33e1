#pragma once

#include "avm2/Object.h"
#include "avm2/RegExpProgram.h"

namespace vidorama::swf::avm2 {

// A RegExp instance: its pattern as written, flags, compiled program (none
// for a pattern that does not parse, which then matches nothing, as in Flash)
// and the position a global search goes on from.
class RegExpObject final : public Object {
public:
    using Object::Object;
    void references(Tracer& tracer) const override;
    std::string source;
    RegExpFlags flags;
    std::shared_ptr<const RegExpProgram> program;
    double lastIndex = 0;
};

// The string methods that take a pattern, for String's own methods to use.
Value RegExpReplace(Vm& vm, const std::string& text, RegExpObject& re, const Value& with);
Value RegExpSplit(Vm& vm, const std::string& text, RegExpObject& re, double limit);

} // namespace vidorama::swf::avm2
