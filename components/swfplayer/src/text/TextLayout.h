#pragma once

#include "text/EditTextRecord.h"
#include "text/FontDef.h"
#include "text/StyledText.h"
#include "text/TextDef.h"

#include <functional>
#include <memory>

namespace vidorama::swf {

// The font that draws a format: an embedded font of the movie or a device
// font; null when none can.
using FormatFontResolver = std::function<std::shared_ptr<const FontDef>(const TextFormat&)>;

// Lays a text field's text out as Flash does: a two pixel gutter inside the
// bounds; paragraphs with their margins, indents, bullets, tab stops and
// leading; lines of ascent + descent + leading (the font's own leading does
// not count); word wrap at spaces; left, right, centred or justified lines;
// underlines; and bounds fitted to the text for auto-sized fields.
TextDef::Data LayOutTextField(const EditTextRecord& field, const StyledText& text,
                              const FormatFontResolver& fonts);

} // namespace vidorama::swf
