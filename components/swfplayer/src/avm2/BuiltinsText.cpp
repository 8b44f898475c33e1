// flash.text.TextField on the engine's text fields: a change to the text or a
// setting lays the field out again from a changed copy of its tag.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/DisplayObject.h"
#include "player/MovieClip.h"
#include "text/TextDef.h"
#include "text/TextFieldBuilder.h"

#include <QString>
#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

const TextFieldSource& FieldOf(Vm& vm, DisplayObject& object) {
    if (object.character().kind() == CharacterDef::Kind::Text) {
        const auto& text = static_cast<const TextDef&>(object.character());
        if (text.data().field)
            return *text.data().field;
    }
    vm.throwError("TypeError", 1034,
                  ErrorMessage(1034, "flash.display::DisplayObject", "flash.text.TextField"));
}

const EditTextRecord& RecordOf(Vm& vm, const Value& self) {
    return FieldOf(vm, DisplayOf(vm, self)).record;
}

void Change(Vm& vm, const Value& self, const std::function<void(EditTextRecord&)>& change) {
    DisplayObject& object = DisplayOf(vm, self);
    object.setCharacter(ChangeTextField(FieldOf(vm, object), change));
}

// Scripts read a field's paragraphs as ending in a carriage return.
std::string ShownText(const DisplayObject& object) {
    std::u32string text = static_cast<const TextDef&>(object.character()).data().chars;
    for (char32_t& c : text)
        if (c == U'\n')
            c = U'\r';
    return QString::fromUcs4(text.data(), qsizetype(text.size())).toStdString();
}

Value GetText(Vm& vm, const Value& self, Args) {
    DisplayObject& object = DisplayOf(vm, self);
    FieldOf(vm, object);
    return Value(ShownText(object));
}

template <bool Html> Value SetText(Vm& vm, const Value& self, Args args) {
    std::string text = vm.toString(Arg(args, 0));
    vm.checkStringSize(text.size());
    Change(vm, self, [&](EditTextRecord& r) {
        r.initialText = text;
        r.html = Html;
    });
    return Value();
}

Value GetHtmlText(Vm& vm, const Value& self, Args) {
    const EditTextRecord& r = RecordOf(vm, self);
    return r.html ? Value(r.initialText) : GetText(vm, self, {});
}

Value AppendText(Vm& vm, const Value& self, Args args) {
    std::string text = vm.toString(GetText(vm, self, {})) + vm.toString(Arg(args, 0));
    Value joined[] = {Value(text)};
    return SetText<false>(vm, self, joined);
}

Value Length(Vm& vm, const Value& self, Args) {
    DisplayObject& object = DisplayOf(vm, self);
    FieldOf(vm, object);
    return Value(double(static_cast<const TextDef&>(object.character()).data().chars.size()));
}

double ColorNumber(Rgba c) {
    return double(c.r << 16 | c.g << 8 | c.b);
}

template <Rgba EditTextRecord::*Member> Value GetColor(Vm& vm, const Value& self, Args) {
    return Value(ColorNumber(RecordOf(vm, self).*Member));
}

template <Rgba EditTextRecord::*Member> Value SetColor(Vm& vm, const Value& self, Args args) {
    std::uint32_t bits = ToUint32(vm.toNumber(Arg(args, 0)));
    Rgba color{std::uint8_t(bits >> 16), std::uint8_t(bits >> 8), std::uint8_t(bits), 255};
    Change(vm, self, [&](EditTextRecord& r) { r.*Member = color; });
    return Value();
}

template <bool EditTextRecord::*Member> Value GetFlag(Vm& vm, const Value& self, Args) {
    return Value(RecordOf(vm, self).*Member);
}

template <bool EditTextRecord::*Member> Value SetFlag(Vm& vm, const Value& self, Args args) {
    bool on = ToBoolean(Arg(args, 0));
    Change(vm, self, [&](EditTextRecord& r) { r.*Member = on; });
    return Value();
}

const char* const kAutoSizeNames[] = {"none", "left", "center", "right"};

Value GetAutoSize(Vm& vm, const Value& self, Args) {
    auto size = std::size_t(RecordOf(vm, self).autoSize);
    return Value(size < std::size(kAutoSizeNames) ? kAutoSizeNames[size] : "none");
}

