#include "engine/VehicleValues.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

ObdSample WithWord(int word, uint16_t value) {
    ObdSample obd;
    obd.Words[word] = value;
    return obd;
}

TEST(VehicleValues, ConvertsTheFiveWordsAndTheirGaps) {
    struct Case {
        int word;
        uint16_t value;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 130, 90},   {0, 30, -10},   {0, 0x2020, 0},
        {1, 101, 90},   {1, 151, 140},  {1, 21, 10},    {1, 0x2020, 90},
        {2, 2599, 25},  {2, 0x2020, 0},
        {3, 350, 350},  {3, 0x2020, 0},
        {7, 505, 50},   {7, 0x2020, 0},
    };
    for (const Case& c : cases) {
        const ObdSample obd = WithWord(c.word, c.value);
        int32_t value = 0;
        switch (c.word) {
        case 0: value = VehicleValues::CoolantTemperature(obd); break;
        case 1: value = VehicleValues::IntakePressure(obd); break;
        case 2: value = VehicleValues::EngineSpeed(obd); break;
        case 3: value = VehicleValues::VehicleSpeed(obd); break;
        default: value = VehicleValues::ThrottleOpening(obd); break;
        }
        EXPECT_EQ(c.expected, value) << "word " << c.word << " = " << c.value;
    }
}

TEST(VehicleValues, ExtendedValuesFollowTheVehicleDataLetter) {
    ObdSample present;
    present.Status[0] = 'O';
    present.Words[15] = 1234;
    present.Words[16] = 0xFFFE; // -2 as a signed word
    present.Words[17] = 77;
    ObdSample noData = present;
    noData.Status[0] = ' ';
    noData.Words[15] = 9;
    ObdSample absentSigned = present;
    absentSigned.Words[16] = 0x3FFF;

    ExtendedVehicleValues v;
    v.Update('3', present);
    EXPECT_EQ(1234, v.Word15);
    EXPECT_EQ(-2, v.Word16);
    EXPECT_EQ(77, v.Word17);
    v.Update('3', noData); // no vehicle data in this sample: the previous values stay
    EXPECT_EQ(1234, v.Word15);
    v.Update('X', absentSigned); // unknown letter: unchanged
    EXPECT_EQ(-2, v.Word16);
    v.Update('3', absentSigned);
    EXPECT_EQ(0xFFFF, v.Word16);
    for (char letter : {'2', 'N'}) {
        v.Update('3', present);
        v.Update(letter, present);
        EXPECT_EQ(-1, v.Word15);
        EXPECT_EQ(0xFFFF, v.Word16);
        EXPECT_EQ(-1, v.Word17);
    }
}

} // namespace
} // namespace kestrel
