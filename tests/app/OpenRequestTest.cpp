// A movie named on the command line: opened by the first start, or handed by
// a later start to the running window, which opens it under the same rules
// as a dropped file.
#include "GeneratedMovies.h"
#include "MainWindowFixture.h"
#include "app/CReelcapApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <future>

namespace vidorama::test {
namespace {

class OpenRequestTest : public MainWindowTest {
protected:
    void SetUp() override { moviePath = WriteMovie(dir.filePath("Intro.swf"), 320, 240, 6); }

    // A later start's request, made from another thread the way another
    // process would make it, while this thread keeps the window's events
    // going. True when the window answered.
    bool HandOver(const QString& movie) {
        auto answered = std::async(std::launch::async, [this, movie] {
            RecordingMessageBoxes laterBoxes;
            return CInstanceMutex(laterBoxes, dir.filePath("runtime")).FindRunningInstance(movie);
        });
        while (answered.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        bool result = answered.get();
        QTest::qWait(50); // the window acts on the request after answering it
        return result;
    }

    QString moviePath;
};

TEST_F(OpenRequestTest, MovieHandedOverOpensInTheRunningWindowAndRaisesIt) {
    ASSERT_TRUE(Open());
    window->showMinimized();
    ASSERT_TRUE(HandOver(moviePath));
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->movieOpen);
    EXPECT_EQ(window->windowTitle(), "Vidorama - Intro.swf");
    EXPECT_EQ(player->loadedUrl, moviePath.toStdString());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OpenRequestTest, MovieTheWindowCannotOpenGetsTheUsualMessage) {
    ASSERT_TRUE(Open());
    ASSERT_TRUE(HandOver(dir.filePath("absent.swf")));
    QString notAMovie = dir.filePath("notes.swf");
    WriteWholeFile(notAMovie.toStdString(), {'h', 'i'});
    ASSERT_TRUE(HandOver(notAMovie));
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& shown : boxes.shown) {
        EXPECT_EQ(shown.text, "Failed to open the file.");
        EXPECT_EQ(shown.caption, ApplicationTitle());
        EXPECT_EQ(shown.owner, window.get());
    }
    EXPECT_FALSE(window->movieOpen);
    EXPECT_EQ(window->windowTitle(), "Vidorama");
}

TEST_F(OpenRequestTest, BusyWindowComesToTheFrontButKeepsItsMovie) {
    ASSERT_TRUE(Open());
    window->capturing = true;
    window->showMinimized();
    ASSERT_TRUE(HandOver(moviePath));
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(window->movieOpen);
    window->capturing = false;

    // The settings (or a message) is open over the window.
    QDialog settings(window.get());
    settings.setModal(true);
    settings.show();
    ASSERT_TRUE(HandOver(moviePath));
    EXPECT_FALSE(window->movieOpen);
    settings.close();
    ASSERT_TRUE(HandOver(moviePath));
    EXPECT_TRUE(window->movieOpen);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OpenRequestTest, FirstStartOpensItsMovieOnceTheWindowIsUp) {
    AppEnvironment env = MakeEnvironment();
    env.movieToOpen = moviePath;
    QString titleSeen;
    QTimer watch;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            auto* running = qobject_cast<CReelcapDlg*>(shown);
            if (running && running->isVisible() &&
                (running->movieOpen || waited.elapsed() > 10000)) {
                titleSeen = running->windowTitle();
                running->close();
            }
        }
    });
    watch.start(10);
    EXPECT_EQ(CReelcapApp().InitInstance(std::move(env)), 0);
    EXPECT_EQ(titleSeen, "Vidorama - Intro.swf");
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
} // namespace vidorama::test
