#pragma once

#include "avm2/Vm.h"

namespace vidorama::swf::avm2 {

// flash.utils.Proxy: an object whose properties the flash_proxy methods of
// its class answer, for every name its traits do not have.
inline bool IsProxy(const Value& v) {
    return v.isObject() && v.object->kind() == Object::Kind::Proxy;
}

Value ProxyGet(Vm& vm, const Value& target, const Name& name);
void ProxySet(Vm& vm, const Value& target, const Name& name, const Value& value);
bool ProxyDelete(Vm& vm, const Value& target, const Name& name);
bool ProxyHas(Vm& vm, const Value& target, const Name& name);
Value ProxyCall(Vm& vm, const Value& target, const Name& name, Args args);
Value ProxyDescendants(Vm& vm, const Value& target, const Name& name);
std::uint32_t ProxyNextIndex(Vm& vm, const Value& target, std::uint32_t index);
Value ProxyNameAt(Vm& vm, const Value& target, std::uint32_t index);
Value ProxyValueAt(Vm& vm, const Value& target, std::uint32_t index);

void InstallProxy(Vm& vm);

} // namespace vidorama::swf::avm2
