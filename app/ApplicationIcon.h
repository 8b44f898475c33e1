#pragma once

#include <QIcon>

namespace vidorama {

// The program's icon in each size it is drawn at, so that title bars, task
// switchers and docks each show a sharp one.
QIcon ApplicationIcon();

} // namespace vidorama
