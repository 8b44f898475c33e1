#pragma once

namespace vidorama::swf {
class DisplayObject;
}

namespace vidorama::swf::avm1 {

class Object;
class Vm;
struct Builtins;

// The Selection object, a broadcaster of onSetFocus(oldFocus, newFocus).
void InstallSelection(Vm& vm, Builtins& builtins, Object* broadcaster);

// An object leaving the stage takes the focus with it, if it or a child
// of it has it.
void LoseFocusWith(Vm& vm, const DisplayObject& removed);

} // namespace vidorama::swf::avm1
