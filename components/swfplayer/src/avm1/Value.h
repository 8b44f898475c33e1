#pragma once

#include <memory>
#include <string>
#include <utility>

namespace vidorama::swf::avm1 {

class Object;

// One ActionScript 1/2 value. Objects are owned by the script heap; a value
// only points at them, and the heap's collector finds every value that does.
// Strings cannot change, so copies of a value share one: a script that keeps
// a thousand copies of a long string pays for it once.
class Value {
public:
    enum class Type : unsigned char { Undefined, Null, Boolean, Number, String, Object };

    Value() = default;
    static Value null() { return Value(Type::Null); }
    static Value boolean(bool b) {
        Value v(Type::Boolean);
        v.m_bool = b;
        return v;
    }
    static Value number(double n) {
        Value v(Type::Number);
        v.m_number = n;
        return v;
    }
    static Value string(std::string s) {
        Value v(Type::String);
        v.m_string = std::make_shared<const std::string>(std::move(s));
        return v;
    }
    // A null pointer makes undefined, so that failed look-ups need no check.
    static Value object(Object* o) {
        if (!o)
            return Value();
        Value v(Type::Object);
        v.m_object = o;
        return v;
    }

    Type type() const { return m_type; }
    bool isUndefined() const { return m_type == Type::Undefined; }
    bool isNull() const { return m_type == Type::Null; }
    // Undefined or null: the two values that have no properties.
    bool isNullish() const { return m_type == Type::Undefined || m_type == Type::Null; }
    bool isBoolean() const { return m_type == Type::Boolean; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isString() const { return m_type == Type::String; }
    bool isObject() const { return m_type == Type::Object; }

    bool asBoolean() const { return m_bool; }
    double asNumber() const { return m_number; }
    const std::string& asString() const { return m_string ? *m_string : EmptyString(); }
    Object* asObject() const { return m_type == Type::Object ? m_object : nullptr; }
    // A string no other value shares: one just made, by an operator or a
    // built-in function.
    bool holdsUnsharedString() const { return m_string && m_string.use_count() == 1; }

private:
    explicit Value(Type type) : m_type(type) {}
    static const std::string& EmptyString() {
        static const std::string empty;
        return empty;
    }

    Type m_type = Type::Undefined;
    bool m_bool = false;
    double m_number = 0;
    std::shared_ptr<const std::string> m_string;
    Object* m_object = nullptr;
};

} // namespace vidorama::swf::avm1
