#pragma once

#include <QString>

class QWidget;

namespace vidorama {

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { None, Exclamation, Information, Question, Error };
enum class MessageAnswer { Ok, Cancel };

// Every message box of the program goes through this one seam, so that tests
// can read each text and caption and answer as a user would.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // A null owner means a box of its own, owned by no window.
    virtual MessageAnswer show(QWidget* owner, const QString& text, const QString& caption,
                               MessageButtons buttons = MessageButtons::Ok,
                               MessageIcon icon = MessageIcon::None) = 0;
};

// The caption of message boxes that name none: the program's own name.
inline QString ApplicationTitle() {
    return QStringLiteral("vidorama");
}

} // namespace vidorama
