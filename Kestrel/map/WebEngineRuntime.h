#pragma once
// Whether the embedded web engine can run here, and what the process must set up before the
// application object exists so that it does: no browser sandbox when running as root (the
// sandbox refuses root), software rendering when the machine has no GPU, and the scheme of
// the local tile folder.
#include <QString>

namespace kestrel {

class WebEngineRuntime {
  public:
    // The scheme through which the page reads a local tile folder.
    static constexpr const char* kLocalTileScheme = "kestrel-tiles";

    // Before QApplication: environment, attributes and URL schemes of the web engine.
    static void PrepareProcess();
    // The engine's helper process and resources are installed.
    static bool CanRun();
    // "Kestrel/<version>", the name the viewer gives itself to servers.
    static QString UserAgent();
};

} // namespace kestrel
