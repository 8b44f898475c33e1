#include "app/ComponentModules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace vidorama {

QString ComponentModuleDirectory() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../lib/vidorama");
}

void* ResolveComponentFactory(const QString& directory, const QString& fileName,
                              const char* factorySymbol) {
    QString path = QDir(directory).filePath(fileName);
    if (!QFileInfo(path).isFile())
        return nullptr;
    // Deliberately never unloaded: objects made by the module live until exit.
    auto* library = new QLibrary(path);
    if (!library->load()) {
        delete library;
        return nullptr;
    }
    return reinterpret_cast<void*>(library->resolve(factorySymbol));
}

} // namespace vidorama
