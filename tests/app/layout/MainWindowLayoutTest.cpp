#include "app/layout/MainWindowLayout.h"

#include "app/layout/StartupPicture.h"
#include "controls/CDlgCtrl.h"

#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace vidorama {
namespace {

using Layout = MainWindowLayout;
constexpr int kBar = 60;

TEST(MainWindowLayout, StartupPictureIsShownAtTheBarsWidthButAtLeastItsOwn) {
    EXPECT_EQ(Layout::PictureDisplaySizeFor(540), QSize(554, 307));
    EXPECT_EQ(Layout::PictureDisplaySizeFor(554), QSize(554, 307));
    EXPECT_EQ(Layout::PictureDisplaySizeFor(630), QSize(630, 349)); // 349.1 truncated
    QImage picture = MakeStartupPicture();
    EXPECT_EQ(picture.size(), QSize(554, 307));
    EXPECT_EQ(picture.depth(), 24);
}

TEST(MainWindowLayout, FitWindowToMovieKeepsTheMinimumClientSize) {
    EXPECT_EQ(Layout::FitClientSize({320, 240}, kBar), QSize(550, 350));
    EXPECT_EQ(Layout::FitClientSize({320, 300}, kBar), QSize(550, 360));
    EXPECT_EQ(Layout::FitClientSize({800, 600}, kBar), QSize(800, 660));
    EXPECT_EQ(Layout::FitClientSize({0, 0}, kBar), QSize(550, 350));
    EXPECT_EQ(Layout::FitClientSize({554, 307}, kBar), QSize(554, 367));
}

TEST(MainWindowLayout, MovieIsCentredAboveTheBarWhenItFits) {
    ClientLayout small = Layout::LayoutClient({550, 350}, kBar, {320, 240}, true);
    EXPECT_EQ(small.bar, QRect(0, 290, 550, kBar));
    EXPECT_EQ(small.movie, QRect(115, 25, 320, 240));

    ClientLayout large = Layout::LayoutClient({800, 660}, kBar, {800, 600}, true);
    EXPECT_EQ(large.movie, QRect(0, 0, 800, 600));

    // No movie, or one that does not fit: the whole movie area.
    EXPECT_EQ(Layout::LayoutClient({550, 350}, kBar, {320, 240}, false).movie,
              QRect(0, 0, 550, 290));
    EXPECT_EQ(Layout::LayoutClient({550, 350}, kBar, {551, 240}, true).movie,
              QRect(0, 0, 550, 290));
    // Odd spare space: halves rounded toward zero.
    EXPECT_EQ(Layout::LayoutClient({550, 350}, kBar, {321, 241}, true).movie.topLeft(),
              QPoint(114, 24));
}

TEST(MainWindowLayout, KeepOnScreenPullsTheWindowBackInside) {
    const QRect screen(0, 0, 1024, 768);
    const QSize window(600, 400);
    auto kept = [&](QPoint at) {
        return Layout::KeepOnScreen(QRect(at, window), screen).topLeft();
    };
    EXPECT_EQ(kept({100, 100}), QPoint(100, 100));
    EXPECT_EQ(kept({500, 100}), QPoint(424, 100)); // right edge on the screen's
    EXPECT_EQ(kept({100, 500}), QPoint(100, 368));
    EXPECT_EQ(kept({-50, -20}), QPoint(0, 0));
    EXPECT_EQ(kept({900, 900}), QPoint(424, 368));
    // A window larger than the screen ends with its top-left corner on it.
    EXPECT_EQ(Layout::KeepOnScreen(QRect(-10, -10, 2000, 1000), screen).topLeft(), QPoint(0, 0));
    // A second screen to the right.
    EXPECT_EQ(Layout::KeepOnScreen(QRect(1000, 10, 600, 400), QRect(1024, 0, 1280, 1024)).topLeft(),
              QPoint(1024, 10));
}

TEST(MainWindowLayout, MaxMovieSizeLeavesRoomForFrameCaptionAndBar) {
    EXPECT_EQ(Layout::MaxMovieSize(QRect(0, 0, 1280, 1000), QMargins(3, 25, 3, 3), kBar),
              QSize(1274, 912));
}

// A main window with a real control bar and a stand-in for the movie.
struct WindowFixture : ::testing::Test {
    void SetUp() override {
        bar = new CDlgCtrl(&window);
        movie = new QWidget(&window);
        layout = std::make_unique<MainWindowLayout>(window, *bar, movie);
    }
    QImage Painted(bool movieOpen) {
        QImage image(window.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        layout->Paint(painter, movieOpen);
        return image;
    }

    QWidget window;
    CDlgCtrl* bar = nullptr;
    QWidget* movie = nullptr;
    std::unique_ptr<MainWindowLayout> layout;
};

TEST_F(WindowFixture, StartsWithThePictureAboveTheBar) {
    ASSERT_TRUE(layout->ShowStartupPicture());
    QSize shown = Layout::PictureDisplaySizeFor(bar->width());
    EXPECT_EQ(layout->PictureDisplaySize(), shown);
    EXPECT_EQ(window.size(), QSize(shown.width(), shown.height() + bar->height()));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()); // the user cannot resize it
    EXPECT_EQ(layout->MovieRect(), QRect(QPoint(0, 0), shown));
    EXPECT_EQ(bar->geometry(), QRect(0, shown.height(), shown.width(), bar->height()));

