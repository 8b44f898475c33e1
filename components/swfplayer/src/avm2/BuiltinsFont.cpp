// flash.text.Font: a font of the movie's library that SymbolClass links to a
// script's subclass of Font, with its name, style and the characters it has
// outlines for.

#include "avm1/Utf16Text.h"
#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "text/FontDef.h"

namespace vidorama::swf::avm2 {

namespace {

// The hidden slot that holds the id of the font's character.
Value& FontSlot(Vm& vm, const Value& self) {
    if (!self.isObject() || !vm.isType(self, FlashClass(vm, "flash.text", "Font")))
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "flash.text.Font"));
    const Trait* trait = self.object->traits()->find(Name::publicName(" font"));
    return self.object->fields[trait->slot];
}

// The library font of the object; nullptr for a Font linked to none.
const FontDef* FontOf(Vm& vm, const Value& self) {
    const Value& id = FontSlot(vm, self);
    if (!id.isNumber())
        return nullptr;
    auto character = vm.host().libraryCharacter(static_cast<CharacterId>(id.number));
    if (!character || character->kind() != CharacterDef::Kind::Font)
        return nullptr;
    return static_cast<const FontDef*>(character.get());
}

Value FontInit(Vm& vm, const Value& self, Args) {
    Value& slot = FontSlot(vm, self);
    if (auto id = LinkedLibraryCharacter(vm, self.object->cls()))
        slot = Value(double(*id));
    return Value();
}

Value FontName(Vm& vm, const Value& self, Args) {
    const FontDef* font = FontOf(vm, self);
    return font ? Value(font->name()) : Value::null();
}

Value FontStyle(Vm& vm, const Value& self, Args) {
    const FontDef* font = FontOf(vm, self);
    if (!font)
        return Value::null();
    if (font->bold())
        return Value(font->italic() ? "boldItalic" : "bold");
    return Value(font->italic() ? "italic" : "regular");
}

// A DefineFont4's OpenType font is "embeddedCFF"; outlines of the older
// tags are "embedded".
Value FontType(Vm& vm, const Value& self, Args) {
    const FontDef* font = FontOf(vm, self);
    if (!font)
        return Value::null();
    return Value(font->data().openType ? "embeddedCFF" : "embedded");
}

Value HasGlyphs(Vm& vm, const Value& self, Args args) {
    const FontDef* font = FontOf(vm, self);
    if (!font)
        return Value(false);
    for (char16_t unit : avm1::ToUtf16(vm.toString(Arg(args, 0))))
        if (!font->glyphFor(unit))
            return Value(false);
    return Value(true);
}

} // namespace

void InstallFont(Vm& vm) {
    ClassObject* font = vm.defineClass("flash.text", "Font", vm.natives.object, nullptr, FontInit);
    vm.defineSlot(font, " font", Value::null());
    vm.defineAccessor(font, "fontName", FontName, nullptr);
    vm.defineAccessor(font, "fontStyle", FontStyle, nullptr);
    vm.defineAccessor(font, "fontType", FontType, nullptr);
    vm.defineMethod(font, "hasGlyphs", HasGlyphs);
}

} // namespace vidorama::swf::avm2
