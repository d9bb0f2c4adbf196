#include "platform/FileError.h"

#include <cerrno>
#include <cstring>

namespace kestrel::platform {

std::string FileErrorText(int error) {
    switch (error) {
    case ENOENT:
        return "does not exist";
    case EACCES:
    case EPERM:
        return "cannot be read: permission denied";
    case EISDIR:
        return "is a folder, not a movie";
    default:
        break;
    }
    std::string reason = std::strerror(error);
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z')
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return "cannot be read: " + reason;
}

} // namespace kestrel::platform
