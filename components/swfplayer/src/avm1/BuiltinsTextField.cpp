// TextField's methods: formats of ranges of the text, the format of text to
// come, replacing text, and removing the field.

#include "avm1/ClipControl.h"
#include "avm1/Native.h"
#include "avm1/ScriptTextFormat.h"
#include "avm1/TextFieldBinding.h"
#include "avm1/TextFieldProperties.h"
#include "player/DisplayObject.h"
#include "text/TextFieldBuilder.h"

#include <QString>
#include <algorithm>

namespace vidorama::swf::avm1 {

namespace {

struct Field {
    DisplayObject* object = nullptr;
    const TextDef* text = nullptr;
    explicit operator bool() const { return text != nullptr; }
    const StyledText& styled() const { return *text->data().styled; }
    const TextFieldSource& source() const { return *text->data().field; }
};

Field FieldOf(Vm& vm, const Value& self) {
    DisplayObject* object = vm.displayObjectOf(self);
    return {object, object ? TextFieldOf(*object) : nullptr};
}

std::size_t Index(Vm& vm, const Value& value) {
    return static_cast<std::uint32_t>(ToInt32(vm.toNumber(value)));
}

// ([begin, [end]]): the whole text without arguments, one character
// with one.
std::pair<std::size_t, std::size_t> Range(Vm& vm, const Field& field, std::span<const Value> args) {
    if (args.empty())
        return {0, field.styled().chars.size()};
    std::size_t begin = Index(vm, args[0]);
    return {begin, args.size() > 1 ? Index(vm, args[1]) : begin + 1};
}

Value GetFormat(Vm& vm, const Value& self, std::span<const Value> args) {
    Field field = FieldOf(vm, self);
    if (!field)
        return {};
    auto [begin, end] = Range(vm, field, args);
    return Value::object(NewTextFormatObject(vm, CommonFormat(field.styled(), begin, end)));
}

// setTextFormat([begin, [end,]] format).
Value SetFormat(Vm& vm, const Value& self, std::span<const Value> args) {
    Field field = FieldOf(vm, self);
    if (!field || args.empty())
        return {};
    TextFormatObject* format = TextFormatOf(args.back());
    if (!format)
        return {};
    auto [begin, end] = Range(vm, field, args.first(args.size() - 1));
    StyledText text = field.styled();
    end = std::min(end, text.chars.size());
    if (begin >= end)
        return {};
    std::vector<std::uint32_t> changed(text.formats.size(), UINT32_MAX);
    for (std::size_t i = begin; i < end; ++i) {
        std::uint32_t& index = changed[text.formatOfChar[i]];
        if (index == UINT32_MAX) {
            TextFormat f = text.formats[text.formatOfChar[i]];
            ApplyScriptFormat(format->format, f);
            index = static_cast<std::uint32_t>(text.formats.size());
            text.formats.push_back(std::move(f));
        }
        text.formatOfChar[i] = index;
    }
    SetFieldContent(vm, *field.object, std::move(text));
    return {};
}

Value GetNewFormat(Vm& vm, const Value& self, std::span<const Value>) {
    Field field = FieldOf(vm, self);
    if (!field)
        return {};
    return Value::object(NewTextFormatObject(vm, ScriptFormatOf(NewTextFormat(field.source()))));
}

Value SetNewFormat(Vm& vm, const Value& self, std::span<const Value> args) {
    Field field = FieldOf(vm, self);
    TextFormatObject* format = TextFormatOf(Arg(args, 0));
    if (!field || !format)
        return {};
    TextFormat next = NewTextFormat(field.source());
    ApplyScriptFormat(format->format, next);
    field.object->setCharacter(ChangeNewTextFormat(field.source(), next));
    return {};
}

// Characters [begin, end) give way to text in the format of text to come.
void Replace(Vm& vm, const Field& field, std::size_t begin, std::size_t end,
             const std::string& utf8) {
    const StyledText& old = field.styled();
    begin = std::min(begin, old.chars.size());
    end = std::clamp(end, begin, old.chars.size());
    StyledText inserted = PlainText(utf8, NewTextFormat(field.source()));
    StyledText text;
    auto copy = [&](const StyledText& from, std::size_t b, std::size_t e) {
        for (std::size_t i = b; i < e; ++i)
            text.append(from.chars[i], from.formats[from.formatOfChar[i]]);
    };
    copy(old, 0, begin);
    copy(inserted, 0, inserted.chars.size());
    copy(old, end, old.chars.size());
    SetFieldContent(vm, *field.object, std::move(text));
    UpdateBoundVariable(vm, *field.object);
}

Value ReplaceText(Vm& vm, const Value& self, std::span<const Value> args) {
    Field field = FieldOf(vm, self);
    if (!field)
        return {};
    Replace(vm, field, Index(vm, Arg(args, 0)), Index(vm, Arg(args, 1)), vm.toString(Arg(args, 2)));
    return {};
}

// Without a selection, a field inserts at its start.
Value ReplaceSel(Vm& vm, const Value& self, std::span<const Value> args) {
    Field field = FieldOf(vm, self);
    if (!field)
        return {};
    Replace(vm, field, 0, 0, vm.toString(Arg(args, 0)));
    return {};
}

Value FieldDepth(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = vm.displayObjectOf(self);
    return object ? Value::number(ScriptDepth(*object)) : Value();
}

Value RemoveField(Vm& vm, const Value& self, std::span<const Value>) {
    if (Field field = FieldOf(vm, self))
        RemoveClip(vm, *field.object);
    return {};
}

} // namespace

void InstallTextFieldClasses(Vm& vm, Builtins& b) {
    InstallTextFormatClass(vm);
    // Fields come from the stage and createTextField; `new TextField()`
    // makes a plain object.
    Class(vm, "TextField", b.textField,
          [](Vm&, const Value&, std::span<const Value>) { return Value(); });
    struct MethodDef {
        const char* name;
        NativeFunction native;
        int version;
        std::uint8_t flags;
    };
    const MethodDef methods[] = {
        {"replaceSel", ReplaceSel, 6, 0},         {"getTextFormat", GetFormat, 6, 0},
        {"setTextFormat", SetFormat, 6, 0},       {"removeTextField", RemoveField, 6, 0},
        {"getNewTextFormat", GetNewFormat, 6, 0}, {"setNewTextFormat", SetNewFormat, 6, 0},
        {"getDepth", FieldDepth, 6, kReadOnly},   {"replaceText", ReplaceText, 7, 0},
    };
    for (const MethodDef& m : methods) {
        std::uint8_t flags = kDontEnum | kDontDelete | m.flags;
        if (vm.version() < m.version)
            flags |= kVersionHidden;
        vm.defineValue(b.textField, m.name, Value::object(vm.newNative(m.native)), flags);
    }
    InstallTextFieldProperties(vm, b.textField);
}

} // namespace vidorama::swf::avm1
