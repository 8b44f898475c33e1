// AMF0 and AMF3: values as ByteArray.writeObject writes them and
// readObject reads them back, with the reference tables both keep.

#include "avm2/Amf.h"

#include "avm2/ByteArrayObject.h"
#include "avm2/Proxy.h"
#include "avm2/Xml.h"
#include "swf/Limits.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>

namespace vidorama::swf::avm2 {

namespace {

enum Amf3 : std::uint8_t {
    kUndefined = 0x00,
    kNull = 0x01,
    kFalse = 0x02,
    kTrue = 0x03,
    kInteger = 0x04,
    kDouble = 0x05,
    kString = 0x06,
    kXmlDoc = 0x07,
    kDate = 0x08,
    kArray = 0x09,
    kObject = 0x0a,
    kXml = 0x0b,
    kByteArray = 0x0c,
};

enum Amf0 : std::uint8_t {
    k0Number = 0x00,
    k0Boolean = 0x01,
    k0String = 0x02,
    k0Object = 0x03,
    k0Null = 0x05,
    k0Undefined = 0x06,
    k0Reference = 0x07,
    k0EcmaArray = 0x08,
    k0ObjectEnd = 0x09,
    k0StrictArray = 0x0a,
    k0Date = 0x0b,
    k0LongString = 0x0c,
    k0Xml = 0x0f,
    k0Typed = 0x10,
    k0Avmplus = 0x11,
};

bool IsArray(const Value& v) {
    return v.isObject() && v.object->kind() == Object::Kind::Array;
}

// An object's properties as AMF writes them: its public variables, then
// what it holds dynamically.
std::vector<std::pair<std::string, Value>> SealedMembers(Object* object) {
    std::vector<std::pair<std::string, Value>> members;
    const Traits* traits = object->traits();
    if (!traits || object->kind() == Object::Kind::Plain)
        return members;
    for (const auto& [name, list] : traits->byName)
        for (const Trait& trait : list)
            if ((trait.kind == Trait::Kind::Slot || trait.kind == Trait::Kind::Const) &&
                trait.ns.isPublic() && trait.slot < object->fields.size())
                members.emplace_back(name, object->fields[trait.slot]);
    std::sort(members.begin(), members.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return members;
}

// What for-in lists: a Proxy's class answers it.
std::vector<std::pair<std::string, Value>> DynamicMembers(Vm& vm, const Value& v) {
    Object* object = v.object;
    if (!IsProxy(v))
        return object->dynamic;
    std::vector<std::pair<std::string, Value>> members;
    for (std::uint32_t index = vm.nextIndex(v, 0); index; index = vm.nextIndex(v, index)) {
        std::string name = vm.toString(vm.nameAt(v, index));
        members.emplace_back(std::move(name), vm.valueAt(v, index));
        vm.checkListSize(members.size());
    }
    return members;
}

// The alias registerClassAlias gave an object's class, or "".
std::string AliasOf(Vm& vm, const Object* object) {
    for (const auto& [alias, cls] : vm.classAliases)
        if (cls == object->cls() && object->kind() != Object::Kind::Plain)
            return alias;
    return {};
}

bool Skipped(const Value& v) {
    return v.isObject() && v.object->kind() == Object::Kind::Function;
}

class Writer {
public:
    Writer(Vm& vm, std::vector<std::uint8_t>& out) : m_vm(vm), m_out(out) {}

    void u8(std::uint8_t b) {
        if (m_out.size() >= Limits::kMaxScriptByteArrayBytes)
            m_vm.throwError("MemoryError", 1000, ErrorMessage(1000));
        m_out.push_back(b);
    }
    void u16(std::uint16_t v) {
        u8(std::uint8_t(v >> 8));
        u8(std::uint8_t(v));
    }
    void u32(std::uint32_t v) {
        u16(std::uint16_t(v >> 16));
        u16(std::uint16_t(v));
    }
    void f64(double d) {
        std::uint64_t bits = std::bit_cast<std::uint64_t>(d);
        u32(std::uint32_t(bits >> 32));
        u32(std::uint32_t(bits));
    }
    void bytes(const std::string& s) {
        for (char c : s)
            u8(std::uint8_t(c));
    }
    void u29(std::uint32_t v) {
        v &= 0x1fffffff;
        if (v < 0x80) {
            u8(std::uint8_t(v));
        } else if (v < 0x4000) {
            u8(std::uint8_t((v >> 7) | 0x80));
            u8(std::uint8_t(v & 0x7f));
        } else if (v < 0x200000) {
            u8(std::uint8_t((v >> 14) | 0x80));
            u8(std::uint8_t(((v >> 7) & 0x7f) | 0x80));
            u8(std::uint8_t(v & 0x7f));
        } else {
            u8(std::uint8_t((v >> 22) | 0x80));
            u8(std::uint8_t(((v >> 15) & 0x7f) | 0x80));
            u8(std::uint8_t(((v >> 8) & 0x7f) | 0x80));
            u8(std::uint8_t(v));
        }
    }

    void string3(const std::string& s) {
        if (s.empty()) {
            u29(1);
            return;
        }
        if (auto found = m_strings.find(s); found != m_strings.end()) {
            u29(found->second << 1);
            return;
        }
        m_strings.emplace(s, std::uint32_t(m_strings.size()));
        u29(std::uint32_t(s.size() << 1) | 1);
        bytes(s);
    }

    // An object seen before is written as its index.
    bool reference3(Object* object) {
        if (auto found = m_objects.find(object); found != m_objects.end()) {
            u29(found->second << 1);
            return true;
        }
        m_objects.emplace(object, std::uint32_t(m_objects.size()));
        return false;
    }

    void value3(const Value& v, int depth) {
        if (depth > Limits::kMaxXmlDepth)
            m_vm.throwError("Error", 1023, ErrorMessage(1023));
        switch (v.kind) {
        case Value::Kind::Undefined:
            u8(kUndefined);
            return;
        case Value::Kind::Null:
            u8(kNull);
            return;
        case Value::Kind::Boolean:
            u8(v.boolean ? kTrue : kFalse);
            return;
        case Value::Kind::Number:
            if (v.number == std::floor(v.number) && v.number >= -(1 << 28) &&
                v.number < (1 << 28) && !(v.number == 0 && std::signbit(v.number))) {
                u8(kInteger);
                u29(std::uint32_t(std::int32_t(v.number)));
            } else {
                u8(kDouble);
                f64(v.number);
            }
            return;
        case Value::Kind::String:
            u8(kString);
            string3(v.string);
            return;
        case Value::Kind::Object:
            object3(v, depth);
            return;
        }
    }

    void object3(const Value& v, int depth) {
        Object* object = v.object;
        if (Skipped(v)) {
            u8(kUndefined);
            return;
        }
        if (IsXmlValue(v)) {
            u8(kXml);
            if (reference3(object))
                return;
            std::string text = XmlToXmlString(m_vm, v);
            u29(std::uint32_t(text.size() << 1) | 1);
            bytes(text);
            return;
        }
        switch (object->kind()) {
        case Object::Kind::Date:
            u8(kDate);
            if (reference3(object))
                return;
            u29(1);
            f64(m_vm.toNumber(static_cast<BoxObject*>(object)->value));
            return;
        case Object::Kind::ByteArray: {
            u8(kByteArray);
            if (reference3(object))
                return;
            const auto& data = static_cast<ByteArrayObject*>(object)->bytes;
            u29(std::uint32_t(data.size() << 1) | 1);
            for (std::uint8_t b : data)
                u8(b);
            return;
        }
        case Object::Kind::Array: {
            u8(kArray);
            if (reference3(object))
                return;
            auto* array = static_cast<ArrayObject*>(object);
            std::size_t dense = 0;
            while (dense < array->elements.size() && array->hasElement(dense))
                ++dense;
            u29(std::uint32_t(dense << 1) | 1);
            for (std::size_t i = dense; i < array->elements.size(); ++i)
                if (array->hasElement(i)) {
                    string3(std::to_string(i));
                    value3(array->elements[i], depth + 1);
                }
            for (const auto& [name, value] : object->dynamic) {
                string3(name);
                value3(value, depth + 1);
            }
            string3("");
            for (std::size_t i = 0; i < dense; ++i)
                value3(array->elements[i], depth + 1);
            return;
        }
        default:
            break;
        }
        u8(kObject);
        if (reference3(object))
            return;
        std::vector<std::pair<std::string, Value>> sealed = SealedMembers(object);
        bool dynamic = !object->sealed || IsProxy(v);
        std::string alias = AliasOf(m_vm, object);
        std::string traitsKey = std::string(dynamic ? "d" : "s") + alias + "|";
        for (const auto& member : sealed)
            traitsKey += member.first + "|";
        if (object->kind() != Object::Kind::Plain && object->cls())
            traitsKey += "#" + object->cls()->qualifiedName();
        if (auto found = m_traits.find(traitsKey); found != m_traits.end()) {
            u29((found->second << 2) | 1);
        } else {
            m_traits.emplace(traitsKey, std::uint32_t(m_traits.size()));
            u29(std::uint32_t(sealed.size() << 4) | (dynamic ? 0x08 : 0) | 0x03);
            string3(alias);
            for (const auto& member : sealed)
                string3(member.first);
        }
        for (const auto& member : sealed)
            value3(member.second, depth + 1);
        if (dynamic) {
            for (const auto& [name, value] : DynamicMembers(m_vm, v)) {
                if (Skipped(value))
                    continue;
                string3(name);
                value3(value, depth + 1);
            }
            string3("");
        }
    }

    void string0(const std::string& s) {
        u16(std::uint16_t(s.size()));
        bytes(s);
    }

    void value0(const Value& v, int depth) {
        if (depth > Limits::kMaxXmlDepth)
            m_vm.throwError("Error", 1023, ErrorMessage(1023));
        switch (v.kind) {
        case Value::Kind::Undefined:
            u8(k0Undefined);
            return;
        case Value::Kind::Null:
            u8(k0Null);
            return;
        case Value::Kind::Boolean:
            u8(k0Boolean);
            u8(v.boolean ? 1 : 0);
            return;
        case Value::Kind::Number:
            u8(k0Number);
            f64(v.number);
            return;
        case Value::Kind::String:
            if (v.string.size() > 0xffff) {
                u8(k0LongString);
                u32(std::uint32_t(v.string.size()));
                bytes(v.string);
            } else {
                u8(k0String);
                string0(v.string);
            }
            return;
        case Value::Kind::Object:
            break;
        }
        Object* object = v.object;
        if (Skipped(v)) {
            u8(k0Undefined);
            return;
        }
        if (IsXmlValue(v)) {
            std::string text = XmlToXmlString(m_vm, v);
            u8(k0Xml);
            u32(std::uint32_t(text.size()));
            bytes(text);
            return;
        }
        if (object->kind() == Object::Kind::Date) {
            u8(k0Date);
            f64(m_vm.toNumber(static_cast<BoxObject*>(object)->value));
            u16(0);
            return;
        }
        if (object->kind() == Object::Kind::ByteArray) {
            u8(k0Avmplus);
            Writer amf3(m_vm, m_out);
            amf3.value3(v, depth);
            return;
        }
        if (auto found = m_objects.find(object); found != m_objects.end()) {
            u8(k0Reference);
            u16(std::uint16_t(found->second));
            return;
        }
        m_objects.emplace(object, std::uint32_t(m_objects.size()));
        if (IsArray(v)) {
            auto* array = static_cast<ArrayObject*>(object);
            u8(k0EcmaArray);
            u32(std::uint32_t(array->elements.size()));
            for (std::size_t i = 0; i < array->elements.size(); ++i)
                if (array->hasElement(i)) {
                    string0(std::to_string(i));
                    value0(array->elements[i], depth + 1);
                }
        } else {
            u8(k0Object);
            for (const auto& [name, value] : SealedMembers(object)) {
                string0(name);
                value0(value, depth + 1);
            }
        }
        for (const auto& [name, value] : object->dynamic) {
            if (Skipped(value))
                continue;
            string0(name);
            value0(value, depth + 1);
        }
        u16(0);
        u8(k0ObjectEnd);
    }

private:
    Vm& m_vm;
    std::vector<std::uint8_t>& m_out;
    std::map<std::string, std::uint32_t> m_strings;
    std::map<std::string, std::uint32_t> m_traits;
    std::map<Object*, std::uint32_t> m_objects;
};

class Reader {
public:
    // The class name, sealed member names and dynamic flag of an object.
    struct Stored {
        std::string name;
        std::vector<std::string> sealed;
        bool dynamic = false;
    };

    Reader(Vm& vm, const std::vector<std::uint8_t>& in, std::size_t& pos)
        : m_vm(vm), m_in(in), m_pos(pos) {}

    std::uint8_t u8() {
        if (m_pos >= m_in.size())
            m_vm.throwError("EOFError", 2030, ErrorMessage(2030));
        return m_in[m_pos++];
    }
    std::uint16_t u16() {
        std::uint16_t hi = u8();
        return std::uint16_t(hi << 8 | u8());
    }
    std::uint32_t u32() {
        std::uint32_t hi = u16();
        return hi << 16 | u16();
    }
    double f64() {
        std::uint64_t hi = u32();
        return std::bit_cast<double>(hi << 32 | u32());
    }
    std::string bytes(std::size_t count) {
        if (count > m_in.size() - m_pos)
            m_vm.throwError("EOFError", 2030, ErrorMessage(2030));
        std::string s(m_in.begin() + std::ptrdiff_t(m_pos),
                      m_in.begin() + std::ptrdiff_t(m_pos + count));
        m_pos += count;
        return s;
    }
    std::uint32_t u29() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b = u8();
            if (i == 3)
                return (v << 8) | b;
            v = (v << 7) | (b & 0x7f);
            if (!(b & 0x80))
                return v;
        }
        return v;
    }
    [[noreturn]] void badReference() { m_vm.throwError("RangeError", 2006, ErrorMessage(2006)); }

