// A stand-in first instance for the single-instance tests: it publishes a
// minimised window and reports when a later start brings it to the front and
// which movie that start handed over.
#include "RecordingMessageBoxes.h"
#include "app/CInstanceMutex.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class ProbeWindow : public QWidget {
protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange && !isMinimized()) {
            std::printf("activated\n");
            std::fflush(stdout);
            QApplication::exit(0);
        }
        QWidget::changeEvent(event);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2)
        return 2;
    vidorama::test::RecordingMessageBoxes boxes;
    vidorama::CInstanceMutex instance(boxes, QString::fromLocal8Bit(argv[1]));
    ProbeWindow window;
    window.showMinimized();
    instance.Publish(&window, [](const QString& movie) {
        std::printf("open %s\n", qPrintable(movie));
        std::fflush(stdout);
    });
    std::printf("published %s\n", qPrintable(vidorama::CInstanceMutex::FormatHandle(
                                      vidorama::CInstanceMutex::WindowHandle(&window))));
    std::fflush(stdout);
    QTimer::singleShot(20000, [] { QApplication::exit(3); });
    return application.exec();
}
