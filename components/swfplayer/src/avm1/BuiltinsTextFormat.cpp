// TextFormat: settings that may each be unset, converted as Flash converts
// them when they are stored, and a field's formats seen as such settings.

#include "avm1/Native.h"
#include "avm1/ScriptTextFormat.h"
#include "avm1/TextFieldProperties.h"
#include "swf/Limits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace vidorama::swf::avm1 {

namespace {

constexpr double kTwips = 20;
constexpr std::size_t kLongestFontName = 64;
constexpr std::array<const char*, 4> kAlignNames{"left", "right", "center", "justify"};

// Flash 8's lengths: rounded half to even into 32 bits, where a number out
// of their range (or NaN) becomes the lowest.
double RoundedInt(double n) {
    double rounded = std::nearbyint(n);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return -2147483648.0;
    return rounded;
}

// Lengths are kept as whole pixels: from Flash 8 on rounded half to even,
// before it cut to an integer and kept from going below zero.
double Pixels(Vm& vm, const Value& value, bool nonNegative) {
    double n = vm.toNumber(value);
    if (vm.version() < 8)
        return std::max<double>(ToInt32(n), 0);
    // Margins go up from zero, NaN going to zero too.
    return RoundedInt(nonNegative && !(n > 0) ? 0.0 : n);
}

Value OptionalNumber(const std::optional<double>& n) {
    return n ? Value::number(*n) : Value::null();
}
Value OptionalBool(const std::optional<bool>& b) {
    return b ? Value::boolean(*b) : Value::null();
}
Value OptionalString(const std::optional<std::string>& s) {
    return s ? Value::string(*s) : Value::null();
}

std::optional<std::string> StringOf(Vm& vm, const Value& value) {
    if (value.isNullish())
        return std::nullopt;
    return vm.toString(value);
}
std::optional<bool> BoolOf(Vm& vm, const Value& value) {
    if (value.isNullish())
        return std::nullopt;
    return vm.toBoolean(value);
}

double Uint32Of(Vm& vm, const Value& value) {
    return static_cast<std::uint32_t>(ToInt32(vm.toNumber(value)));
}

std::optional<TextAlign> AlignNamed(std::string name) {
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::size_t i = 0; i < kAlignNames.size(); ++i)
        if (name == kAlignNames[i])
            return static_cast<TextAlign>(i);
    return std::nullopt;
}

std::vector<double> TabStopsOf(Vm& vm, Object* list) {
    std::vector<double> stops;
    double length = vm.toNumber(vm.getMember(list, "length"));
    for (double i = 0; i < length && stops.size() < Limits::kMaxScriptTabStops; ++i)
        stops.push_back(std::nearbyint(vm.toNumber(vm.getMember(list, NumberToString(i)))));
    return stops;
}

using Format = ScriptTextFormat;

struct Member {
    const char* name;
    Value (*get)(Vm&, const Format&);
    void (*set)(Vm&, Format&, const Value&);
};

