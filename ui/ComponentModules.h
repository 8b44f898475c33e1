#pragma once

#include <QString>

namespace vidorama {

// Where the program's components are installed: lib/vidorama beside the
// program's bin folder (or the installed library folder's vidorama), in the
// build tree as when installed.
QString ComponentModuleDirectory();

// Loads the module with the given file name from that folder and resolves the
// named factory; nullptr when either cannot be done. The module stays loaded
// for the rest of the process.
void* ResolveComponentFactory(const QString& directory, const QString& fileName,
                              const char* factorySymbol);

} // namespace vidorama
