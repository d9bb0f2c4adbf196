// The generator's recorder data: record and header bytes, the udat box, the scripted
// drive, its calendar arithmetic and the frame-number pattern.
#include "mkrec/CivilTime.h"
#include "mkrec/FramePattern.h"
#include "mkrec/RecordEncoder.h"
#include "mkrec/RecorderScript.h"
#include "mkrec/UdatBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace kestrel::mkrec {
namespace {

std::string At(const uint8_t* bytes, size_t offset, size_t size) {
    return std::string(reinterpret_cast<const char*>(bytes) + offset, size);
}

RecordValues DistinctRecord() {
    RecordValues v;
    v.Lead = "LEAD!";
    v.GpsStatus = 'V';
    v.Latitude = "3539.1234";
    v.LatitudeSign = 0;
    v.Longitude = "13945.6789";
    v.LongitudeSign = 'E';
    v.Speed = "45.6";
    v.DateTime = "240501235959";
    v.TimeOffset = "009";
    v.AccelX = "-0150";
    v.AccelY = "+0820";
    v.AccelZ = "+1350";
    v.Manual = 'D';
    v.Axis = 'Y';
    v.Event = 'H';
    v.SecondEvent = 'D';
    v.Parking = 'd';
    v.Warning = 'w';
    v.Status = {' ', 'b', 'c', 'd'};
    for (size_t i = 0; i < v.Words.size(); ++i) v.Words[i] = static_cast<uint16_t>(0x0102 * (i + 1));
    v.Camera = 'r';
    v.CameraNibbles = 0xA9;
    return v;
}

TEST(MkrecRecord, EachFieldLandsAtItsOffset) {
    uint8_t b[kRecordBytes];
    EncodeRecord(DistinctRecord(), b);
    const struct {
        size_t offset;
        std::string bytes;
    } fields[] = {
        {0, "LEAD!"},          {5, "V"},      {6, "3539.1234"},    {15, std::string(1, '\0')},
        {16, "13945.6789"},    {26, "E"},     {27, "45.6"},        {31, "240501235959"},
        {44, "009"},           {57, "-0150"}, {62, "+0820"},       {67, "+1350"},
        {72, "DYHDdw"},        {78, " bcd"},  {122, "r\xA9"},
    };
    for (const auto& f : fields) {
        EXPECT_EQ(f.bytes, At(b, f.offset, f.bytes.size())) << "offset " << f.offset;
    }
    // Vehicle words are little-endian.
    EXPECT_EQ(0x02, b[82]);
    EXPECT_EQ(0x01, b[83]);
    EXPECT_EQ(static_cast<uint8_t>(0x0102 * 18 & 0xFF), b[116]);
    EXPECT_EQ(static_cast<uint8_t>(0x0102 * 18 >> 8), b[117]);
}

TEST(MkrecRecord, ShortTextsArePaddedAndReadBack) {
    RecordValues v = DistinctRecord();
    v.Speed = "5";
    v.TimeOffset = "*";
    uint8_t b[kRecordBytes];
    EncodeRecord(v, b);
    EXPECT_EQ("5   ", At(b, 27, 4));
    EXPECT_EQ("*  ", At(b, 44, 3));
    // A padding space must not run into the next field.
    EXPECT_EQ("240501235959", At(b, 31, 12));

    const RecordValues full = DistinctRecord();
    EncodeRecord(full, b);
    EXPECT_EQ(full, ReadRecord(b));
}

TEST(MkrecRecord, HeaderFieldsLandAtTheirOffsets) {
    HeaderValues h;
    h.Thresholds = {"1200", "0800", "1500", "0001"};
    h.Mode = 'D';
    h.VersionSuffix = 'A';
    h.Major = '2';
    h.Minor = "34";
    h.Build = "56";
    h.Picture = 'L';
    h.Byte24 = 0x7F;
    h.RecordingType = 'T';
    h.VehicleData = 'N';
    h.Byte27 = 0x01;
    uint8_t b[kHeaderBytes];
    EncodeHeader(h, b);
    EXPECT_EQ("1200080015000001", At(b, 0, 16));
    EXPECT_EQ("DA23456L\x7FTN\x01", At(b, 16, 12));
    EXPECT_EQ(h, ReadHeader(b));
}

TEST(MkrecUdat, LayoutCountAndTrailer) {
    DriveOptions o = DefaultDriveOptions(3);
    const std::vector<RecordValues> records = MakeDriveScript(o);
    for (const bool good : {true, false}) {
        const std::vector<uint8_t> box = BuildUdatBox({HeaderValues{}}, records, good);
        ASSERT_EQ(44 + 3 * 124 + 18u, box.size());
        EXPECT_EQ(box.size(), (size_t{box[0]} << 24) | (size_t{box[1]} << 16) | (size_t{box[2]} << 8) | box[3]);
        EXPECT_EQ("udatCSNDAT", At(box.data(), 4, 10));
        EXPECT_EQ(0, box[42]);
        EXPECT_EQ(3, box[43]);
        EXPECT_EQ(good ? "CSNEND" : "CSNENX", At(box.data(), box.size() - 18, 6));
        EXPECT_EQ(std::string(12, '\0'), At(box.data(), box.size() - 12, 12));
        UdatContent c;
        ASSERT_TRUE(ReadUdatBox(box.data(), box.size(), c));
        EXPECT_EQ(records, c.Records);
        EXPECT_EQ(good, c.GoodTrailer);
    }
}

TEST(MkrecUdat, ChainedHeadersFollowTheirTags) {
    HeaderValues first;
    HeaderValues second = first;
    second.Build = "04";
    HeaderValues last = first;
    last.Thresholds = {"1500", "1600", "1700", "1000"};
    const std::vector<RecordValues> records = MakeDriveScript(DefaultDriveOptions(4));
    const std::vector<uint8_t> box = BuildUdatBox({first, second, last}, records, true);
    EXPECT_EQ("@CSB", At(box.data(), 14 + 32, 4));
    EXPECT_EQ("@CSC", At(box.data(), 14 + 36 + 32, 4));
    uint8_t expected[kHeaderBytes];
    EncodeHeader(last, expected);
    EXPECT_EQ(At(expected, 0, kHeaderBytes), At(box.data(), 14 + 72, kHeaderBytes));
    UdatContent c;
    ASSERT_TRUE(ReadUdatBox(box.data(), box.size(), c));
    ASSERT_EQ(3u, c.Headers.size());
    EXPECT_EQ(last, c.Headers.back());
    EXPECT_EQ(4, c.Count);

    // With no records the box still holds the whole chain before its trailer.
    const std::vector<uint8_t> empty = BuildUdatBox({first, second, last}, {}, true);
    ASSERT_TRUE(ReadUdatBox(empty.data(), empty.size(), c));
    EXPECT_EQ(3u, c.Headers.size());
    EXPECT_EQ(0, c.Count);
    EXPECT_TRUE(c.GoodTrailer);
    EXPECT_GE(empty.size(), 14 + 72 + kHeaderBytes + kTrailerBytes);
}

TEST(MkrecScript, DefaultDriveCarriesEveryEventWhereStated) {
    const std::vector<RecordValues> r = MakeDriveScript(DefaultDriveOptions(120));
    ASSERT_EQ(120u, r.size());
    EXPECT_EQ('D', r[2].Manual);
    EXPECT_EQ('X', r[4].Axis);
    EXPECT_EQ("+1350", r[4].AccelX);
    EXPECT_EQ('Y', r[6].Axis);
    EXPECT_EQ("-0820", r[6].AccelY);
    EXPECT_EQ('Z', r[8].Axis);
    EXPECT_EQ("+0640", r[8].AccelZ);
    EXPECT_EQ('H', r[10].Event);
    EXPECT_EQ('A', r[11].Event);
    EXPECT_EQ('B', r[12].Event);
    EXPECT_EQ('D', r[13].SecondEvent);
    EXPECT_EQ('D', r[13].Manual);
    EXPECT_EQ('D', r[14].Parking);
    EXPECT_EQ('D', r[15].Warning);
    EXPECT_EQ('D', r[16].Warning);
    EXPECT_EQ(0xA9, r[17].CameraNibbles);
    EXPECT_EQ(0x88, r[18].CameraNibbles);
    EXPECT_EQ(0x98, r[19].CameraNibbles);
    // The cluster comes again 100 records later; nothing happens in between.
    EXPECT_EQ('X', r[104].Axis);
    for (int i = 20; i < 100; ++i) {
        EXPECT_EQ('N', r[i].Axis) << i;
        EXPECT_EQ('N', r[i].Manual) << i;
        EXPECT_EQ(0, r[i].CameraNibbles) << i;
    }

    for (int i = 0; i < 120; ++i) {
        const bool lost = i % 100 >= 16 && i % 100 < 20;
        EXPECT_EQ(lost ? 'V' : 'A', r[i].GpsStatus) << i;
        EXPECT_EQ(lost ? "***" : "000", r[i].TimeOffset) << i;
        const bool noVehicle = i % 100 < 2;
        EXPECT_EQ(noVehicle ? ' ' : '1', r[i].Status[0]) << i;
        if (noVehicle) {
            EXPECT_TRUE(std::all_of(r[i].Words.begin(), r[i].Words.end(),
                                    [](uint16_t w) { return w == kNoWord; }));
        } else {
            EXPECT_EQ(kNoWord, r[i].Words[4]) << i; // gaps between the values
            EXPECT_NE(kNoWord, r[i].Words[0]) << i;
            EXPECT_GE(r[i].Words[0], 40 + 60) << i;
            EXPECT_LE(r[i].Words[0], 40 + 110) << i;
            EXPECT_LE(r[i].Words[2], 8000) << i;
            EXPECT_LE(r[i].Words[7], 1000) << i;
        }
    }
    EXPECT_EQ("3539.1234", r[0].Latitude);
    EXPECT_EQ("13945.6789", r[0].Longitude);
    EXPECT_EQ("0000.0000", r[17].Latitude);
}

TEST(MkrecScript, PeakAndNegativeValues) {
    const std::vector<RecordValues> r = MakeDriveScript(DefaultDriveOptions(300));
    double peak = 0.0;
    int peakRecord = -1;
    bool negative = false;
    for (size_t i = 0; i < r.size(); ++i) {
        for (const std::string* t : {&r[i].AccelX, &r[i].AccelY, &r[i].AccelZ}) {
            const double g = std::atof(t->c_str()) / 1000.0;
            negative = negative || g < 0.0;
            if (std::fabs(g) > peak) {
                peak = std::fabs(g);
                peakRecord = static_cast<int>(i);
            }
        }
    }
    EXPECT_DOUBLE_EQ(1.35, peak);
    EXPECT_EQ(4, peakRecord);
    EXPECT_TRUE(negative);
}

TEST(MkrecScript, TimeAdvancesOneSecondEveryTenRecords) {
    DriveOptions o = DefaultDriveOptions(25);
    o.Start = {2024, 2, 29, 23, 59, 59};
    const std::vector<RecordValues> r = MakeDriveScript(o);
    EXPECT_EQ("240229235959", r[0].DateTime);
    EXPECT_EQ("240229235959", r[9].DateTime);
    EXPECT_EQ("240301000000", r[10].DateTime);
    EXPECT_EQ("240301000001", r[20].DateTime);
}

TEST(MkrecScript, HemispheresSignBytesAndContinuation) {
    DriveOptions o = DefaultDriveOptions(60);
    o.StartLatitude = -(33.0 + 52.1234 / 60.0);
    o.StartLongitude = -(70.0 + 40.5 / 60.0);
    const std::vector<RecordValues> all = MakeDriveScript(o);
    EXPECT_EQ("3352.1234", all[0].Latitude);
    EXPECT_EQ("07040.5000", all[0].Longitude);
    EXPECT_EQ(0, all[0].LatitudeSign);
    EXPECT_EQ(0, all[0].LongitudeSign);
    EXPECT_NE(all[0].Latitude, all[59].Latitude); // the car moves

    // A later piece of the same drive is the same records.
    DriveOptions later = o;
    later.FirstRecord = 40;
    later.Records = 20;
    const std::vector<RecordValues> piece = MakeDriveScript(later);
    ASSERT_EQ(20u, piece.size());
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), all.begin() + 40));

    // Another seed changes the noise but not the events.
    DriveOptions seeded = o;
    seeded.Seed = 7;
    const std::vector<RecordValues> other = MakeDriveScript(seeded);
    EXPECT_NE(all[30].AccelX, other[30].AccelX);
    EXPECT_EQ(all[4].AccelX, other[4].AccelX);
    EXPECT_EQ(all, MakeDriveScript(o));
}

