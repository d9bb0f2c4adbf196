#pragma once
// The arguments of one command: its flags, its options that take a value, and the one
// path it works on.
#include "Commands.h"

#include <map>
#include <set>
#include <string>

namespace kestrel::cli {

struct CommandArgs {
    std::string Path;                          // the one argument that is not an option
    std::set<std::string> Flags;               // the flags given
    std::map<std::string, std::string> Values; // option -> value, for the options given

    bool Has(const std::string& flag) const { return Flags.count(flag) != 0; }
    std::string Value(const std::string& option) const;

    // Splits `args` by the command's `flags` and `valued` options. On failure returns false
    // with the one-line reason in `error`; `pathName` names the path in it ("FILE", "PATH").
    bool Parse(const Args& args, const std::set<std::string>& flags,
               const std::set<std::string>& valued, const std::string& pathName,
               std::string& error);
};

} // namespace kestrel::cli
