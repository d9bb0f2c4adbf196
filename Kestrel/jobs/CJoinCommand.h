#pragma once
// "結合" (38007): consecutive recordings the user marks in the list dialog joined into one
// movie file without re-encoding. The joined recordings stay highlighted in the dialog;
// playback stands stopped at frame 0 afterwards.
#include "engine/RecordingCatalogue.h"

#include <filesystem>

namespace kestrel {

class CJobController;

class CJoinCommand {
  public:
    explicit CJoinCommand(CJobController& jobs) : jobs_(jobs) {}
    void Run();

  private:
    // The joined entries keep Checked = 1 in the panel's lists, a failed join clears it.
    void MarkJoined(const Catalogue& entries, int checked);
    void Fail(const Catalogue& entries);

    CJobController& jobs_;
};

} // namespace kestrel