TEST(MkrecScript, PositionTexts) {
    EXPECT_EQ("3539.1234", LatitudeText(35.0 + 39.1234 / 60.0));
    EXPECT_EQ("00000.0000", LongitudeText(0.0));
    EXPECT_EQ("18000.0000", LongitudeText(179.9999999999));
    EXPECT_NEAR(35.65205667, DegreesFromText("3539.1234"), 1e-8);
    for (const char* bad : {"", "abc", "3560.0000", "-3539.1", "12x"}) {
        EXPECT_EQ(-1.0, DegreesFromText(bad)) << bad;
    }
}

TEST(MkrecTime, ParseAndArithmetic) {
    EXPECT_EQ((CivilTime{2024, 5, 1, 23, 59, 42}), ParseCivilTime("2024-05-01 23:59:42"));
    for (const char* bad : {"2024-02-30 00:00:00", "1999-12-31 23:59:59", "2024-05-01 24:00:00",
                            "2024-05-01", "2024-05-01 10:00:00x", "2023-02-29 00:00:00"}) {
        EXPECT_FALSE(ParseCivilTime(bad)) << bad;
    }
    EXPECT_EQ((CivilTime{2025, 1, 1, 0, 0, 1}), AddSeconds({2024, 12, 31, 23, 59, 59}, 2));
    EXPECT_EQ(0, ToEpochSeconds({1970, 1, 1, 0, 0, 0}));
    EXPECT_EQ("240501_235942", FileStem({2024, 5, 1, 23, 59, 42}));
}

