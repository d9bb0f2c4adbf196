#include "views/GraphEvents.h"

#include "views/EventKind.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// A recording of `n` slots, one sample per slot.
struct Recording {
    explicit Recording(int n) : samples(static_cast<size_t>(n)) {
        for (int i = 0; i < n; ++i) {
            samples[static_cast<size_t>(i)].Index = i;
            frames.push_back(&samples[static_cast<size_t>(i)]);
        }
    }
    GraphSamples Data() { return {&samples, &frames}; }
    GSensorSample& operator[](int i) { return samples[static_cast<size_t>(i)]; }
    GSensorSampleList samples;
    FrameIndexList frames;
};

TEST(GraphEventsTest, GEventHidesTheUserPointOfTheSameSampleEverywhere) {
    Recording rec(4);
    rec[2].Axis = 1;
    rec[2].EventCode = 5;
    GraphEvents events;
    const std::vector<EventPosition> list = events.CollectAll(rec.Data());
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Slot, 2);
    EXPECT_EQ(list[0].Kind, KindGX);
    EXPECT_EQ(rec[2].EventCode, -1);
    // With the X axis hidden the user point is gone too: its code was overwritten.
    events.Entries[0].ShowOnMap = 0;
    EXPECT_TRUE(events.CollectAll(rec.Data()).empty());
}

TEST(GraphEventsTest, KindsWithoutExtendedEventsAndRunStarts) {
    struct Case {
        const char* What;
        void (*Set)(GSensorSample&);
        int Extended; // kind with extended kinds on
        int Plain;    // kind with them off
    };
    const Case cases[] = {
        {"X", [](GSensorSample& s) { s.Axis = 1; }, KindGX, -1},
        {"Y", [](GSensorSample& s) { s.Axis = 2; }, KindGYBrake, -1},
        {"Z", [](GSensorSample& s) { s.Axis = 3; }, KindGZDrop, -1},
        {"manual", [](GSensorSample& s) { s.EventCode = 5; }, KindManual, KindManual},
        {"stop", [](GSensorSample& s) { s.EventCode = 6; }, KindEmergencyStop, KindEmergencyStop},
        {"parking", [](GSensorSample& s) { s.EventCode = 7; }, KindParking, -1},
        {"speeding", [](GSensorSample& s) { s.WarningFlag = 8; }, KindSpeeding, KindSpeeding},
        {"camera",
         [](GSensorSample& s) {
             s.CameraHigh = 10;
             s.CameraLow = 9;
         },
         KindSpeedCamera, -1},
        {"radar",
         [](GSensorSample& s) {
             s.CameraHigh = 9;
             s.CameraLow = 8;
         },
         KindRadar, -1},
        {"support", [](GSensorSample& s) { s.EventCode = 12; }, KindSupportAccel, KindSupportAccel},
    };
    for (const Case& c : cases) {
        for (const int extended : {1, 0}) {
            Recording rec(6);
            for (int i = 2; i < 5; ++i)
                c.Set(rec[i]);
            GraphEvents events;
            events.ExtendedKinds = extended;
            const std::vector<EventPosition> list = events.CollectAll(rec.Data());
            const int expected = extended ? c.Extended : c.Plain;
            SCOPED_TRACE(std::string(c.What) + (extended ? " extended" : " plain"));
            if (expected < 0) {
                EXPECT_TRUE(list.empty());
                continue;
            }
            // A run of three slots is one event, at its first slot.
            ASSERT_EQ(list.size(), 1u);
            EXPECT_EQ(list[0].Slot, 2);
            EXPECT_EQ(list[0].Kind, expected);
        }
    }
}

TEST(GraphEventsTest, JumpsFindShownEventsAndWrap) {
    GraphEvents events;
    const std::vector<EventPosition> list = {{10, KindGX, 0}, {20, KindManual, 3}, {30, KindGX, 0}};
    EXPECT_EQ(events.NextEventFrame(list, 10), 20);
    EXPECT_EQ(events.NextEventFrame(list, 30), 10); // wraps to the first
    EXPECT_EQ(events.PreviousEventFrame(list, 20, 101), 10);
    EXPECT_EQ(events.PreviousEventFrame(list, 10, 101), 30); // wraps to the last
    events.Entries[0].ShowOnGraph = 0;
    EXPECT_EQ(events.NextEventFrame(list, 20), 20);
    EXPECT_EQ(events.PreviousEventFrame(list, 20, 101), 20);
    events.Entries[3].ShowOnGraph = 0;
    EXPECT_EQ(events.NextEventFrame(list, 0), -1);
}

TEST(GraphEventsTest, SlotsWithoutSampleEndNothingBadly) {
    Recording rec(3);
    rec.frames[1] = nullptr;
    rec[2].Index = 99; // outside the sample list
    rec[2].WarningFlag = 8;
    GraphEvents events;
    int kind = 0;
    EXPECT_FALSE(events.ClassifySlot(rec.Data(), 1, 6, kind));
    EXPECT_EQ(kind, -1);
    EXPECT_FALSE(events.ClassifySlot(rec.Data(), 2, 6, kind));
    EXPECT_EQ(kind, -1);
    EXPECT_FALSE(events.ClassifySlot(rec.Data(), 7, 6, kind));
    EXPECT_FALSE(events.ClassifySlot({}, 0, 6, kind));
}

} // namespace
} // namespace kestrel
