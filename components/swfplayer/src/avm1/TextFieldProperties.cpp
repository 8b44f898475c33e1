#include "avm1/TextFieldProperties.h"

#include "avm1/NumberText.h"
#include "avm1/Vm.h"
#include "player/DisplayObject.h"
#include "text/TextFieldBuilder.h"

#include <QString>
#include <cstdint>

namespace vidorama::swf::avm1 {

namespace {

const char* AutoSizeName(AutoSize size) {
    switch (size) {
    case AutoSize::Left:
        return "left";
    case AutoSize::Center:
        return "center";
    case AutoSize::Right:
        return "right";
    case AutoSize::None:
        break;
    }
    return "none";
}

// true means "left" and false "none"; unknown names change nothing.
std::optional<AutoSize> AutoSizeFrom(Vm& vm, const Value& value) {
    if (value.isBoolean())
        return vm.toBoolean(value) ? AutoSize::Left : AutoSize::None;
    std::string name = vm.toString(value);
    for (AutoSize size : {AutoSize::None, AutoSize::Left, AutoSize::Center, AutoSize::Right})
        if (name == AutoSizeName(size))
            return size;
    return std::nullopt;
}

// Scripts read a field's paragraphs as ending in a carriage return.
std::string ScriptText(const std::u32string& chars) {
    std::u32string text = chars;
    for (char32_t& c : text)
        if (c == U'\n')
            c = U'\r';
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

} // namespace

double ColorNumber(Rgba color) {
    return (color.r << 16) | (color.g << 8) | color.b;
}

Rgba NumberColor(double number) {
    auto bits = static_cast<std::uint32_t>(ToInt32(number));
    return Rgba{static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 8),
                static_cast<std::uint8_t>(bits), 255};
}

const TextDef* TextFieldOf(const DisplayObject& object) {
    if (object.character().kind() != CharacterDef::Kind::Text)
        return nullptr;
    const auto& text = static_cast<const TextDef&>(object.character());
    return text.data().field ? &text : nullptr;
}

bool GetTextFieldProperty(Vm& vm, const TextDef& field, std::string_view name, Value& out) {
    const EditTextRecord& r = field.data().field->record;
    auto is = [&](const char* property) {
        return vm.sameName(name, property);
    };
    if (is("text"))
        out = Value::string(ScriptText(field.data().chars));
    else if (is("htmlText"))
        out = Value::string(r.html ? r.initialText : ScriptText(field.data().chars));
    else if (is("textColor"))
        out = Value::number(ColorNumber(r.color));
    else if (is("borderColor"))
        out = Value::number(ColorNumber(r.borderColor));
    else if (is("backgroundColor"))
        out = Value::number(ColorNumber(r.backgroundColor));
    else if (is("border"))
        out = Value::boolean(r.border);
    else if (is("background"))
        out = Value::boolean(r.background);
    else if (is("autoSize"))
        out = Value::string(AutoSizeName(r.autoSize));
    else if (is("wordWrap"))
        out = Value::boolean(r.wordWrap);
    else if (is("multiline"))
        out = Value::boolean(r.multiline);
    else if (is("html"))
        out = Value::boolean(r.html);
    else if (is("embedFonts"))
        out = Value::boolean(r.useOutlines);
    else
        return false;
    return true;
}

bool SetTextFieldProperty(Vm& vm, DisplayObject& object, std::string_view name,
                          const Value& value) {
    const TextDef* field = TextFieldOf(object);
    if (!field)
        return false;
    auto is = [&](const char* property) {
        return vm.sameName(name, property);
    };
    std::function<void(EditTextRecord&)> change;
    if (is("text") || is("htmlText")) {
        // Plain text set on an HTML field shows as it is, tags and all.
        bool plain = is("text");
        change = [text = vm.toString(value), plain](EditTextRecord& r) {
            r.initialText = text;
            r.html = r.html && !plain;
        };
    } else if (is("textColor") || is("borderColor") || is("backgroundColor")) {
        Rgba color = NumberColor(vm.toNumber(value));
        Rgba EditTextRecord::*member = is("textColor")     ? &EditTextRecord::color
                                       : is("borderColor") ? &EditTextRecord::borderColor
                                                           : &EditTextRecord::backgroundColor;
        change = [color, member](EditTextRecord& r) {
            r.*member = color;
        };
    } else if (is("border") || is("background") || is("wordWrap") || is("multiline") ||
               is("html") || is("embedFonts")) {
        bool EditTextRecord::*member = is("border")       ? &EditTextRecord::border
                                       : is("background") ? &EditTextRecord::background
                                       : is("wordWrap")   ? &EditTextRecord::wordWrap
                                       : is("multiline")  ? &EditTextRecord::multiline
                                       : is("html")       ? &EditTextRecord::html
                                                          : &EditTextRecord::useOutlines;
        change = [on = vm.toBoolean(value), member](EditTextRecord& r) {
            r.*member = on;
        };
    } else if (is("autoSize")) {
        auto size = AutoSizeFrom(vm, value);
        if (!size)
            return true;
        change = [size = *size](EditTextRecord& r) {
            r.autoSize = size;
        };
    } else {
        return false;
    }
    object.setCharacter(ChangeTextField(*field->data().field, change));
    return true;
}

} // namespace vidorama::swf::avm1
