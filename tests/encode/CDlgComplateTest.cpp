#include "encode/CDlgComplate.h"

#include "capture/AutoResetEvent.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

namespace vidorama {
namespace {

class CDlgComplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        outputPath = dir.filePath("my videos/reelcap26_12_07_001.avi").toStdString();
        QDir().mkpath(dir.filePath("my videos"));
        std::ofstream(outputPath) << "video";
    }

    std::unique_ptr<CDlgComplate> Make() {
        return std::make_unique<CDlgComplate>(outputPath, done, progress, cancel,
                                              [this](const std::string& p) { shown.push_back(p); });
    }
    QString Text(CDlgComplate& d, int id) { return static_cast<QLabel*>(d.Control(id))->text(); }

    QTemporaryDir dir;
    std::string outputPath;
    AutoResetEvent done;
    std::atomic<int> progress{0};
    std::atomic<bool> cancel{false};
    std::vector<std::string> shown;
};

TEST_F(CDlgComplateTest, StartsWaitingWithTheHiddenControlsKept) {
    auto dialog = Make();
    EXPECT_EQ(dialog->windowTitle(), "Waiting for the conversion...");
    EXPECT_EQ(Text(*dialog, CDlgComplate::kWaiting), " Waiting for the conversion...");
    dialog->show();
    EXPECT_TRUE(dialog->Control(CDlgComplate::kPercent)->isVisible());
    EXPECT_FALSE(dialog->Control(CDlgComplate::kOutputPath)->isVisible());
    EXPECT_FALSE(dialog->Control(CDlgComplate::kSavedAs)->isVisible());
    EXPECT_FALSE(dialog->Control(CDlgComplate::kOpenFolder)->isVisible());
}

TEST_F(CDlgComplateTest, ShowsProgressUntilThePassEndsThenTheFile) {
    auto dialog = Make();
    QTimer::singleShot(350, [&] {
        EXPECT_EQ(Text(*dialog, CDlgComplate::kPercent), "0%");
        EXPECT_EQ(static_cast<QProgressBar*>(dialog->Control(CDlgComplate::kProgress))->value(), 0);
        progress = 40;
    });
    QTimer::singleShot(700, [&] {
        EXPECT_EQ(Text(*dialog, CDlgComplate::kPercent), "40%");
        done.Set();
    });
    dialog->exec();
    EXPECT_EQ(shown, std::vector<std::string>{outputPath}); // blanks and all, unquoted
    EXPECT_FALSE(cancel);
    EXPECT_TRUE(done.WaitFor(std::chrono::milliseconds(0))); // still signalled for others
}

TEST_F(CDlgComplateTest, AFinishedPassWithoutAnOutputShowsNothing) {
    std::remove(outputPath.c_str());
    done.Set();
    auto dialog = Make();
    dialog->exec();
    EXPECT_TRUE(shown.empty());
}

TEST_F(CDlgComplateTest, CancelClosesAtOnceWithoutShowingTheFile) {
    auto dialog = Make();
    progress = 40;
    QTimer::singleShot(150, [&] {
        QTest::mouseClick(static_cast<QPushButton*>(dialog->Control(CDlgComplate::kCancel)),
                          Qt::LeftButton);
    });
    EXPECT_EQ(dialog->exec(), QDialog::Accepted);
    EXPECT_TRUE(cancel);
    EXPECT_TRUE(shown.empty());
}

TEST_F(CDlgComplateTest, TheCloseBoxAndEscapeCancelAsCancelDoes) {
    for (bool closeBox : {true, false}) {
        cancel = false;
        auto dialog = Make();
        QTimer::singleShot(150, [&] {
            if (closeBox)
                dialog->close();
            else
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
        });
        EXPECT_EQ(dialog->exec(), QDialog::Rejected);
        EXPECT_TRUE(cancel) << (closeBox ? "close box" : "escape");
        EXPECT_TRUE(shown.empty());
    }
}

TEST_F(CDlgComplateTest, TheWholeTitleFitsTheDialog) {
    auto dialog = Make();
    QFont bold = dialog->font();
    bold.setBold(true);
    EXPECT_GT(dialog->minimumWidth(), QFontMetrics(bold).horizontalAdvance(dialog->windowTitle()));
}

} // namespace
} // namespace vidorama
