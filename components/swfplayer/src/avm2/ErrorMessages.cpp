#include "avm2/Vm.h"

#include <map>

namespace vidorama::swf::avm2 {

namespace {

// Flash Player's texts for the errors the machine raises; %1.. are filled in.
const std::map<int, const char*>& Messages() {
    static const std::map<int, const char*> messages = {
        {1000, "The system is out of memory."},
        {1006, "%1 is not a function."},
        {1007, "Instantiation attempted on a non-constructor."},
        {1009, "Cannot access a property or method of a null object reference."},
        {1010, "A term is undefined and has no properties."},
        {1011, "Method contained illegal opcode."},
        {1014, "Class %1 could not be found."},
        {1016, "Descendants operator (..) not supported on type."},
        {1017, "Scope stack overflow occurred."},
        {1018, "Scope stack underflow occurred."},
        {1019, "Getscopeobject is out of bounds."},
        {1020, "Code cannot fall off the end of a method."},
        {1021, "At least one branch target was not on a valid instruction in the method."},
        {1023, "Stack overflow occurred."},
        {1024, "Stack underflow occurred."},
        {1025, "An invalid register was accessed."},
        {1026, "Slot %1 exceeds slotCount of the class."},
        {1032, "Cpool index is out of range."},
        {1034, "Type Coercion failed: cannot convert %1 to %2."},
        {1037, "Cannot assign to a method %1 on %2."},
        {1040, "The right-hand side of instanceof must be a class or function."},
        {1041, "The right-hand side of operator must be a class."},
        {1050, "Cannot convert %1 to primitive."},
        {1052, "Invalid URI passed to %1 function."},
        {1056, "Cannot create property %1 on %2."},
        {1063, "Argument count mismatch on %1. Expected %2, got %3."},
        {1065, "Variable %1 is not defined."},
        {1069, "Property %1 not found on %2 and there is no default value."},
        {1074, "Illegal write to read-only property %1 on %2."},
        {1077, "Illegal read of write-only property %1 on %2."},
        {1080, "Illegal value for namespace."},
        {1081, "Property %1 not found on %2 and there is no default value."},
        {1082, "No default namespace has been set."},
        {1083, "The prefix \"%1\" for element \"%2\" is not bound."},
        {1084, "Element or attribute (\"%1\") does not match QName production: "
               "QName::=(NCName':')?NCName."},
        {1085, "The element type \"%1\" must be terminated by the matching end-tag \"</%2>\"."},
        {1086, "The %1 method only works on lists containing one item."},
        {1087, "Assignment to indexed XML is not allowed."},
        {1088, "The markup in the document following the root element must be well-formed."},
        {1089, "Assignment to lists with more than one item is not supported."},
        {1090, "XML parser failure: element is malformed."},
        {1091, "XML parser failure: Unterminated CDATA section."},
        {1092, "XML parser failure: Unterminated XML declaration."},
        {1093, "XML parser failure: Unterminated DOCTYPE declaration."},
        {1094, "XML parser failure: Unterminated comment."},
        {1095, "XML parser failure: Unterminated attribute."},
        {1096, "XML parser failure: Unterminated element."},
        {1097, "XML parser failure: Unterminated processing instruction."},
        {1098, "Illegal prefix %1 for no namespace."},
        {1100, "Cannot supply flags when constructing one RegExp from another."},
        {1103, "Class inherits from too many classes."},
        {1104, "Attribute \"%1\" was already specified for element \"%2\"."},
        {1112, "Argument count mismatch on class coercion.  Expected 1, got %1."},
        {1115, "%1 is not a constructor."},
        {1117, "Invalid XML name: %1."},
        {1118, "Illegal cyclical loop between nodes."},
        {1119, "Delete operator is not supported with operand of type %1."},
        {1120, "Cannot delete property %1 on %2."},
        {1123, "Filter operator not supported on type %1."},
        {1125, "The index %1 is out of range %2."},
        {1126, "Cannot change the length of a fixed Vector."},
        {1127, "Type application attempted on a non-parameterized type."},
        {1132, "Invalid JSON parse input."},
        {1502, "A script has executed for longer than the default timeout period of 15 seconds."},
        {1508, "The value specified for argument %1 is invalid."},
        {2005, "Parameter %1 is of the incorrect type. Should be type %2."},
        {2006, "The supplied index is out of bounds."},
        {2007, "Parameter %1 must be non-null."},
        {2008, "Parameter %1 must be one of the accepted values."},
        {2012, "%1 class cannot be instantiated."},
        {2015, "Invalid BitmapData."},
        {2027, "Parameter %1 must be a non-negative number; got %2."},
        {2099, "The loading object is not sufficiently loaded to provide this information."},
        {2088, "The Proxy class does not implement %1. It must be overridden by a subclass."},
        {2023, "Class %1 must inherit from Sprite to link to the root."},
        {2025, "The supplied DisplayObject must be a child of the caller."},
        {2030, "End of file was encountered."},
        {2058, "There was an error decompressing the data."},
        {2078, "The name property of a Timeline-placed object cannot be modified."},
    };
    return messages;
}

} // namespace

std::string ErrorMessage(int code, const std::string& a, const std::string& b,
                         const std::string& c) {
    auto found = Messages().find(code);
    std::string text = found == Messages().end() ? "Error" : found->second;
    const std::string* params[] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
        std::string marker = "%" + std::to_string(i + 1);
        std::size_t at = text.find(marker);
        if (at != std::string::npos)
            text.replace(at, marker.size(), *params[i]);
    }
    return text;
}

} // namespace vidorama::swf::avm2
