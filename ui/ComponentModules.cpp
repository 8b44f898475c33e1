#include "ui/ComponentModules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <map>
#include <memory>
#include <mutex>

namespace vidorama {

QString ComponentModuleDirectory() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/" VIDORAMA_MODULE_DIR_FROM_BIN));
}

void* ResolveComponentFactory(const QString& directory, const QString& fileName,
                              const char* factorySymbol) {
    QString path = QDir(directory).filePath(fileName);
    if (!QFileInfo(path).isFile())
        return nullptr;
    // Each module is loaded once and never unloaded: objects it made live
    // until the process ends. Destroying a QLibrary does not unload it.
    static std::mutex guard;
    static std::map<QString, std::unique_ptr<QLibrary>> loaded;
    std::lock_guard lock(guard);
    std::unique_ptr<QLibrary>& library = loaded[path];
    if (!library)
        library = std::make_unique<QLibrary>(path);
    if (!library->isLoaded() && !library->load())
        return nullptr;
    return reinterpret_cast<void*>(library->resolve(factorySymbol));
}

} // namespace vidorama
