#pragma once

#include "text/EditTextRecord.h"
#include "text/FontLibrary.h"
#include "text/StyledText.h"

#include <memory>

namespace vidorama::swf {

class DeviceFonts;

// What a text field is laid out from besides its text: its tag and the fonts
// it may use. Kept with the laid-out field, so that a field can be laid out
// again when it is given new text while the movie plays.
struct TextFieldSource {
    EditTextRecord record;
    // The movie's fonts as they were when the field was defined; fields
    // defined one after another share them.
    std::shared_ptr<const FontLibrary> fonts;
    // Null when the field may only use the movie's own fonts.
    std::shared_ptr<DeviceFonts> deviceFonts;
    // The text with the format of every character as a script last set it;
    // null while the tag's own text and markup stand.
    std::shared_ptr<const StyledText> content;
    // The format a script gave for text set from now on; null for the
    // field's own.
    std::shared_ptr<const TextFormat> newFormat;
};

} // namespace vidorama::swf
