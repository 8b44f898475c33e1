// LoadVars: an object whose enumerable properties make a query string. The
// player has no network, so loading and sending fail as they do offline.

#include "avm1/Native.h"

namespace vidorama::swf::avm1 {

namespace {

// name=value pairs, escaped, in for..in order and joined by "&". A value is
// read through getters and converted with its toString, which may throw.
Value ToQuery(Vm& vm, const Value& self, std::span<const Value>) {
    Object* object = self.asObject();
    if (!object)
        return {};
    std::string out;
    for (const std::string& name : vm.enumerate(object)) {
        if (!out.empty())
            out += '&';
        out += EscapeUrl(name) + '=' + EscapeUrl(vm.toString(vm.getMember(object, name)));
        vm.chargeString(out.size());
    }
    return Value::string(std::move(out));
}

Value Construct(Vm&, const Value&, std::span<const Value>) {
    return {};
}

Value Refuse(Vm&, const Value&, std::span<const Value>) {
    return Value::boolean(false);
}

} // namespace

void InstallOfflineTransfers(Vm& vm, Object* proto) {
    Method(vm, proto, "load", Refuse);
    Method(vm, proto, "send", Refuse);
    Method(vm, proto, "sendAndLoad", Refuse);
    vm.defineValue(proto, "contentType", Value::string("application/x-www-form-urlencoded"),
                   kDontEnum);
}

void InstallLoadVarsClass(Vm& vm) {
    Object* proto = vm.newObject();
    Class(vm, "LoadVars", proto, Construct);
    Method(vm, proto, "toString", ToQuery);
    InstallOfflineTransfers(vm, proto);
}

} // namespace vidorama::swf::avm1
