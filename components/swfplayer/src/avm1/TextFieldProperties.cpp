// TextField.prototype's accessors. On an object that is not a text field
// (`new TextField()`) they read undefined and ignore what is written.

#include "avm1/TextFieldProperties.h"

#include "avm1/Native.h"
#include "avm1/TextFieldBinding.h"
#include "player/DisplayObject.h"
#include "swf/Limits.h"
#include "text/TextFieldBuilder.h"

#include <QString>
#include <array>
#include <cmath>
#include <cstdint>

namespace vidorama::swf::avm1 {

namespace {

constexpr double kTwips = 20;
// The gutter between a field's box and its text, on every side.
constexpr double kGutterTwips = 40;

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

std::string Lowered(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// true means "left" and false "none", as does any name Flash does not know.
AutoSize AutoSizeFrom(Vm& vm, const Value& value) {
    if (value.isBoolean())
        return value.asBoolean() ? AutoSize::Left : AutoSize::None;
    std::string name = Lowered(vm.toString(value));
    for (AutoSize size : {AutoSize::Left, AutoSize::Center, AutoSize::Right})
        if (name == AutoSizeName(size))
            return size;
    return AutoSize::None;
}

const EditTextRecord& Record(const TextDef& field) {
    return field.data().field->record;
}

void Change(DisplayObject& object, const TextDef& field,
            const std::function<void(EditTextRecord&)>& change) {
    object.setCharacter(ChangeTextField(*field.data().field, change));
}

// Lines of the field's height, the gutters left out.
double VisibleHeight(const TextDef& field) {
    return std::max(Record(field).bounds.height() - 2 * kGutterTwips, 0.0);
}

// The last line (from 1) shown when the field shows lines from `scroll` on:
// the last that ends inside the field, or the first when none does.
std::size_t BottomLine(const TextDef& field, std::size_t scroll) {
    const auto& lines = field.data().lines;
    if (lines.empty())
        return 1;
    std::size_t first = std::min(scroll, lines.size()) - 1;
    std::size_t bottom = first;
    for (std::size_t i = first; i < lines.size(); ++i)
        if (lines[i].top + lines[i].height - lines[first].top <= VisibleHeight(field))
            bottom = i;
    return bottom + 1;
}

// The highest scroll that still fills the field with the last lines.
std::size_t MaxScroll(const TextDef& field) {
    const auto& lines = field.data().lines;
    if (lines.empty())
        return 1;
    double end = lines.back().top + lines.back().height;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (end - lines[i].top <= VisibleHeight(field))
            return i + 1;
    return lines.size();
}

double MaxHScroll(const TextDef& field) {
    double room = Record(field).bounds.width() - 2 * kGutterTwips;
    return std::max(std::floor((field.data().textWidth - room) / kTwips), 0.0);
}

Value Bool(bool b) {
    return Value::boolean(b);
}

using Getter = Value (*)(Vm&, DisplayObject&, const TextDef&);
using Setter = void (*)(Vm&, DisplayObject&, const TextDef&, const Value&);

struct Accessor {
    const char* name;
    int version;
    Getter get;
    Setter set;
    std::uint8_t flags = 0;
};

// A flag of the field's tag, set with Flash's boolean conversion.
template <bool EditTextRecord::*Member> constexpr Accessor Flag(const char* name) {
    return {name, 5, [](Vm&, DisplayObject&, const TextDef& f) { return Bool(Record(f).*Member); },
            [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
                bool on = vm.toBoolean(v);
                Change(o, f, [on](EditTextRecord& r) { r.*Member = on; });
            }};
}

template <Rgba EditTextRecord::*Member> constexpr Accessor Color(const char* name) {
    return {name, 5,
            [](Vm&, DisplayObject&, const TextDef& f) {
                return Value::number(ColorNumber(Record(f).*Member));
            },
            [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
                Rgba color = NumberColor(vm.toNumber(v));
                Change(o, f, [color](EditTextRecord& r) { r.*Member = color; });
            }};
}

void Ignore(Vm&, DisplayObject&, const TextDef&, const Value&) {}

void SetText(Vm& vm, DisplayObject& object, const TextDef& field, const Value& value) {
    std::string text = vm.toString(value);
    if (text == ScriptText(field.data().chars))
        return;
    SetFieldContent(vm, object, PlainText(text, NewTextFormat(*field.data().field)));
    UpdateBoundVariable(vm, object);
}

void SetHtmlText(Vm& vm, DisplayObject& object, const TextDef& field, const Value& value) {
    const EditTextRecord& r = Record(field);
    if (!r.html) {
        SetText(vm, object, field, value);
        return;
    }
    std::string html = vm.toString(value);
    SetFieldContent(vm, object,
                    HtmlText(html, NewTextFormat(*field.data().field),
                             {r.multiline, vm.version(), r.condenseWhite}));
}

const std::array<Accessor, 35> kAccessors{{
    {"gridFitType", 8,
     [](Vm&, DisplayObject&, const TextDef& f) { return Value::string(Record(f).gridFitType); },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         std::string type = vm.toString(v);
         if (type == "pixel" || type == "subpixel" || type == "none")
             Change(o, f, [&](EditTextRecord& r) { r.gridFitType = type; });
     }},
    {"antiAliasType", 8,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::string(Record(f).advancedAntiAlias ? "advanced" : "normal");
     },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         std::string type = vm.toString(v);
         if (type == "advanced" || type == "normal")
             Change(o, f, [&](EditTextRecord& r) { r.advancedAntiAlias = type == "advanced"; });
     }},
    {"thickness", 8,
     [](Vm&, DisplayObject&, const TextDef& f) { return Value::number(Record(f).thickness); },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         double n = static_cast<float>(vm.toNumber(v));
         Change(o, f, [n](EditTextRecord& r) { r.thickness = n; });
     }},
    {"sharpness", 8,
     [](Vm&, DisplayObject&, const TextDef& f) { return Value::number(Record(f).sharpness); },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         double n = static_cast<float>(vm.toNumber(v));
         Change(o, f, [n](EditTextRecord& r) { r.sharpness = n; });
     }},
    {"filters", 8,
     [](Vm& vm, DisplayObject&, const TextDef&) { return Value::object(vm.newArray()); }, Ignore,
     kDontDelete},
    {"scroll", 5,
     [](Vm&, DisplayObject&, const TextDef& f) { return Value::number(Record(f).scroll); },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         double n = std::trunc(vm.toNumber(v));
         auto line = static_cast<std::uint32_t>(
             std::isnan(n) ? 1 : std::clamp<double>(n, 1, double(MaxScroll(f))));
         Change(o, f, [line](EditTextRecord& r) { r.scroll = line; });
     }},
    {"maxscroll", 5,
     [](Vm&, DisplayObject&, const TextDef& f) { return Value::number(double(MaxScroll(f))); },
     Ignore},
    Color<&EditTextRecord::borderColor>("borderColor"),
    Color<&EditTextRecord::backgroundColor>("backgroundColor"),
    {"textColor", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::number(ColorNumber(NewTextFormat(*f.data().field).color));
     },
     // The whole text and the text still to come take the colour.
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         Rgba color = NumberColor(vm.toNumber(v));
         StyledText text = *f.data().styled;
         for (TextFormat& format : text.formats)
             format.color = color;
         TextFormat next = NewTextFormat(*f.data().field);
         next.color = color;
         o.setCharacter(ChangeNewTextFormat(*f.data().field, next));
         SetFieldContent(vm, o, std::move(text));
     }},
    {"tabIndex", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Record(f).tabIndex ? Value::number(*Record(f).tabIndex) : Value();
     },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         std::optional<double> index;
         if (!v.isNullish())
             index = static_cast<std::uint32_t>(ToInt32(vm.toNumber(v)));
         Change(o, f, [index](EditTextRecord& r) { r.tabIndex = index; });
     }},
    {"autoSize", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::string(AutoSizeName(Record(f).autoSize));
     },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         AutoSize size = AutoSizeFrom(vm, v);
         Change(o, f, [size](EditTextRecord& r) { r.autoSize = size; });
     }},
    {"text", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::string(ScriptText(f.data().chars));
     },
     SetText},
    {"type", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::string(Record(f).readOnly ? "dynamic" : "input");
     },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         std::string type = Lowered(vm.toString(v));
         if (type == "input" || type == "dynamic")
             Change(o, f, [&](EditTextRecord& r) { r.readOnly = type == "dynamic"; });
     }},
    {"htmlText", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::string(Record(f).html ? FieldHtml(*f.data().styled)
                                             : ScriptText(f.data().chars));
     },
     SetHtmlText},
    {"variable", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         const std::string& name = Record(f).variableName;
         return name.empty() ? Value::null() : Value::string(name);
     },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         std::string name = v.isNullish() ? std::string() : vm.toString(v);
         Change(o, f, [&](EditTextRecord& r) { r.variableName = name; });
         BindToVariable(vm, o);
     }},
    {"hscroll", 5,
     [](Vm&, DisplayObject&, const TextDef& f) { return Value::number(Record(f).hscroll); },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         double pixels = std::clamp<double>(ToInt32(vm.toNumber(v)), 0, MaxHScroll(f));
         Change(o, f, [pixels](EditTextRecord& r) { r.hscroll = pixels; });
     }},
    {"maxhscroll", 5,
     [](Vm&, DisplayObject&, const TextDef& f) { return Value::number(MaxHScroll(f)); }, Ignore},
    {"maxChars", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         const auto& most = Record(f).maxChars;
         return most && *most ? Value::number(*most) : Value::null();
     },
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         auto most = static_cast<std::uint16_t>(std::clamp(ToInt32(vm.toNumber(v)), 0, 0xffff));
         Change(o, f, [most](EditTextRecord& r) { r.maxChars = most; });
     }},
    Flag<&EditTextRecord::useOutlines>("embedFonts"),
    Flag<&EditTextRecord::html>("html"),
    Flag<&EditTextRecord::border>("border"),
    Flag<&EditTextRecord::background>("background"),
    Flag<&EditTextRecord::wordWrap>("wordWrap"),
    Flag<&EditTextRecord::password>("password"),
    Flag<&EditTextRecord::multiline>("multiline"),
    Flag<&EditTextRecord::selectable>("selectable"),
    {"length", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::number(double(f.data().chars.size()));
     },
     Ignore},
    {"bottomScroll", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::number(double(BottomLine(f, Record(f).scroll)));
     },
     Ignore},
    {"textWidth", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::number(std::floor(f.data().textWidth / kTwips));
     },
     Ignore},
    {"textHeight", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Value::number(std::floor(f.data().textHeight / kTwips));
     },
     Ignore},
    {"restrict", 5,
     [](Vm&, DisplayObject&, const TextDef& f) {
         return Record(f).restrict ? Value::string(*Record(f).restrict) : Value::null();
     },
     // An empty list allows everything, as none does.
     [](Vm& vm, DisplayObject& o, const TextDef& f, const Value& v) {
         std::optional<std::string> chars;
         if (!v.isNullish())
             chars = vm.toString(v);
         if (chars && chars->empty())
             chars.reset();
         Change(o, f, [&](EditTextRecord& r) { r.restrict = chars; });
     }},
    Flag<&EditTextRecord::condenseWhite>("condenseWhite"),
    Flag<&EditTextRecord::mouseWheelEnabled>("mouseWheelEnabled"),
    {"styleSheet", 5, [](Vm&, DisplayObject&, const TextDef&) { return Value(); }, Ignore},
}};

