#include "app/CReelcapApp.h"

#include "app/CReelcapDlg.h"

#include <QApplication>
#include <QMetaObject>
#include <memory>

namespace vidorama {

int CReelcapApp::InitInstance(AppEnvironment env) {
    QString movie = env.movieToOpen;
    auto dialog = std::make_unique<CReelcapDlg>(std::move(env));
    if (dialog->InitDialog()) {
        // Opened once the window is up, so that a message about the file
        // appears over it.
        if (!movie.isEmpty()) {
            CReelcapDlg* window = dialog.get();
            QMetaObject::invokeMethod(
                window, [window, movie] { window->OnOpenRequest(movie); }, Qt::QueuedConnection);
        }
        // The window runs without a modal loop of its own: anything that hides
        // it for a moment (the window manager re-framing it, a change of its
        // flags) must not end the program. Only its closing does.
        QApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(dialog.get(), &QDialog::finished, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        dialog->show();
        QApplication::exec();
    }
    dialog.reset();
    return 0;
}

} // namespace vidorama