TEST(MkrecPattern, RoundTripsAndRejectsPlainPictures) {
    const int w = 96;
    const int h = 64;
    const int stride = 100;
    std::vector<uint8_t> luma(static_cast<size_t>(stride) * h, 90);
    for (const int frame : {0, 1, 45, 0x8000, 12345, 65535}) {
        PaintFramePattern(luma.data(), stride, w, h, frame);
        EXPECT_EQ(frame, DecodeFramePattern(luma.data(), stride, w, h)) << frame;
    }
    for (const uint8_t level : {uint8_t{0}, uint8_t{128}, uint8_t{255}}) {
        std::vector<uint8_t> plain(static_cast<size_t>(w) * h, level);
        EXPECT_EQ(-1, DecodeFramePattern(plain.data(), w, w, h)) << int{level};
    }
    EXPECT_EQ(-1, DecodeFramePattern(luma.data(), stride, 8, h));

    // Through RGB, as a decoded picture or a JPEG gives it.
    PaintFramePattern(luma.data(), stride, w, h, 777);
    for (const int bpp : {3, 4}) {
        std::vector<uint8_t> rgb(static_cast<size_t>(w) * bpp * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                std::memset(&rgb[(static_cast<size_t>(y) * w + x) * bpp], luma[static_cast<size_t>(y) * stride + x], static_cast<size_t>(bpp));
            }
        }
        EXPECT_EQ(777, DecodeFramePatternRgb(rgb.data(), w * bpp, w, h, bpp)) << bpp;
    }
}

} // namespace
} // namespace kestrel::mkrec
