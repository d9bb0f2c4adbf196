// Which command buttons are enabled for a state of the list, the engine and the window.
#include "window/ButtonEnabling.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

// Buttons 0..12 as a row of 1 (enabled) and 0.
std::string Row(const std::array<bool, ButtonEnabling::kCount>& on) {
    std::string row;
    for (const bool b : on)
        row += b ? '1' : '0';
    return row;
}

TEST(ButtonEnabling, FollowsListEngineAndSource) {
    const auto base = [] {
        ButtonInputs in;
        in.ListCount = 3;
        in.CurrentIndex = 1;
        in.EngineReady = true;
        in.PlayState = 2;
        in.SpeedCode = 0;
        in.SensorDataLoaded = 1;
        in.SourceKind = SourceSdCard;
        in.CsvBlocked = 0;
        return in;
    };
    struct Case {
        const char* What;
        void (*Change)(ButtonInputs&);
        const char* Want; // 先頭 前 再生 スロー 早送り 次 静止画 結合 拡大 参照 削除 設定 CSV
    } cases[] = {
        {"playing, middle of the list", [](ButtonInputs&) {}, "1111111111111"},
        {"no list", [](ButtonInputs& in) { in.ListCount = 0; }, "0000000001001"},
        {"no list, CSV blocked",
         [](ButtonInputs& in) {
             in.ListCount = 0;
             in.CsvBlocked = 1;
         },
         "0000000001000"},
        {"slowest speed", [](ButtonInputs& in) { in.SpeedCode = -2; }, "1110111111111"},
        {"fastest speed", [](ButtonInputs& in) { in.SpeedCode = 4; }, "1111011111111"},
        {"one recording",
         [](ButtonInputs& in) {
             in.ListCount = 1;
             in.CurrentIndex = 0;
         },
         "1011101111111"},
        {"first recording", [](ButtonInputs& in) { in.CurrentIndex = 0; }, "1011111111111"},
        {"last recording", [](ButtonInputs& in) { in.CurrentIndex = 2; }, "1111101111111"},
        {"data not loaded", [](ButtonInputs& in) { in.SensorDataLoaded = 0; }, "1111110101111"},
        {"stopped", [](ButtonInputs& in) { in.PlayState = 1; }, "0110011111111"},
        {"stopped, data not loaded",
         [](ButtonInputs& in) {
             in.PlayState = 1;
             in.SensorDataLoaded = 0;
         },
         "0100010101111"},
        {"paused", [](ButtonInputs& in) { in.PlayState = 3; }, "1110011111111"},
        {"engine not ready", [](ButtonInputs& in) { in.EngineReady = false; }, "0110011111111"},
        {"folder source", [](ButtonInputs& in) { in.SourceKind = SourceFolder; }, "1111111011111"},
        {"single file", [](ButtonInputs& in) { in.SourceKind = SourceFile; }, "1111111011011"},
        {"opening or a job running", [](ButtonInputs& in) { in.Busy = true; }, "0000000000000"},
    };
    for (const Case& c : cases) {
        ButtonInputs in = base();
        c.Change(in);
        EXPECT_EQ(Row(ButtonEnabling::Compute(in)), c.Want) << c.What;
    }
}

} // namespace
} // namespace kestrel
