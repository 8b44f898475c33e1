#include "app/ApplicationIcon.h"

#include "MainWindowFixture.h"

#include <QApplication>
#include <QDialog>

namespace vidorama::test {
namespace {

using ApplicationIconTest = MainWindowTest;

TEST_F(ApplicationIconTest, EveryWindowShowsTheProgramsIcon) {
    // The icon is compiled into the main window's static library, which a
    // linker drops unless something keeps it; this test links that library
    // the way the program does.
    ASSERT_TRUE(Open());
    for (int size : {16, 32, 48, 256}) {
        QPixmap drawn = window->windowIcon().pixmap(QSize(size, size));
        ASSERT_FALSE(drawn.isNull()) << size;
        EXPECT_EQ(drawn.size(), QSize(size, size));
    }
    QApplication::setWindowIcon(ApplicationIcon());
    QDialog progress; // the progress dialog has no owner
    EXPECT_FALSE(progress.windowIcon().pixmap(QSize(32, 32)).isNull());
    QApplication::setWindowIcon(QIcon());
}

} // namespace
} // namespace vidorama::test