    std::string string3() {
        std::uint32_t header = u29();
        if (!(header & 1)) {
            if ((header >> 1) >= m_strings.size())
                badReference();
            return m_strings[header >> 1];
        }
        std::string s = bytes(header >> 1);
        if (!s.empty())
            m_strings.push_back(s);
        return s;
    }

    Object* knownObject(std::uint32_t header) {
        if ((header >> 1) >= m_objects.size())
            badReference();
        return m_objects[header >> 1];
    }

    Value value3(int depth) {
        if (depth > Limits::kMaxXmlDepth)
            m_vm.throwError("Error", 1023, ErrorMessage(1023));
        std::uint8_t marker = u8();
        switch (marker) {
        case kUndefined:
            return Value();
        case kNull:
            return Value::null();
        case kFalse:
            return Value(false);
        case kTrue:
            return Value(true);
        case kInteger: {
            std::uint32_t v = u29();
            return Value(double(v & 0x10000000 ? std::int32_t(v | 0xe0000000) : std::int32_t(v)));
        }
        case kDouble:
            return Value(f64());
        case kString:
            return Value(string3());
        case kXml:
        case kXmlDoc:
        case kByteArray:
        case kDate: {
            std::uint32_t header = u29();
            if (!(header & 1))
                return Value(knownObject(header));
            Value made;
            if (marker == kDate) {
                made = m_vm.constructClass(m_vm.natives.date, std::vector<Value>{Value(f64())});
            } else if (marker == kByteArray) {
                made = m_vm.constructClass(m_vm.findClass("flash.utils.ByteArray"), {});
                std::string data = bytes(header >> 1);
                static_cast<ByteArrayObject*>(made.object)->bytes.assign(data.begin(), data.end());
            } else {
                std::string text = bytes(header >> 1);
                made = Value(static_cast<Object*>(ToXml(m_vm, Value(text))));
            }
            m_objects.push_back(made.object);
            return made;
        }
        case kArray: {
            std::uint32_t header = u29();
            if (!(header & 1))
                return Value(knownObject(header));
            ArrayObject* array = m_vm.newArray();
            m_objects.push_back(array);
            for (std::string key = string3(); !key.empty(); key = string3())
                m_vm.setProperty(Value(static_cast<Object*>(array)), Name::publicName(key),
                                 value3(depth + 1));
            std::uint32_t dense = header >> 1;
            m_vm.checkListSize(dense);
            for (std::uint32_t i = 0; i < dense; ++i)
                m_vm.setProperty(Value(static_cast<Object*>(array)),
                                 Name::publicName(std::to_string(i)), value3(depth + 1));
            return Value(static_cast<Object*>(array));
        }
        case kObject:
            return object3(depth);
        default:
            badReference();
        }
    }

