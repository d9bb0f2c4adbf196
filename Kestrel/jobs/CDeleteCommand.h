#pragma once
// "削除" (38010): the recordings the user marks in the list dialog moved to the desktop's
// trash (on a card, the card's own trash folder), from the last marked to the first. The
// open recording is closed first when it is among them; afterwards the source is read again
// and its first recording selected.
#include "engine/RecordingCatalogue.h"

#include <memory>
#include <string>

namespace kestrel {

class CJobController;

class CDeleteCommand {
  public:
    explicit CDeleteCommand(CJobController& jobs) : jobs_(jobs) {}
    void Run();

    // WM_APP+1304: the files are gone; the source is opened again.
    void OnDeleteDone(bool success);

  private:
    struct Outcome {
        Catalogue Deleted;
        bool Failed = false;
    };
    // After the work, on the user-interface thread: the deleted recordings leave the panel's
    // lists; a failure is reported.
    void Finish(const Outcome& outcome);

    CJobController& jobs_;
    std::string openPath_; // the recording that was closed for the job, if any
};

} // namespace kestrel
