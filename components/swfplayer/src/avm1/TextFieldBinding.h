#pragma once

namespace vidorama::swf {
class DisplayObject;
class MovieClip;
} // namespace vidorama::swf

namespace vidorama::swf::avm1 {

class Vm;

// Text fields bound to a variable (DefineEditText's variable name, or the
// `variable` property), named from the field's parent clip with a dot or
// slash path. A field shows its variable's value and follows it; a field
// bound while its variable is undefined gives the variable the text of its
// tag.

// Binds the field now: after it was placed or given another variable.
void BindToVariable(Vm& vm, DisplayObject& field);
// A script set the field's text: the variable takes it.
void UpdateBoundVariable(Vm& vm, DisplayObject& field);
// The field shows its variable's current value.
void SyncBoundField(Vm& vm, DisplayObject& field);
// Once a frame, after its scripts: every bound field under root shows its
// variable's current value.
void SyncBoundTextFields(Vm& vm, MovieClip& root);

} // namespace vidorama::swf::avm1
