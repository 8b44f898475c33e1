#pragma once

#include <QString>

class QWidget;

#include "settings/ConversionSettings.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidorama::encoder {
class IVideoEncoder;
}
namespace vidorama::flash {
class IFlashControl;
}

namespace vidorama {

class MessageBoxes;

// How the program ends the process from inside the main window's
// construction: quickly (no clean-up at all) or normally.
enum class ProcessEnd { Quick, Normal };

// Everything the main window takes from outside: the message box seam, the
// two components, the folders it uses and how to end the process. The program
// fills it with the real things; tests fill it with stand-ins.
struct AppEnvironment {
    MessageBoxes* messages = nullptr;
    std::function<std::unique_ptr<encoder::IVideoEncoder>()> createEncoder;
    // The player module's file name, or "" when it is not installed.
    std::function<std::string()> findFlashModule;
    std::function<std::unique_ptr<flash::IFlashControl>()> createFlashControl;
    // The system's file-open dialog for "*.swf"; "" when the user cancels.
    std::function<QString(QWidget* owner)> chooseMovieFile;
    // Runs the settings dialog on a copy of the settings; the edited copy
    // when the user pressed OK.
    std::function<std::optional<ConversionSettings>(QWidget* owner, encoder::IVideoEncoder& encoder,
                                                    const ConversionSettings& settings,
                                                    int maxMovieWidth, int maxMovieHeight)>
        runSettingsDialog;
    // Shows a finished output file selected in the desktop's file manager;
    // false when the desktop has nothing to show it with.
    std::function<bool(const std::string& path)> showFile;
    QString configDirectory;    // config.dat
    QString logPath;            // the diagnostic log, "" when it has no place
    QString documentsDirectory; // the default output folder
    QString runtimeDirectory;   // the single-instance block and socket
    QString movieToOpen;        // named on the command line, absolute; "" for none
    std::function<void(int exitCode, ProcessEnd how)> endProcess;
};

// The environment of the installed program.
AppEnvironment MakeSystemEnvironment(MessageBoxes& messages);

// Makes the environment load the real player and encoder modules from the
// given folder, as the installed program does from its own.
void UseComponentsIn(AppEnvironment& env, const QString& moduleDirectory);

} // namespace vidorama
