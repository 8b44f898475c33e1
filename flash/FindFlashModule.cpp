#include "flash/FindFlashModule.h"

#include "ui/ComponentModules.h"
#include "vidorama/flash/FlashControl.h"

#include <QDir>
#include <QFileInfo>

namespace vidorama {

std::string FindFlashModule(const QString& moduleDirectory) {
    QFileInfo module(QDir(moduleDirectory).filePath(VIDORAMA_FLASH_MODULE_NAME));
    return module.isFile() ? module.fileName().toStdString() : std::string();
}

std::unique_ptr<flash::IFlashControl> CreateFlashControl(const QString& moduleDirectory) {
    auto factory = reinterpret_cast<VidoramaCreateFlashControlFn>(ResolveComponentFactory(
        moduleDirectory, VIDORAMA_FLASH_MODULE_NAME, VIDORAMA_FLASH_FACTORY_SYMBOL));
    return std::unique_ptr<flash::IFlashControl>(factory ? factory() : nullptr);
}

} // namespace vidorama
