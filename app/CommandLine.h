#pragma once

#include <QString>

class QCoreApplication;

namespace vidorama {

// The movie named on the program's command line as an absolute path, "" when
// none is. Answers --help itself and ends the process with a message for
// options it does not know or for more than one movie.
QString MovieFromCommandLine(const QCoreApplication& application);

} // namespace vidorama
