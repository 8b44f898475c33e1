#include "app/AppEnvironment.h"
#include "encode/CDlgComplate.h"
#include "encode/EncoderComponent.h"
#include "flash/FindFlashModule.h"
#include "settings/CDlgConf.h"
#include "ui/ComponentModules.h"
#include "vidorama/encoder/IVideoEncoder.h"
#include "vidorama/flash/FlashControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>

namespace vidorama {

namespace {

// The log is named after the program's executable and kept with its settings.
QString LogPathFor(const QString& configDirectory) {
    QFileInfo executable(QCoreApplication::applicationFilePath());
    if (!executable.exists() || executable.completeBaseName().isEmpty())
        return {};
    return QDir(configDirectory).filePath(executable.completeBaseName() + ".log");
}

} // namespace

void UseComponentsIn(AppEnvironment& env, const QString& moduleDirectory) {
    env.createEncoder = [moduleDirectory] {
        return CreateEncoderComponent(moduleDirectory);
    };
    env.findFlashModule = [moduleDirectory] {
        return FindFlashModule(moduleDirectory);
    };
    env.createFlashControl = [moduleDirectory] {
        return CreateFlashControl(moduleDirectory);
    };
}

AppEnvironment MakeSystemEnvironment(MessageBoxes& messages) {
    AppEnvironment env;
    env.messages = &messages;
    UseComponentsIn(env, ComponentModuleDirectory());
    env.chooseMovieFile = [](QWidget* owner) {
        return QFileDialog::getOpenFileName(owner, QString(), QString(),
                                            QStringLiteral("*.swf (*.swf)"));
    };
    env.showFile = ShowFileInFileManager;
    env.runSettingsDialog = [&messages](QWidget* owner, encoder::IVideoEncoder& encoder,
                                        const ConversionSettings& settings, int maxWidth,
                                        int maxHeight) -> std::optional<ConversionSettings> {
        CDlgConf dialog(owner, encoder, settings, maxWidth, maxHeight, messages);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Settings();
    };
    env.configDirectory = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(env.configDirectory);
    env.logPath = LogPathFor(env.configDirectory);
    env.documentsDirectory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    env.runtimeDirectory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (env.runtimeDirectory.isEmpty())
        env.runtimeDirectory = QDir::tempPath();
    env.endProcess = [](int exitCode, ProcessEnd how) {
        if (how == ProcessEnd::Quick)
            std::_Exit(exitCode);
        std::exit(exitCode);
    };
    return env;
}

} // namespace vidorama
