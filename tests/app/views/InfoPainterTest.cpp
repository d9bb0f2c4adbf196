#include "views/InfoPainter.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

Readouts At(int slot, int timeLapse = 0, uint16_t year = 2023) {
    Readouts r;
    r.DataValid = 1;
    r.StartTime = DateTime{year, 5, 1, 1, 10, 0, 0, 0};
    r.FrameMs = 33.3667;
    r.Slot = slot;
    r.TimeLapse = timeLapse;
    return r;
}

TEST(InfoPainterTest, DateAndTimeOfTheShownFrame) {
    EXPECT_EQ(InfoPainter::DateTimeText(At(900)), "2023/05/01 10:00:30");
    EXPECT_EQ(InfoPainter::DateTimeText(At(900, 1)), "2023/05/01 10:07:30");
    EXPECT_EQ(InfoPainter::DateTimeText(At(0, 0, 2060)), "2025/05/01 10:00:00");
    EXPECT_EQ(InfoPainter::DateTimeText(At(-1)), "");
    Readouts noData = At(10);
    noData.DataValid = 0;
    EXPECT_EQ(InfoPainter::DateTimeText(noData), "");
    Readouts noTime = At(10);
    noTime.StartTime = {};
    EXPECT_EQ(InfoPainter::DateTimeText(noTime), "");
}

TEST(InfoPainterTest, SpeedAndGValues) {
    const struct {
        int Valid;
        double Speed;
        const char* Text;
    } speeds[] = {
        {1, 1234.6, "999 "}, {1, 0.4, "0 "}, {1, 57.5, "58 "}, {0, 50.0, ""}, {1, -1.0, ""}};
    for (const auto& c : speeds) {
        Readouts r;
        r.GpsValid = c.Valid;
        r.SpeedKmh = c.Speed;
        EXPECT_EQ(InfoPainter::SpeedText(r), c.Text) << c.Speed;
    }
    const struct {
        double G;
        const char* Text;
    } gs[] = {{0.459, "0.45G"}, {-0.459, "-0.45G"}, {-4.999, "-4.99G"}, {-5.0, ""}, {-7.0, ""}};
    for (const auto& c : gs)
        EXPECT_EQ(InfoPainter::AccelText(c.G), c.Text) << c.G;
}

} // namespace
} // namespace kestrel
