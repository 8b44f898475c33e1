#include "settings/SettingsStore.h"

#include "settings/SettingsFile.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vidorama {

namespace {

// Reads the whole file if it has the record's length; the file is created
// empty when it does not exist, as the program always left one behind.
QByteArray ReadSettingsFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        file.open(QIODevice::WriteOnly);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() != static_cast<qint64>(kSettingsFileSize))
        return {};
    return file.read(static_cast<qint64>(kSettingsFileSize) + 1);
}

// The stored selections go to the encoder as its numbers, from 1. An index
// the encoder refuses leaves its selection as it was.
void SelectStoredEncoders(const ConversionSettings& settings, encoder::IVideoEncoder& encoder) {
    encoder.SelectVideoCodec(settings.aviCodec + 1);
    std::int32_t count = 0;
    if (encoder::Succeeded(encoder.GetWmvProfileCount(&count)) && count > 0)
        encoder.SelectWmvProfile(settings.wmvProfile + 1);
    count = 0;
    if (encoder::Succeeded(encoder.GetRmProfileCount(&count)) && count > 0)
        encoder.SelectRmProfile(settings.rmProfile + 1);
}

} // namespace

std::string DefaultOutputFolder(const QString& documentsDirectory) {
    QString folder = QDir(documentsDirectory).absolutePath();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder.toStdString();
}

std::string CheckOutputFolder(const std::string& stored, const QString& documentsDirectory) {
    QString folder = QString::fromStdString(stored);
    if (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    QFileInfo entry(folder);
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder) || !entry.isDir())
        return DefaultOutputFolder(documentsDirectory);
    return folder.endsWith('/') ? folder.toStdString() : folder.toStdString() + "/";
}

QString SettingsFilePath(const QString& configDirectory) {
    return QDir(configDirectory).filePath(QStringLiteral("config.dat"));
}

bool LoadSettings(ConversionSettings& settings, encoder::IVideoEncoder& encoder,
                  const QString& configDirectory, const QString& documentsDirectory) {
    QByteArray bytes = ReadSettingsFile(SettingsFilePath(configDirectory));
    auto stored =
        DecodeSettingsFile(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                     static_cast<std::size_t>(bytes.size())),
                           settings);
    if (!stored)
        return false;
    settings = *stored;
    settings.outputFolder = CheckOutputFolder(settings.outputFolder, documentsDirectory);
    SelectStoredEncoders(settings, encoder);
    return true;
}

bool SaveSettings(const ConversionSettings& settings, const QString& configDirectory) {
    SettingsFileBytes bytes = EncodeSettingsFile(settings);
    QSaveFile file(SettingsFilePath(configDirectory));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    qint64 size = static_cast<qint64>(bytes.size());
    // The record must reach the temporary file before it may replace the old
    // one: Qt 6.4's commit() reports success even when the flush of its
    // buffer failed (a full disk), and would put a cut file in place.
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vidorama
