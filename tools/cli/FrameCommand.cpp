// kestrel-cli frame FILE N -o OUT.jpg: carried out by kestrel-frame, which stands beside this
// program. Only the frame needs the player and its media libraries; handing it to a program
// of its own keeps them out of every other command's start.
#include "Commands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace kestrel::cli {
namespace {

constexpr const char* kFrameProgram = "kestrel-frame";

// The folder this program was started from, as the kernel tells it.
std::filesystem::path OwnFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path{} : self.parent_path();
}

} // namespace

int RunFrame(const Args& args) {
    const std::filesystem::path program = OwnFolder() / kFrameProgram;
    std::vector<std::string> words{kFrameProgram};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(program.c_str(), argv.data());
    // Only reached when the program could not be started.
    std::fprintf(stderr, "kestrel-cli frame: cannot start '%s': %s\n", program.c_str(),
                 std::strerror(errno));
    return 1;
}

} // namespace kestrel::cli