// In the order Flash makes them; for..in lists them newest first.
constexpr std::array<Member, 19> kMembers{{
    {"font", [](Vm&, const Format& f) { return OptionalString(f.font); },
     [](Vm& vm, Format& f, const Value& v) {
         f.font = StringOf(vm, v);
         if (f.font && f.font->size() > kLongestFontName)
             f.font->resize(kLongestFontName);
     }},
    {"size", [](Vm&, const Format& f) { return OptionalNumber(f.size); },
     [](Vm& vm, Format& f, const Value& v) {
         f.size = v.isNullish() ? std::nullopt
                                : std::optional(vm.version() < 8 ? ToInt32(vm.toNumber(v))
                                                                 : RoundedInt(vm.toNumber(v)));
     }},
    {"color", [](Vm&, const Format& f) { return OptionalNumber(f.color); },
     [](Vm& vm, Format& f, const Value& v) {
         f.color = v.isNullish() ? std::nullopt : std::optional(Uint32Of(vm, v));
     }},
    {"url", [](Vm&, const Format& f) { return OptionalString(f.url); },
     [](Vm& vm, Format& f, const Value& v) {
         f.url = StringOf(vm, v);
     }},
    {"target", [](Vm&, const Format& f) { return OptionalString(f.target); },
     [](Vm& vm, Format& f, const Value& v) {
         f.target = StringOf(vm, v);
     }},
    {"bold", [](Vm&, const Format& f) { return OptionalBool(f.bold); },
     [](Vm& vm, Format& f, const Value& v) {
         f.bold = BoolOf(vm, v);
     }},
    {"italic", [](Vm&, const Format& f) { return OptionalBool(f.italic); },
     [](Vm& vm, Format& f, const Value& v) {
         f.italic = BoolOf(vm, v);
     }},
    {"underline", [](Vm&, const Format& f) { return OptionalBool(f.underline); },
     [](Vm& vm, Format& f, const Value& v) {
         f.underline = BoolOf(vm, v);
     }},
    {"align",
     [](Vm&, const Format& f) {
         return f.align ? Value::string(kAlignNames[static_cast<std::size_t>(*f.align)])
                        : Value::null();
     },
     // Unknown names, null and undefined leave the alignment as it was.
     [](Vm& vm, Format& f, const Value& v) {
         if (!v.isNullish())
             if (auto align = AlignNamed(vm.toString(v)))
                 f.align = align;
     }},
    {"leftMargin", [](Vm&, const Format& f) { return OptionalNumber(f.leftMargin); },
     [](Vm& vm, Format& f, const Value& v) {
         f.leftMargin = v.isNullish() ? std::nullopt : std::optional(Pixels(vm, v, true));
     }},
    {"rightMargin", [](Vm&, const Format& f) { return OptionalNumber(f.rightMargin); },
     [](Vm& vm, Format& f, const Value& v) {
         f.rightMargin = v.isNullish() ? std::nullopt : std::optional(Pixels(vm, v, true));
     }},
    {"indent", [](Vm&, const Format& f) { return OptionalNumber(f.indent); },
     [](Vm& vm, Format& f, const Value& v) {
         f.indent = v.isNullish() ? std::nullopt : std::optional(Pixels(vm, v, false));
     }},
    {"leading", [](Vm&, const Format& f) { return OptionalNumber(f.leading); },
     [](Vm& vm, Format& f, const Value& v) {
         f.leading = v.isNullish() ? std::nullopt : std::optional(Pixels(vm, v, false));
     }},
    {"blockIndent", [](Vm&, const Format& f) { return OptionalNumber(f.blockIndent); },
     [](Vm& vm, Format& f, const Value& v) {
         f.blockIndent = v.isNullish() ? std::nullopt : std::optional(Pixels(vm, v, false));
     }},
    {"tabStops",
     [](Vm& vm, const Format& f) {
         if (!f.tabStops)
             return Value::null();
         std::vector<Value> stops;
         for (double stop : *f.tabStops)
             stops.push_back(Value::number(stop));
         return Value::object(vm.newArray(std::move(stops)));
     },
     [](Vm& vm, Format& f, const Value& v) {
         f.tabStops = v.asObject() ? std::optional(TabStopsOf(vm, v.asObject())) : std::nullopt;
     }},
    {"bullet", [](Vm&, const Format& f) { return OptionalBool(f.bullet); },
     [](Vm& vm, Format& f, const Value& v) {
         f.bullet = BoolOf(vm, v);
     }},
    {"display",
     [](Vm&, const Format& f) {
         return Value::string(f.display == TextDisplay::Inline ? "inline"
                              : f.display == TextDisplay::None ? "none"
                                                               : "block");
     },
     [](Vm& vm, Format& f, const Value& v) {
         std::string name = v.isNullish() ? std::string() : vm.toString(v);
         f.display = name == "inline" ? TextDisplay::Inline
                     : name == "none" ? TextDisplay::None
                                      : TextDisplay::Block;
     }},
    {"kerning", [](Vm&, const Format& f) { return OptionalBool(f.kerning); },
     [](Vm& vm, Format& f, const Value& v) {
         f.kerning = BoolOf(vm, v);
     }},
    {"letterSpacing", [](Vm&, const Format& f) { return OptionalNumber(f.letterSpacing); },
     [](Vm& vm, Format& f, const Value& v) {
         f.letterSpacing = v.isNullish() ? std::nullopt : std::optional(vm.toNumber(v));
     }},
}};

