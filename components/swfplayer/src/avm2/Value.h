#pragma once

#include <cstdint>
#include <string>

namespace vidorama::swf::avm2 {

class Object;

// A script value. int, uint and Number share one numeric kind: the virtual
// machine keeps them apart only as an optimisation, and every observable
// difference (is int, printing) follows from the number itself.
struct Value {
    enum class Kind : std::uint8_t { Undefined, Null, Boolean, Number, String, Object };

    Kind kind = Kind::Undefined;
    bool boolean = false;
    double number = 0;
    Object* object = nullptr;
    std::string string;

    Value() = default;
    static Value null() {
        Value v;
        v.kind = Kind::Null;
        return v;
    }
    Value(bool b) : kind(Kind::Boolean), boolean(b) {}
    Value(double n) : kind(Kind::Number), number(n) {}
    Value(int n) : kind(Kind::Number), number(n) {}
    Value(std::uint32_t n) : kind(Kind::Number), number(n) {}
    Value(std::string s) : kind(Kind::String), string(std::move(s)) {}
    Value(const char* s) : kind(Kind::String), string(s) {}
    Value(Object* o) : kind(o ? Kind::Object : Kind::Null), object(o) {}

    bool isUndefined() const { return kind == Kind::Undefined; }
    bool isNull() const { return kind == Kind::Null; }
    bool isNullish() const { return kind == Kind::Undefined || kind == Kind::Null; }
    bool isNumber() const { return kind == Kind::Number; }
    bool isString() const { return kind == Kind::String; }
    bool isObject() const { return kind == Kind::Object; }
    bool isBoolean() const { return kind == Kind::Boolean; }
};

// Conversions that need no object: the ECMAScript rules as Flash applies them.
bool ToBoolean(const Value& v);
double StringToNumber(const std::string& text);
std::int32_t ToInt32(double n);
std::uint32_t ToUint32(double n);
// A number as ActionScript 3 prints it: the shortest digits that read back
// to the same number, in ECMAScript's layout.
std::string NumberToString(double n);
std::string NumberToRadixString(double n, int radix);
// A number that is an array index (0 .. 2^32-2) written as one, or -1.
std::int64_t ArrayIndex(const std::string& name);
bool IsIntValue(double n);
// A digit or letter as a digit of radix up to 36 (a and A are 10), or -1.
int DigitValue(char16_t c);
bool IsUintValue(double n);

} // namespace vidorama::swf::avm2
