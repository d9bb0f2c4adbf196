#include "settings/SettingsStore.h"

#include <climits>
#include <system_error>

namespace kestrel {
namespace {

std::filesystem::path& Folder() {
    static std::filesystem::path folder;
    return folder;
}

} // namespace

void SettingsStore::CaptureSettingsFolder() {
    std::error_code ec;
    Folder() = std::filesystem::current_path(ec);
    if (ec)
        Folder() = ".";
}

const std::filesystem::path& SettingsStore::SettingsFolder() {
    return Folder();
}

IniFile SettingsStore::File() {
    return IniFile(Folder() / kFileName);
}

std::string ReadSetting(std::string_view section, std::string_view key) {
    return SettingsStore::File().Read(section, key);
}

std::string ReadPathSetting(std::string_view section, std::string_view key) {
    return SettingsStore::File().ReadWhole(section, key);
}

bool WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
    return SettingsStore::File().Write(section, key, value);
}

int SettingToInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace kestrel
