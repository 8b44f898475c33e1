#include "controls/CWndRange.h"

#include "MessageRecorder.h"
#include "controls/CDlgCtrl.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace vidorama {
namespace {

using Messages = std::vector<std::pair<int, std::intptr_t>>;

constexpr int kSeekWidth = 400;

// A control bar inside a stand-in main window, with a seek bar 400 pixels wide.
struct SeekBarFixture : ::testing::Test {
    void SetUp() override {
        bar = new CDlgCtrl(&window);
        bar->resize(kSeekWidth + 4, bar->sizeHint().height());
        range = bar->RangeCtrl();
        window.show();
    }

    void Mouse(QEvent::Type type, int x, Qt::MouseButtons buttons = Qt::LeftButton) {
        QPointF local(x, 5);
        QMouseEvent event(type, local, range->mapToGlobal(local),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(range, &event);
    }

    Messages Delivered() {
        QCoreApplication::sendPostedEvents();
        return std::exchange(window.messages, {});
    }

    test::MessageRecorder window;
    CDlgCtrl* bar = nullptr;
    CWndRange* range = nullptr;
};

TEST_F(SeekBarFixture, SetPosAndSetMaxIgnoreValuesOutsideTheRange) {
    EXPECT_EQ(range->Max(), 100);
    range->SetPos(-1);
    range->SetPos(101);
    EXPECT_EQ(range->Pos(), 0);
    range->SetPos(100);
    EXPECT_EQ(range->Pos(), 100);
    range->SetMax(0);
    range->SetMax(-3);
    EXPECT_EQ(range->Max(), 100);

    // SetRange(0) activates the bar but keeps the previous maximum.
    bar->SetRange(0);
    EXPECT_TRUE(range->Active());
    EXPECT_EQ(range->Max(), 100);
    bar->SetRange(250);
    EXPECT_EQ(bar->RangeMax(), 250);
    bar->SetPos(251);
    EXPECT_EQ(bar->RangePos(), 100);
}

TEST_F(SeekBarFixture, ClicksAreIgnoredUntilActivatedAndWhileLocked) {
    Mouse(QEvent::MouseButtonPress, 100);
    Mouse(QEvent::MouseMove, 150);
    Mouse(QEvent::MouseButtonRelease, 150, Qt::NoButton);
    EXPECT_TRUE(Delivered().empty());
    EXPECT_EQ(range->Pos(), 0);

    bar->SetRange(200);
    bar->SetRangeLocked(true);
    Mouse(QEvent::MouseButtonPress, 100);
    Mouse(QEvent::MouseMove, 150);
    EXPECT_TRUE(Delivered().empty());
    EXPECT_EQ(range->Pos(), 0);
    EXPECT_TRUE(bar->RangeLocked());
}

TEST_F(SeekBarFixture, DragReportsEveryMoveClampedAndTheBarRelaysItAsSeek) {
    bar->SetRange(200);
    Mouse(QEvent::MouseButtonPress, 100); // 200 * 100 / 400
    Mouse(QEvent::MouseMove, -20);
    Mouse(QEvent::MouseMove, -30);
    Mouse(QEvent::MouseMove, 1000);
    EXPECT_TRUE(range->Dragging());
    Mouse(QEvent::MouseButtonRelease, 1000, Qt::NoButton);
    EXPECT_FALSE(range->Dragging());
    Mouse(QEvent::MouseMove, 10); // no longer dragging
    EXPECT_EQ(
        Delivered(),
        (Messages{{WM_CMD_SEEK, 50}, {WM_CMD_SEEK, 0}, {WM_CMD_SEEK, 0}, {WM_CMD_SEEK, 200}}));
    EXPECT_EQ(range->Pos(), 200);
}

TEST_F(SeekBarFixture, ANewRangeEndsADrag) {
    bar->SetRange(200);
    Mouse(QEvent::MouseButtonPress, 100);
    bar->SetRange(300);
    Mouse(QEvent::MouseMove, 200);
    EXPECT_EQ(Delivered(), (Messages{{WM_CMD_SEEK, 50}}));
}

// Pixels of a bar 200 x 18 as painted.
QImage Paint(CWndRange& range) {
    range.resize(200, 18);
    return range.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(SeekBarFixture, PaintsTrackAndThumbPixelExact) {
    QRgb face = QApplication::palette().color(QPalette::Button).rgb();
    const QRgb black = qRgb(0, 0, 0), grey = qRgb(100, 100, 100);

    QImage inactive = Paint(*range);
    EXPECT_EQ(inactive.pixel(50, 5), qRgb(192, 192, 192));
    EXPECT_EQ(inactive.pixel(50, 2), grey);  // track outline, top
    EXPECT_EQ(inactive.pixel(50, 12), grey); // bottom row is 13 - 1
    EXPECT_EQ(inactive.pixel(197, 7), grey); // right column is 198 - 1
    EXPECT_EQ(inactive.pixel(198, 7), face); // outside the track
    EXPECT_EQ(inactive.pixel(50, 13), face);
    EXPECT_EQ(inactive.pixel(50, 1), face);
    // Position 0: thumb (0, 1, 3, 14), centre line x = 1 from y 0 to 14.
    EXPECT_EQ(inactive.pixel(0, 1), black);
    EXPECT_EQ(inactive.pixel(2, 13), black);
    EXPECT_EQ(inactive.pixel(3, 7), qRgb(192, 192, 192));
    EXPECT_EQ(inactive.pixel(1, 0), black);
    EXPECT_EQ(inactive.pixel(1, 14), black);
    EXPECT_EQ(inactive.pixel(1, 15), face);
    EXPECT_EQ(inactive.pixel(0, 0), face);
    EXPECT_EQ(inactive.pixel(2, 14), face);

    bar->SetRange(100);
    range->SetPos(100);
    QImage atEnd = Paint(*range);
    EXPECT_EQ(atEnd.pixel(50, 5), qRgb(255, 255, 255));
    // Position at the maximum: thumb (196, 1, 199, 14).
    EXPECT_EQ(atEnd.pixel(196, 1), black);
    EXPECT_EQ(atEnd.pixel(198, 13), black);
    EXPECT_EQ(atEnd.pixel(199, 7), face);
    EXPECT_EQ(atEnd.pixel(195, 7), qRgb(255, 255, 255));
    EXPECT_EQ(atEnd.pixel(197, 0), black);
}

TEST(CWndRangeGeometry, ThumbRectangleAtBothEndsAndInBetween) {
    EXPECT_EQ(CWndRange::ThumbRect(200, 0, 100), QRect(QPoint(0, 1), QPoint(3, 14)));
    EXPECT_EQ(CWndRange::ThumbRect(200, 100, 100), QRect(QPoint(196, 1), QPoint(199, 14)));
    EXPECT_EQ(CWndRange::ThumbRect(200, 50, 100), QRect(QPoint(99, 1), QPoint(102, 14)));
    EXPECT_EQ(CWndRange::ThumbRect(200, 1, 3), QRect(QPoint(65, 1), QPoint(68, 14)));
}

} // namespace
} // namespace vidorama
