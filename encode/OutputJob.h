#pragma once

#include "settings/ConversionSettings.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <ctime>
#include <functional>
#include <string>

namespace vidorama {

class MessageBoxes;

// The first free output name in the folder: "<folder>reelcap<yy_mm_dd>_<nnn>.<ext>",
// n counted from 1 with gaps filled. For RM a name is taken when it or the
// same name with "vb" appended exists, and the result carries the "vb".
// Returns false for an unknown output kind.
bool ChooseOutputPath(int outputKind, const std::string& outputFolder, const std::tm& date,
                      const std::function<bool(const std::string&)>& exists,
                      std::string& outputPath);

// Everything the output set-up of one conversion reads and writes.
struct OutputJobContext {
    encoder::IVideoEncoder* encoder = nullptr;
    const ConversionSettings* settings = nullptr;
    int outputWidth = 0, outputHeight = 0;
    int movieFrameRate = 0;
    bool* outputStarted = nullptr;
    std::string* outputPath = nullptr;
    // Where the encoder writes until the output is complete (see OutputPart.h).
    std::string* partPath = nullptr;
    double* frameRate = nullptr;
    // Shows a message owned by the main window with the application title.
    std::function<void(const char* text)> showMessage;
    // Records why the output could not be opened, for the log.
    std::function<void(const std::string& cause)> logFailure;
    std::function<bool(const std::string&)> fileExists;
    std::tm date{};
};

// Names the output file, configures the encoder for the output kind and opens
// the output. False means the capture must not start; the message has been
// shown.
bool OpenOutputForJob(const OutputJobContext& job);

} // namespace vidorama
