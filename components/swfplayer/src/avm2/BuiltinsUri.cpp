// escape, unescape, encodeURI and their kin, and parseInt: the top-level
// functions that read and write text character by character.

#include "avm1/Utf16Text.h"
#include "avm2/Native.h"

#include <cmath>
#include <cstring>

namespace vidorama::swf::avm2 {

namespace {

using avm1::FromUtf16;
using avm1::ToUtf16;

constexpr char kHex[] = "0123456789ABCDEF";

bool IsAlnum(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The argument as the String-typed parameter receives it: left out it is
// "undefined", given as undefined or null it becomes null, printed "null".
std::u16string TextArg(Vm& vm, Args args) {
    if (args.empty())
        return u"undefined";
    if (args[0].isNullish())
        return u"null";
    return ToUtf16(vm.toString(args[0]));
}

void AppendByte(std::u16string& out, unsigned byte) {
    out += u'%';
    out += char16_t(kHex[byte >> 4]);
    out += char16_t(kHex[byte & 15]);
}

Value Escape(Vm& vm, const Value&, Args args) {
    std::u16string out;
    for (char16_t c : TextArg(vm, args)) {
        if (IsAlnum(c) || (c < 128 && std::strchr("@-_.*+/", char(c)))) {
            out += c;
        } else if (c < 256) {
            AppendByte(out, c);
        } else {
            out += u"%u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += char16_t(kHex[(c >> shift) & 15]);
        }
    }
    return Value(FromUtf16(out));
}

// Reads count hex digits at i; -1 unless they are all there.
int HexAt(const std::u16string& text, std::size_t i, int count) {
    int value = 0;
    for (int k = 0; k < count; ++k) {
        if (i + std::size_t(k) >= text.size())
            return -1;
        int digit = DigitValue(text[i + std::size_t(k)]);
        if (digit < 0 || digit > 15)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

Value Unescape(Vm& vm, const Value&, Args args) {
    std::u16string text = TextArg(vm, args);
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 1 < text.size() && text[i + 1] == 'u') {
                if (int value = HexAt(text, i + 2, 4); value >= 0) {
                    out += char16_t(value);
                    i += 5;
                    continue;
                }
            } else if (int value = HexAt(text, i + 1, 2); value >= 0) {
                out += char16_t(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return Value(FromUtf16(out));
}

[[noreturn]] void UriError(Vm& vm, const char* function) {
    vm.throwError("URIError", 1052, ErrorMessage(1052, function));
}

// Percent-encodes every character outside keep, as UTF-8.
Value Encode(Vm& vm, Args args, const char* keep, const char* function) {
    std::u16string text = TextArg(vm, args);
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsAlnum(c) || (c < 128 && c && std::strchr(keep, char(c)))) {
            out += c;
            continue;
        }
        char32_t point = c;
        if (c >= 0xdc00 && c <= 0xdfff)
            UriError(vm, function);
        if (c >= 0xd800 && c <= 0xdbff) {
            if (i + 1 >= text.size() || text[i + 1] < 0xdc00 || text[i + 1] > 0xdfff)
                UriError(vm, function);
            point = 0x10000 + ((char32_t(c) - 0xd800) << 10) + (text[++i] - 0xdc00);
        }
        std::string bytes =
            FromUtf16(point > 0xffff ? text.substr(i - 1, 2) : std::u16string(1, c));
        for (unsigned char byte : bytes)
            AppendByte(out, byte);
    }
    return Value(FromUtf16(out));
}

// Decodes %XX sequences of UTF-8, leaving those of the characters in keep.
Value Decode(Vm& vm, Args args, const char* keep, const char* function) {
    std::u16string text = TextArg(vm, args);
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        int first = HexAt(text, i + 1, 2);
        if (first < 0)
            UriError(vm, function);
        int extra = first < 0x80    ? 0
                    : first >= 0xf0 ? 3
                    : first >= 0xe0 ? 2
                    : first >= 0xc0 ? 1
                                    : -1;
        if (extra < 0 || first >= 0xf8)
            UriError(vm, function);
        if (extra == 0 && first && std::strchr(keep, char(first))) {
            out += text.substr(i, 3);
            i += 2;
            continue;
        }
        std::string bytes(1, char(first));
        for (int k = 1; k <= extra; ++k) {
            std::size_t at = i + 3 * std::size_t(k);
            int next = at < text.size() && text[at] == '%' ? HexAt(text, at + 1, 2) : -1;
            if (next < 0x80 || next >= 0xc0)
                UriError(vm, function);
            bytes += char(next);
        }
        i += 2 + 3 * std::size_t(extra);
        out += ToUtf16(bytes);
    }
    return Value(FromUtf16(out));
}

constexpr const char* kUriReserved = ";/?:@&=+$,#";
constexpr const char* kUriMarks = "-_.!~*'()";
constexpr const char* kUriReservedAndMarks = ";/?:@&=+$,#-_.!~*'()";

Value EncodeUri(Vm& vm, const Value&, Args args) {
    return Encode(vm, args, kUriReservedAndMarks, "encodeURI");
}
Value EncodeUriComponent(Vm& vm, const Value&, Args args) {
    return Encode(vm, args, kUriMarks, "encodeURIComponent");
}
Value DecodeUri(Vm& vm, const Value&, Args args) {
    return Decode(vm, args, kUriReserved, "decodeURI");
}
Value DecodeUriComponent(Vm& vm, const Value&, Args args) {
    return Decode(vm, args, "", "decodeURIComponent");
}

bool IsSpace(char16_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0d) || c == 0xa0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200a) || c == 0x2028 || c == 0x2029 || c == 0x202f ||
           c == 0x205f || c == 0x3000 || c == 0xfeff;
}

// parseInt as ActionScript 3 reads it: no octal, "0x" only for radix 16.
Value ParseInt(Vm& vm, const Value&, Args args) {
    std::u16string text = TextArg(vm, args);
    double radix = args.size() > 1 ? double(ToInt32(vm.toNumber(args[1]))) : 0;
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    bool hexPrefix = i + 1 < text.size() && text[i] == '0' && (text[i + 1] | 0x20) == 'x';
    if (radix == 0)
        radix = hexPrefix ? 16 : 10;
    if (radix < 2 || radix > 36)
        return Value(std::nan(""));
    if (radix == 16 && hexPrefix)
        i += 2;
    double value = 0;
    bool any = false;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        int digit = DigitValue(c);
        if (digit < 0 || digit >= radix)
            break;
        value = value * radix + digit;
        any = true;
    }
    if (!any)
        return Value(std::nan(""));
    return Value(negative ? -value : value);
}

} // namespace

void InstallTextFunctions(Vm& vm) {
    vm.defineGlobalFunction("", "escape", Escape);
    vm.defineGlobalFunction("", "unescape", Unescape);
    vm.defineGlobalFunction("", "encodeURI", EncodeUri);
    vm.defineGlobalFunction("", "encodeURIComponent", EncodeUriComponent);
    vm.defineGlobalFunction("", "decodeURI", DecodeUri);
    vm.defineGlobalFunction("", "decodeURIComponent", DecodeUriComponent);
    vm.defineGlobalFunction("", "parseInt", ParseInt);
}

} // namespace vidorama::swf::avm2
