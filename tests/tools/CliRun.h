#pragma once
// Runs kestrel-cli for the tests of the export and join commands, with its output captured,
// and makes small generated recordings.
#include "../engine/MiniMovie.h"

#include "mkrec/MovieMaker.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kestrel::testing {

struct CliResult {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

// Runs `program ARGS` (found on PATH). With `fileSizeLimit` the program may not write a file
// larger than that (writes past it fail, as on a full disk).
inline CliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            long fileSizeLimit = -1) {
    TempFolder capture;
    const std::string out = (capture / "out").string(), err = (capture / "err").string();
    const pid_t child = ::fork();
    if (child == 0) {
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(o, 1);
        ::dup2(e, 2);
        if (fileSizeLimit >= 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                               static_cast<rlim_t>(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}

inline CliResult RunCli(const std::vector<std::string>& args, long fileSizeLimit = -1) {
    return RunProgram(KESTREL_CLI, args, fileSizeLimit);
}

// A short, small recording: 320x180, one second unless said otherwise.
inline mkrec::MovieOptions SmallRecording(const std::string& start, double seconds = 1.0) {
    mkrec::MovieOptions options;
    options.Seconds = seconds;
    options.Video.Width = 320;
    options.Video.Height = 180;
    options.Drive.Start = *mkrec::ParseCivilTime(start);
    return options;
}

// A movie without recorder data that still ends with the recorder's trailer (in a "free"
// box), so that the catalogue lists it.
inline void MakeWithoutRecorderData(const std::filesystem::path& path) {
    mkrec::MovieOptions options = SmallRecording("2024-05-01 10:00:00");
    options.Place = mkrec::UdatPlace::None;
    mkrec::MakeMovie(options, path);
    std::ofstream(path, std::ios::binary | std::ios::app)
        << Box("free", "CSNEND" + std::string(12, '\0'));
}

} // namespace kestrel::testing
