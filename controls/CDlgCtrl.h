#pragma once

#include "ui/DialogTemplate.h"

#include <QPoint>
#include <QWidget>
#include <optional>

class QAbstractButton;

namespace vidorama {

class CWndRange;

// The strip of controls along the bottom of the main window. Its buttons only
// tell the main window what the user asked for, by sending it a message; the
// seek bar's reports are passed on the same way. A press on the bar's empty
// background moves the main window, as its caption would.
class CDlgCtrl : public QWidget {
    Q_OBJECT

public:
    enum ControlId {
        kRangeCtrl = 1000,
        kPlay = 1001,
        kStop = 1005,
        kOpen = 1006,
        kSettings = 1007,
        kCapture = 1008,
        kRestore = 1009,
        kFinish = 1010,
        kFrameCounter = 1031,
        kAutoPlay = 1043,
        kAutoEnd = 1045,
        kSummary = 1046,
    };

    explicit CDlgCtrl(QWidget* parent);

    // Activates the seek bar and gives it the movie's frame count; a count
    // that is not positive keeps the previous maximum.
    void SetRange(int frameCount);
    // Moves the seek bar's thumb; frames outside the range are ignored.
    void SetPos(int frame);
    int RangeMax() const;
    int RangePos() const;
    bool RangeEnabled() const;
    // Maps to the seek bar's m_bLocked; safe to call from the capture thread.
    void SetRangeLocked(bool locked);
    bool RangeLocked() const;
    CWndRange* RangeCtrl() const { return m_pRangeCtrl; }

    QWidget* Control(int id) const { return m_controls.find(id); }
    void EnableControl(int id, bool enabled);
    bool IsControlEnabled(int id) const;
    void SetControlText(int id, const QString& text);
    QString ControlText(int id) const;
    bool IsChecked(int id) const;

    // The template's size: 360 x 34 dialog units of its font.
    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    QAbstractButton* AddButton(int id, const char* text, QRect rect, bool visible);
    void AddControl(int id, QWidget* control, QRect rect, bool visible);
    void OnButtonClicked(int id);

    DialogUnits m_units;
    ControlMap m_controls;
    CWndRange* m_pRangeCtrl = nullptr;
    // Where the press that moves the main window grabbed it, when the window
    // system leaves the move to us.
    std::optional<QPoint> m_dragOffset;
};

} // namespace vidorama
