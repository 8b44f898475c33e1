#pragma once

#include <string>

namespace vidorama::swf::avm2 {

class ClassObject;

// The settings of the XML class, which every parse and print follows.
struct XmlSettings {
    bool ignoreComments = true;
    bool ignoreProcessingInstructions = true;
    bool ignoreWhitespace = true;
    bool prettyPrinting = true;
    int prettyIndent = 2;
};

// What the machine keeps for XML: the settings, the default namespace
// `default xml namespace` set, and the classes its values belong to.
struct XmlState {
    XmlSettings settings;
    std::string defaultNamespace;
    ClassObject* xmlClass = nullptr;
    ClassObject* listClass = nullptr;
    ClassObject* qnameClass = nullptr;
};

} // namespace vidorama::swf::avm2
