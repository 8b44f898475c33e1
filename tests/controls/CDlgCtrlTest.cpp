#include "controls/CDlgCtrl.h"

#include "MessageRecorder.h"
#include "controls/CWndRange.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <future>
#include <gtest/gtest.h>

namespace vidorama {
namespace {

using Messages = std::vector<std::pair<int, std::intptr_t>>;

struct ControlBarFixture : ::testing::Test {
    void SetUp() override {
        bar = new CDlgCtrl(&window);
        bar->resize(600, bar->sizeHint().height());
        window.show();
    }

    QAbstractButton* Button(int id) { return qobject_cast<QAbstractButton*>(bar->Control(id)); }

    void MouseOnBar(QEvent::Type type, QPoint local, QPoint globalShift) {
        QPointF at(local);
        QMouseEvent event(type, at, bar->mapToGlobal(at) + globalShift,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    }

    test::MessageRecorder window;
    CDlgCtrl* bar = nullptr;
};

TEST_F(ControlBarFixture, StartsWithTheTemplatesControlsTextsAndTooltips) {
    struct Expected {
        int id;
        const char* text;
        const char* tooltip;
        bool visible;
    };
    const Expected expected[] = {
        {CDlgCtrl::kOpen, "Open Swf file", "Open swf file", true},
        {CDlgCtrl::kCapture, "Play and Capture", "Start Capture", true},
        {CDlgCtrl::kFinish, "Finish", "Finish", true},
        {CDlgCtrl::kSettings, "Output Settings", "Settings", true},
        {CDlgCtrl::kPlay, "Play", "Play", false},
        {CDlgCtrl::kStop, "Stop", "Stop", false},
        {CDlgCtrl::kRestore, "Restore", "", false},
    };
    for (const Expected& control : expected) {
        SCOPED_TRACE(control.text);
        ASSERT_NE(Button(control.id), nullptr);
        EXPECT_EQ(bar->ControlText(control.id), control.text);
        EXPECT_EQ(Button(control.id)->toolTip(), control.tooltip);
        EXPECT_EQ(Button(control.id)->isVisibleTo(bar), control.visible);
    }
    // Seen from left to right.
    int last = -1;
    for (int id : {CDlgCtrl::kOpen, CDlgCtrl::kCapture, CDlgCtrl::kFinish, CDlgCtrl::kSettings,
                   CDlgCtrl::kFrameCounter}) {
        EXPECT_GT(bar->Control(id)->x(), last);
        last = bar->Control(id)->x();
    }
    EXPECT_EQ(bar->ControlText(CDlgCtrl::kFrameCounter), "0/0");
    EXPECT_TRUE(bar->IsChecked(CDlgCtrl::kAutoPlay));
    EXPECT_TRUE(bar->IsChecked(CDlgCtrl::kAutoEnd));
    EXPECT_EQ(qobject_cast<QCheckBox*>(bar->Control(CDlgCtrl::kAutoEnd))->text(),
              "Auto end capture at the last frame ");
    EXPECT_FALSE(bar->Control(CDlgCtrl::kAutoPlay)->isVisibleTo(bar));
    auto* summary = qobject_cast<QLineEdit*>(bar->Control(CDlgCtrl::kSummary));
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->isReadOnly());
    EXPECT_FALSE(summary->isVisibleTo(bar));
    bar->SetControlText(CDlgCtrl::kSummary, "Video format: wmv, Encoder: x");
    EXPECT_EQ(bar->ControlText(CDlgCtrl::kSummary), "Video format: wmv, Encoder: x");
}

TEST_F(ControlBarFixture, ButtonsSendTheirMessagesToTheMainWindow) {
    for (int id : {CDlgCtrl::kSettings, CDlgCtrl::kCapture, CDlgCtrl::kOpen, CDlgCtrl::kPlay,
                   CDlgCtrl::kStop, CDlgCtrl::kFinish, CDlgCtrl::kRestore})
        Button(id)->click();
    EXPECT_EQ(window.messages, (Messages{{WM_CMD_SETTINGS, 0},
                                         {WM_CMD_CAPTURE, 0},
                                         {WM_CMD_OPEN, 0},
                                         {WM_CMD_PLAY, 0},
                                         {WM_CMD_STOP, 0},
                                         {WM_CMD_FINISH, 0}}));
}

TEST_F(ControlBarFixture, EnterAndEscapeAreSwallowed) {
    for (int id : {CDlgCtrl::kCapture, CDlgCtrl::kOpen}) {
        QWidget* button = bar->Control(id);
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter);
        QTest::keyClick(button, Qt::Key_Escape);
    }
    QTest::keyClick(bar, Qt::Key_Escape);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(window.isVisible());
    // Other keys still work: Space presses the focused button.
    QTest::keyClick(bar->Control(CDlgCtrl::kOpen), Qt::Key_Space);
    EXPECT_EQ(window.messages, (Messages{{WM_CMD_OPEN, 0}}));
}

TEST_F(ControlBarFixture, DisabledButtonsSendNothing) {
    bar->EnableControl(CDlgCtrl::kFinish, false);
    EXPECT_FALSE(bar->IsControlEnabled(CDlgCtrl::kFinish));
    QTest::mouseClick(bar->Control(CDlgCtrl::kFinish), Qt::LeftButton);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(ControlBarFixture, DraggingTheBackgroundMovesTheMainWindow) {
    window.move(100, 100);
    QPoint start = window.pos();
    QPoint empty(bar->width() - 5, bar->height() - 3);
    ASSERT_EQ(bar->childAt(empty), nullptr);
    MouseOnBar(QEvent::MouseButtonPress, empty, {});
    MouseOnBar(QEvent::MouseMove, empty, {30, 20});
    MouseOnBar(QEvent::MouseButtonRelease, empty, {30, 20});
    MouseOnBar(QEvent::MouseMove, empty, {90, 90}); // released: no longer moving
    EXPECT_EQ(window.pos(), start + QPoint(30, 20));
}

TEST_F(ControlBarFixture, PressOnTheSeekBarDoesNotMoveTheWindow) {
    window.move(100, 100);
    QPoint start = window.pos();
    CWndRange* range = bar->RangeCtrl();
    QTest::mousePress(range, Qt::LeftButton, {}, QPoint(10, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 5), range->mapToGlobal(QPointF(40, 25)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(range, &move);
    QTest::mouseRelease(range, Qt::LeftButton, {}, QPoint(40, 5));
    EXPECT_EQ(window.pos(), start);
}

TEST_F(ControlBarFixture, ResizingKeepsTheSeekBarAlongTheTop) {
    bar->resize(800, bar->height());
    EXPECT_EQ(bar->RangeCtrl()->geometry(), QRect(2, 4, 796, 18));
    EXPECT_EQ(bar->Control(CDlgCtrl::kSummary)->geometry().right(), 800 - 2 - 1);
}

TEST_F(ControlBarFixture, TheCaptureThreadCanReadOptionsAndEnableButtons) {
    auto worker = std::async(std::launch::async, [this] {
        bar->EnableControl(CDlgCtrl::kFinish, false);
        return bar->IsChecked(CDlgCtrl::kAutoPlay) && !bar->IsControlEnabled(CDlgCtrl::kFinish);
    });
    while (worker.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        QCoreApplication::processEvents();
    EXPECT_TRUE(worker.get());
}

} // namespace
} // namespace vidorama
