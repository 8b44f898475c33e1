#include "dialog/DialogCodecConfigurator.h"

#include "dialog/CodecOptionsDialog.h"

#include <QApplication>

namespace vidorama::encoder {

ConfigureResult DialogCodecConfigurator::configure(const std::string& codecName,
                                                   const CodecCapabilities& capabilities,
                                                   CodecOptions& options) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return ConfigureResult::Unavailable;
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    CodecOptionsDialog dialog(QString::fromStdString(codecName), capabilities, options, parent);
    if (dialog.exec() != QDialog::Accepted)
        return ConfigureResult::Cancelled;
    options = dialog.options();
    return ConfigureResult::Accepted;
}

} // namespace vidorama::encoder
