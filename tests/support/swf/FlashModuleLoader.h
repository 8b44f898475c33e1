#pragma once

#include "vidorama/flash/FlashControl.h"

#include <QLibrary>
#include <memory>

namespace vidorama::test {

// The player module as the program loads it: by file name from the build's
// module folder, through its factory. nullptr when either is missing.
inline std::unique_ptr<flash::IFlashControl> CreateModuleControl() {
    QLibrary library(QStringLiteral(VIDORAMA_TEST_MODULE_DIR "/") + VIDORAMA_FLASH_MODULE_NAME);
    if (!library.load())
        return nullptr;
    auto factory = reinterpret_cast<VidoramaCreateFlashControlFn>(
        library.resolve(VIDORAMA_FLASH_FACTORY_SYMBOL));
    return std::unique_ptr<flash::IFlashControl>(factory ? factory() : nullptr);
}

} // namespace vidorama::test
