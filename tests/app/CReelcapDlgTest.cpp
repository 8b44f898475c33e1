#include "MainWindowFixture.h"
#include "SwfBitWriter.h"
#include "TempDir.h"
#include "app/MainWindowCaptureHost.h"
#include "controls/CDlgCtrl.h"
#include "flash/CFlash.h"
#include "ui/UiThread.h"
#include "ui/WindowMessages.h"

#include <QApplication>
#include <QTest>
#include <thread>

namespace vidorama::test {
namespace {

// A 550 x 400 uncompressed movie with nothing in it.
void WriteMovie(const QString& path) {
    SwfBitWriter body;
    body.rect({0, 11000, 0, 8000}).fixed8(12).u16(100).u16(0);
    auto bytes = body.take();
    bytes.resize(bytes.size() + 24, 0);
    SwfBitWriter file;
    file.u8('F')
        .u8('W')
        .u8('S')
        .u8(8)
        .u32(static_cast<std::uint32_t>(bytes.size() + 8))
        .bytes(bytes);
    WriteWholeFile(path.toStdString(), file.take());
}

using MainWindowStartTest = MainWindowTest;

TEST_F(MainWindowStartTest, MissingEncoderEndsTheProgramAfterAMessage) {
    encoderInstalled = false;
    try {
        Open();
        FAIL() << "the program should have ended";
    } catch (const ProcessEnded& end) {
        EXPECT_EQ(end.exitCode, 0);
        EXPECT_EQ(end.how, ProcessEnd::Normal);
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Can't start program for some video components missed. "
                                   "Please reinstall this program.");
    EXPECT_EQ(boxes.shown[0].caption, ApplicationTitle());
    EXPECT_EQ(boxes.shown[0].owner, nullptr);
    EXPECT_EQ(player, nullptr); // no window and no player were made
}

TEST_F(MainWindowStartTest, MissingPlayerClosesTheWindowAfterSetUp) {
    flashInstalled = false;
    EXPECT_FALSE(Open());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "The program will be closed because flash components are not installed.");
    EXPECT_EQ(window->windowTitle(), "Vidorama");
    EXPECT_TRUE(window->silenceArray); // the rest of the set-up still ran
}

TEST_F(MainWindowStartTest, SetUpLeavesAnEmptyWindowReady) {
    ASSERT_TRUE(Open());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(window->windowTitle(), "Vidorama");
    EXPECT_TRUE(window->workBuffers.Allocated());
    ASSERT_TRUE(window->silenceArray);
    EXPECT_EQ(window->silenceArray->Count(), 8820u);
    EXPECT_EQ(window->settings.outputFolder, dir.path().toStdString() + "/");
    EXPECT_EQ(window->controlBar()->ControlText(CDlgCtrl::kFrameCounter), "0/0");
    EXPECT_EQ(window->flash()->Control(), player);
}

class MainWindowMovieTest : public MainWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Open());
        player->totalFrames = 100;
        moviePath = dir.filePath("Intro.SWF");
        WriteMovie(moviePath);
    }
    QString moviePath;
};

TEST_F(MainWindowMovieTest, DroppedMovieOpensUnderItsLowerCaseName) {
    window->settings.sizeMode = ConversionSettings::kCustomSize;
    window->sizeAdjusted = true;
    window->OnDropFiles({moviePath, dir.filePath("second.swf"), dir.filePath("third.swf")});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(window->windowTitle(), "Vidorama - intro.swf");
    EXPECT_EQ(player->loadedUrl, moviePath.toStdString());
    EXPECT_TRUE(window->movieOpen);
    EXPECT_EQ(window->totalFrames, 100u);
    EXPECT_EQ(window->captureWidth, 550);
    EXPECT_EQ(window->nativeHeight, 400);
    EXPECT_EQ(window->movieFrameRate, 12);
    EXPECT_EQ(window->settings.sizeMode, ConversionSettings::kOriginalSize);
    EXPECT_FALSE(window->sizeAdjusted);
    EXPECT_EQ(player->scaleMode, 2);
    EXPECT_EQ(player->CountCalls(flash::DispId::LoadMovie), 1u);
    EXPECT_EQ(player->CountCalls(flash::DispId::GotoFrame), 1u);
    EXPECT_EQ(window->controlBar()->RangeMax(), 100);
}

