#pragma once

#include "ui/WindowMessages.h"

#include <QDialog>
#include <cstdint>
#include <utility>
#include <vector>

namespace vidorama::test {

// Stands in for the main window: a dialog that keeps every private message it
// receives as (message, lParam).
class MessageRecorder : public QDialog {
public:
    std::vector<std::pair<int, std::intptr_t>> messages;

protected:
    bool event(QEvent* event) override {
        int type = static_cast<int>(event->type());
        if (type >= WM_USER && type < WM_USER + 2000) {
            auto& message = static_cast<WindowMessage&>(*event);
            messages.emplace_back(message.message(), message.lParam);
            return true;
        }
        return QDialog::event(event);
    }
};

} // namespace vidorama::test
