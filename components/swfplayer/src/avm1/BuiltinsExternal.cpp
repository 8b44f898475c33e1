// flash.external.ExternalInterface as Flash has it in a player with no
// container around it: nothing is available, calls answer null and
// callbacks cannot be registered. The XML escaping it does for its
// messages is there for the scripts that use it on its own.

#include "avm1/Native.h"
#include "avm1/XmlNode.h"

#include <array>
#include <utility>

namespace vidorama::swf::avm1 {

namespace {

Value ReturnFalse(Vm&, const Value&, std::span<const Value>) {
    return Value::boolean(false);
}

Value ReturnNull(Vm&, const Value&, std::span<const Value>) {
    return Value::null();
}

// Both escapes make text of any value, and answer null for no text at all.
Value EscapeXml(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty())
        return Value::null();
    std::string text = XmlEscape(vm.toString(args[0]));
    return text.empty() ? Value::null() : Value::string(vm.makeString(std::move(text)));
}

// The five entities, as written and in one pass: "&amp;lt;" becomes
// "&lt;". Any other entity, or another case of these, stays.
Value UnescapeXml(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty())
        return Value::null();
    static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities = {
        {{"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}}};
    const std::string text = vm.toString(args[0]);
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : kEntities) {
            if (std::string_view(text).substr(i, entity.size()) == entity) {
                out += character;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out.empty() ? Value::null() : Value::string(vm.makeString(std::move(out)));
}

} // namespace

void InstallExternalInterface(Vm& vm, Object* external) {
    FunctionObject* interface = vm.newNative(ReturnNull);
    vm.linkPrototype(interface);
    vm.defineValue(external, "ExternalInterface", Value::object(interface), kDontEnum);
    vm.defineValue(interface, "available", Value::boolean(false), kDontEnum);
    Method(vm, interface, "addCallback", ReturnFalse);
    Method(vm, interface, "call", ReturnNull);
    Method(vm, interface, "_escapeXML", EscapeXml);
    Method(vm, interface, "_unescapeXML", UnescapeXml);
}

} // namespace vidorama::swf::avm1
