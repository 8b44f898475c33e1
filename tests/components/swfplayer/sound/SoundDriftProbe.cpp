// Plays a five-minute stream movie in real time in the player module, on
// the wave-out device (silent when the machine has no sound output), and
// prints how far sound and picture drift apart. Not a test: it takes five
// minutes.

#include "ModuleSoundRecorder.h"
#include "StreamMovies.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <iostream>

int main(int argc, char** argv) {
    using namespace vidorama::test;
    QCoreApplication app(argc, argv);
    int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir folder;
    MarkedStream stream(std::size_t(minutes) * 60 * 12);
    std::string path = folder.filePath("stream.swf").toStdString();
    auto control = CreateModuleControl();
    if (!control || !WriteFile(path, stream.movie())) {
        std::cerr << "cannot load the player module or write the movie" << std::endl;
        return 1;
    }
    ModuleSoundRecorder recorder(control->Imports());
    RealTimeFigures figures =
        PlayAndMeasure(*control, recorder, path, MarkedStream::kFps, std::chrono::minutes(minutes));
    std::cout << "real time, " << minutes << " minutes, " << figures.repaints
              << " repaints: sound written ahead of the picture by " << figures.firstSecondMs
              << " ms in the second second and " << figures.lastSecondMs
              << " ms in the last (drift " << figures.lastSecondMs - figures.firstSecondMs
              << " ms); range " << figures.smallestMs << ".." << figures.largestMs << " ms; "
              << figures.framesPerSecond << " frames/s for " << MarkedStream::kFps << std::endl;
    return 0;
}
