#include "controls/CWndRange.h"

#include "ui/WindowMessages.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace vidorama {

namespace {

// GDI's Rectangle(left, top, right, bottom): a one-pixel outline just inside
// the rectangle, whose right and bottom edges lie outside it, and the inside
// filled with the brush. Drawn pixel by pixel so the picture is exact.
void DrawGdiRectangle(QPainter& painter, const QRect& gdi, const QColor& pen, const QColor& brush) {
    int width = gdi.right() - gdi.left();
    int height = gdi.bottom() - gdi.top();
    if (width <= 0 || height <= 0)
        return;
    painter.fillRect(QRect(gdi.left(), gdi.top(), width, height), pen);
    if (width > 2 && height > 2)
        painter.fillRect(QRect(gdi.left() + 1, gdi.top() + 1, width - 2, height - 2), brush);
}

QRect GdiRect(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

CWndRange::CWndRange(QWidget* parent)
    : QWidget(parent), m_background(QApplication::palette().color(QPalette::Button)) {
    setObjectName(QStringLiteral("RangeCtrl"));
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CWndRange::SetMax(int n) {
    if (n > 0)
        m_nMax = n;
}

void CWndRange::SetPos(int n) {
    if (n < 0 || n > m_nMax)
        return;
    m_nPos = n;
    update();
}

QRect CWndRange::ThumbRect(int clientWidth, int pos, int max) {
    int x = static_cast<int>(static_cast<std::int64_t>(clientWidth) * pos / max);
    int left = x - 1;
    int right = x + 2;
    if (left < 0) {
        left = 0;
        right = 3;
    }
    if (right > clientWidth - 1) {
        right = clientWidth - 1;
        left = clientWidth - 4;
    }
    return GdiRect(left, 1, right, 14);
}

void CWndRange::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    int w = width();
    // The background has no outline; GDI would leave its last row and column
    // unpainted, which here would show stale pixels, so it covers them too.
    painter.fillRect(rect(), m_background);
    DrawGdiRectangle(painter, GdiRect(0, 2, w - 2, 13), m_trackPen,
                     m_bEnabled == 1 ? m_enabledTrack : m_disabledTrack);
    QRect thumb = ThumbRect(w, m_nPos, m_nMax);
    DrawGdiRectangle(painter, thumb, m_thumbColor, m_thumbColor);
    // The centre line reaches one pixel beyond the thumb at each end; like
    // LineTo, it leaves out its last point.
    painter.fillRect(QRect(thumb.left() + 1, 0, 1, 15), m_thumbColor);
}

int CWndRange::PosAt(int x) const {
    return static_cast<int>(static_cast<std::int64_t>(m_nMax) * x / width());
}

void CWndRange::ReportPos(int pos) {
    QCoreApplication::postEvent(parentWidget(), new WindowMessage(WM_RANGE_SEEK, 0, pos));
    repaint();
}

void CWndRange::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_bEnabled == 1 && !m_bLocked && width() > 0) {
        m_nPos = PosAt(event->position().toPoint().x());
        m_bDragging = 1;
        ReportPos(m_nPos);
    }
    // The bar's clicks are its own: they never reach the control bar, whose
    // background would start moving the main window.
    event->accept();
}

void CWndRange::mouseMoveEvent(QMouseEvent* event) {
    if (m_bDragging && m_bEnabled == 1 && !m_bLocked && width() > 0) {
        m_nPos = std::clamp(PosAt(event->position().toPoint().x()), 0, m_nMax);
        // A report goes out on every move, even when the frame is the same.
        ReportPos(m_nPos);
    }
    event->accept();
}

void CWndRange::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bDragging = 0;
        update();
    }
    event->accept();
}

} // namespace vidorama
