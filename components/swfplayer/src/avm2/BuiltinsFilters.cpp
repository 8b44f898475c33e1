// flash.filters and DisplayObject.filters: the filter objects keep their
// settings in public slots; setting an object's filters turns them into the
// engine's filters, and reading them gives new objects made from those.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/DisplayObject.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

constexpr double kRadians = M_PI / 180;

struct Setting {
    const char* name;
    Value initial;
};

// Constructor arguments fill the slots in declaration order.
Value FilterInit(Vm&, const Value& self, Args args) {
    if (!self.isObject())
        return Value();
    for (std::size_t i = 0; i < args.size() && i < self.object->fields.size(); ++i)
        if (!args[i].isUndefined())
            self.object->fields[i] = args[i];
    return Value();
}

Value FilterClone(Vm& vm, const Value& self, Args) {
    if (!self.isObject())
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
    std::vector<Value> fields = self.object->fields;
    return vm.constructClass(self.object->cls(), fields);
}

ClassObject* DefineFilter(Vm& vm, ClassObject* base, const char* name,
                          std::initializer_list<Setting> settings) {
    ClassObject* cls = vm.defineClass("flash.filters", name, base, nullptr, FilterInit);
    for (const Setting& s : settings)
        vm.defineSlot(cls, s.name, s.initial);
    vm.defineMethod(cls, "clone", FilterClone);
    return cls;
}

double Num(Vm& vm, Object* o, std::uint32_t slot) {
    double n = vm.toNumber(o->fields[slot]);
    return std::isfinite(n) ? n : 0;
}

Rgba ColorOf(Vm& vm, Object* o, std::uint32_t colorSlot, std::uint32_t alphaSlot) {
    std::uint32_t c = ToUint32(vm.toNumber(o->fields[colorSlot]));
    double a = std::clamp(Num(vm, o, alphaSlot), 0.0, 1.0);
    return {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c),
            std::uint8_t(std::lround(a * 255))};
}

BlurFilter BlurOf(Vm& vm, Object* o, std::uint32_t first) {
    BlurFilter blur;
    blur.blurX = std::clamp(Num(vm, o, first), 0.0, 255.0);
    blur.blurY = std::clamp(Num(vm, o, first + 1), 0.0, 255.0);
    blur.passes = int(std::clamp(Num(vm, o, first + 2), 0.0, 15.0));
    return blur;
}

double ColorNumber(Rgba c) {
    return double(c.r << 16 | c.g << 8 | c.b);
}

// The engine's filter for a script's filter object; nullopt for kinds it
// does not draw.
std::optional<Filter> ToFilter(Vm& vm, const Value& v) {
    if (!v.isObject() || !v.object->cls())
        return std::nullopt;
    Object* o = v.object;
    // A script's subclass of a filter keeps the built-in class's slots.
    const ClassObject* builtin = o->cls();
    while (builtin && builtin->packageName != "flash.filters")
        builtin = builtin->base;
    if (!builtin)
        return std::nullopt;
    const std::string& kind = builtin->name;
    if (kind == "BlurFilter")
        return BlurOf(vm, o, 0);
    if (kind == "GlowFilter") {
        ShadowFilter glow;
        glow.color = ColorOf(vm, o, 0, 1);
        glow.blur = BlurOf(vm, o, 2);
        glow.strength = Num(vm, o, 4);
        glow.blur.passes = int(std::clamp(Num(vm, o, 5), 0.0, 15.0));
        glow.inner = ToBoolean(o->fields[6]);
        glow.knockout = ToBoolean(o->fields[7]);
        return glow;
    }
    if (kind == "DropShadowFilter") {
        ShadowFilter shadow;
        shadow.distance = Num(vm, o, 0);
        shadow.angle = Num(vm, o, 1) * kRadians;
        shadow.color = ColorOf(vm, o, 2, 3);
        shadow.blur = BlurOf(vm, o, 4);
        shadow.strength = Num(vm, o, 6);
        shadow.blur.passes = int(std::clamp(Num(vm, o, 7), 0.0, 15.0));
        shadow.inner = ToBoolean(o->fields[8]);
        shadow.knockout = ToBoolean(o->fields[9]);
        shadow.hideObject = ToBoolean(o->fields[10]);
        return shadow;
    }
    if (kind == "BevelFilter") {
        BevelFilter bevel;
        bevel.distance = Num(vm, o, 0);
        bevel.angle = Num(vm, o, 1) * kRadians;
        bevel.highlight = ColorOf(vm, o, 2, 3);
        bevel.shadow = ColorOf(vm, o, 4, 5);
        bevel.blur = BlurOf(vm, o, 6);
        bevel.strength = Num(vm, o, 8);
        bevel.blur.passes = int(std::clamp(Num(vm, o, 9), 0.0, 15.0));
        std::string type = vm.toString(o->fields[10]);
        bevel.inner = type == "inner";
        bevel.onTop = type == "full";
        bevel.knockout = ToBoolean(o->fields[11]);
        return bevel;
    }
    if (kind == "ColorMatrixFilter") {
        ColorMatrixFilter matrix;
        const Value& list = o->fields[0];
        if (!list.isNullish())
            for (std::uint32_t i = 0; i < 20; ++i) {
                double n = vm.toNumber(vm.getProperty(list, Name::publicName(std::to_string(i))));
                matrix.matrix[i] = std::isfinite(n) ? float(n) : 0;
            }
        return matrix;
    }
    return std::nullopt;
}

