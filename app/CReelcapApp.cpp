#include "app/CReelcapApp.h"

#include "app/CReelcapDlg.h"

#include <QApplication>
#include <memory>

namespace vidorama {

int CReelcapApp::InitInstance(AppEnvironment env) {
    auto dialog = std::make_unique<CReelcapDlg>(std::move(env));
    if (dialog->InitDialog()) {
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
