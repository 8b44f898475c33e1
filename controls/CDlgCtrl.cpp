#include "controls/CDlgCtrl.h"

#include "controls/CWndRange.h"
#include "ui/UiThread.h"
#include "ui/WindowMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

namespace vidorama {

namespace {

constexpr int kTemplateWidth = 360;
// The main window's narrowest client area, which the template was made to fit.
constexpr int kWidestBar = 550;
constexpr int kTemplateHeight = 34;
constexpr int kRangeMargin = 2;
constexpr int kRangeTop = 4;
constexpr int kRangeHeight = 18;

struct ButtonInfo {
    int id;
    int message;
    const char* tooltip;
};

// What each button asks of the main window and the tooltip that names it.
// "Restore" asks nothing and shows no tooltip.
constexpr ButtonInfo kButtons[] = {
    {CDlgCtrl::kPlay, WM_CMD_PLAY, "Play"},
    {CDlgCtrl::kStop, WM_CMD_STOP, "Stop"},
    {CDlgCtrl::kOpen, WM_CMD_OPEN, "Open swf file"},
    {CDlgCtrl::kSettings, WM_CMD_SETTINGS, "Settings"},
    {CDlgCtrl::kCapture, WM_CMD_CAPTURE, "Start Capture"},
    {CDlgCtrl::kFinish, WM_CMD_FINISH, "Finish"},
    {CDlgCtrl::kRestore, 0, nullptr},
};

const ButtonInfo* FindButton(int id) {
    for (const ButtonInfo& info : kButtons)
        if (info.id == id)
            return &info;
    return nullptr;
}

bool IsEnterOrEscape(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

CDlgCtrl::CDlgCtrl(QWidget* parent)
    : QWidget(parent),
      m_units(
          DialogUnits::ForFont(TemplateFont("Arial", 8)).FittingWidth(kTemplateWidth, kWidestBar)) {
    setFont(TemplateFont("Arial", 8));
    // The bar is a dialog of its own and keeps the system's button face, not
    // the main window's grey.
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    resize(sizeHint());
    CreateControls();

    m_pRangeCtrl = new CWndRange(this);
    m_pRangeCtrl->setAccessibleName(QStringLiteral("Seek bar"));
    m_pRangeCtrl->setGeometry(kRangeMargin, kRangeTop, width() - 2 * kRangeMargin, kRangeHeight);
    m_pRangeCtrl->show();
    m_controls.add(kRangeCtrl, m_pRangeCtrl);
}

void CDlgCtrl::CreateControls() {
    // Template order, which is also the keyboard's tab order.
    auto* counter = new QLabel(QStringLiteral("0/0"), this);
    counter->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    AddControl(kFrameCounter, counter, m_units.rect(301, 17, 49, 9), true);
    AddButton(kPlay, "Play", m_units.rect(342, 18, 17, 15), false);
    AddButton(kStop, "Stop", m_units.rect(342, 18, 17, 15), false);
    AddButton(kOpen, "Open Swf file", m_units.rect(10, 15, 67, 15), true);
    AddButton(kSettings, "Output Settings", m_units.rect(221, 15, 72, 15), true);
    AddButton(kCapture, "Play and Capture", m_units.rect(80, 15, 72, 15), true);
    AddButton(kRestore, "Restore", m_units.rect(273, 25, 15, 8), false);
    // Nothing shows the two options, but they are checked here and read at
    // every capture, so both are always in force.
    auto* autoPlay = new QCheckBox(QStringLiteral("Auto play when capture"), this);
    autoPlay->setChecked(true);
    AddControl(kAutoPlay, autoPlay, m_units.rect(0, 23, 99, 10), false);
    auto* autoEnd = new QCheckBox(QStringLiteral("Auto end capture at the last frame "), this);
    autoEnd->setChecked(true);
    AddControl(kAutoEnd, autoEnd, m_units.rect(107, 23, 129, 10), false);
    AddButton(kFinish, "Finish", m_units.rect(155, 15, 63, 15), true);
    auto* summary = new QLineEdit(this);
    summary->setReadOnly(true);
    AddControl(kSummary, summary, m_units.rect(353, 21, 6, 12), false);
    auto* label = new QLabel(QStringLiteral("Output:"), this);
    label->setGeometry(m_units.rect(318, 25, 21, 8));
    label->hide();
}

void CDlgCtrl::AddControl(int id, QWidget* control, QRect rect, bool visible) {
    control->setGeometry(rect);
    control->setVisible(visible);
    control->installEventFilter(this);
    m_controls.add(id, control);
}

QAbstractButton* CDlgCtrl::AddButton(int id, const char* text, QRect rect, bool visible) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setAutoDefault(false);
    const ButtonInfo* info = FindButton(id);
    if (info && info->tooltip)
        button->setToolTip(QString::fromLatin1(info->tooltip));
    connect(button, &QPushButton::clicked, this, [this, id] { OnButtonClicked(id); });
    AddControl(id, button, rect, visible);
    return button;
}

void CDlgCtrl::OnButtonClicked(int id) {
    const ButtonInfo* info = FindButton(id);
    if (info && info->message != 0 && parentWidget())
        SendWindowMessage(parentWidget(), info->message);
}

bool CDlgCtrl::event(QEvent* event) {
    if (static_cast<int>(event->type()) == WM_RANGE_SEEK) {
        auto& message = static_cast<WindowMessage&>(*event);
        SendWindowMessage(window(), WM_CMD_SEEK, 0, message.lParam);
        message.result = 0;
        return true;
    }
    return QWidget::event(event);
}

bool CDlgCtrl::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Escape are taken before any control sees them, so they never
    // press a button of the bar nor close the main window.
    if (IsEnterOrEscape(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void CDlgCtrl::keyPressEvent(QKeyEvent* event) {
    if (IsEnterOrEscape(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CDlgCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    QWindow* handle = window()->windowHandle();
    if (!handle || !handle->startSystemMove())
        m_dragOffset = event->globalPosition().toPoint() - window()->pos();
    event->accept();
}

void CDlgCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragOffset && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - *m_dragOffset);
    event->accept();
}

void CDlgCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_dragOffset.reset();
    event->accept();
}

void CDlgCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pRangeCtrl->setGeometry(kRangeMargin, kRangeTop, width() - 2 * kRangeMargin, kRangeHeight);
    // The summary keeps its place but stays two pixels from the right edge.
    if (QWidget* summary = Control(kSummary)) {
        QRect place = summary->geometry();
        place.moveRight(width() - kRangeMargin - 1);
        summary->setGeometry(place);
    }
}

QSize CDlgCtrl::sizeHint() const {
    return QSize(m_units.x(kTemplateWidth), m_units.y(kTemplateHeight));
}

void CDlgCtrl::SetRange(int frameCount) {
    m_pRangeCtrl->m_bEnabled = 1;
    m_pRangeCtrl->m_bDragging = 0;
    m_pRangeCtrl->SetMax(frameCount);
}

void CDlgCtrl::SetPos(int frame) {
    m_pRangeCtrl->SetPos(frame);
}

int CDlgCtrl::RangeMax() const {
    return m_pRangeCtrl->Max();
}

int CDlgCtrl::RangePos() const {
    return m_pRangeCtrl->Pos();
}

bool CDlgCtrl::RangeEnabled() const {
    return m_pRangeCtrl->Active();
}

void CDlgCtrl::SetRangeLocked(bool locked) {
    m_pRangeCtrl->SetLocked(locked);
}

bool CDlgCtrl::RangeLocked() const {
    return m_pRangeCtrl->Locked();
}

// The capture thread enables buttons and reads the options while a capture
// runs; like window calls, these are carried out on the bar's own thread.

void CDlgCtrl::EnableControl(int id, bool enabled) {
    CallOnOwnerThread(this, [=, this] {
        if (QWidget* control = Control(id))
            control->setEnabled(enabled);
    });
}

bool CDlgCtrl::IsControlEnabled(int id) const {
    return CallOnOwnerThread(const_cast<CDlgCtrl*>(this), [=, this] {
        QWidget* control = Control(id);
        return control && control->isEnabled();
    });
}

void CDlgCtrl::SetControlText(int id, const QString& text) {
    CallOnOwnerThread(this, [=, this] {
        if (auto* label = m_controls.as<QLabel>(id))
            label->setText(text);
        else if (auto* edit = m_controls.as<QLineEdit>(id))
            edit->setText(text);
        else if (auto* button = m_controls.as<QAbstractButton>(id))
            button->setText(text);
    });
}

QString CDlgCtrl::ControlText(int id) const {
    return CallOnOwnerThread(const_cast<CDlgCtrl*>(this), [=, this] {
        if (auto* label = m_controls.as<QLabel>(id))
            return label->text();
        if (auto* edit = m_controls.as<QLineEdit>(id))
            return edit->text();
        if (auto* button = m_controls.as<QAbstractButton>(id))
            return button->text();
        return QString();
    });
}

bool CDlgCtrl::IsChecked(int id) const {
    return CallOnOwnerThread(const_cast<CDlgCtrl*>(this), [=, this] {
        auto* box = m_controls.as<QCheckBox>(id);
        return box && box->isChecked();
    });
}

} // namespace vidorama
