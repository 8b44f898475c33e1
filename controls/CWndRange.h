#pragma once

#include <QColor>
#include <QWidget>
#include <atomic>

namespace vidorama {

// The thin seek bar across the top of the control bar. It shows where the
// movie stands among its frames and reports a frame chosen with the mouse to
// its parent by posting WM_RANGE_SEEK (lParam: the frame).
class CWndRange : public QWidget {
    Q_OBJECT

public:
    static constexpr int kControlId = 1000;

    explicit CWndRange(QWidget* parent);

    // A maximum that is not positive is ignored; no repaint.
    void SetMax(int n);
    // A position outside 0 ... maximum is ignored; otherwise the bar repaints.
    void SetPos(int n);
    // While locked (a capture runs) the mouse cannot move the position. The
    // capture thread clears the lock, hence the atomic flag.
    void SetLocked(bool locked) { m_bLocked = locked; }
    bool Locked() const { return m_bLocked; }

    int Pos() const { return m_nPos; }
    int Max() const { return m_nMax; }
    bool Active() const { return m_bEnabled != 0; }
    bool Dragging() const { return m_bDragging != 0; }

    // The thumb's rectangle for a client width, as (left, top, right, bottom)
    // in the GDI sense: right and bottom lie just outside.
    static QRect ThumbRect(int clientWidth, int pos, int max);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class CDlgCtrl; // its SetRange activates the bar, as it always did

    int PosAt(int x) const;
    void ReportPos(int pos);

    int m_bEnabled = 0;
    int m_bDragging = 0;
    std::atomic<bool> m_bLocked{false};
    int m_nPos = 0;
    int m_nMax = 100;

    const QColor m_trackPen{100, 100, 100};
    const QColor m_thumbColor{0, 0, 0};
    const QColor m_background;
    const QColor m_enabledTrack{255, 255, 255};
    const QColor m_disabledTrack{192, 192, 192};
};

} // namespace vidorama