template <std::size_t I> Value Get(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = vm.displayObjectOf(self);
    // A bound field shows its variable's value as soon as scripts read it.
    if (object && TextFieldOf(*object))
        SyncBoundField(vm, *object);
    const TextDef* field = object ? TextFieldOf(*object) : nullptr;
    return field ? kAccessors[I].get(vm, *object, *field) : Value();
}

template <std::size_t I> Value Set(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = vm.displayObjectOf(self);
    if (const TextDef* field = object ? TextFieldOf(*object) : nullptr)
        kAccessors[I].set(vm, *object, *field, Arg(args, 0));
    return {};
}

template <std::size_t... I> void Define(Vm& vm, Object* proto, std::index_sequence<I...>) {
    auto define = [&](const Accessor& accessor, NativeFunction get, NativeFunction set) {
        std::uint8_t flags = accessor.flags;
        if (vm.version() < accessor.version)
            flags |= kVersionHidden;
        vm.defineValue(proto, accessor.name, Value(), flags);
        Property* property = proto->properties().find(vm.key(accessor.name));
        property->getter = vm.newNative(get);
        property->setter = vm.newNative(set);
    };
    (define(kAccessors[I], Get<I>, Set<I>), ...);
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

std::string ScriptText(const std::u32string& chars) {
    std::u32string text = chars;
    for (char32_t& c : text)
        if (c == U'\n')
            c = U'\r';
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

void SetFieldContent(Vm&, DisplayObject& object, StyledText content) {
    const TextDef* field = TextFieldOf(object);
    if (field)
        object.setCharacter(ChangeTextContent(*field->data().field, std::move(content)));
}

void ResizeTextField(DisplayObject& object, double pixels, bool width) {
    const TextDef* field = TextFieldOf(object);
    if (!field || !(pixels >= 0))
        return;
    double twips = std::min(pixels, double(Limits::kMaxScriptFieldPixels)) * kTwips;
    auto size = static_cast<std::int32_t>(std::lround(twips));
    Change(object, *field, [&](EditTextRecord& r) {
        (width ? r.bounds.xMax : r.bounds.yMax) = (width ? r.bounds.xMin : r.bounds.yMin) + size;
    });
}

void InstallTextFieldProperties(Vm& vm, Object* proto) {
    Define(vm, proto, std::make_index_sequence<kAccessors.size()>());
}

} // namespace vidorama::swf::avm1
