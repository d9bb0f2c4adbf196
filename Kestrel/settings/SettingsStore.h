#pragma once
// The viewer's settings: `Default_Folder.ini` in the settings folder, which is the working
// directory when the main window starts (not the program's folder). Used on the user-interface
// thread only.
#include "settings/IniFile.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace kestrel {

class SettingsStore {
  public:
    static constexpr const char* kFileName = "Default_Folder.ini";

    // Takes the current directory as the settings folder. The main window calls it once while
    // it initialises; later changes of the working directory do not move the settings.
    static void CaptureSettingsFolder();
    static const std::filesystem::path& SettingsFolder();
    static IniFile File();
};

// The value of section/key, "" when missing; at most 259 characters.
std::string ReadSetting(std::string_view section, std::string_view key);
// The value of a key that holds a path, never cut.
std::string ReadPathSetting(std::string_view section, std::string_view key);
// Writes section/key at once; false when the file could not be written.
bool WriteSetting(std::string_view section, std::string_view key, std::string_view value);

// The usual decimal conversion of a settings text: blanks, an optional sign, then the leading
// digits; 0 when there are none. Values beyond the range of int are held at its ends.
int SettingToInt(std::string_view text);

} // namespace kestrel