Value SetAutoSize(Vm& vm, const Value& self, Args args) {
    std::string name = vm.toString(Arg(args, 0));
    for (std::size_t i = 0; i < std::size(kAutoSizeNames); ++i)
        if (name == kAutoSizeNames[i]) {
            Change(vm, self, [&](EditTextRecord& r) { r.autoSize = AutoSize(i); });
            return Value();
        }
    vm.throwError("ArgumentError", 2008, "Parameter autoSize must be one of the accepted values.");
}

// TextFormat's settings, in the constructor's order; null means "not set".
enum FormatSlot : std::uint32_t {
    kFont,
    kSize,
    kColor,
    kBold,
    kItalic,
    kUnderline,
    kUrl,
    kTarget,
    kAlign,
    kLeftMargin,
    kRightMargin,
    kIndent,
    kLeading,
    kFormatSlots
};

const char* const kFormatNames[kFormatSlots] = {
    "font",   "size",  "color",      "bold",        "italic", "underline", "url",
    "target", "align", "leftMargin", "rightMargin", "indent", "leading"};

const char* const kAlignNames[] = {"left", "right", "center", "justify"};

Value TextFormatInit(Vm&, const Value& self, Args args) {
    if (self.isObject())
        for (std::size_t i = 0; i < args.size() && i < self.object->fields.size(); ++i)
            if (!args[i].isUndefined())
                self.object->fields[i] = args[i];
    return Value();
}

double Pixels(std::int32_t twips) {
    return twips / 20.0;
}

// The field's format as one TextFormat: the engine keeps one per field.
Value FormatOf(Vm& vm, const EditTextRecord& r) {
    const auto& face = r.fontClass;
    std::vector<Value> args{face.empty() ? Value("Times New Roman") : Value(face),
                            Value(Pixels(r.height)),
                            Value(ColorNumber(r.color)),
                            Value(false),
                            Value(false),
                            Value(false),
                            Value(""),
                            Value(""),
                            Value(kAlignNames[std::size_t(r.align) & 3]),
                            Value(Pixels(r.leftMargin)),
                            Value(Pixels(r.rightMargin)),
                            Value(Pixels(r.indent)),
                            Value(Pixels(r.leading))};
    return vm.constructClass(FlashClass(vm, "flash.text", "TextFormat"), args);
}

std::uint16_t TwipsArg(Vm& vm, const Value& v, double max) {
    double n = vm.toNumber(v);
    return std::uint16_t(std::isfinite(n) ? std::clamp(n * 20, 0.0, max) : 0);
}

// Applies the settings a TextFormat sets to the field.
void ApplyFormat(Vm& vm, const Value& self, const Value& format) {
    if (format.isNullish())
        vm.throwError("TypeError", 2007, "Parameter format must be non-null.");
    if (!vm.isType(format, FlashClass(vm, "flash.text", "TextFormat")))
        vm.throwError("TypeError", 1034,
                      ErrorMessage(1034, vm.describe(format), "flash.text.TextFormat"));
    const std::vector<Value> f = format.object->fields;
    EditTextRecord changed = RecordOf(vm, self);
    if (!f[kFont].isNullish()) {
        changed.fontClass = vm.toString(f[kFont]);
        changed.fontId.reset();
    }
    if (!f[kSize].isNullish())
        changed.height = TwipsArg(vm, f[kSize], 65535);
    if (!f[kColor].isNullish()) {
        std::uint32_t bits = ToUint32(vm.toNumber(f[kColor]));
        changed.color = {std::uint8_t(bits >> 16), std::uint8_t(bits >> 8), std::uint8_t(bits),
                         255};
    }
    if (!f[kAlign].isNullish()) {
        std::string align = vm.toString(f[kAlign]);
        for (std::size_t i = 0; i < std::size(kAlignNames); ++i)
            if (align == kAlignNames[i])
                changed.align = TextAlign(i);
    }
    if (!f[kLeftMargin].isNullish())
        changed.leftMargin = TwipsArg(vm, f[kLeftMargin], 65535);
    if (!f[kRightMargin].isNullish())
        changed.rightMargin = TwipsArg(vm, f[kRightMargin], 65535);
    if (!f[kIndent].isNullish())
        changed.indent = TwipsArg(vm, f[kIndent], 65535);
    if (!f[kLeading].isNullish())
        changed.leading = std::int16_t(TwipsArg(vm, f[kLeading], 32767));
    for (FormatSlot unbuilt : {kBold, kItalic, kUnderline})
        if (ToBoolean(f[unbuilt]))
            vm.noteMissing(std::string("flash.text.TextFormat.") + kFormatNames[unbuilt]);
    Change(vm, self, [&](EditTextRecord& r) {
        std::string text = r.initialText;
        bool html = r.html;
        r = changed;
        r.initialText = text;
        r.html = html;
    });
}

