#pragma once
// The words for a file that could not be opened or read, as they follow its name in a
// message ("P cannot be read: permission denied").
#include <string>

namespace kestrel::platform {

// For the system error `error` (an errno value).
std::string FileErrorText(int error);

} // namespace kestrel::platform
