#include "app/ApplicationIcon.h"

namespace vidorama {

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/vidorama/icons/vidorama-%1.png").arg(size),
                     QSize(size, size));
    return icon;
}

} // namespace vidorama