    Value object3(int depth) {
        std::uint32_t header = u29();
        if (!(header & 1))
            return Value(knownObject(header));
        Stored traits;
        if (!(header & 2)) {
            if ((header >> 2) >= m_traits.size())
                badReference();
            traits = m_traits[header >> 2];
        } else {
            traits.name = string3();
            traits.dynamic = header & 8;
            for (std::uint32_t i = 0; i < (header >> 4); ++i)
                traits.sealed.push_back(string3());
            m_traits.push_back(traits);
        }
        auto alias = m_vm.classAliases.find(traits.name);
        ClassObject* cls = alias == m_vm.classAliases.end() ? nullptr : alias->second;
        Value made = cls ? m_vm.constructClass(cls, {}) : Value(m_vm.newObject());
        m_objects.push_back(made.object);
        for (const std::string& name : traits.sealed)
            m_vm.setProperty(made, Name::publicName(name), value3(depth + 1));
        if (traits.dynamic)
            for (std::string key = string3(); !key.empty(); key = string3())
                m_vm.setProperty(made, Name::publicName(key), value3(depth + 1));
        return made;
    }

    std::string string0() { return bytes(u16()); }

    void properties0(const Value& target, int depth) {
        for (;;) {
            std::string key = string0();
            if (key.empty()) {
                if (u8() != k0ObjectEnd)
                    badReference();
                return;
            }
            m_vm.setProperty(target, Name::publicName(key), value0(depth + 1));
        }
    }

