#include "controls/CDlgCtrl.h"

#include "app/WindowMessages.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vidorama {

CDlgCtrl::CDlgCtrl(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 26, 10, 6);

    layout->addWidget(AddButton(kOpen, "Open Swf file", "Open swf file", WM_CMD_OPEN, true));
    layout->addWidget(
        AddButton(kCapture, "Play and Capture", "Start Capture", WM_CMD_CAPTURE, true));
    layout->addWidget(AddButton(kFinish, "Finish", "Finish", WM_CMD_FINISH, true));
    layout->addWidget(AddButton(kSettings, "Output Settings", "Settings", WM_CMD_SETTINGS, true));
    AddButton(kPlay, "Play", "Play", WM_CMD_PLAY, false);
    AddButton(kStop, "Stop", "Stop", WM_CMD_STOP, false);
    AddButton(kRestore, "Restore", QString(), 0, false);

    auto* counter = new QLabel("0/0", this);
    counter->setAlignment(Qt::AlignCenter);
    m_controls[kFrameCounter] = counter;
    layout->addWidget(counter);

    // Both capture options are hidden but in force: they start checked.
    for (auto [id, text] : {std::pair{kAutoPlay, "Auto play when capture"},
                            std::pair{kAutoEnd, "Auto end capture at the last frame "}}) {
        auto* box = new QCheckBox(text, this);
        box->setChecked(true);
        box->hide();
        m_controls[id] = box;
    }
    auto* summary = new QLineEdit(this);
    summary->setReadOnly(true);
    summary->hide();
    m_controls[kSummary] = summary;
}

QAbstractButton* CDlgCtrl::AddButton(int id, const QString& text, const QString& tip, int message,
                                     bool visible) {
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    if (message != 0)
        connect(button, &QPushButton::clicked, this,
                [this, message] { SendWindowMessage(parentWidget(), message); });
    button->setVisible(visible);
    m_controls[id] = button;
    return button;
}

QWidget* CDlgCtrl::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDlgCtrl::EnableControl(int id, bool enabled) {
    if (QWidget* control = Control(id))
        control->setEnabled(enabled);
}

bool CDlgCtrl::IsControlEnabled(int id) const {
    QWidget* control = Control(id);
    return control && control->isEnabled();
}

void CDlgCtrl::SetControlText(int id, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(Control(id)))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(Control(id)))
        edit->setText(text);
}

QString CDlgCtrl::ControlText(int id) const {
    if (auto* label = qobject_cast<QLabel*>(Control(id)))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(Control(id)))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(Control(id)))
        return button->text();
    return {};
}

bool CDlgCtrl::IsChecked(int id) const {
    auto* box = qobject_cast<QCheckBox*>(Control(id));
    return box && box->isChecked();
}

void CDlgCtrl::SetRange(int frameCount) {
    m_rangeEnabled = true;
    if (frameCount > 0)
        m_rangeMax = frameCount;
}

void CDlgCtrl::SetPos(int frame) {
    if (frame >= 0 && frame <= m_rangeMax)
        m_rangePos = frame;
}

void CDlgCtrl::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape never press a button or close anything from the bar.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace vidorama
