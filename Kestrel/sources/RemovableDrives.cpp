#include "sources/RemovableDrives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kestrel {
namespace {

// Mount points escape blanks, tabs, newlines and backslashes as three octal digits.
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 +
                                                (digits[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

bool ReadsOne(const std::filesystem::path& file) {
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

// A partition is removable when its disk is: /sys/dev/block/M:m is the partition's
// directory, its parent the disk's.
bool DeviceIsRemovable(std::string_view device) {
    std::error_code ec;
    const std::filesystem::path link =
        std::filesystem::path("/sys/dev/block") / std::string(device);
    const std::filesystem::path dir = std::filesystem::canonical(link, ec);
    if (ec)
        return false;
    if (std::filesystem::exists(dir / "removable", ec))
        return ReadsOne(dir / "removable");
    if (std::filesystem::exists(dir / "partition", ec)) {
        return ReadsOne(dir.parent_path() / "removable");
    }
    return false;
}

std::vector<std::string> SplitRoots(std::string_view text) {
    std::vector<std::string> roots;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(':', start), text.size());
        if (end > start)
            roots.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return roots;
}

} // namespace

std::vector<std::string> RemovableMountPoints(std::string_view mountInfo,
                                              bool (*isRemovable)(std::string_view device)) {
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point ...
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (!(fields >> id >> parent >> device >> root >> mountPoint))
            continue;
        if (!isRemovable(device))
            continue;
        std::string point = Unescape(mountPoint);
        if (std::find(points.begin(), points.end(), point) == points.end()) {
            points.push_back(std::move(point));
        }
    }
    std::sort(points.begin(), points.end());
    return points;
}

int ListRemovableDrives(std::vector<std::string>& list) {
    std::vector<std::string> roots;
    if (const char* given = std::getenv("KESTREL_REMOVABLE_ROOTS")) {
        roots = SplitRoots(given);
        std::sort(roots.begin(), roots.end());
    } else {
        std::ifstream in("/proc/self/mountinfo");
        std::stringstream text;
        text << in.rdbuf();
        roots = RemovableMountPoints(text.str(), DeviceIsRemovable);
    }
    int preselect = -1;
    for (std::string& root : roots) {
        list.push_back(std::move(root));
        preselect = static_cast<int>(list.size()) - 1;
    }
    return preselect;
}

} // namespace kestrel
