#include "settings/SettingsStore.h"

#include "settings/SettingsFile.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidorama {

namespace {

// The record's bytes if the path leads to a regular file of the record's
// length, else nothing. It is opened without blocking, so that a FIFO or a
// device in its place cannot hold up the program's start.
QByteArray ReadRegularRecord(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info {};
    QByteArray bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size == static_cast<off_t>(kSettingsFileSize)) {
        bytes.resize(static_cast<qsizetype>(kSettingsFileSize));
        if (::read(fd, bytes.data(), kSettingsFileSize) != static_cast<ssize_t>(kSettingsFileSize))
            bytes.clear();
    }
    ::close(fd);
    return bytes;
}

// Reads the record; the file is created empty when nothing is there, as the
// program always left one behind.
QByteArray ReadSettingsFile(const QString& path) {
    struct stat entry {};
    if (::lstat(QFile::encodeName(path).constData(), &entry) != 0 && errno == ENOENT) {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    return ReadRegularRecord(path);
}

// The settings are written back over nothing, a regular file, or a link to
// a regular file that holds a settings record; never through a link to
// anything else, nor over a device, a FIFO or a folder.
bool MayWriteSettingsFile(const QString& path) {
    struct stat entry {};
    if (::lstat(QFile::encodeName(path).constData(), &entry) != 0)
        return errno == ENOENT;
    if (S_ISREG(entry.st_mode))
        return true;
    if (!S_ISLNK(entry.st_mode))
        return false;
    const QByteArray bytes = ReadRegularRecord(path);
    return DecodeSettingsFile(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size())),
                              ConversionSettings{})
        .has_value();
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
    if (!MayWriteSettingsFile(SettingsFilePath(configDirectory)))
        return false;
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
