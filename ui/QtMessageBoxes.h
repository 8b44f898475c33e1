#pragma once

#include "ui/MessageBoxes.h"

namespace vidorama {

// Real modal message boxes. A call from a worker thread is carried out on the
// user-interface thread and returns when the user has answered.
class QtMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(QWidget* owner, const QString& text, const QString& caption,
                       MessageButtons buttons, MessageIcon icon) override;
};

} // namespace vidorama
