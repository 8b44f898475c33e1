#pragma once

#include "avm1/Code.h"
#include "avm1/Object.h"
#include "avm1/Value.h"

#include <memory>
#include <vector>

namespace vidorama::swf {
class DisplayObject;
}

namespace vidorama::swf::avm1 {

// One running piece of code: a timeline block, an event handler or a call.
struct Activation {
    Code code;
    ConstantPool pool;
    std::vector<ScopeEntry> scope;
    // The clip the code belongs to, and the one SetTarget points timeline
    // actions at (the same until SetTarget says otherwise).
    std::weak_ptr<DisplayObject> baseClip;
    std::weak_ptr<DisplayObject> target;
    // SetTarget to a clip that does not exist: timeline actions do nothing
    // until the target is set again.
    bool targetLost = false;
    Value self;
    std::vector<Value> registers = std::vector<Value>(4);
    // Where this activation's part of the shared stack starts.
    std::size_t stackBase = 0;
    bool inFunction = false;
};

} // namespace vidorama::swf::avm1
