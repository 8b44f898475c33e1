#include "app/CReelcapApp.h"
#include "app/QtMessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vidorama"));
    vidorama::QtMessageBoxes messages;
    return vidorama::CReelcapApp().InitInstance(vidorama::MakeSystemEnvironment(messages));
}
