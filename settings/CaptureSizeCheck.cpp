#include "settings/CaptureSizeCheck.h"

#include "swf/PictureLimit.h"
#include "ui/MessageBoxes.h"

namespace vidorama {

bool CheckCaptureSize(int width, int height, MessageBoxes& boxes, QWidget* owner) {
    // Sizes of no pixels are the other checks' to refuse; this one is about
    // pictures too large to make.
    if (width <= 0 || height <= 0 || swf::FitsPictureLimit(width, height))
        return true;
    boxes.show(owner,
               QStringLiteral("A video of %1 x %2 pixels is larger than the program can make "
                              "(at most %3 pixels a frame). Please choose a smaller custom size.")
                   .arg(width)
                   .arg(height)
                   .arg(static_cast<qulonglong>(swf::Limits::kMaxPicturePixels)),
               ApplicationTitle());
    return false;
}

} // namespace vidorama
