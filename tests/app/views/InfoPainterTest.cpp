#include "views/InfoPainter.h"

#include "views/CInfoDlg.h"

#include <QCoreApplication>
#include <QTest>

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

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int Count = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Count;
        return QObject::eventFilter(watched, event);
    }
};

TEST(InfoStripTest, RepaintsOnlyWhenWhatItShowsChanges) {
    CInfoDlg info(nullptr);
    info.resize(400, 80);
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    info.DataValid = 1;
    info.StartTime = DateTime{2024, 5, 3, 1, 10, 0, 0, 0};
    info.FrameMs = 30.0;
    info.GpsValid = 1;
    info.SpeedKmh = 42.0;
    info.SetAccel(0.1, 0.2, 0.3);
    PaintCounter paints;
    info.installEventFilter(&paints);
    const auto refreshAt = [&](int slot) {
        info.Slot = slot;
        info.Refresh();
        QCoreApplication::processEvents();
        return paints.Count;
    };
    const int first = refreshAt(0);
    EXPECT_GE(first, 1);
    // Slots 1..33 lie in the same second, with the same speed and G values.
    EXPECT_EQ(refreshAt(1), first);
    EXPECT_EQ(refreshAt(33), first);
    EXPECT_GT(refreshAt(34), first) << "the next second is shown";
    const int second = paints.Count;
    info.SpeedKmh = 43.0;
    EXPECT_GT(refreshAt(34), second) << "a new speed is shown";
    const int third = paints.Count;
    info.SetAccel(0.1, 0.2, -0.3);
    EXPECT_GT(refreshAt(34), third) << "a new G value is shown";
}

} // namespace
} // namespace kestrel
