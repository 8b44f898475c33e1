#pragma once

#include "text/EditTextRecord.h"
#include "text/FontLibrary.h"
#include "text/TextDef.h"

#include <memory>

namespace vidorama::swf {

class DeviceFonts;

// Turns a DefineEditText into a drawable text: reads its HTML or plain text,
// finds the fonts each format asks for and lays the text out. Fields that
// use embedded outlines draw with the movie's fonts, the others with device
// fonts (when deviceFonts is given).
std::shared_ptr<const TextDef> BuildTextField(const EditTextRecord& field, const FontLibrary& fonts,
                                              DeviceFonts* deviceFonts);

} // namespace vidorama::swf
