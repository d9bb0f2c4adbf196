#pragma once
// "静止画" (38006): the shown frame saved as a JPEG file at the movie's own size, without
// the overlay, into a folder the user picks. It runs on the user-interface thread; the
// window is as it was afterwards.
#include <QString>

#include <filesystem>
#include <string>

namespace kestrel {

class CJobController;
struct RecordingEntry;

class CSnapshotCommand {
  public:
    explicit CSnapshotCommand(CJobController& jobs) : jobs_(jobs) {}
    void Run();

    // FOLDER/FOLDERNAME-RECORDING-TYPE_SERIAL_FRAME.jpg: the folder's last component (a mount
    // point's own name for the root of a drive), the file name up to its first '.', the entry
    // type and serial in three digits and the frame in six.
    static std::filesystem::path FileFor(const std::filesystem::path& folder,
                                         const RecordingEntry& entry, int frame);

  private:
    void SaveInto(const std::filesystem::path& folder);

    CJobController& jobs_;
};

} // namespace kestrel
