#pragma once

#include "avm2/XmlObject.h"

#include <functional>
#include <optional>
#include <string_view>

namespace vidorama::swf::avm2 {

struct XmlParseOptions {
    bool ignoreComments = true;
    bool ignoreInstructions = true;
    bool ignoreWhitespace = true;
    // The namespace of unprefixed element names nothing in the markup
    // declares a default for.
    std::string defaultUri;
};

// Why markup was refused: Flash's error number and the names its message
// takes.
struct XmlParseError {
    int code = 0;
    std::string first;
    std::string second;
};

using XmlNodeMaker = std::function<XmlObject*(XmlObject::NodeKind)>;

// Parses a sequence of XML nodes (a document or a fragment list) into
// top-level nodes made by make, with names resolved against the namespaces
// the markup declares.
std::optional<XmlParseError> ParseXml(std::string_view text, const XmlParseOptions& options,
                                      const XmlNodeMaker& make, std::vector<XmlObject*>& out);

// Text as XML writes it inside an element, and inside an attribute value.
std::string EscapeXmlText(std::string_view text);
std::string EscapeXmlAttribute(std::string_view text);

} // namespace vidorama::swf::avm2
