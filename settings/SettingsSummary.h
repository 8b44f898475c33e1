#pragma once

#include "settings/ConversionSettings.h"

#include <QString>

namespace vidorama {

namespace encoder {
class IVideoEncoder;
}

// What the summary needs besides the settings: the size the movie is shown
// at and whether the user accepted an automatic size adjustment.
struct SummarySize {
    int captureWidth = 0;
    int captureHeight = 0;
    bool sizeAdjusted = false;
};

// The one-line summary of the output settings that the main window keeps in
// the control bar's field 1046. It selects the AVI codec and the WMV profile
// on the encoder in order to read their names.
QString UpdateSettingsSummary(const ConversionSettings& settings, encoder::IVideoEncoder& encoder,
                              const SummarySize& size);

} // namespace vidorama
