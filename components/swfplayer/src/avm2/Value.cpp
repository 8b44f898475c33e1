#include "avm2/Value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vidorama::swf::avm2 {

bool ToBoolean(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Undefined:
    case Value::Kind::Null:
        return false;
    case Value::Kind::Boolean:
        return v.boolean;
    case Value::Kind::Number:
        return !(v.number == 0 || std::isnan(v.number));
    case Value::Kind::String:
        return !v.string.empty();
    case Value::Kind::Object:
        return true;
    }
    return false;
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when text (already trimmed) is a decimal literal ECMAScript accepts.
bool IsDecimalLiteral(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponent = 0;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == text.size();
}

} // namespace

double StringToNumber(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    std::string_view t(text.data() + begin, end - begin);
    if (t.empty())
        return 0;
    bool negative = t[0] == '-';
    std::string_view unsigned_ = (t[0] == '-' || t[0] == '+') ? t.substr(1) : t;
    if (unsigned_ == "Infinity")
        return negative ? -INFINITY : INFINITY;
    if (unsigned_.size() > 2 && unsigned_[0] == '0' &&
        (unsigned_[1] == 'x' || unsigned_[1] == 'X')) {
        double value = 0;
        for (char c : unsigned_.substr(2)) {
            int digit = IsDigit(c)               ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
            if (digit < 0)
                return NAN;
            value = value * 16 + digit;
        }
        return negative ? -value : value;
    }
    if (!IsDecimalLiteral(t))
        return NAN;
    return std::strtod(std::string(t).c_str(), nullptr);
}

std::int32_t ToInt32(double n) {
    if (!std::isfinite(n))
        return 0;
    double truncated = std::trunc(n);
    double wrapped = std::fmod(truncated, 4294967296.0);
    if (wrapped < 0)
        wrapped += 4294967296.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wrapped));
}

std::uint32_t ToUint32(double n) {
    return static_cast<std::uint32_t>(ToInt32(n));
}

std::string NumberToString(double n) {
    if (std::isnan(n))
        return "NaN";
    if (std::isinf(n))
        return n < 0 ? "-Infinity" : "Infinity";
    if (n == 0)
        return "0";
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(n), std::chars_format::scientific);
    std::string text(buffer, result.ptr);
    std::size_t e = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = std::atoi(text.c_str() + e + 1);
    int k = static_cast<int>(digits.size());
    int point = exponent + 1; // digits before the decimal point
    std::string out = n < 0 ? "-" : "";
    if (k <= point && point <= 21) {
        out += digits + std::string(point - k, '0');
    } else if (0 < point && point <= 21) {
        out += digits.substr(0, point) + "." + digits.substr(point);
    } else if (-6 < point && point <= 0) {
        out += "0." + std::string(-point, '0') + digits;
    } else {
        out += digits.substr(0, 1);
        if (k > 1)
            out += "." + digits.substr(1);
        out += exponent < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(exponent));
    }
    return out;
}

std::string NumberToRadixString(double n, int radix) {
    if (radix == 10 || !std::isfinite(n))
        return NumberToString(n);
    double whole = std::trunc(std::fabs(n));
    std::string out;
    do {
        int digit = static_cast<int>(std::fmod(whole, radix));
        out.insert(out.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[digit]);
        whole = std::floor(whole / radix);
    } while (whole > 0);
    return n < 0 ? "-" + out : out;
}

std::int64_t ArrayIndex(const std::string& name) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0'))
        return -1;
    std::int64_t value = 0;
    for (char c : name) {
        if (!IsDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value < 4294967295LL ? value : -1;
}

bool IsIntValue(double n) {
    return n >= -2147483648.0 && n <= 2147483647.0 && n == std::trunc(n) &&
           !(n == 0 && std::signbit(n));
}

bool IsUintValue(double n) {
    return n >= 0 && n <= 4294967295.0 && n == std::trunc(n) && !std::signbit(n);
}

int DigitValue(char16_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return -1;
}

} // namespace vidorama::swf::avm2
