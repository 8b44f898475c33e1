#pragma once

#include "text/TextDef.h"
#include "text/TextFieldSource.h"

#include <functional>
#include <memory>
#include <string_view>

namespace vidorama::swf {

enum class TextMarkup { Plain, Html };

// Turns a text field into a drawable text: reads its HTML or plain text,
// finds the fonts each format asks for and lays the text out. Fields that
// use embedded outlines draw with the movie's fonts, the others with device
// fonts. The field's own initial text and markup are used.
std::shared_ptr<const TextDef> BuildTextField(std::shared_ptr<const TextFieldSource> source);

// The same field laid out with other text, as a script's text or htmlText
// would set it.
std::shared_ptr<const TextDef> BuildTextField(std::shared_ptr<const TextFieldSource> source,
                                              std::string_view text, TextMarkup markup);

// A field laid out again after a script changed its settings or text: the
// change edits a copy of the field's tag, whose initial text and markup
// then stand for the field's current ones.
std::shared_ptr<const TextDef> ChangeTextField(const TextFieldSource& source,
                                               const std::function<void(EditTextRecord&)>& change);

// The field laid out with the given characters and formats, which stand for
// its text from then on.
std::shared_ptr<const TextDef> ChangeTextContent(const TextFieldSource& source, StyledText content);

// The format text set from now on takes (the field's text keeps its own).
TextFormat NewTextFormat(const TextFieldSource& source);
std::shared_ptr<const TextDef> ChangeNewTextFormat(const TextFieldSource& source,
                                                   const TextFormat& format);

} // namespace vidorama::swf
