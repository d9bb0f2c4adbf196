// Start-up and shutdown of the main window in a working directory of its own.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "settings/SettingsStore.h"
#include "skin/CSkinSliderCtrl.h"

#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace kestrel {
namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(Startup, FirstRunWritesTheDefaultsInTheWorkingDirectory) {
    test::TempWorkDir dir;
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    EXPECT_EQ(Slurp(dir.Path() / "Default_Folder.ini"),
              "[DISPLAY]\nINFOCHECK=31\nASPECT=on\nVOLUME=65535\n[MAP]\nTILE_URL=https://"
              "tile.openstreetmap.org/{z}/{x}/{y}.png\nTILE_ATTRIBUTION=&copy; <a href=\""
              "https://www.openstreetmap.org/copyright\">OpenStreetMap</a> contributors\n"
              // No update site until the user names one.
              "[UPDATE]\nHOST=\nVERSION_0=\nPAGE_0=\nVERSION_A=\nPAGE_A=\nVERSION_C=\nPAGE_C=\n");
    EXPECT_EQ(SettingsStore::SettingsFolder(), dir.Path());
    EXPECT_EQ(window.Volume(), 65535);
    EXPECT_EQ(window.VolumeSlider()->Value(), 65535) << "the volume slider stands at the maximum";
    EXPECT_EQ(window.AspectFlag(), 1);
    EXPECT_EQ(window.Engine()->Ready.load(), 1);
    EXPECT_EQ(window.Engine()->SensorDataLoaded, 0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ravenlog4"));
    EXPECT_EQ(window.size(), QSize(1120, 700));
    EXPECT_EQ(window.DisplaySize(), 0);
    EXPECT_TRUE(window.TimerActive(CKestrelDlg::TimerHousekeeping));
    EXPECT_FALSE(window.TimerActive(CKestrelDlg::TimerTick));
}

TEST(Startup, StoredDisplaySettingsAreReadAndOnlyTheVolumeWrittenBack) {
    struct Case {
        const char* File;
        int Volume;
        int Aspect;
        int HardwareDecoding;
        const char* After;
    } cases[] = {
        {"[DISPLAY]\nVOLUME=\n", 65535, 0, 0, "[DISPLAY]\nVOLUME=65535\n"},
        {"[DISPLAY]\nASPECT=off\nVOLUME=1234\n", 1234, 0, 0,
         "[DISPLAY]\nASPECT=off\nVOLUME=1234\n"},
        {"[DISPLAY]\nASPECT=on\nVOLUME=12ab\n[DECODE]\nHW=on\n", 12, 1, 1,
         "[DISPLAY]\nASPECT=on\nVOLUME=12\n[DECODE]\nHW=on\n"},
        {"[DISPLAY]\nVOLUME=abc\n[DECODE]\nHW=ON\n", 0, 0, 0,
         "[DISPLAY]\nVOLUME=0\n[DECODE]\nHW=ON\n"},
        // A hand-edited volume beyond what the engine takes is held to its range.
        {"[DISPLAY]\nVOLUME=99999\n", 65535, 0, 0, "[DISPLAY]\nVOLUME=65535\n"},
        {"[SOURCE]\nSELECT=SD\n", 65535, 0, 0, "[SOURCE]\nSELECT=SD\n[DISPLAY]\nVOLUME=65535\n"},
    };
    for (const Case& c : cases) {
        test::TempWorkDir dir;
        std::ofstream(dir.Path() / "Default_Folder.ini", std::ios::binary) << c.File;
        CKestrelDlg window;
        ASSERT_TRUE(window.Initialise());
        EXPECT_EQ(window.Volume(), c.Volume) << c.File;
        EXPECT_EQ(window.AspectFlag(), c.Aspect) << c.File;
        EXPECT_EQ(window.Engine()->HardwareDecoding, c.HardwareDecoding) << c.File;
        EXPECT_EQ(Slurp(dir.Path() / "Default_Folder.ini"), c.After) << c.File;
    }
}

TEST(Startup, ShutdownStopsTheEngineAndTimersOnce) {
    test::TempWorkDir dir;
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    window.Shutdown();
    EXPECT_TRUE(window.IsShutDown());
    EXPECT_EQ(window.Engine()->Ready.load(), 0);
    for (const int timer : {100, 101, 102, 103, 104})
        EXPECT_FALSE(window.TimerActive(timer)) << timer;
    window.Shutdown(); // the close that follows runs it again: nothing happens
    // Messages that arrive after the shutdown find nothing to act on.
    PostAppEvent(&window, WM_APP_SLIDER_RELEASE, CKestrelDlg::IdVolumeSlider, 5);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Volume(), 65535);
}

size_t ThreadCount() {
    std::error_code ec;
    const auto tasks = std::filesystem::directory_iterator("/proc/self/task", ec);
    return ec ? 0
              : static_cast<size_t>(std::distance(tasks, std::filesystem::directory_iterator()));
}

TEST(Startup, ClosingLeavesNoThreadOfTheWindowRunning) {
    const auto openAndClose = [] {
        test::TempWorkDir dir;
        CKestrelDlg window;
        ASSERT_TRUE(window.Initialise());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.OnCommand(CKestrelDlg::IdClose);
    };
    openAndClose(); // the toolkit starts its own threads once, on first use
    const size_t before = ThreadCount();
    ASSERT_GT(before, 0u);
    openAndClose();
    EXPECT_TRUE(test::PumpUntil([&] { return ThreadCount() == before; }, 1000))
        << ThreadCount() << " threads, " << before << " before";
}

} // namespace
} // namespace kestrel
