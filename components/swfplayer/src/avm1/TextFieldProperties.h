#pragma once

#include "avm1/Value.h"
#include "swf/Color.h"

#include <string_view>

namespace vidorama::swf {
class DisplayObject;
class TextDef;
} // namespace vidorama::swf

namespace vidorama::swf::avm1 {

class Vm;

// Text colours as scripts give them: 0xRRGGBB numbers. A number is read as
// Flash reads any it keeps in 32 bits; the top byte is dropped and the
// colour is opaque.
double ColorNumber(Rgba color);
Rgba NumberColor(double number);

// The text field a display object shows, or null for other objects.
const TextDef* TextFieldOf(const DisplayObject& object);

// A text field's own properties as scripts see them (text, htmlText,
// textColor, border, background and their colours, autoSize, wordWrap,
// multiline, html, embedFonts). A change lays the field out again. False
// for names that are not such properties.
bool GetTextFieldProperty(Vm& vm, const TextDef& field, std::string_view name, Value& out);
bool SetTextFieldProperty(Vm& vm, DisplayObject& object, std::string_view name, const Value& value);

} // namespace vidorama::swf::avm1
