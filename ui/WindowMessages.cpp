#include "ui/WindowMessages.h"

#include "ui/UiThread.h"

#include <QCoreApplication>

namespace vidorama {

std::intptr_t SendWindowMessage(QObject* target, int message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    return CallOnOwnerThread(target, [=] {
        WindowMessage event(message, wParam, lParam);
        QCoreApplication::sendEvent(target, &event);
        return event.result;
    });
}

} // namespace vidorama
