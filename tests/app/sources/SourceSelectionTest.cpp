// Choosing a source: the removable drives, the source dialog's kinds, OK rule and stored
// choice, and the path that is then opened.
#include "AppTestSupport.h"
#include "CardFixture.h"
#include "settings/SettingsStore.h"
#include "skin/CSkinCheckButton.h"
#include "sources/CSourceOpenDlg.h"
#include "sources/RemovableDrives.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

TEST(RemovableDrives, MountPointsOfRemovableDevicesOnlyInNameOrderWithEscapesUndone) {
    const std::string mountInfo = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "40 22 8:17 / /media/user/SD\\040CARD rw - vfat /dev/sdb1 rw\n"
                                  "41 22 179:1 / /media/user/ACARD rw - vfat /dev/mmcblk0p1 rw\n"
                                  "42 22 179:1 / /media/user/ACARD rw - vfat /dev/mmcblk0p1 rw\n"
                                  "broken line\n";
    const auto removable = [](std::string_view device) { return device != "8:1"; };
    const std::vector<std::string> points = RemovableMountPoints(mountInfo, removable);
    EXPECT_EQ(points, (std::vector<std::string>{"/media/user/ACARD", "/media/user/SD CARD"}));
}

TEST(RemovableDrives, TheGivenRootsAreListedAndTheLastIsPreselected) {
    const struct {
        const char* Roots;
        std::vector<std::string> Listed;
        int Preselected;
    } cases[] = {
        {"/media/b:/media/a", {"/media/a", "/media/b"}, 1},
        {"/media/only", {"/media/only"}, 0},
        {"", {}, -1},
        {"::", {}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Roots);
        test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS", c.Roots);
        std::vector<std::string> list{"kept"};
        const int preselected = ListRemovableDrives(list);
        std::vector<std::string> expected{"kept"};
        expected.insert(expected.end(), c.Listed.begin(), c.Listed.end());
        EXPECT_EQ(list, expected);
        EXPECT_EQ(preselected, c.Listed.empty() ? -1 : c.Preselected + 1);
    }
}

class SourceDialog : public ::testing::Test {
  protected:
    void SetUp() override { SettingsStore::CaptureSettingsFolder(); }
    test::TempWorkDir dir_;
};

TEST_F(SourceDialog, StoredKindIsSelectedAndOkFollowsTheKindOnlyWhenItChanges) {
    const fs::path cardA = dir_.Path() / "A", cardB = dir_.Path() / "B";
    fs::create_directories(cardA);
    fs::create_directories(cardB);
    test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS", cardB.string() + ":" + cardA.string());
    WriteSetting("SOURCE", "SELECT", "FOLDER");
    WriteSetting("SOURCE", "FOLDER", "/some/folder");
    WriteSetting("SOURCE", "SD", cardA.string()); // does not choose the drive

    CSourceOpenDlg dlg;
    EXPECT_EQ(dlg.Kind(), 2);
    EXPECT_TRUE(dlg.KindButton(2)->isChecked());
    EXPECT_FALSE(dlg.KindButton(1)->isChecked());
    EXPECT_EQ(dlg.FolderEdit()->text(), QStringLiteral("/some/folder"));
    EXPECT_EQ(dlg.DriveList()->currentText().toStdString(), cardB.string()) << "the later drive";
    EXPECT_TRUE(dlg.OkButton()->isEnabled());
    EXPECT_EQ(dlg.size(), QSize(540, 250));

    // Typing does not re-evaluate OK; choosing the kind again does.
    dlg.FolderEdit()->clear();
    EXPECT_TRUE(dlg.OkButton()->isEnabled());
    dlg.SelectKind(CSourceOpenDlg::IdFolder);
    EXPECT_FALSE(dlg.OkButton()->isEnabled());
    dlg.SelectKind(CSourceOpenDlg::IdFile);
    EXPECT_FALSE(dlg.OkButton()->isEnabled()) << "no file stored";
    dlg.SelectKind(CSourceOpenDlg::IdSdCard);
    EXPECT_TRUE(dlg.OkButton()->isEnabled());
    EXPECT_TRUE(dlg.KindButton(1)->isChecked());
    EXPECT_FALSE(dlg.KindButton(2)->isChecked());
}

TEST_F(SourceDialog, CardChosenWithoutAnyDriveLeavesOkDisabled) {
    test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS", "");
    WriteSetting("SOURCE", "SELECT", "SD");
    CSourceOpenDlg dlg;
    EXPECT_EQ(dlg.Kind(), 1);
    EXPECT_EQ(dlg.DriveList()->count(), 0);
    EXPECT_FALSE(dlg.OkButton()->isEnabled());
}

TEST_F(SourceDialog, OkWritesTheKindAndItsPathAndNothingElse) {
    const fs::path card = dir_.Path() / "CARD";
    fs::create_directories(card);
    test::ScopedEnv env("KESTREL_REMOVABLE_ROOTS", card.string());
    const struct {
        int Id;
        const char* Select;
        const char* Key;
        std::string Expected;
    } cases[] = {
        {CSourceOpenDlg::IdSdCard, "SD", "SD", card.string()},
        {CSourceOpenDlg::IdFolder, "FOLDER", "FOLDER", "/typed/folder/"},
        {CSourceOpenDlg::IdFile, "FILE", "FILE", "/typed/file.MOV"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Select);
        fs::remove(dir_.Path() / SettingsStore::kFileName);
        CSourceOpenDlg dlg;
        dlg.FolderEdit()->setText(QStringLiteral("/typed/folder/"));
        dlg.FileEdit()->setText(QStringLiteral("/typed/file.MOV"));
        dlg.SelectKind(c.Id);
        dlg.OnOk();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(ReadSetting("SOURCE", "SELECT"), c.Select);
        EXPECT_EQ(ReadSetting("SOURCE", c.Key), c.Expected);
        EXPECT_EQ(dlg.ChosenPath(), c.Expected);
        for (const char* other : {"SD", "FOLDER", "FILE"}) {
            if (std::string(other) != c.Key) {
                EXPECT_EQ(ReadSetting("SOURCE", other), "") << other;
            }
        }
    }
}

TEST_F(SourceDialog, ThePathOpenedLosesOneTrailingSlashAndAMissingPathOpensNothing) {
    const fs::path rec = dir_.Path() / "rec";
    fs::create_directories(rec);
    EXPECT_EQ(CSourceOpenDlg::PathToOpen(rec.string() + "/"), rec);
    EXPECT_EQ(CSourceOpenDlg::PathToOpen(rec.string()), rec);
    EXPECT_EQ(CSourceOpenDlg::PathToOpen("/"), fs::path("/"));
    EXPECT_EQ(CSourceOpenDlg::PathToOpen(""), fs::path());
    EXPECT_FALSE(CSourceOpenDlg::PathToOpen((dir_.Path() / "missing").string()).has_value());
    EXPECT_FALSE(CSourceOpenDlg::PathToOpen((dir_.Path() / "missing/").string()).has_value());
}

} // namespace
} // namespace kestrel
