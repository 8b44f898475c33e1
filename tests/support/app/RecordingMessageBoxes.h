#pragma once

#include "ui/MessageBoxes.h"

#include <mutex>
#include <vector>

namespace vidorama::test {

// Stands in for real message boxes: keeps every text and caption and answers
// with the queued answers, then with OK.
class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QWidget* owner;
        QString text;
        QString caption;
        MessageButtons buttons;
        MessageIcon icon;
    };

    MessageAnswer show(QWidget* owner, const QString& text, const QString& caption,
                       MessageButtons buttons, MessageIcon icon) override {
        std::lock_guard lock(m_mutex);
        shown.push_back({owner, text, caption, buttons, icon});
        if (answers.empty())
            return MessageAnswer::Ok;
        MessageAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }

    std::vector<Shown> shown;
    std::vector<MessageAnswer> answers;

private:
    std::mutex m_mutex;
};

} // namespace vidorama::test
