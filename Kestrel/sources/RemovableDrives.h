#pragma once
// The removable drives a recorder's card can be in: the mount points of removable block
// devices, or, when KESTREL_REMOVABLE_ROOTS is set (colon-separated mount points), exactly
// those.
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Appends the root of every removable drive, in name order, and returns the index of the
// entry to preselect: the last one, or -1 when none was appended.
int ListRemovableDrives(std::vector<std::string>& list);

// The mount points of removable devices listed in `mountInfo` (the text of
// /proc/self/mountinfo); `isRemovable` answers for a device number "major:minor".
std::vector<std::string> RemovableMountPoints(std::string_view mountInfo,
                                              bool (*isRemovable)(std::string_view device));

} // namespace kestrel
