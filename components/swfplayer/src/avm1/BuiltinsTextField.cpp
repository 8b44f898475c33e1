// TextField and TextFormat: a field's format as scripts read and set it.
// A field here has one format for all its text, so a format given for a
// range of characters applies to the whole field.

#include "avm1/ClipControl.h"
#include "avm1/Native.h"
#include "avm1/TextFieldProperties.h"
#include "player/DisplayObject.h"
#include "text/TextFieldBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

// The constructor's parameters, in order, are the format's members.
constexpr std::array<const char*, 13> kFormatMembers{
    "font",   "size",  "color",      "bold",        "italic", "underline", "url",
    "target", "align", "leftMargin", "rightMargin", "indent", "leading"};

constexpr std::array<const char*, 4> kAlignNames{"left", "right", "center", "justify"};

Value ConstructFormat(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* format = self.asObject();
    if (!format)
        return {};
    for (std::size_t i = 0; i < kFormatMembers.size(); ++i)
        vm.setMember(format, kFormatMembers[i], i < args.size() ? args[i] : Value::null());
    vm.setMember(format, "blockIndent", Value::null());
    return {};
}

// Pixels a format gives, as twips the tag would hold; nothing when unset
// or not a number.
std::optional<double> FormatTwips(Vm& vm, Object* format, const char* name, double maxPixels) {
    Value value = vm.getMember(format, name);
    double pixels = value.isNullish() ? NAN : vm.toNumber(value);
    if (!std::isfinite(pixels))
        return std::nullopt;
    return std::clamp(pixels, -maxPixels, maxPixels) * kTwipsPerPixel;
}

// The set members of a format, written into a field's tag.
void ApplyFormat(Vm& vm, Object* format, EditTextRecord& r) {
    if (Value font = vm.getMember(format, "font"); !font.isNullish()) {
        r.fontClass = vm.toString(font);
        r.fontId.reset();
    }
    if (auto size = FormatTwips(vm, format, "size", 3276))
        r.height = static_cast<std::uint16_t>(std::max(*size, 0.0));
    if (Value color = vm.getMember(format, "color"); !color.isNullish())
        r.color = NumberColor(vm.toNumber(color));
    if (Value align = vm.getMember(format, "align"); !align.isNullish()) {
        std::string name = vm.toString(align);
        for (std::size_t i = 0; i < kAlignNames.size(); ++i)
            if (name == kAlignNames[i])
                r.align = static_cast<TextAlign>(i);
    }
    auto margin = [&](const char* name, std::uint16_t& field) {
        if (auto twips = FormatTwips(vm, format, name, 3276))
            field = static_cast<std::uint16_t>(std::max(*twips, 0.0));
    };
    margin("leftMargin", r.leftMargin);
    margin("rightMargin", r.rightMargin);
    margin("indent", r.indent);
    if (auto leading = FormatTwips(vm, format, "leading", 1638))
        r.leading = static_cast<std::int16_t>(*leading);
}

// setTextFormat([begin, [end,]] format) and setNewTextFormat(format): the
// format is the last argument.
Value SetFormat(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = vm.displayObjectOf(self);
    const TextDef* field = object ? TextFieldOf(*object) : nullptr;
    Object* format = args.empty() ? nullptr : args.back().asObject();
    if (!field || !format)
        return {};
    object->setCharacter(ChangeTextField(*field->data().field,
                                         [&](EditTextRecord& r) { ApplyFormat(vm, format, r); }));
    return {};
}

Value GetFormat(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = vm.displayObjectOf(self);
    const TextDef* field = object ? TextFieldOf(*object) : nullptr;
    if (!field)
        return {};
    const EditTextRecord& r = field->data().field->record;
    Object* format = vm.make<Object>(vm.builtins().textFormat);
    ConstructFormat(vm, Value::object(format), {});
    vm.setMember(format, "size", Value::number(r.height / kTwipsPerPixel));
    vm.setMember(format, "color", Value::number(ColorNumber(r.color)));
    vm.setMember(format, "align", Value::string(kAlignNames[static_cast<std::size_t>(r.align)]));
    vm.setMember(format, "leftMargin", Value::number(r.leftMargin / kTwipsPerPixel));
    vm.setMember(format, "rightMargin", Value::number(r.rightMargin / kTwipsPerPixel));
    vm.setMember(format, "indent", Value::number(r.indent / kTwipsPerPixel));
    vm.setMember(format, "leading", Value::number(r.leading / kTwipsPerPixel));
    return Value::object(format);
}

Value FieldDepth(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = vm.displayObjectOf(self);
    return object ? Value::number(ScriptDepth(*object)) : Value();
}

Value RemoveField(Vm& vm, const Value& self, std::span<const Value>) {
    if (DisplayObject* object = vm.displayObjectOf(self))
        RemoveClip(vm, *object);
    return {};
}

} // namespace

void InstallTextFieldClasses(Vm& vm, Builtins& b) {
    Class(vm, "TextFormat", b.textFormat, ConstructFormat);
    // Fields come from the stage and createTextField; `new TextField()`
    // makes a plain object.
    Class(vm, "TextField", b.textField,
          [](Vm&, const Value&, std::span<const Value>) { return Value(); });
    Method(vm, b.textField, "setTextFormat", SetFormat);
    Method(vm, b.textField, "setNewTextFormat", SetFormat);
    Method(vm, b.textField, "getTextFormat", GetFormat);
    Method(vm, b.textField, "getNewTextFormat", GetFormat);
    Method(vm, b.textField, "removeTextField", RemoveField);
    Method(vm, b.textField, "getDepth", FieldDepth);
}

} // namespace vidorama::swf::avm1
