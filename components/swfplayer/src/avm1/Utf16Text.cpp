#include "avm1/Utf16Text.h"

#include <cstdint>

namespace vidorama::swf::avm1 {

namespace {

constexpr char32_t kReplacement = 0xfffd;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xd800 && unit <= 0xdbff;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xdc00 && unit <= 0xdfff;
}

// The code point of the UTF-8 sequence at text[at], and its length; a byte
// that does not start a well-formed sequence stands for itself.
char32_t DecodeAt(std::string_view text, std::size_t at, std::size_t& length) {
    auto byte = [&](std::size_t i) {
        return static_cast<std::uint8_t>(text[i]);
    };
    std::uint8_t lead = byte(at);
    length = 1;
    std::size_t extra = lead >= 0xf0 && lead < 0xf5 ? 3 : lead >= 0xe0 ? 2 : lead >= 0xc2 ? 1 : 0;
    if (extra == 0 || at + extra >= text.size())
        return lead;
    char32_t code = lead & (0x3f >> extra);
    for (std::size_t i = 1; i <= extra; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return lead;
        code = (code << 6) | (byte(at + i) & 0x3f);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return lead;
    length = extra + 1;
    return code;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xe0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
}

} // namespace

std::u16string ToUtf16(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        char32_t code = DecodeAt(text, at, length);
        at += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            units += static_cast<char16_t>(0xd800 + (code >> 10));
            units += static_cast<char16_t>(0xdc00 + (code & 0x3ff));
        } else {
            units += static_cast<char16_t>(code);
        }
    }
    return units;
}

std::string FromUtf16(std::u16string_view units) {
    std::string text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(text, 0x10000 + ((unit - 0xd800) << 10) + (units[i + 1] - 0xdc00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(text, kReplacement);
        } else {
            AppendUtf8(text, unit);
        }
    }
    return text;
}

} // namespace vidorama::swf::avm1
