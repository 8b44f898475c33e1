#include "ui/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace vidorama {

static QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

static MessageAnswer ShowOnThisThread(QWidget* owner, const QString& text, const QString& caption,
                                      MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), caption, text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                        : QMessageBox::Ok,
                    owner);
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

MessageAnswer QtMessageBoxes::show(QWidget* owner, const QString& text, const QString& caption,
                                   MessageButtons buttons, MessageIcon icon) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return ShowOnThisThread(owner, text, caption, buttons, icon);
    MessageAnswer answer = MessageAnswer::Cancel;
    QMetaObject::invokeMethod(
        app, [&] { answer = ShowOnThisThread(owner, text, caption, buttons, icon); },
        Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace vidorama
