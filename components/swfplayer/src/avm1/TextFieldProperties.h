#pragma once

#include "avm1/Value.h"
#include "swf/Color.h"
#include "text/StyledText.h"

#include <string>

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

// A field's text as scripts read it: paragraphs end in a carriage return.
std::string ScriptText(const std::u32string& chars);

// The HTML Flash gives for a field's text: a <P> (or <LI>) per paragraph,
// <FONT> with every font setting and, inside it, <FONT> with only those
// that change, then <A>, <B>, <I> and <U>.
std::string FieldHtml(const StyledText& text);

// Lays a field out with new text and formats, and keeps a variable bound to
// the field in step with it.
void SetFieldContent(Vm& vm, DisplayObject& object, StyledText content);

// _width and _height of a text field give its box that many pixels before
// its scale, which stays.
void ResizeTextField(DisplayObject& object, double pixels, bool width);

// The accessors of TextField.prototype: text, htmlText, scroll and the
// field's other settings, in the order Flash makes them.
void InstallTextFieldProperties(Vm& vm, Object* proto);

} // namespace vidorama::swf::avm1
