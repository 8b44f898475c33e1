#pragma once

#include "vidorama/flash/FlashDispatch.h"
#include "vidorama/flash/ImportTable.h"

#include <functional>

class QImage;

namespace vidorama::flash {

// The player as the program hosts it: automation members through Invoke, the
// picture through Paint, and its sound through the wave-out functions listed
// in its import table. It lives on the user-interface thread and plays in real
// time by itself once a movie is loaded and playing.
class IFlashControl : public IFlashDispatch {
public:
    // Paints the current frame into the whole target image, scaled to the
    // image's size (ScaleMode 2, exact fit). The image is Format_RGB32 or
    // Format_ARGB32_Premultiplied.
    virtual void Paint(QImage& target) = 0;

    // Called by the player when its picture has changed and should be
    // painted again.
    virtual void SetRepaintRequest(std::function<void()> request) = 0;

    virtual ImportTable& Imports() = 0;
};

} // namespace vidorama::flash

// The player is a shared module; the host finds it by file name where the
// program installs its components and creates controls through this factory.
#define VIDORAMA_FLASH_FACTORY_SYMBOL "VidoramaCreateFlashControl"
#define VIDORAMA_FLASH_MODULE_NAME "libvidorama-flash.so"

extern "C" {
using VidoramaCreateFlashControlFn = vidorama::flash::IFlashControl* (*)();
}
