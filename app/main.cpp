#include "app/ApplicationIcon.h"
#include "app/CReelcapApp.h"
#include "app/CommandLine.h"
#include "ui/QtMessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vidorama"));
    // Ties our windows to the installed desktop entry (its name and icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("vidorama"));
    // Every window without an icon of its own, message boxes and the
    // progress dialog included, shows the program's.
    QApplication::setWindowIcon(vidorama::ApplicationIcon());
    QString movie = vidorama::MovieFromCommandLine(application);
    vidorama::QtMessageBoxes messages;
    vidorama::AppEnvironment env = vidorama::MakeSystemEnvironment(messages);
    env.movieToOpen = movie;
    return vidorama::CReelcapApp().InitInstance(std::move(env));
}
