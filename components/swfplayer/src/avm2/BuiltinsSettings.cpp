// Settings of the stage and of interactive objects that scripts set almost
// always (scale mode, alignment, mouse and focus behaviour) but that change
// nothing in a conversion: each object keeps what it was given and gives it
// back, and the constant classes that name their values exist.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"

namespace vidorama::swf::avm2 {

namespace {

struct Kept {
    const char* name;
    Value initial;
};

// Index into the table of each group; the value lives in a hidden dynamic
// property of the object.
const Kept kStageSettings[] = {{"scaleMode", "showAll"},
                               {"align", ""},
                               {"quality", "HIGH"},
                               {"displayState", "normal"},
                               {"focus", Value::null()},
                               {"showDefaultContextMenu", true},
                               {"stageFocusRect", true},
                               {"color", 0xffffffu},
                               {"fullScreenSourceRect", Value::null()}};

const Kept kInteractiveSettings[] = {{"mouseEnabled", true},       {"doubleClickEnabled", false},
                                     {"tabEnabled", false},        {"tabIndex", -1},
                                     {"focusRect", Value::null()}, {"contextMenu", Value::null()}};

const Kept kContainerSettings[] = {{"mouseChildren", true}, {"tabChildren", true}};

const Kept kSpriteSettings[] = {{"useHandCursor", true}, {"hitArea", Value::null()}};

template <const Kept* Table, std::size_t I> Value GetKept(Vm&, const Value& self, Args) {
    if (self.isObject())
        if (Value* v = self.object->findDynamic(std::string(" ") + Table[I].name))
            return *v;
    return Table[I].initial;
}

template <const Kept* Table, std::size_t I> Value SetKept(Vm&, const Value& self, Args args) {
    if (self.isObject())
        self.object->setDynamic(std::string(" ") + Table[I].name, Arg(args, 0));
    return Value();
}

template <const Kept* Table, std::size_t... I>
void DefineKept(Vm& vm, ClassObject* cls, std::index_sequence<I...>) {
    (vm.defineAccessor(cls, Table[I].name, GetKept<Table, I>, SetKept<Table, I>), ...);
}

template <const Kept* Table, std::size_t N> void DefineKept(Vm& vm, ClassObject* cls) {
    DefineKept<Table>(vm, cls, std::make_index_sequence<N>());
}

void Constants(Vm& vm, const char* name,
               std::initializer_list<std::pair<const char*, const char*>> values) {
    ClassObject* cls = vm.defineClass("flash.display", name, vm.natives.object, nullptr, nullptr);
    for (const auto& [constant, value] : values)
        vm.defineConstant(cls, constant, Value(value));
}

} // namespace

void KeepSettings(Vm& vm, ClassObject* cls) {
    if (cls->name == "Stage")
        DefineKept<kStageSettings, std::size(kStageSettings)>(vm, cls);
    else if (cls->name == "InteractiveObject")
        DefineKept<kInteractiveSettings, std::size(kInteractiveSettings)>(vm, cls);
    else if (cls->name == "DisplayObjectContainer")
        DefineKept<kContainerSettings, std::size(kContainerSettings)>(vm, cls);
    else if (cls->name == "Sprite")
        DefineKept<kSpriteSettings, std::size(kSpriteSettings)>(vm, cls);
}

void InstallSettings(Vm& vm) {
    Constants(vm, "StageScaleMode",
              {{"SHOW_ALL", "showAll"},
               {"EXACT_FIT", "exactFit"},
               {"NO_BORDER", "noBorder"},
               {"NO_SCALE", "noScale"}});
    Constants(vm, "StageAlign",
              {{"TOP", "T"},
               {"BOTTOM", "B"},
               {"LEFT", "L"},
               {"RIGHT", "R"},
               {"TOP_LEFT", "TL"},
               {"TOP_RIGHT", "TR"},
               {"BOTTOM_LEFT", "BL"},
               {"BOTTOM_RIGHT", "BR"}});
    Constants(vm, "StageQuality",
              {{"LOW", "low"}, {"MEDIUM", "medium"}, {"HIGH", "high"}, {"BEST", "best"}});
    Constants(vm, "StageDisplayState",
              {{"NORMAL", "normal"},
               {"FULL_SCREEN", "fullScreen"},
               {"FULL_SCREEN_INTERACTIVE", "fullScreenInteractive"}});
}

} // namespace vidorama::swf::avm2
