#include "app/CReelcapApp.h"

#include "app/CReelcapDlg.h"

#include <memory>

namespace vidorama {

int CReelcapApp::InitInstance(AppEnvironment env) {
    auto dialog = std::make_unique<CReelcapDlg>(std::move(env));
    if (dialog->InitDialog())
        dialog->exec();
    dialog.reset();
    return 0;
}

} // namespace vidorama
