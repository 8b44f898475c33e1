#pragma once

#include "app/AppEnvironment.h"

namespace vidorama {

// The program's entry: builds the main window in its fixed order, runs it
// and ends when it closes. A movie named on the command line is opened in it;
// a second start instead hands its movie to the running window and brings
// that to the front.
class CReelcapApp {
public:
    // Runs the whole program; the result is the process's exit code.
    int InitInstance(AppEnvironment env);
};

} // namespace vidorama
