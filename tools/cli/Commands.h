#pragma once
// The commands of kestrel-cli. Each takes the arguments after its name and returns the
// process exit code; errors go to stderr as one line.
#include <string>
#include <vector>

namespace kestrel::cli {

using Args = std::vector<std::string>;

int RunList(const Args& args);    // ListCommand.cpp
int RunInfo(const Args& args);    // InfoCommand.cpp
int RunSamples(const Args& args); // SamplesCommand.cpp
int RunCsv(const Args& args);     // CsvCommand.cpp
int RunJoin(const Args& args);    // JoinCommand.cpp
int RunTrack(const Args& args);   // TrackCommand.cpp
int RunFrame(const Args& args);   // FrameCommand.cpp

} // namespace kestrel::cli