TEST_F(MainWindowMovieTest, RefusedDropsKeepTheOpenMovie) {
    window->OnDropFiles({moviePath});
    QString notAMovie = dir.filePath("notes.txt");
    WriteWholeFile(notAMovie.toStdString(), {'h', 'i'});
    window->OnDropFiles({notAMovie});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Failed to open the file.");
    EXPECT_EQ(boxes.shown[0].caption, "Vidorama");
    EXPECT_EQ(window->windowTitle(), "Vidorama - intro.swf");
    EXPECT_EQ(window->moviePath, moviePath.toStdString());

    QString fake = dir.filePath("fake.swf");
    WriteWholeFile(fake.toStdString(), {'h', 'i'});
    window->OnDropFiles({fake});
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].caption, "Vidorama");
    EXPECT_EQ(player->CountCalls(flash::DispId::LoadMovie), 1u);
    EXPECT_EQ(window->windowTitle(), "Vidorama - intro.swf");
}

TEST_F(MainWindowMovieTest, DropWhileCapturingDoesNothing) {
    window->capturing = true;
    window->OnDropFiles({moviePath});
    EXPECT_FALSE(window->movieOpen);
    EXPECT_TRUE(window->moviePath.empty());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowMovieTest, FileDialogOpensOrCancels) {
    chosenFile.clear();
    SendWindowMessage(window.get(), WM_CMD_OPEN);
    EXPECT_FALSE(window->movieOpen);
    chosenFile = moviePath;
    EXPECT_EQ(SendWindowMessage(window.get(), WM_CMD_OPEN), 0);
    EXPECT_EQ(window->windowTitle(), "Vidorama - Intro.SWF");
    chosenFile = dir.filePath("absent.swf");
    SendWindowMessage(window.get(), WM_CMD_OPEN);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, ApplicationTitle());
    EXPECT_EQ(boxes.shown[0].owner, window.get());
}

TEST_F(MainWindowMovieTest, FrameCounterStaysWithinTheMovie) {
    window->OnDropFiles({moviePath});
    auto counter = [&] {
        return window->controlBar()->ControlText(CDlgCtrl::kFrameCounter);
    };
    player->currentFrame = 99;
    player->scaleMode = 0;
    window->UpdateFrameCounter();
    EXPECT_EQ(counter(), "100 / 100");
    EXPECT_EQ(window->controlBar()->RangePos(), 100);
    EXPECT_EQ(player->scaleMode, 2);
    player->currentFrame = -1;
    window->UpdateFrameCounter();
    EXPECT_EQ(counter(), "0 / 100");
    player->currentFrame = 500;
    window->UpdateFrameCounter();
    EXPECT_EQ(counter(), "100 / 100");
    window->totalFrames = 0;
    window->UpdateFrameCounter();
    EXPECT_EQ(counter(), "0 / 0");
}

TEST_F(MainWindowMovieTest, PlayStopSeekAndFinishFollowTheCallingSequences) {
    window->OnDropFiles({moviePath});
    SendWindowMessage(window.get(), WM_CMD_PLAY);
    EXPECT_TRUE(player->playing);
    SendWindowMessage(window.get(), WM_CMD_SEEK, 0, 40);
    EXPECT_EQ(player->currentFrame, 40);
    EXPECT_TRUE(player->playing); // a playing movie goes on playing
    SendWindowMessage(window.get(), WM_CMD_STOP);
    EXPECT_FALSE(player->playing);
    EXPECT_EQ(player->currentFrame, 0);
    SendWindowMessage(window.get(), WM_CMD_SEEK, 0, 7);
    EXPECT_EQ(player->currentFrame, 7);
    EXPECT_FALSE(player->playing);

    window->capturing = true;
    SendWindowMessage(window.get(), WM_CMD_SEEK, 0, 50);
    EXPECT_EQ(player->currentFrame, 7);
    SendWindowMessage(window.get(), WM_CMD_FINISH);
    EXPECT_TRUE(window->stopRequested);
    EXPECT_FALSE(window->controlBar()->IsControlEnabled(CDlgCtrl::kFinish));
    EXPECT_EQ(player->CountCalls(flash::DispId::StopPlay), 1u);

    window->capturing = false;
    window->stopRequested = false;
    SendWindowMessage(window.get(), WM_CMD_FINISH);
    EXPECT_TRUE(window->stopRequested);
    EXPECT_EQ(player->CountCalls(flash::DispId::StopPlay), 1u);
}

