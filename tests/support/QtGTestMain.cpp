#include <QApplication>
#include <gtest/gtest.h>

// Widget tests need an application object for the whole run. They draw on
// Qt's offscreen platform unless told otherwise, so they run without a display
// (test discovery included).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
