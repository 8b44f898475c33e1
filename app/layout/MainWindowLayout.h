#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QSize>

class QPainter;
class QWidget;

namespace vidorama {

// Where the control bar and the movie go in the main window's client area.
struct ClientLayout {
    QRect bar;
    QRect movie;
};

// The main window's geometry and painting. The window is sized by the program,
// never by the user: it shows the start-up picture until a movie is open, then
// the movie at its capture size, centred in a client area of at least
// 550 x 350 pixels, with the control bar docked along the bottom. A capture
// size larger than the screen allows is shown scaled down, so that the window
// and its buttons stay on the screen; the capture keeps its size.
class MainWindowLayout {
public:
    static constexpr QSize kStartupPictureSize{554, 307};
    static constexpr int kMinimumClientWidth = 550;
    static constexpr int kMinimumClientHeight = 350;
    static constexpr QColor kBackground{200, 200, 200};

    // window is the main window, controlBar its control bar; movie, when
    // given, is moved onto the movie rectangle while a movie is open.
    MainWindowLayout(QWidget& window, QWidget& controlBar, QWidget* movie = nullptr);

    // The start-up geometry: scales the start-up picture to the width of the
    // window (at least the picture's) and sizes the window to show it above
    // the bar. False when the picture cannot be made ("Insufficient memory").
    bool ShowStartupPicture();
    QSize PictureDisplaySize() const { return m_pictureDisplaySize; }

    // Sizes the window for a capture size and lays it out.
    void FitWindowToMovie(QSize capture, bool movieOpen);
    // Docks the bar and places the movie for the window's current client
    // size; the main window calls it from its resize handling too.
    void Arrange(QSize capture, bool movieOpen);
    // The size the movie is shown at for a capture size, on this screen.
    QSize DisplaySize(QSize capture) const;
    QRect MovieRect() const { return m_movieRect; }

    // The grey background and, while no movie is open, the start-up picture.
    void Paint(QPainter& painter, bool movieOpen) const;

    // Moves the window back onto its screen; the main window calls it while
    // a capture runs, whenever the window has moved.
    void KeepWindowOnScreen();

    // The computations behind the above, for any sizes.
    static QSize PictureDisplaySizeFor(int barWidth);
    static QSize FitClientSize(QSize capture, int barHeight);
    static ClientLayout LayoutClient(QSize client, int barHeight, QSize capture, bool movieOpen);
    static QRect KeepOnScreen(const QRect& window, const QRect& screen);
    // The largest movie that fits on the screen with the window's frame,
    // caption and control bar.
    static QSize MaxMovieSize(const QRect& availableScreen, const QMargins& frame, int barHeight);
    // The capture size, or the largest size of its shape within largest.
    static QSize ScaleDownToFit(QSize capture, QSize largest);
    // Where a picture of that size is drawn within area: as large as fits,
    // its shape kept, centred.
    static QRect FitPicture(QSize picture, const QRect& area);

private:
    QSize LargestMovie() const;

    QWidget& m_window;
    QWidget& m_controlBar;
    QWidget* m_movie;
    QImage m_scaledPicture;
    QSize m_pictureDisplaySize = kStartupPictureSize;
    QRect m_movieRect;
};

} // namespace vidorama
