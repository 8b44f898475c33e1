#include "avm1/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vidorama::swf::avm1 {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view TrimFront(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

// Reads digits of a radix; returns how many characters were used.
std::size_t ReadDigits(std::string_view text, int radix, double& value) {
    std::size_t used = 0;
    value = 0;
    while (used < text.size() && DigitValue(text[used]) < radix) {
        value = value * radix + DigitValue(text[used]);
        ++used;
    }
    return used;
}

// The length of the longest decimal number at the start of text.
std::size_t DecimalPrefix(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        std::size_t expDigits = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9')
            ++j, ++expDigits;
        if (expDigits > 0)
            i = j;
    }
    return i;
}

double ParseDecimal(std::string_view text) {
    std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);
}

// A leading zero and octal digits only, after an optional sign.
bool IsOctal(std::string_view text) {
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.remove_prefix(1);
    if (text.size() < 2 || text[0] != '0')
        return false;
    for (char c : text)
        if (c < '0' || c > '7')
            return false;
    return true;
}

} // namespace

std::string NumberToString(double n) {
    if (std::isnan(n))
        return "NaN";
    if (std::isinf(n))
        return n > 0 ? "Infinity" : "-Infinity";
    if (n == 0)
        return "0";
    // Fifteen significant digits, split into mantissa digits and exponent.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", n);
    std::string text = buffer;
    bool negative = text[0] == '-';
    std::size_t e = text.find('e');
    int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        out += exponent < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(exponent));
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (static_cast<std::size_t>(exponent) + 1 >= digits.size()) {
        out += digits + std::string(static_cast<std::size_t>(exponent) + 1 - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
               digits.substr(static_cast<std::size_t>(exponent) + 1);
    }
    return out;
}

std::string NumberToRadixString(double n, int radix) {
    if (radix == 10 || radix < 2 || radix > 36)
        return NumberToString(n);
    if (!std::isfinite(n))
        return NumberToString(n);
    // Flash prints the two's complement of negative numbers' integer part
    // only in some players; the sign and magnitude are the common ground.
    double whole = std::trunc(std::fabs(n));
    std::string out;
    do {
        int digit = static_cast<int>(std::fmod(whole, radix));
        out.insert(out.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[digit]);
        whole = std::floor(whole / radix);
    } while (whole >= 1 && out.size() < 1100);
    return (n < 0 && out != "0" ? "-" : "") + out;
}

double StringToNumber(std::string_view text, int swfVersion) {
    // SWF 4 reads the number at the start of the text and takes anything
    // else as 0.
    if (swfVersion < 5) {
        double prefix = ParseFloatPrefix(text);
        return std::isnan(prefix) ? 0 : prefix;
    }
    // From SWF 6 on, "0x" starts a hexadecimal number and a leading zero an
    // octal one, unless white space comes first; both wrap to 32 bits.
    if (swfVersion >= 6 && text.size() > 2 && text[0] == '0' &&
        (text[1] == 'x' || text[1] == 'X')) {
        // Digit by digit in 32 bits, so that long numbers keep their low bits.
        std::uint32_t value = 0;
        for (char c : text.substr(2)) {
            if (DigitValue(c) >= 16)
                return kNaN;
            value = value * 16 + static_cast<std::uint32_t>(DigitValue(c));
        }
        return static_cast<std::int32_t>(value);
    }
    if (swfVersion >= 6 && IsOctal(text)) {
        bool negative = text[0] == '-';
        double value = 0;
        ReadDigits(text.substr(text[0] == '-' || text[0] == '+' ? 1 : 0), 8, value);
        return negative ? -double(ToInt32(value)) : ToInt32(value);
    }
    // White space may lead, not trail; "Infinity" is no number.
    text = TrimFront(text);
    if (text.empty() || DecimalPrefix(text) != text.size())
        return kNaN;
    return ParseDecimal(text);
}

double ParseIntPrefix(std::string_view text, std::optional<int> radix) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = radix.value_or(10);
    if (!radix && text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!radix && text.size() > 1 && text[0] == '0') {
        // Flash reads a leading zero as octal when every digit allows it.
        bool octal = true;
        for (char c : text)
            octal = octal && c >= '0' && c <= '7';
        if (octal)
            base = 8;
    }
    if (base < 2 || base > 36)
        return kNaN;
    double value = 0;
    if (ReadDigits(text, base, value) == 0)
        return kNaN;
    return negative ? -value : value;
}

double ParseFloatPrefix(std::string_view text) {
    text = Trim(text);
    std::size_t used = DecimalPrefix(text);
    if (used == 0) {
        std::string_view rest = text;
        if (!rest.empty() && (rest[0] == '+' || rest[0] == '-'))
            rest.remove_prefix(1);
        if (rest.substr(0, 8) == "Infinity")
            return text[0] == '-' ? -std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::infinity();
        return kNaN;
    }
    return ParseDecimal(text.substr(0, used));
}

int ToInt32(double n) {
    if (!std::isfinite(n))
        return 0;
    double wrapped = std::fmod(std::trunc(n), 4294967296.0);
    if (wrapped < 0)
        wrapped += 4294967296.0;
    auto bits = static_cast<unsigned>(static_cast<unsigned long long>(wrapped));
    return static_cast<int>(bits);
}

} // namespace vidorama::swf::avm1