    Value value0(int depth) {
        if (depth > Limits::kMaxXmlDepth)
            m_vm.throwError("Error", 1023, ErrorMessage(1023));
        switch (u8()) {
        case k0Number:
            return Value(f64());
        case k0Boolean:
            return Value(u8() != 0);
        case k0String:
            return Value(string0());
        case k0LongString:
            return Value(bytes(u32()));
        case k0Xml:
            return Value(static_cast<Object*>(ToXml(m_vm, Value(bytes(u32())))));
        case k0Null:
            return Value::null();
        case k0Undefined:
            return Value();
        case k0Reference: {
            std::uint16_t index = u16();
            if (index >= m_objects.size())
                badReference();
            return Value(m_objects[index]);
        }
        case k0Date: {
            double ms = f64();
            u16();
            return m_vm.constructClass(m_vm.natives.date, std::vector<Value>{Value(ms)});
        }
        case k0Object:
        case k0Typed: {
            Value made(m_vm.newObject());
            m_objects.push_back(made.object);
            properties0(made, depth);
            return made;
        }
        case k0EcmaArray: {
            u32();
            Value made(static_cast<Object*>(m_vm.newArray()));
            m_objects.push_back(made.object);
            properties0(made, depth);
            return made;
        }
        case k0StrictArray: {
            std::uint32_t count = u32();
            m_vm.checkListSize(count);
            ArrayObject* array = m_vm.newArray();
            m_objects.push_back(array);
            for (std::uint32_t i = 0; i < count; ++i)
                array->elements.push_back(value0(depth + 1));
            return Value(static_cast<Object*>(array));
        }
        case k0Avmplus:
            return value3(depth);
        default:
            badReference();
        }
    }

private:
    Vm& m_vm;
    const std::vector<std::uint8_t>& m_in;
    std::size_t& m_pos;
    std::vector<std::string> m_strings;
    std::vector<Object*> m_objects;
    std::vector<Stored> m_traits;
};

} // namespace

void AmfWrite(Vm& vm, std::vector<std::uint8_t>& out, const Value& value, int version) {
    Writer writer(vm, out);
    if (version == 0)
        writer.value0(value, 0);
    else
        writer.value3(value, 0);
}

Value AmfRead(Vm& vm, const std::vector<std::uint8_t>& in, std::size_t& pos, int version) {
    Reader reader(vm, in, pos);
    return version == 0 ? reader.value0(0) : reader.value3(0);
}

} // namespace vidorama::swf::avm2
