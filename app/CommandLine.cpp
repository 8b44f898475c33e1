#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

namespace vidorama {

QString MovieFromCommandLine(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Turns Flash movies into video files."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("movie"),
                                 QStringLiteral("The Flash movie (.swf) to open."),
                                 QStringLiteral("[movie]"));
    parser.process(application);
    const QStringList movies = parser.positionalArguments();
    if (movies.size() > 1) {
        std::fprintf(stderr, "%s: only one movie can be opened at a time\n",
                     qPrintable(QCoreApplication::applicationName()));
        std::exit(EXIT_FAILURE);
    }
    if (movies.isEmpty())
        return {};
    // A running instance may open the movie for us, from its own working
    // folder; the path must mean the same there as here.
    return QDir::cleanPath(QDir::current().absoluteFilePath(movies.front()));
}

} // namespace vidorama
