#include "settings/FolderBrowser.h"

#include <QFileDialog>

namespace vidorama {

QString BrowseForFolder(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
}

} // namespace vidorama
