#pragma once

#include "settings/ConversionSettings.h"

#include <QString>
#include <string>

namespace vidorama {

namespace encoder {
class IVideoEncoder;
}

// The documents folder as an output folder: absolute, ending in '/'.
std::string DefaultOutputFolder(const QString& documentsDirectory);

// A stored output folder is kept when it names an existing directory by an
// absolute path (given back ending in one '/'); anything else gives the
// documents folder.
std::string CheckOutputFolder(const std::string& stored, const QString& documentsDirectory);

// config.dat in the program's configuration folder.
QString SettingsFilePath(const QString& configDirectory);

// Fills settings from config.dat when that file is a valid record, and then
// hands the stored codec and profile choices to the encoder. A missing file is
// created empty; an invalid one leaves settings untouched. True when the
// stored record was taken.
bool LoadSettings(ConversionSettings& settings, encoder::IVideoEncoder& encoder,
                  const QString& configDirectory, const QString& documentsDirectory);

// Writes config.dat. The record goes to a temporary file that replaces the old
// one only once it is complete, so a crash or a full disk never leaves a
// damaged file where a good one was. False when nothing could be written.
bool SaveSettings(const ConversionSettings& settings, const QString& configDirectory);

} // namespace vidorama
