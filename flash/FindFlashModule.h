#pragma once

#include <QString>
#include <memory>
#include <string>

namespace vidorama::flash {
class IFlashControl;
}

namespace vidorama {

// The file name (without folder) of the player module when it is installed in
// the given component folder, otherwise "".
std::string FindFlashModule(const QString& moduleDirectory);

// Creates a player control from the installed module, or nullptr.
std::unique_ptr<flash::IFlashControl> CreateFlashControl(const QString& moduleDirectory);

} // namespace vidorama
