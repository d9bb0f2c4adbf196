// The settings file: reads that go to the file every time, writes that keep the rest of it.
#include "AppTestSupport.h"
#include "settings/FolderBrowser.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>

namespace kestrel {
namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spill(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(SettingsFile, ReadsWhatIsThereAndNothingElse) {
    test::TempWorkDir dir;
    const IniFile ini(dir.Path() / "Default_Folder.ini");
    EXPECT_EQ(ini.Read("DISPLAY", "ASPECT"), "") << "missing file";
    Spill(ini.Path(), "; comment\r\n[display]\r\n Aspect = on "
                      "\r\nVOLUME=\r\n[SOURCE]\r\nFOLDER=\"/media/card one\"\r\n");
    struct Case {
        const char* Section;
        const char* Key;
        const char* Want;
    } cases[] = {
        {"DISPLAY", "ASPECT", "on"},             // names without regard to case, blanks dropped
        {"DISPLAY", "VOLUME", ""},               // present but empty
        {"DISPLAY", "INFOCHECK", ""},            // missing key
        {"SOURCE", "FOLDER", "/media/card one"}, // quotes dropped
        {"SOURCE", "ASPECT", ""},                // a key of another section is not seen
        {"DECODE", "HW", ""},                    // missing section
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.Read(c.Section, c.Key), c.Want) << c.Section << "/" << c.Key;
    }
}

TEST(SettingsFile, WritesInPlaceKeepingOtherLinesAndLineEnds) {
    test::TempWorkDir dir;
    const IniFile ini(dir.Path() / "Default_Folder.ini");
    Spill(ini.Path(), "[DISPLAY]\r\nASPECT=on\r\n; keep me\r\n[SOURCE]\r\nSELECT=SD\r\n");
    EXPECT_TRUE(ini.Write("DISPLAY", "ASPECT", "off"));
    EXPECT_TRUE(ini.Write("DISPLAY", "VOLUME", "100"));
    EXPECT_TRUE(ini.Write("FOLDERPATH", "CSV_FOLDER", "/home/u/出力"));
    EXPECT_EQ(Slurp(ini.Path()),
              "[DISPLAY]\r\nASPECT=off\r\n; keep me\r\nVOLUME=100\r\n"
              "[SOURCE]\r\nSELECT=SD\r\n[FOLDERPATH]\r\nCSV_FOLDER=/home/u/出力\r\n");
    // What cannot be one line of the file is refused and changes nothing.
    EXPECT_FALSE(ini.Write("DISPLAY", "ASPECT", "on\n[EVIL]"));
    EXPECT_FALSE(ini.Write("", "ASPECT", "on"));
    EXPECT_EQ(ini.Read("DISPLAY", "ASPECT"), "off");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Default_Folder.ini.new"));
}

TEST(SettingsFile, NothingIsCachedBetweenReads) {
    test::TempWorkDir dir;
    SettingsStore::CaptureSettingsFolder();
    EXPECT_EQ(SettingsStore::SettingsFolder(), dir.Path());
    EXPECT_TRUE(WriteSetting("DISPLAY", "VOLUME", "1"));
    EXPECT_EQ(ReadSetting("DISPLAY", "VOLUME"), "1");
    // Someone else edits the file: the next read sees it.
    Spill(dir.Path() / SettingsStore::kFileName, "[DISPLAY]\nVOLUME=2\n");
    EXPECT_EQ(ReadSetting("DISPLAY", "VOLUME"), "2");
    std::filesystem::remove(dir.Path() / SettingsStore::kFileName);
    EXPECT_EQ(ReadSetting("DISPLAY", "VOLUME"), "");
}

TEST(SettingsFile, LongValuesComeBackCutExceptPaths) {
    test::TempWorkDir dir;
    SettingsStore::CaptureSettingsFolder();
    const std::string ascii(300, 'a');
    std::string japanese;
    for (int i = 0; i < 300; ++i)
        japanese += "動";
    const std::string astral = std::string(258, 'b') + "\xF0\x9F\x9A\x97"; // a pair at 259..260
    ASSERT_TRUE(WriteSetting("X", "A", ascii));
    ASSERT_TRUE(WriteSetting("X", "J", japanese));
    ASSERT_TRUE(WriteSetting("X", "S", astral));
    EXPECT_EQ(ReadSetting("X", "A"), std::string(259, 'a'));
    EXPECT_EQ(ReadSetting("X", "J").size(), 259u * 3);
    EXPECT_EQ(ReadSetting("X", "S"), std::string(258, 'b')) << "never half a character";
    EXPECT_EQ(ReadPathSetting("X", "J"), japanese);
}

TEST(SettingsFile, FailedWriteIsReportedAndLeavesTheFile) {
    test::TempWorkDir dir;
    const IniFile ini(dir.Path() / "Default_Folder.ini");
    ASSERT_TRUE(ini.Write("DISPLAY", "ASPECT", "on"));
    // The new file cannot be made where it would go.
    std::filesystem::create_directory(dir.Path() / "Default_Folder.ini.new");
    EXPECT_FALSE(ini.Write("DISPLAY", "ASPECT", "off"));
    EXPECT_EQ(ini.Read("DISPLAY", "ASPECT"), "on");
    const IniFile nowhere(dir.Path() / "missing" / "Default_Folder.ini");
    EXPECT_FALSE(nowhere.Write("DISPLAY", "ASPECT", "on"));
}

TEST(SettingsFile, DecimalConversionOfTexts) {
    const std::pair<const char*, int> cases[] = {
        {"65535", 65535},
        {"", 0},
        {"abc", 0},
        {" 42x", 42},
        {"-7", -7},
        {"+8", 8},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& [text, want] : cases)
        EXPECT_EQ(SettingToInt(text), want) << text;
}

TEST(SettingsFile, FolderPickerStartsOnTheStoredFolderOrTheSettingsFolder) {
    test::TempWorkDir dir;
    SettingsStore::CaptureSettingsFolder();
    EXPECT_EQ(FolderBrowser::StartFolder("FOLDERPATH", "CSV_FOLDER"), dir.Path());
    ASSERT_TRUE(WriteSetting("FOLDERPATH", "CSV_FOLDER", "/media/カード"));
    EXPECT_EQ(FolderBrowser::StartFolder("FOLDERPATH", "CSV_FOLDER"), "/media/カード");
    EXPECT_EQ(FolderBrowser::LocalFolderOf(QUrl::fromLocalFile("/tmp/a b")), "/tmp/a b");
    EXPECT_TRUE(FolderBrowser::LocalFolderOf(QUrl("smb://server/share")).empty());
}

} // namespace
} // namespace kestrel
