#pragma once

#include <QWidget>
#include <map>

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace vidorama {

// The strip of controls along the bottom of the main window. Its buttons only
// tell the main window what the user asked for, by sending it a message.
class CDlgCtrl : public QWidget {
    Q_OBJECT

public:
    enum ControlId {
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

    void SetRange(int frameCount);
    void SetPos(int frame);
    int RangeMax() const { return m_rangeMax; }
    int RangePos() const { return m_rangePos; }
    bool RangeEnabled() const { return m_rangeEnabled; }
    void SetRangeLocked(bool locked) { m_rangeLocked = locked; }
    bool RangeLocked() const { return m_rangeLocked; }

    QWidget* Control(int id) const;
    void EnableControl(int id, bool enabled);
    bool IsControlEnabled(int id) const;
    void SetControlText(int id, const QString& text);
    QString ControlText(int id) const;
    bool IsChecked(int id) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAbstractButton* AddButton(int id, const QString& text, const QString& tip, int message,
                               bool visible);

    std::map<int, QWidget*> m_controls;
    int m_rangeMax = 100;
    int m_rangePos = 0;
    bool m_rangeEnabled = false;
    bool m_rangeLocked = false;
};

} // namespace vidorama
