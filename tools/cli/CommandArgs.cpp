#include "CommandArgs.h"

namespace kestrel::cli {

std::string CommandArgs::Value(const std::string& option) const {
    const auto found = Values.find(option);
    return found == Values.end() ? std::string() : found->second;
}

bool CommandArgs::Parse(const Args& args, const std::set<std::string>& flags,
                        const std::set<std::string>& valued, const std::string& pathName,
                        std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (valued.count(a)) {
            if (i + 1 == args.size()) {
                error = a + " needs a value";
                return false;
            }
            Values[a] = args[++i];
        } else if (flags.count(a)) {
            Flags.insert(a);
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else if (!Path.empty()) {
            error = "more than one " + pathName;
            return false;
        } else {
            Path = a;
        }
    }
    return true;
}

} // namespace kestrel::cli
