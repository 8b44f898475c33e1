#pragma once

#include "avm2/Vm.h"
#include "movie/Timeline.h"
#include "swf/Color.h"
#include "swf/Geometry.h"

#include <initializer_list>
#include <map>
#include <memory>

namespace vidorama::swf::avm2 {

// The script side of a display object: the object on the display tree it
// stands for, and the frame scripts addFrameScript gave a clip.
class DisplayScriptObject final : public Object {
public:
    using Object::Object;
    // Beside its own members, what its display object holds: the nearest
    // ancestor and the descendants that have script objects.
    void references(Tracer& tracer) const override;
    // The display object lives as long as its script object.
    std::shared_ptr<DisplayObject> owned;
    std::map<FrameNumber, Value> frameScripts;
    // The frame whose script ran last, so each frame's runs once on entry.
    FrameNumber scriptFrame = 0;
    Object* graphics = nullptr;
};

// The display object a script object stands for, or a TypeError when it
// stands for none (a constructor that has not run).
DisplayObject& DisplayOf(Vm& vm, const Value& self);
// The same, for a setter of its matrix or colours: the timeline leaves those
// alone from then on.
DisplayObject& TransformedBy(Vm& vm, const Value& self);
MovieClip* ClipOf(Vm& vm, const Value& self);
// Scales an object along one axis of its parent so that an extent of `now`
// pixels there becomes `wanted`; a size it cannot take leaves it as it is.
void ScaleExtent(DisplayObject& object, bool horizontal, double wanted, double now);
// The script object of a display object, made as its class's when missing.
Value ScriptObjectOf(Vm& vm, DisplayObject* object);
// Binds a script object to the display object it stands for.
void Bind(Vm& vm, DisplayScriptObject* script, const std::shared_ptr<DisplayObject>& object);
// Sprite's and Shape's graphics: the drawing API of the object's canvas.
Value GraphicsOf(Vm& vm, const Value& self, Args args);
// Gives an unnamed display object Flash's automatic name.
void NameInstance(Vm& vm, DisplayObject& object);
// Events sent to one object, with Flash's phases left out.
void DispatchSimple(Vm& vm, Object* target, const std::string& type);
// The script object already bound to the display object, or nullptr.
Object* BoundScriptObject(Vm& vm, const DisplayObject& object);
// Whether any object listens for events of the type.
bool Listened(Vm& vm, const std::string& type);
// Tells an object it joined a list: added, which bubbles, and when it is on
// the stage addedToStage, to it and each descendant that has a script object
// (Subtree), or to it alone when its descendants were constructed on the
// stage and heard it themselves (Self).
enum class AddedReach { Subtree, Self };
void AnnounceAdded(Vm& vm, DisplayObject& object, AddedReach reach);
// The same for an object about to leave a list: removed and
// removedFromStage.
void AnnounceRemoved(Vm& vm, DisplayObject& object);
// A flash.events subclass of Event with its type constants.
ClassObject* DefineEventClass(Vm& vm, const char* name,
                              std::initializer_list<std::pair<const char*, const char*>> types);
// Whether the object is on the display tree under the stage.
bool OnStage(Vm& vm, DisplayObject& object);
// The clip a DisplayObjectContainer method works on; the stage's children
// are kept in the root.
MovieClip& ContainerOf(Vm& vm, const Value& self);
// A built-in class by package and name; nullptr when there is none.
ClassObject* FlashClass(Vm& vm, const char* package, const char* name);

// flash.geom values made from and read into the engine's own (pixels, not
// twips).
Value NewPoint(Vm& vm, double x, double y);
Value NewRectangle(Vm& vm, double x, double y, double width, double height);
Value NewMatrix(Vm& vm, const Matrix& m);
Matrix MatrixFrom(Vm& vm, const Value& v);
Value NewColorTransform(Vm& vm, const ColorTransform& c);
ColorTransform ColorTransformFrom(Vm& vm, const Value& v);
void StoreColorTransform(Vm& vm, const Value& target, const ColorTransform& c);

} // namespace vidorama::swf::avm2
