// The display and event classes a document class stands on.

#include "avm2/Native.h"

namespace vidorama::swf::avm2 {

namespace {

Value Nothing(Vm&, const Value&, Args) {
    return Value();
}

Object* AllocateDisplay(Vm& vm, ClassObject* cls) {
    Object* object = vm.make(Object::Kind::Display, cls, &cls->instanceTraits, cls->prototype);
    object->sealed = cls->sealedInstances;
    return object;
}

} // namespace

void InstallDisplay(Vm& vm) {
    ClassObject* dispatcher =
        vm.defineClass("flash.events", "EventDispatcher", vm.natives.object, nullptr, Nothing);
    ClassObject* display =
        vm.defineClass("flash.display", "DisplayObject", dispatcher, AllocateDisplay, Nothing);
    ClassObject* interactive =
        vm.defineClass("flash.display", "InteractiveObject", display, nullptr, Nothing);
    ClassObject* container =
        vm.defineClass("flash.display", "DisplayObjectContainer", interactive, nullptr, Nothing);
    ClassObject* sprite = vm.defineClass("flash.display", "Sprite", container, nullptr, Nothing);
    ClassObject* clip = vm.defineClass("flash.display", "MovieClip", sprite, nullptr, Nothing);
    clip->sealedInstances = false;
    vm.defineClass("flash.display", "Shape", display, nullptr, Nothing);
}

} // namespace vidorama::swf::avm2
