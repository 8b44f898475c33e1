#include "module/FlashControl.h"

// The factory the host resolves by name after loading the module.
extern "C" __attribute__((visibility("default"))) vidorama::flash::IFlashControl*
VidoramaCreateFlashControl() {
    return new vidorama::swf::FlashControl();
}
