#pragma once

#include "app/AppEnvironment.h"

namespace vidorama {

// The program's entry: builds the main window in its fixed order, runs it
// and ends when it closes. The program reads no command-line
// arguments; a second start only brings the running window to the front.
class CReelcapApp {
public:
    // Runs the whole program; the result is the process's exit code.
    int InitInstance(AppEnvironment env);
};

} // namespace vidorama
