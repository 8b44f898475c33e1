#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>

namespace vidorama {

// The program's private window messages, carried as custom events with the
// numbers they always had (WM_USER + n). They are sent, not posted: the sender
// waits until the handler has run, on the receiver's thread.
inline constexpr int WM_USER = QEvent::User;
inline constexpr int WM_CMD_SETTINGS = WM_USER + 1000;
inline constexpr int WM_CMD_CAPTURE = WM_USER + 1001;
inline constexpr int WM_CMD_OPEN = WM_USER + 1002;
inline constexpr int WM_CMD_PLAY = WM_USER + 1003;
inline constexpr int WM_CMD_STOP = WM_USER + 1004;
inline constexpr int WM_CMD_FINISH = WM_USER + 1005;
inline constexpr int WM_CAPTURE_DONE = WM_USER + 1006;
inline constexpr int WM_CMD_SEEK = WM_USER + 1007;
inline constexpr int WM_RANGE_SEEK = WM_USER + 125;
inline constexpr int WM_CONF_CODEC_CHANGED = WM_USER + 1010;

class WindowMessage : public QEvent {
public:
    WindowMessage(int message, std::uintptr_t wParam, std::intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(message)), wParam(wParam), lParam(lParam) {}

    int message() const { return static_cast<int>(type()); }

    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::intptr_t result = 0;
};

// Delivers the message to target's event handler on target's thread and
// returns the handler's result; from another thread the caller blocks.
std::intptr_t SendWindowMessage(QObject* target, int message, std::uintptr_t wParam = 0,
                                std::intptr_t lParam = 0);

} // namespace vidorama