TEST_F(MainWindowMovieTest, CaptureWithoutAMovieAsksForOne) {
    SendWindowMessage(window.get(), WM_CMD_CAPTURE);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Please load a swf file.");
    EXPECT_EQ(boxes.shown[0].caption, "Warning");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Exclamation);
}

TEST_F(MainWindowMovieTest, EnterAndEscapeNeverCloseTheWindow) {
    window->show();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window->controlBar(), Qt::Key_Escape);
    QTest::keyClick(window->controlBar()->Control(CDlgCtrl::kCapture), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowMovieTest, ClosingWaitsForWorkersWhileServingTheirCalls) {
    window->OnDropFiles({moviePath});
    window->show();
    window->outputStarted = true;
    window->captureIdleEvent.Wait(); // a capture is running
    std::string spool = dir.filePath("~VIDleft").toStdString();
    WriteWholeFile(spool, {0, 0, 0, 0, 0, 0, 0, 0});
    window->videoSpoolPath = spool;
    std::string part = dir.filePath(".reelcap.avi.vidorama-part-1-0").toStdString();
    WriteWholeFile(part, {'R', 'I', 'F', 'F'});
    window->outputPartPath = part;
    window->sound.soundQueue.push_back({10, std::vector<std::uint8_t>(8192)});

    std::atomic<std::int32_t> seenFrame{-2};
    std::thread worker([&] {
        while (!window->stopRequested)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // A frame grab from the worker is carried out by the closing thread.
        seenFrame = window->flash()->CurrentFrame();
        window->captureIdleEvent.Set();
    });
    window->close();
    worker.join();

    EXPECT_EQ(seenFrame, 0);
    EXPECT_TRUE(window->abortRequested);
    EXPECT_FALSE(window->capturing);
    EXPECT_EQ(encoder->closeCalls, 1);
    EXPECT_FALSE(window->workBuffers.Allocated());
    EXPECT_FALSE(window->silenceArray);
    EXPECT_TRUE(window->sound.soundQueue.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(spool)));
    // The output of the abandoned capture goes too.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(part)));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowMovieTest, CaptureStartsFromTheFirstFrame) {
    window->OnDropFiles({moviePath});
    MainWindowCaptureHost host(*window);
    std::size_t before = player->calls.size();
    host.Play();
    std::vector<flash::DispId> order;
    for (std::size_t i = before; i < player->calls.size(); ++i)
        order.push_back(player->calls[i].id);
    EXPECT_EQ(order, (std::vector<flash::DispId>{flash::DispId::Stop, flash::DispId::GotoFrame,
                                                 flash::DispId::Play}));
    EXPECT_EQ(std::get<std::int32_t>(player->calls[before + 1].args.at(0)), 0);
}

// Counts the times a widget is hidden.
struct HideCounter : QObject {
    int hides = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        hides += event->type() == QEvent::Hide;
        return false;
    }
};

TEST_F(MainWindowMovieTest, CaptureModeChangesTheFlagsWithoutHidingTheWindow) {
    window->show();
    HideCounter counter;
    window->installEventFilter(&counter);
    MainWindowCaptureHost host(*window);
    host.EnterCaptureMode();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window->controlBar()->Control(CDlgCtrl::kCapture)->isEnabled());
    host.LeaveCaptureMode();
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    // Hiding the window would end the program's loop under a running capture.
    EXPECT_EQ(counter.hides, 0);
    EXPECT_TRUE(window->isVisible());
    window->removeEventFilter(&counter);
}

TEST_F(MainWindowMovieTest, DestroyingTheWindowStopsWorkersThatCallIntoIt) {
    window->show();
    std::atomic<int> calls{0};
    CReelcapDlg* w = window.get();
    w->captureIdleEvent.Wait(); // a capture is running
    ASSERT_TRUE(w->captureThread.Start([w, &calls] {
        while (!w->stopRequested) {
            CallOnOwnerThread(w, [&] { ++calls; });
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        w->captureIdleEvent.Set();
    }));
    while (calls == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    window.reset(); // the program ended without the window being closed
    EXPECT_GT(calls, 0);
}

TEST_F(MainWindowMovieTest, ClosingWithNothingRunningDoesNotCloseAnUnopenedOutput) {
    window->close();
    EXPECT_EQ(encoder->closeCalls, 0);
    EXPECT_FALSE(window->workBuffers.Allocated());
}

} // namespace
} // namespace vidorama::test
