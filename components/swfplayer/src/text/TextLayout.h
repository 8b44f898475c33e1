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
// bounds, margins and first-line indent, lines of ascent + descent + leading,
// word wrap at spaces, and left, right, centred or justified lines.
TextDef::Data LayOutTextField(const EditTextRecord& field, const StyledText& text,
                              const FormatFontResolver& fonts);

} // namespace vidorama::swf
