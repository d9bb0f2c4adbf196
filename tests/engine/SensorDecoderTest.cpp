#include "engine/RecorderHeaderReader.h"
#include "engine/SensorDecoder.h"

#include "RecorderFixture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kestrel {
namespace {

using fixture::Bytes;
using fixture::RecordText;

class SensorDecoderTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
    }
    static Bytes Encode(const RecordText& r) { return fixture::EncodeRecord(r); }
};

double Text(const std::string& s) {
    return TextToDouble(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST_F(SensorDecoderTest, TextToDoubleReadsOnlySignDigitsAndPoint) {
    const std::pair<std::string, double> cases[] = {
        {"0042", 42.0},   {"-0150", -150.0}, {"+1.5", 1.5},  {" 12.", 12.0},
        {"-.5", -0.5},    {"12-3", 12.0},    {"1.2.3", 1.2}, {"abc", 0.0},
        {"", 0.0},        {"-", 0.0},        {".", 0.0},     {"1e5", 1.0},
        {"0x1A", 0.0},    {"inf", 0.0},      {"nan", 0.0},   {std::string("7\0" "9", 3), 7.0},
    };
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(value, Text(text)) << '"' << text << '"';
    // The field's width is the limit, whatever follows it.
    const std::string digits = "123456";
    EXPECT_DOUBLE_EQ(12.0, TextToDouble(reinterpret_cast<const uint8_t*>(digits.data()), 2));
}

// The record decode reads the layouts the recorder writes without the general conversion.
// Whatever the bytes, a field must decode exactly (to the bit) as TextToDouble reads it:
// every four-digit group, every byte value in every place of the layouts, and fields that
// only look like a layout.
TEST_F(SensorDecoderTest, RecordFieldsDecodeExactlyAsTheGeneralConversion) {
    const auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
    const auto check = [&](const std::string& lat, const std::string& lon, const std::string& speed,
                           const std::string& x) {
        RecordText r;
        r.Latitude = lat;
        r.Longitude = lon;
        r.Speed = speed;
        r.X = x;
        const Bytes record = Encode(r);
        const GpsSample gps = DecodeGpsPart(record.data(), 0);
        const GSensorSample g = DecodeGSensorPart(record.data(), 0);
        EXPECT_EQ(bits(DegreesFromText(record.data() + 6, 9, 1)), bits(gps.Latitude)) << lat;
        EXPECT_EQ(bits(DegreesFromText(record.data() + 16, 10, 1)), bits(gps.Longitude)) << lon;
        EXPECT_EQ(bits(TextToDouble(record.data() + 27, 4)), bits(gps.SpeedKmh)) << speed;
        const float thousandths = static_cast<float>(TextToDouble(record.data() + 57, 5)) / 1000.0f;
        EXPECT_EQ(bits(static_cast<double>(thousandths)), bits(g.X)) << x;
    };
    for (int v = 0; v < 10000; ++v) {
        char four[5];
        std::snprintf(four, sizeof four, "%04d", v);
        const std::string d(four);
        check(d + "." + d, "1" + d + "." + d, d, (v % 2 ? "-" : "+") + d);
    }
    // One byte of each layout replaced by every value: the digit test may let none through.
    const std::string lat = "3539.1234", lon = "13945.6789", speed = "42.5", x = "-0150";
    for (int b = 0; b < 256; ++b) {
        for (size_t at = 0; at < lon.size(); ++at) {
            std::string la = lat, lo = lon, sp = speed, xx = x;
            if (at < la.size()) la[at] = static_cast<char>(b);
            lo[at] = static_cast<char>(b);
            if (at < sp.size()) sp[at] = static_cast<char>(b);
            if (at < xx.size()) xx[at] = static_cast<char>(b);
            check(la, lo, sp, xx);
        }
    }
    check(" 539.1234", "1394 .6789", "0042", "-0000");
    check("3539.12-4", "-3945.6789", "9999", "00150");
    check("9999.9999", "99999.9999", "99.9", "+9999");
}

TEST_F(SensorDecoderTest, DecodesEveryFieldOfTheThreeParts) {
    RecordText r;
    r.GpsStatus = 'A';
    r.Latitude = "3539.1234";
    r.LatitudeSign = 1;
    r.Longitude = "13945.6789";
    r.LongitudeSign = 0;
    r.Speed = "0042";
    r.DateTime = "240501123456";
    r.Offset = "009";
    r.X = "-0150";
    r.Y = "+1234";
    r.Z = "00980";
    r.Axis = 'Y';
    r.Warning = 'D';
    r.Event = 'H';
    const uint8_t status[4] = {'S', 't', 'a', 't'};
    std::copy(status, status + 4, r.Status);
    for (int w = 0; w < 18; ++w) r.Words[w] = static_cast<uint16_t>(0x0101 * w + 3);
    r.Camera = 0x42;
    r.CameraNibbles = 0x9C;
    const Bytes record = Encode(r);

    const GpsSample gps = DecodeGpsPart(record.data(), 7);
    EXPECT_EQ(7, gps.Index);
    EXPECT_EQ(700, gps.Time);
    EXPECT_EQ(1, gps.Valid);
    EXPECT_NEAR(35.652056667, gps.Latitude, 1e-9);
    EXPECT_NEAR(-139.761315, gps.Longitude, 1e-9);
    EXPECT_DOUBLE_EQ(42.0, gps.SpeedKmh);
    EXPECT_DOUBLE_EQ(0.0, gps.Heading);
    EXPECT_EQ(nullptr, gps.LinkedG);
    EXPECT_EQ((DateTime{2024, 5, 3, 1, 12, 35, 5, 0}), gps.LocalTime);

    const GSensorSample g = DecodeGSensorPart(record.data(), 7);
    EXPECT_EQ(7, g.Index);
    EXPECT_EQ(700, g.Time);
    EXPECT_EQ(11, g.EventCode);
    EXPECT_EQ(8, g.WarningFlag);
    EXPECT_EQ(2, g.Axis);
    EXPECT_FLOAT_EQ(-0.15f, static_cast<float>(g.X));
    EXPECT_DOUBLE_EQ(static_cast<double>(-150.0f / 1000.0f), g.X); // single precision
    EXPECT_FLOAT_EQ(1.234f, static_cast<float>(g.Y));
    EXPECT_FLOAT_EQ(0.98f, static_cast<float>(g.Z));
    EXPECT_EQ(0x42, g.CameraByte);
    EXPECT_EQ(9, g.CameraHigh);
    EXPECT_EQ(12, g.CameraLow);

    const ObdSample obd = DecodeObdPart(record.data(), 7);
    EXPECT_EQ(7, obd.Index);
    EXPECT_TRUE(std::equal(status, status + 4, obd.Status));
    for (int w = 0; w < 18; ++w) EXPECT_EQ(0x0101 * w + 3, obd.Words[w]) << w;
}

TEST_F(SensorDecoderTest, PositionSignsAndValidity) {
    struct Case {
        char status;
        uint8_t latSign, lonSign;
        int valid;
        double lat, lon;
    };
    const Case cases[] = {
        {'A', 1, 1, 1, 35.652056667, 139.761315},
        {'V', 0, 1, 0, -35.652056667, 139.761315},
        {'A', 0, 0, 1, -35.652056667, -139.761315},
        {'a', 'N', 'E', 0, 35.652056667, 139.761315},
    };
    for (const Case& c : cases) {
        RecordText r;
        r.GpsStatus = c.status;
        r.LatitudeSign = c.latSign;
        r.LongitudeSign = c.lonSign;
        const GpsSample gps = DecodeGpsPart(Encode(r).data(), 0);
        EXPECT_EQ(c.valid, gps.Valid) << c.status;
        EXPECT_NEAR(c.lat, gps.Latitude, 1e-9);
        EXPECT_NEAR(c.lon, gps.Longitude, 1e-9);
    }
}

TEST_F(SensorDecoderTest, EventCodeTakesTheFirstRuleThatApplies) {
    struct Case {
        char manual, event, second, parking;
        int code;
    };
    const Case cases[] = {
        {'D', 'H', 'D', 'D', 6}, {'D', 'H', 'N', 'D', 5}, {'N', 'H', 'N', 'D', 7},
        {'N', 'H', 'N', 'N', 11}, {'N', 'A', 'N', 'N', 12}, {'N', 'B', 'N', 'N', 13},
        {'N', 'N', 'N', 'N', -1}, {'N', 'Q', 'N', 'N', -1}, {'d', 'N', 'd', 'd', -1},
    };
    for (const Case& c : cases) {
        RecordText r;
        r.Manual = c.manual;
        r.Event = c.event;
        r.SecondEvent = c.second;
        r.Parking = c.parking;
        EXPECT_EQ(c.code, DecodeGSensorPart(Encode(r).data(), 0).EventCode)
            << c.manual << c.event << c.second << c.parking;
    }
    const std::pair<char, int> axes[] = {{'X', 1}, {'Y', 2}, {'Z', 3}, {'N', 0}, {'x', 0}};
    for (const auto& [letter, axis] : axes) {
        RecordText r;
        r.Axis = letter;
        EXPECT_EQ(axis, DecodeGSensorPart(Encode(r).data(), 0).Axis) << letter;
    }
}

// The recorded wall-clock time plus the offset, whatever the zone.
TEST_F(SensorDecoderTest, LocalTimeAddsTheOffsetUnlessStarred) {
    struct Case {
        const char* digits;
        const char* offset;
        DateTime expected;
    };
    const Case cases[] = {
        {"240501123456", "009", {2024, 5, 3, 1, 12, 35, 5, 0}},
        {"240501123456", "*09", {2024, 5, 3, 1, 12, 34, 56, 0}},
        {"240501123456", "***", {2024, 5, 3, 1, 12, 34, 56, 0}},
        {"240501123456", "000", {2024, 5, 3, 1, 12, 34, 56, 0}},
        {"241231235955", "009", {2025, 1, 3, 1, 0, 0, 4, 0}},
        {"240229000000", "-05", {2024, 2, 3, 28, 23, 59, 55, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, RecordedLocalTime(reinterpret_cast<const uint8_t*>(c.digits),
                                                reinterpret_cast<const uint8_t*>(c.offset)))
            << c.digits << " " << c.offset;
    }
    // Also in a zone that is not the recorder's.
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ((DateTime{2024, 5, 3, 1, 12, 35, 5, 0}),
              RecordedLocalTime(reinterpret_cast<const uint8_t*>("240501123456"),
                                reinterpret_cast<const uint8_t*>("009")));
}

// The converter used for runs of records skips the time-zone lookups inside an hour of one
// UTC offset; it must give what the plain conversion gives, also where zones change offset.
TEST_F(SensorDecoderTest, RunConverterAgreesWithThePlainConversion) {
    const char* zones[] = {"Asia/Tokyo", "Europe/Berlin", "America/St_Johns", "UTC"};
    const char* digits[] = {
        "240501123456", "240501125959", "240501000000", "241231235955", "240229235959",
        "240331015959", "240331020000", "240331023000", "240331030000", // Berlin: clocks go forward
        "241027015959", "241027030000", "241103005959",                 // and back
        "241399999999", "240001000000", "240532126075", "ab0501123456", "  0501123456",
    };
    const char* offsets[] = {"000", "009", "*12", "-05", "999", "-99", "abc"};
    for (const char* zone : zones) {
        setenv("TZ", zone, 1);
        tzset();
        RecordedTimeConverter converter;
        for (const char* d : digits) {
            for (const char* o : offsets) {
                const auto* date = reinterpret_cast<const uint8_t*>(d);
                const auto* offset = reinterpret_cast<const uint8_t*>(o);
                const DateTime plain = RecordedLocalTime(date, offset);
                EXPECT_EQ(plain, converter.Convert(date, offset)) << zone << " " << d << " " << o;
                EXPECT_EQ(plain, converter.Convert(date, offset)) << "again";
            }
        }
    }
}

TEST_F(SensorDecoderTest, HeaderFieldsAndValidity) {
    fixture::HeaderText h;
    h.Thresholds[0] = "1200";
    h.Thresholds[1] = "0800";
    h.Thresholds[2] = "2000";
    h.Thresholds[3] = "0500";
    h.Mode = 'D';
    h.Suffix = 'C';
    h.Version = "10203";
    h.Picture = 'H';
    h.Byte24 = 'q';
    h.RecordingType = 'T';
    h.VehicleData = '3';
    RecorderHeader out;
    EXPECT_TRUE(DecodeStoredHeader(fixture::EncodeHeader(h), out));
    EXPECT_FLOAT_EQ(1.2f, out.ThresholdX);
    EXPECT_FLOAT_EQ(0.8f, out.ThresholdY);
    EXPECT_FLOAT_EQ(2.0f, out.ThresholdZ);
    EXPECT_FLOAT_EQ(0.5f, out.ThresholdW);
    EXPECT_EQ('D', out.Mode);
    EXPECT_EQ(std::string("C10203"), std::string(out.VersionChars, 6));
    EXPECT_EQ('H', out.PictureLetter);
    EXPECT_EQ('q', out.Byte24);
    EXPECT_EQ('T', out.RecordingType);
    EXPECT_EQ('3', out.VehicleData);

    h.Mode = 'X';
    EXPECT_FALSE(DecodeStoredHeader(fixture::EncodeHeader(h), out));
    EXPECT_FLOAT_EQ(-1.0f, out.ThresholdX);
    EXPECT_FLOAT_EQ(-1.0f, out.ThresholdW);
    EXPECT_EQ(0, out.Mode);
    EXPECT_EQ(0, out.VersionChars[0]);
    EXPECT_EQ(0, out.VehicleData);
    // Too short to hold a header.
    EXPECT_FALSE(DecodeStoredHeader(Bytes(27, 'M'), out));
    EXPECT_FLOAT_EQ(-1.0f, out.ThresholdX);
}

// Headers chained with "@CS" and an upper-case letter: the last one is the header.
TEST_F(SensorDecoderTest, ChainedHeadersLastOneWins) {
    auto link = [](char mode, const std::string& threshold, const std::string& tag) {
        fixture::HeaderText h;
        h.Mode = mode;
        h.Thresholds[0] = threshold;
        Bytes bytes = fixture::EncodeHeader(h);
        fixture::Append(bytes, Bytes{0, 0, 0, 0});
        fixture::AppendText(bytes, tag);
        return bytes;
    };
    struct Case {
        const char* name;
        Bytes data;
        bool ok;
        float thresholdX;
        char mode;
    };
    auto Shorter = [](Bytes bytes) {
        bytes.pop_back();
        return bytes;
    };
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) fixture::Append(all, p);
        return all;
    };
    const Case cases[] = {
        {"three links", join({link('M', "1000", "@CSB"), link('M', "2000", "@CSZ"), link('D', "3000", "----")}), true, 3.0f, 'D'},
        {"lower-case letter does not chain", join({link('M', "1000", "@CSb"), link('D', "3000", "----")}), true, 1.0f, 'M'},
        {"an invalid last link", join({link('M', "1000", "@CSA"), link('Q', "3000", "----")}), false, -1.0f, 0},
        {"a link cut off by the window", join({link('M', "1000", "@CSA"), Bytes(20, '0')}), false, -1.0f, 0},
        {"tag cut off by the window", Shorter(link('D', "1000", "@CSA")), true, 1.0f, 'D'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecorderHeader out;
        EXPECT_EQ(c.ok, DecodeStoredHeader(c.data, out));
        EXPECT_FLOAT_EQ(c.thresholdX, out.ThresholdX);
        EXPECT_EQ(c.mode, out.Mode);
    }
}

TEST_F(SensorDecoderTest, FirmwareVersionText) {
    const std::pair<char, const char*> cases[] = {
        {'0', "1.2.3.0"}, {'A', "1.2.3A"}, {'C', "1.2.3C"}, {'B', "1.2.3"}, {' ', "1.2.3"}};
    for (const auto& [suffix, text] : cases) {
        fixture::HeaderText h;
        h.Suffix = suffix;
        h.Version = "10203";
        RecorderHeader header;
        DecodeStoredHeader(fixture::EncodeHeader(h), header);
        EXPECT_EQ(text, FirmwareVersionText(header));
    }
    fixture::HeaderText h;
    h.Version = "91299";
    RecorderHeader header;
    DecodeStoredHeader(fixture::EncodeHeader(h), header);
    EXPECT_EQ("9.12.99A", FirmwareVersionText(header));
}

TEST_F(SensorDecoderTest, ReadHeaderOnlyReadsTheFirstUdatHeader) {
    fixture::TempFolder folder;
    fixture::Movie movie;
    movie.Header.Suffix = '0';
    movie.Header.Version = "20105";
    const auto file = folder.Write("a.MOV", movie.Build());
    RecorderHeader header;
    ASSERT_TRUE(ReadHeaderOnly(nullptr, file, header));
    EXPECT_EQ("2.1.5.0", FirmwareVersionText(header));

    EngineContext ctx;
    ASSERT_EQ(1, Init(ctx, nullptr, "メイリオ"));
    EXPECT_TRUE(ReadHeaderOnly(&ctx, file, header));
    Shutdown(ctx);

    Bytes noUdat = fixture::Ftyp();
    fixture::Append(noUdat, fixture::Mdat());
    EXPECT_FALSE(ReadHeaderOnly(nullptr, folder.Write("n.MOV", noUdat), header));
    EXPECT_EQ(0, header.Mode);
    EXPECT_FALSE(ReadHeaderOnly(nullptr, folder.Path() / "missing.MOV", header));
}

TEST_F(SensorDecoderTest, AnInvalidHeaderDoesNotStopTheRecords) {
    fixture::TempFolder folder;
    fixture::Movie movie;
    movie.Header.Mode = 'Z';
    BoxScanner scanner;
    scanner.Prepare();
    ASSERT_TRUE(scanner.OpenAndAnalyse(folder.Write("a.MOV", movie.Build())));
    EXPECT_FLOAT_EQ(-1.0f, scanner.Header.ThresholdZ);
    EXPECT_EQ(3u, scanner.GpsSamples->size());
    scanner.Destroy();
}

} // namespace
} // namespace kestrel