template <std::size_t I> Value GetMember(Vm& vm, const Value& self, std::span<const Value>) {
    TextFormatObject* object = TextFormatOf(self);
    return object ? kMembers[I].get(vm, object->format) : Value();
}

template <std::size_t I> Value SetMember(Vm& vm, const Value& self, std::span<const Value> args) {
    if (TextFormatObject* object = TextFormatOf(self))
        kMembers[I].set(vm, object->format, Arg(args, 0));
    return {};
}

template <std::size_t... I> void DefineMembers(Vm& vm, Object* proto, std::index_sequence<I...>) {
    auto define = [&](const char* name, NativeFunction get, NativeFunction set) {
        vm.defineValue(proto, name, Value());
        Property* property = proto->properties().find(vm.key(name));
        property->getter = vm.newNative(get);
        property->setter = vm.newNative(set);
    };
    (define(kMembers[I].name, GetMember<I>, SetMember<I>), ...);
}

// The constructor takes font, size, color, bold, italic, underline, url,
// target, align, leftMargin, rightMargin, indent and leading; its lengths
// are cut to integers, not rounded as the setters round them.
void Construct(Vm& vm, ScriptTextFormat& f, std::span<const Value> args) {
    auto integer = [&](std::size_t i) -> std::optional<double> {
        if (Arg(args, i).isNullish())
            return std::nullopt;
        return ToInt32(vm.toNumber(Arg(args, i)));
    };
    kMembers[0].set(vm, f, Arg(args, 0));
    f.size = integer(1);
    kMembers[2].set(vm, f, Arg(args, 2));
    kMembers[5].set(vm, f, Arg(args, 3));
    kMembers[6].set(vm, f, Arg(args, 4));
    kMembers[7].set(vm, f, Arg(args, 5));
    kMembers[3].set(vm, f, Arg(args, 6));
    kMembers[4].set(vm, f, Arg(args, 7));
    kMembers[8].set(vm, f, Arg(args, 8));
    f.leftMargin = integer(9);
    f.rightMargin = integer(10);
    f.indent = integer(11);
    f.leading = integer(12);
}

Value MakeFormat(Vm& vm, const Value&, std::span<const Value> args) {
    auto* object = vm.make<TextFormatObject>(vm.builtins().textFormat);
    Construct(vm, object->format, args);
    return Value::object(object);
}

// Called on an object a subclass made: it gets no settings of its own.
Value CallFormat(Vm&, const Value&, std::span<const Value>) {
    return {};
}

} // namespace

TextFormatObject* TextFormatOf(const Value& value) {
    return dynamic_cast<TextFormatObject*>(value.asObject());
}

Object* NewTextFormatObject(Vm& vm, ScriptTextFormat format) {
    auto* object = vm.make<TextFormatObject>(vm.builtins().textFormat);
    object->format = std::move(format);
    return object;
}

ScriptTextFormat ScriptFormatOf(const TextFormat& t) {
    ScriptTextFormat f;
    f.font = t.face;
    f.size = t.heightTwips / kTwips;
    f.color = ColorNumber(t.color);
    f.bold = t.bold;
    f.italic = t.italic;
    f.underline = t.underline;
    f.url = t.url;
    f.target = t.target;
    f.align = t.align;
    f.leftMargin = t.leftMarginTwips / kTwips;
    f.rightMargin = t.rightMarginTwips / kTwips;
    f.indent = t.indentTwips / kTwips;
    f.leading = t.leadingTwips / kTwips;
    f.blockIndent = t.blockIndentTwips / kTwips;
    f.tabStops.emplace();
    for (double stop : t.tabStopsTwips)
        f.tabStops->push_back(stop / kTwips);
    f.bullet = t.bullet;
    f.kerning = t.kerning;
    f.letterSpacing = t.letterSpacingTwips / kTwips;
    return f;
}