    QImage painted = Painted(false);
    EXPECT_NE(painted.pixelColor(shown.width() / 2, shown.height() / 2),
              MainWindowLayout::kBackground);
}

TEST_F(WindowFixture, FitsTheMovieAndPaintsTheGreyBackground) {
    ASSERT_TRUE(layout->ShowStartupPicture());
    layout->FitWindowToMovie({320, 240}, true);
    int barHeight = bar->height();
    EXPECT_EQ(window.size(), QSize(550, std::max(240 + barHeight, 350)));
    EXPECT_EQ(movie->geometry().left(), 115);
    EXPECT_EQ(movie->geometry().size(), QSize(320, 240));
    EXPECT_EQ(bar->geometry().bottom(), window.height() - 1);
    EXPECT_EQ(bar->width(), 550);

    QImage painted = Painted(true);
    EXPECT_EQ(painted.pixelColor(5, 5), QColor(200, 200, 200));

    layout->FitWindowToMovie({600, 400}, true);
    EXPECT_EQ(window.size(), QSize(600, 400 + barHeight));
    EXPECT_EQ(movie->geometry(), QRect(0, 0, 600, 400));
}

TEST_F(WindowFixture, AMovieLargerThanTheScreenIsShownScaledDownOnIt) {
    ASSERT_TRUE(layout->ShowStartupPicture());
    window.show(); // framed, as the main window is by then
    QRect screen = window.screen()->availableGeometry();
    QSize capture(screen.width() * 2, screen.height() * 3 / 2);
    layout->FitWindowToMovie(capture, true);
    EXPECT_TRUE(screen.contains(window.frameGeometry())) << window.frameGeometry().width();
    QSize shown = movie->geometry().size();
    EXPECT_LE(shown.height() + bar->height(), screen.height());
    // The movie keeps its shape.
    EXPECT_NEAR(static_cast<double>(shown.width()) / shown.height(),
                static_cast<double>(capture.width()) / capture.height(), 0.01);
}

TEST(MainWindowLayout, PicturesKeepTheirShape) {
    EXPECT_EQ(Layout::ScaleDownToFit({640, 480}, {1000, 1000}), QSize(640, 480));
    EXPECT_EQ(Layout::ScaleDownToFit({1280, 960}, {1274, 900}), QSize(1200, 900));
    EXPECT_EQ(Layout::ScaleDownToFit({1280, 960}, {}), QSize(1280, 960));
    EXPECT_EQ(Layout::FitPicture({554, 307}, QRect(0, 0, 1108, 900)), QRect(0, 143, 1108, 614));
}

} // namespace
} // namespace vidorama
