#include "app/CReelcapApp.h"

#include "app/CReelcapDlg.h"

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
        dialog->exec();
    }
    dialog.reset();
    return 0;
}

} // namespace vidorama