Value GetFormat(Vm& vm, const Value& self, Args) {
    return FormatOf(vm, RecordOf(vm, self));
}

Value SetDefaultFormat(Vm& vm, const Value& self, Args args) {
    ApplyFormat(vm, self, Arg(args, 0));
    return Value();
}

// Formats of parts of a field are not kept apart: a format set on any part
// is the field's.
Value SetTextFormat(Vm& vm, const Value& self, Args args) {
    if (args.size() > 1)
        vm.noteMissing("flash.text.TextField.setTextFormat on part of the text");
    ApplyFormat(vm, self, Arg(args, 0));
    return Value();
}

// A field a script makes: Flash's default settings, 100 by 100 pixels.
Value TextFieldInit(Vm& vm, const Value& self, Args) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Display)
        return Value();
    auto* script = static_cast<DisplayScriptObject*>(self.object);
    if (script->display.lock())
        return Value();
    auto field = vm.host().newTextField(Rect{0, 2000, 0, 2000});
    if (!field)
        vm.throwError("Error", 1500, "The display tree is full.");
    NameInstance(vm, *field);
    Bind(vm, script, field);
    return Value();
}

} // namespace

void InstallText(Vm& vm, ClassObject* interactive) {
    InstallFont(vm);
    ClassObject* field =
        vm.defineClass("flash.text", "TextField", interactive, nullptr, TextFieldInit);
    vm.defineAccessor(field, "text", GetText, SetText<false>);
    vm.defineAccessor(field, "htmlText", GetHtmlText, SetText<true>);
    vm.defineAccessor(field, "length", Length, nullptr);
    vm.defineMethod(field, "appendText", AppendText);
    vm.defineAccessor(field, "textColor", GetColor<&EditTextRecord::color>,
                      SetColor<&EditTextRecord::color>);
    vm.defineAccessor(field, "borderColor", GetColor<&EditTextRecord::borderColor>,
                      SetColor<&EditTextRecord::borderColor>);
    vm.defineAccessor(field, "backgroundColor", GetColor<&EditTextRecord::backgroundColor>,
                      SetColor<&EditTextRecord::backgroundColor>);
    vm.defineAccessor(field, "border", GetFlag<&EditTextRecord::border>,
                      SetFlag<&EditTextRecord::border>);
    vm.defineAccessor(field, "background", GetFlag<&EditTextRecord::background>,
                      SetFlag<&EditTextRecord::background>);
    vm.defineAccessor(field, "wordWrap", GetFlag<&EditTextRecord::wordWrap>,
                      SetFlag<&EditTextRecord::wordWrap>);
    vm.defineAccessor(field, "multiline", GetFlag<&EditTextRecord::multiline>,
                      SetFlag<&EditTextRecord::multiline>);
    vm.defineAccessor(field, "embedFonts", GetFlag<&EditTextRecord::useOutlines>,
                      SetFlag<&EditTextRecord::useOutlines>);
    vm.defineAccessor(field, "displayAsPassword", GetFlag<&EditTextRecord::password>,
                      SetFlag<&EditTextRecord::password>);
    vm.defineAccessor(field, "autoSize", GetAutoSize, SetAutoSize);
    vm.defineAccessor(field, "defaultTextFormat", GetFormat, SetDefaultFormat);
    vm.defineMethod(field, "getTextFormat", GetFormat);
    vm.defineMethod(field, "setTextFormat", SetTextFormat);
    ClassObject* format =
        vm.defineClass("flash.text", "TextFormat", vm.natives.object, nullptr, TextFormatInit);
    for (const char* name : kFormatNames)
        vm.defineSlot(format, name, Value::null());
    vm.defineClass("flash.text", "StaticText", FlashClass(vm, "flash.display", "DisplayObject"),
                   nullptr, nullptr);
}

} // namespace vidorama::swf::avm2