ScriptTextFormat CommonFormat(const StyledText& text, std::size_t begin, std::size_t end) {
    end = std::min(end, text.chars.size());
    if (begin >= end)
        return {};
    ScriptTextFormat common = ScriptFormatOf(text.formats[text.formatOfChar[begin]]);
    auto keep = [](auto& mine, const auto& other) {
        if (mine != other)
            mine.reset();
    };
    std::uint32_t last = text.formatOfChar[begin];
    for (std::size_t i = begin + 1; i < end; ++i) {
        if (text.formatOfChar[i] == last)
            continue;
        last = text.formatOfChar[i];
        ScriptTextFormat f = ScriptFormatOf(text.formats[last]);
        keep(common.font, f.font);
        keep(common.size, f.size);
        keep(common.color, f.color);
        keep(common.bold, f.bold);
        keep(common.italic, f.italic);
        keep(common.underline, f.underline);
        keep(common.url, f.url);
        keep(common.target, f.target);
        keep(common.align, f.align);
        keep(common.leftMargin, f.leftMargin);
        keep(common.rightMargin, f.rightMargin);
        keep(common.indent, f.indent);
        keep(common.leading, f.leading);
        keep(common.blockIndent, f.blockIndent);
        keep(common.tabStops, f.tabStops);
        keep(common.bullet, f.bullet);
        keep(common.kerning, f.kerning);
        keep(common.letterSpacing, f.letterSpacing);
    }
    return common;
}

void ApplyScriptFormat(const ScriptTextFormat& f, TextFormat& t) {
    auto twips = [](double pixels, double largest) {
        return std::isfinite(pixels) ? std::clamp(pixels, -largest, largest) * kTwips : 0.0;
    };
    constexpr double kLargestPixels = Limits::kMaxScriptFieldPixels;
    if (f.font)
        t.face = *f.font;
    if (f.size)
        t.heightTwips = twips(std::max(*f.size, 0.0), 3276);
    if (f.color)
        t.color = NumberColor(*f.color);
    if (f.bold)
        t.bold = *f.bold;
    if (f.italic)
        t.italic = *f.italic;
    if (f.underline)
        t.underline = *f.underline;
    if (f.url)
        t.url = *f.url;
    if (f.target)
        t.target = *f.target;
    if (f.align)
        t.align = *f.align;
    if (f.leftMargin)
        t.leftMarginTwips = twips(*f.leftMargin, kLargestPixels);
    if (f.rightMargin)
        t.rightMarginTwips = twips(*f.rightMargin, kLargestPixels);
    if (f.indent)
        t.indentTwips = twips(*f.indent, kLargestPixels);
    if (f.leading)
        t.leadingTwips = twips(*f.leading, kLargestPixels);
    if (f.blockIndent)
        t.blockIndentTwips = twips(*f.blockIndent, kLargestPixels);
    if (f.tabStops) {
        t.tabStopsTwips.clear();
        for (double stop : *f.tabStops)
            t.tabStopsTwips.push_back(twips(stop, kLargestPixels));
    }
    if (f.bullet)
        t.bullet = *f.bullet;
    if (f.kerning)
        t.kerning = *f.kerning;
    if (f.letterSpacing)
        t.letterSpacingTwips = twips(*f.letterSpacing, kLargestPixels);
}

void InstallTextFormatClass(Vm& vm) {
    Object* proto = vm.builtins().textFormat;
    Class(vm, "TextFormat", proto, CallFormat, MakeFormat);
    DefineMembers(vm, proto, std::make_index_sequence<kMembers.size()>());
}

} // namespace vidorama::swf::avm1
