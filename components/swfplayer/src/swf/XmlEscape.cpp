#include "swf/XmlEscape.h"

namespace vidorama::swf {

std::string EscapeXml(std::string_view text, std::initializer_list<XmlEscapeRule> rules) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const XmlEscapeRule* rule = nullptr;
        for (const XmlEscapeRule& r : rules)
            if (r.first == c)
                rule = &r;
        if (rule)
            out += rule->second;
        else
            out += c;
    }
    return out;
}

} // namespace vidorama::swf
