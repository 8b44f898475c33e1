// flash.display.LoaderInfo and Loader: what a loaded movie tells about
// itself (its file, version, frame rate and stage size), for the main movie
// and for a Loader that has loaded nothing yet, whose information Flash
// refuses until it has.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/MovieClip.h"

namespace vidorama::swf::avm2 {

namespace {

// Hidden members of a LoaderInfo: whether it describes a loaded movie (only
// the main one so far), its content and its Loader.
constexpr const char* kLoaded = " loaded";
constexpr const char* kContent = " content";
constexpr const char* kLoader = " loader";
constexpr const char* kParameters = " parameters";

Value& Hidden(Vm& vm, const Value& self, const char* name) {
    if (!self.isObject() || !vm.isType(self, FlashClass(vm, "flash.display", "LoaderInfo")))
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "LoaderInfo"));
    const Trait* trait = self.object->traits()->find(Name::publicName(name));
    return self.object->fields[trait->slot];
}

// Information only a loaded movie has.
void RequireLoaded(Vm& vm, const Value& self) {
    if (!ToBoolean(Hidden(vm, self, kLoaded)))
        vm.throwError("Error", 2099, ErrorMessage(2099));
}

// Made without running a constructor: scripts cannot make one.
Value NewLoaderInfo(Vm& vm, bool loaded, const Value& content, const Value& loader) {
    ClassObject* cls = FlashClass(vm, "flash.display", "LoaderInfo");
    Object* made = vm.make(Object::Kind::Plain, cls, &cls->instanceTraits, cls->prototype);
    made->sealed = cls->sealedInstances;
    Value info(made);
    Hidden(vm, info, kLoaded) = Value(loaded);
    Hidden(vm, info, kContent) = content;
    Hidden(vm, info, kLoader) = loader;
    Hidden(vm, info, kParameters) = Value(vm.newObject());
    return info;
}

Value RefuseConstruction(Vm& vm, const Value&, Args) {
    vm.throwError("ArgumentError", 2012, ErrorMessage(2012, "LoaderInfo$"));
}

Value BytesLoaded(Vm& vm, const Value& self, Args) {
    return Value(ToBoolean(Hidden(vm, self, kLoaded)) ? double(vm.host().movieFileLength()) : 0.0);
}

Value ContentType(Vm& vm, const Value& self, Args) {
    return ToBoolean(Hidden(vm, self, kLoaded)) ? Value("application/x-shockwave-flash")
                                                : Value::null();
}

template <const char* const* Member> Value GetHidden(Vm& vm, const Value& self, Args) {
    return Hidden(vm, self, *Member);
}

Value ActionScriptVersion(Vm& vm, const Value& self, Args) {
    RequireLoaded(vm, self);
    return Value(3);
}

Value SwfVersion(Vm& vm, const Value& self, Args) {
    RequireLoaded(vm, self);
    return Value(vm.host().swfVersion());
}

Value FrameRate(Vm& vm, const Value& self, Args) {
    RequireLoaded(vm, self);
    return Value(vm.host().frameRate());
}

Value Width(Vm& vm, const Value& self, Args) {
    RequireLoaded(vm, self);
    return Value(vm.host().stageWidth());
}

Value Height(Vm& vm, const Value& self, Args) {
    RequireLoaded(vm, self);
    return Value(vm.host().stageHeight());
}

// A movie played by itself trusts and is trusted by its (absent) parent.
Value Allowed(Vm& vm, const Value& self, Args) {
    RequireLoaded(vm, self);
    return Value(true);
}

Value Inaccessible(Vm&, const Value&, Args) {
    return Value(false);
}

constexpr const char* const kContentName = kContent;
constexpr const char* const kLoaderName = kLoader;
constexpr const char* const kParametersName = kParameters;

constexpr const char* kKept = " loaderInfo";

// DisplayObject.loaderInfo: the main movie's for its root, and one of the
// stage's own (which hears none of the root's events); Flash gives other
// objects none.
Value GetLoaderInfo(Vm& vm, const Value& self, Args) {
    MovieClip& root = vm.host().rootClip();
    const bool isStage = self.isObject() && self.object == vm.stage;
    if (!isStage && &DisplayOf(vm, self) != &root)
        return Value::null();
    Value rootObject = ScriptObjectOf(vm, &root);
    if (!rootObject.isObject())
        return Value::null();
    if (Value* kept = self.object->findDynamic(kKept))
        return *kept;
    Value info = NewLoaderInfo(vm, true, rootObject, Value::null());
    self.object->setDynamic(kKept, info);
    return info;
}

Value LoaderInit(Vm& vm, const Value& self, Args) {
    FlashClass(vm, "flash.display", "Sprite")->instanceInit.native(vm, self, {});
    vm.setProperty(self, Name::publicName(" contentLoaderInfo"),
                   NewLoaderInfo(vm, false, Value::null(), self));
    return Value();
}

Value ContentLoaderInfo(Vm& vm, const Value& self, Args) {
    return vm.getProperty(self, Name::publicName(" contentLoaderInfo"));
}

Value LoaderContent(Vm& vm, const Value& self, Args) {
    return Hidden(vm, ContentLoaderInfo(vm, self, {}), kContent);
}

} // namespace

void AnnounceMovieLoaded(Vm& vm) {
    Object* root = BoundScriptObject(vm, vm.host().rootClip());
    Value* info = root ? root->findDynamic(kKept) : nullptr;
    if (!info || !info->isObject())
        return;
    for (const char* type : {"init", "complete"})
        vm.runReported([&] { DispatchSimple(vm, info->object, type); });
}

void InstallLoaderInfo(Vm& vm, ClassObject* display) {
    ClassObject* info = vm.defineClass("flash.display", "LoaderInfo",
                                       FlashClass(vm, "flash.events", "EventDispatcher"), nullptr,
                                       RefuseConstruction);
    for (const char* hidden : {kLoaded, kContent, kLoader, kParameters})
        vm.defineSlot(info, hidden, Value::null());
    const std::pair<const char*, NativeFn> getters[] = {
        {"bytesLoaded", BytesLoaded},
        {"bytesTotal", BytesLoaded},
        {"contentType", ContentType},
        {"content", GetHidden<&kContentName>},
        {"loader", GetHidden<&kLoaderName>},
        {"parameters", GetHidden<&kParametersName>},
        {"actionScriptVersion", ActionScriptVersion},
        {"swfVersion", SwfVersion},
        {"frameRate", FrameRate},
        {"width", Width},
        {"height", Height},
        {"childAllowsParent", Allowed},
        {"parentAllowsChild", Allowed},
        {"sameDomain", Allowed},
        {"isURLInaccessible", Inaccessible},
    };
    for (const auto& [name, getter] : getters)
        vm.defineAccessor(info, name, getter, nullptr);
    vm.defineAccessor(display, "loaderInfo", GetLoaderInfo, nullptr);
}

void InstallLoader(Vm& vm, ClassObject* container) {
    ClassObject* loader = vm.defineClass("flash.display", "Loader", container, nullptr, LoaderInit);
    vm.defineSlot(loader, " contentLoaderInfo", Value::null());
    vm.defineAccessor(loader, "contentLoaderInfo", ContentLoaderInfo, nullptr);
    vm.defineAccessor(loader, "content", LoaderContent, nullptr);
}

} // namespace vidorama::swf::avm2
