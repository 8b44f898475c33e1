#pragma once

#include <QImage>

namespace vidorama {

// The picture the main window shows while no movie is open, 554 x 307 pixels
// at 24 bits per pixel. Drawn here rather than loaded, so that it needs no
// resource file. A null image when there is no memory for it.
QImage MakeStartupPicture();

} // namespace vidorama
