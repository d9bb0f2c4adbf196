#pragma once
// "CSV" (38012): the file panel's list written as a CSV file into a folder the user picks,
// named after the first recording's start. The recording is closed while every file is
// read, and opened again at the frame where it was.
#include <filesystem>

namespace kestrel {

class CJobController;

class CCsvExportCommand {
  public:
    explicit CCsvExportCommand(CJobController& jobs) : jobs_(jobs) {}
    void Run();

  private:
    CJobController& jobs_;
};

} // namespace kestrel