Value Make(Vm& vm, const char* name, std::vector<Value> args) {
    return vm.constructClass(FlashClass(vm, "flash.filters", name), args);
}

Value ToScript(Vm& vm, const Filter& filter) {
    if (const auto* blur = std::get_if<BlurFilter>(&filter))
        return Make(vm, "BlurFilter", {blur->blurX, blur->blurY, blur->passes});
    if (const auto* s = std::get_if<ShadowFilter>(&filter)) {
        Value alpha(s->color.a / 255.0);
        if (s->distance == 0 && !s->hideObject)
            return Make(vm, "GlowFilter",
                        {ColorNumber(s->color), alpha, s->blur.blurX, s->blur.blurY, s->strength,
                         s->blur.passes, s->inner, s->knockout});
        return Make(vm, "DropShadowFilter",
                    {s->distance, s->angle / kRadians, ColorNumber(s->color), alpha, s->blur.blurX,
                     s->blur.blurY, s->strength, s->blur.passes, s->inner, s->knockout,
                     s->hideObject});
    }
    if (const auto* b = std::get_if<BevelFilter>(&filter))
        return Make(vm, "BevelFilter",
                    {b->distance, b->angle / kRadians, ColorNumber(b->highlight),
                     b->highlight.a / 255.0, ColorNumber(b->shadow), b->shadow.a / 255.0,
                     b->blur.blurX, b->blur.blurY, b->strength, b->blur.passes,
                     b->onTop   ? "full"
                     : b->inner ? "inner"
                                : "outer",
                     b->knockout});
    if (const auto* m = std::get_if<ColorMatrixFilter>(&filter)) {
        std::vector<Value> entries(std::begin(m->matrix), std::end(m->matrix));
        return Make(vm, "ColorMatrixFilter", {Value(vm.newArray(std::move(entries)))});
    }
    return Value::null();
}

Value GetFilters(Vm& vm, const Value& self, Args) {
    std::vector<Value> out;
    for (const Filter& f : DisplayOf(vm, self).properties().filters) {
        Value script = ToScript(vm, f);
        if (!script.isNull())
            out.push_back(script);
    }
    return Value(vm.newArray(std::move(out)));
}

Value SetFilters(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = DisplayOf(vm, self);
    std::vector<Filter> filters;
    const Value& list = Arg(args, 0);
    if (!list.isNullish()) {
        double length = vm.toNumber(vm.getProperty(list, Name::publicName("length")));
        std::size_t count = std::isfinite(length) ? std::size_t(std::clamp(length, 0.0, 64.0)) : 0;
        for (std::size_t i = 0; i < count; ++i) {
            Value item = vm.getProperty(list, Name::publicName(std::to_string(i)));
            if (!vm.isType(item, FlashClass(vm, "flash.filters", "BitmapFilter")))
                vm.throwError("ArgumentError", 2005,
                              "Parameter 0 is of the incorrect type. Should be type Filter.");
            if (auto filter = ToFilter(vm, item))
                filters.push_back(*filter);
            else
                vm.noteMissing("flash.filters." + vm.describe(item));
        }
    }
    object.properties().filters = std::move(filters);
    return Value();
}

} // namespace

void InstallFilters(Vm& vm, ClassObject* display) {
    ClassObject* base =
        vm.defineClass("flash.filters", "BitmapFilter", vm.natives.object, nullptr, nullptr);
    vm.defineMethod(base, "clone", FilterClone);
    DefineFilter(vm, base, "BlurFilter", {{"blurX", 4.0}, {"blurY", 4.0}, {"quality", 1}});
    DefineFilter(vm, base, "GlowFilter",
                 {{"color", 0xff0000u},
                  {"alpha", 1.0},
                  {"blurX", 6.0},
                  {"blurY", 6.0},
                  {"strength", 2.0},
                  {"quality", 1},
                  {"inner", false},
                  {"knockout", false}});
    DefineFilter(vm, base, "DropShadowFilter",
                 {{"distance", 4.0},
                  {"angle", 45.0},
                  {"color", 0u},
                  {"alpha", 1.0},
                  {"blurX", 4.0},
                  {"blurY", 4.0},
                  {"strength", 1.0},
                  {"quality", 1},
                  {"inner", false},
                  {"knockout", false},
                  {"hideObject", false}});
    DefineFilter(vm, base, "BevelFilter",
                 {{"distance", 4.0},
                  {"angle", 45.0},
                  {"highlightColor", 0xffffffu},
                  {"highlightAlpha", 1.0},
                  {"shadowColor", 0u},
                  {"shadowAlpha", 1.0},
                  {"blurX", 4.0},
                  {"blurY", 4.0},
                  {"strength", 1.0},
                  {"quality", 1},
                  {"type", "inner"},
                  {"knockout", false}});
    DefineFilter(vm, base, "ColorMatrixFilter", {{"matrix", Value::null()}});
    vm.defineAccessor(display, "filters", GetFilters, SetFilters);
}

} // namespace vidorama::swf::avm2
