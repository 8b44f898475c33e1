#include "avm2/StringCase.h"

#include <QChar>

namespace vidorama::swf::avm2 {

namespace {

// Georgian capitals map to the Mkhedruli letters in Flash's tables; later
// Unicode versions map them to Nuskhuri instead.
constexpr char16_t kGeorgianCapitalFirst = 0x10a0;
constexpr char16_t kGeorgianCapitalLast = 0x10c5;
constexpr char16_t kGeorgianToMkhedruli = 0x30;

char16_t UpperUnit(char16_t c) {
    switch (c) {
    case 0x00b5: // micro sign: no mapping in Flash's tables
        return c;
    case 0x03c2: // final sigma pairs with the unassigned unit below capital sigma
        return 0x03a2;
    case 0x03f2: // lunate sigma, before its capital was encoded
        return 0x03a3;
    case 0x1fb3: // Greek vowels with ypogegrammeni take the prosgegrammeni
    case 0x1fc3: // form: their simple mapping, which Qt leaves to full case
    case 0x1ff3: // mapping and so does not apply
        return char16_t(c + 9);
    default:
        break;
    }
    if ((c >= 0x1f80 && c <= 0x1f87) || (c >= 0x1f90 && c <= 0x1f97) ||
        (c >= 0x1fa0 && c <= 0x1fa7))
        return char16_t(c + 8);
    char32_t mapped = QChar::toUpper(char32_t(c));
    return mapped <= 0xffff ? char16_t(mapped) : c;
}

char16_t LowerUnit(char16_t c) {
    if (c >= kGeorgianCapitalFirst && c <= kGeorgianCapitalLast)
        return char16_t(c + kGeorgianToMkhedruli);
    if (c == 0x03a2)
        return 0x03c2;
    if (c == 0x0130) // capital I with dot: its simple mapping, plain i
        return u'i';
    char32_t mapped = QChar::toLower(char32_t(c));
    return mapped <= 0xffff ? char16_t(mapped) : c;
}

bool IsSurrogate(char16_t c) {
    return c >= 0xd800 && c <= 0xdfff;
}

} // namespace

std::u16string FlashUpperCase(std::u16string text) {
    for (char16_t& c : text)
        if (!IsSurrogate(c))
            c = UpperUnit(c);
    return text;
}

std::u16string FlashLowerCase(std::u16string text) {
    for (char16_t& c : text)
        if (!IsSurrogate(c))
            c = LowerUnit(c);
    return text;
}

} // namespace vidorama::swf::avm2
