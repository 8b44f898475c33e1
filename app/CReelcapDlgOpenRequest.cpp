#include "app/CReelcapDlg.h"

#include <QApplication>

namespace vidorama {

void CReelcapDlg::OnOpenRequest(const QString& path) {
    // While a capture runs or another window of ours is modal (the settings,
    // a message, the encoding progress) the window takes no drop either; a
    // movie opened under them would change what they are working on.
    QWidget* modal = QApplication::activeModalWidget();
    if (capturing || m_closed || (modal && modal != this))
        return;
    OpenMovie(path);
}

} // namespace vidorama
