#pragma once
// The application object: sets the toolkit up, makes the main window, runs it until it closes,
// then drops the shared fonts and the window, in that order.
#include <QString>

namespace kestrel {

class CKestrelApp {
  public:
    // Runs the viewer; returns the process's exit code.
    int Run(int argc, char** argv);

    // With KESTREL_SMOKE=1 in the environment the viewer reports on stderr how long it took
    // to show its window and to shut down, and closes itself once the window is shown.
    static bool SmokeRun();
};

} // namespace kestrel
