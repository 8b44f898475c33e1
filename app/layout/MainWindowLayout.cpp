#include "app/layout/MainWindowLayout.h"

#include "app/layout/StartupPicture.h"

#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vidorama {

MainWindowLayout::MainWindowLayout(QWidget& window, QWidget& controlBar, QWidget* movie)
    : m_window(window), m_controlBar(controlBar), m_movie(movie) {}

QSize MainWindowLayout::PictureDisplaySizeFor(int barWidth) {
    int width = std::max(barWidth, kStartupPictureSize.width());
    // The product in integers, the division in floating point, truncated.
    int height = static_cast<int>(static_cast<double>(width * kStartupPictureSize.height()) /
                                  kStartupPictureSize.width());
    return {width, height};
}

QSize MainWindowLayout::FitClientSize(QSize capture, int barHeight) {
    // Compared as unsigned numbers, as they always were: a negative size
    // counts as a huge one.
    auto atLeast = [](int value, int minimum) {
        return static_cast<unsigned>(value) < static_cast<unsigned>(minimum) ? minimum : value;
    };
    return {atLeast(capture.width(), kMinimumClientWidth),
            atLeast(capture.height() + barHeight, kMinimumClientHeight)};
}

ClientLayout MainWindowLayout::LayoutClient(QSize client, int barHeight, QSize capture,
                                            bool movieOpen) {
    ClientLayout layout;
    int areaHeight = client.height() - barHeight;
    layout.bar = QRect(0, areaHeight, client.width(), barHeight);
    layout.movie = QRect(0, 0, client.width(), areaHeight);
    if (movieOpen) {
        int spareX = client.width() - capture.width();
        int spareY = areaHeight - capture.height();
        if (spareX >= 0 && spareY >= 0)
            layout.movie = QRect(QPoint(spareX / 2, spareY / 2), capture);
    }
    return layout;
}

QRect MainWindowLayout::KeepOnScreen(const QRect& window, const QRect& screen) {
    QRect kept = window;
    int screenRight = screen.x() + screen.width();
    int screenBottom = screen.y() + screen.height();
    if (kept.y() + kept.height() > screenBottom)
        kept.moveTop(screenBottom - kept.height());
    if (kept.x() + kept.width() > screenRight)
        kept.moveLeft(screenRight - kept.width());
    if (kept.x() < screen.x())
        kept.moveLeft(screen.x());
    if (kept.y() < screen.y())
        kept.moveTop(screen.y());
    return kept;
}

QSize MainWindowLayout::MaxMovieSize(const QRect& availableScreen, const QMargins& frame,
                                     int barHeight) {
    return {availableScreen.width() - frame.left() - frame.right(),
            availableScreen.height() - frame.top() - frame.bottom() - barHeight};
}

QSize MainWindowLayout::ScaleDownToFit(QSize capture, QSize largest) {
    if (largest.width() <= 0 || largest.height() <= 0 || capture.isEmpty() ||
        (capture.width() <= largest.width() && capture.height() <= largest.height()))
        return capture;
    return capture.scaled(largest, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QRect MainWindowLayout::FitPicture(QSize picture, const QRect& area) {
    QSize fitted = picture.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.topLeft() + QPoint((area.width() - fitted.width()) / 2,
                                         (area.height() - fitted.height()) / 2),
                 fitted);
}

QSize MainWindowLayout::LargestMovie() const {
    QScreen* screen = m_window.screen();
    if (!screen)
        return {};
    // The frame is the window manager's; it is known once the window has
    // been framed, and counts as none before.
    QRect outer = m_window.frameGeometry(), inner = m_window.geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    return MaxMovieSize(screen->availableGeometry(), frame, m_controlBar.height());
}

QSize MainWindowLayout::DisplaySize(QSize capture) const {
    return ScaleDownToFit(capture, LargestMovie());
}

bool MainWindowLayout::ShowStartupPicture() {
    QImage picture = MakeStartupPicture();
    if (picture.isNull())
        return false;
    m_pictureDisplaySize = PictureDisplaySizeFor(m_controlBar.width());
    // Scaled once, with smoothing, to the size it is shown at.
    m_scaledPicture =
        picture.scaled(m_pictureDisplaySize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (m_scaledPicture.isNull())
        return false;
    QSize client(m_pictureDisplaySize.width(),
                 m_pictureDisplaySize.height() + m_controlBar.height());
    m_window.setFixedSize(client);
    Arrange(kStartupPictureSize, false);
    return true;
}

void MainWindowLayout::FitWindowToMovie(QSize capture, bool movieOpen) {
    m_window.setFixedSize(FitClientSize(DisplaySize(capture), m_controlBar.height()));
    m_window.raise();
    m_window.show();
    Arrange(capture, movieOpen);
    KeepWindowOnScreen();
}

void MainWindowLayout::Arrange(QSize capture, bool movieOpen) {
    ClientLayout layout =
        LayoutClient(m_window.size(), m_controlBar.height(), DisplaySize(capture), movieOpen);
    m_controlBar.setGeometry(layout.bar);
    m_movieRect = layout.movie;
    if (movieOpen && m_movie && m_movie->geometry() != m_movieRect)
        m_movie->setGeometry(m_movieRect);
    m_window.update();
}

void MainWindowLayout::Paint(QPainter& painter, bool movieOpen) const {
    painter.fillRect(m_window.rect(), kBackground);
    // The picture keeps its shape in a window sized for another one.
    if (!movieOpen && !m_scaledPicture.isNull())
        painter.drawImage(FitPicture(m_scaledPicture.size(), m_movieRect), m_scaledPicture);
}

void MainWindowLayout::KeepWindowOnScreen() {
    QScreen* screen = m_window.screen();
    if (!screen)
        return;
    QRect frame = m_window.frameGeometry();
    QRect kept = KeepOnScreen(frame, screen->availableGeometry());
    if (kept.topLeft() != frame.topLeft())
        m_window.move(kept.topLeft());
}

} // namespace vidorama
