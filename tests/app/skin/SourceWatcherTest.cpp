// The source watcher: a removed source is reported once, within about 100 ms.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "skin/CMovieResource.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace kestrel {
namespace {

TEST(SourceWatcher, ReportsARemovedFolderOnceWithin100Ms) {
    test::TempWorkDir dir;
    const auto card = dir.Path() / "card" / "DCIM";
    std::filesystem::create_directories(card);
    test::MessageRecorder window;
    CMovieResource watcher(&window);
    watcher.SetWatchedPath(card);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.Received.empty()) << "the folder is still there";

    QElapsedTimer clock;
    std::filesystem::remove_all(dir.Path() / "card");
    clock.start();
    ASSERT_TRUE(test::PumpUntil([&] { return !window.Received.empty(); }, 1000));
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(elapsed, 250) << "reported after " << elapsed << " ms";
    EXPECT_EQ(window.Received[0], (test::MessageRecorder::Message{1201, 0, 0}));
    EXPECT_EQ(watcher.Gone(), 1);
    EXPECT_TRUE(watcher.WatchedPath().empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.Received.size(), 1u) << "reported once";
}

TEST(SourceWatcher, WatchesNothingWithoutAPathAndStopsAtOnce) {
    test::MessageRecorder window;
    QElapsedTimer clock;
    {
        CMovieResource watcher(&window);
        EXPECT_TRUE(watcher.Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        clock.start();
    }
    EXPECT_LT(clock.elapsed(), 50) << "the owner does not wait out a whole period";
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.Received.empty());
}

TEST(SourceWatcher, TheMainWindowEmptiesItsViewsWhenTheSourceGoes) {
    test::TempWorkDir dir;
    std::filesystem::create_directories(dir.Path() / "folder");
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    CMovieResource watcher(&window);
    watcher.SetWatchedPath(dir.Path() / "folder");
    std::filesystem::remove_all(dir.Path() / "folder");
    ASSERT_TRUE(test::PumpUntil([&] { return watcher.Gone() == 1; }, 1000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.IsShutDown()) << "the program itself does not run from that folder";
    EXPECT_EQ(window.CsvBlocked(), 1);
}

} // namespace
} // namespace kestrel
