// Sample descriptions of consecutive recordings: the per-file rate figures encoders write do
// not make two descriptions of one stream differ; anything that changes decoding does.
#include "../TempFolder.h"

#include "engine/BoxTree.h"
#include "engine/SampleDescription.h"
#include "mkrec/MovieMaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace kestrel {
namespace {

using Bytes = std::vector<uint8_t>;

struct Descriptions {
    Bytes Video;
    Bytes Audio;
};

Descriptions Load(bool perFileRates) {
    TempFolder dir;
    mkrec::MovieOptions options;
    options.Seconds = 1.0;
    options.Video.Width = 320;
    options.Video.Height = 180;
    options.PerFileRates = perFileRates;
    const auto path = dir / "240501_100000_A.MOV";
    mkrec::MakeMovie(options, path);
    auto tree = LoadBoxTree(path, true);
    EXPECT_TRUE(tree && tree->Stsd.size() == 2);
    if (!tree || tree->Stsd.size() != 2)
        return {};
    return {*tree->Stsd[0]->Payload, *tree->Stsd[1]->Payload};
}

size_t Find(const Bytes& bytes, std::string_view type) {
    const auto it = std::search(bytes.begin(), bytes.end(), type.begin(), type.end());
    EXPECT_NE(it, bytes.end()) << type;
    return static_cast<size_t>(it - bytes.begin());
}

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Offsets in the audio "esds" payload: descriptors after version and flags.
size_t EsdsAt(const Bytes& audio) {
    return Find(audio, "esds") + 4 + 4;
}

TEST(SampleDescription, RateFiguresAloneDoNotMakeDescriptionsDiffer) {
    const Descriptions rates = Load(true);
    const Descriptions fixed = Load(false);
    ASSERT_FALSE(rates.Video.empty());
    // The generator really wrote different figures: the plain comparison would refuse.
    ASSERT_NE(rates.Video, fixed.Video);
    ASSERT_NE(rates.Audio, fixed.Audio);
    EXPECT_TRUE(SameDecodingDescription(rates.Video, fixed.Video));
    EXPECT_TRUE(SameDecodingDescription(rates.Audio, fixed.Audio));

    struct Case {
        const char* Name;
        bool Video;
        std::function<void(Bytes&)> Change;
        bool Same;
    };
    const Case cases[] = {
        {"btrt rates", true, [](Bytes& b) { Put32(b, Find(b, "btrt") + 8, 1234567); }, true},
        {"btrt buffer", true, [](Bytes& b) { Put32(b, Find(b, "btrt") + 4, 99); }, true},
        {"esds maximum", false, [](Bytes& b) { Put32(b, EsdsAt(b) + 12, 77777); }, true},
        {"esds average", false, [](Bytes& b) { Put32(b, EsdsAt(b) + 16, 55555); }, true},
        {"codec", true, [](Bytes& b) { std::memcpy(&b[12], "hvc1", 4); }, false},
        {"picture width", true, [](Bytes& b) { b[41] ^= 0x10; }, false},
        {"picture height", true, [](Bytes& b) { b[43] ^= 0x10; }, false},
        {"SPS in avcC", true, [](Bytes& b) { b[Find(b, "avcC") + 4 + 9] ^= 0x01; }, false},
        {"channel count", false, [](Bytes& b) { b[33] = 2; }, false},
        {"sample rate", false, [](Bytes& b) { Put32(b, 40, 44100u << 16); }, false},
        {"AudioSpecificConfig", false, [](Bytes& b) { b[EsdsAt(b) + 22] ^= 0x08; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Bytes changed = c.Video ? rates.Video : rates.Audio;
        c.Change(changed);
        EXPECT_EQ(c.Same, SameDecodingDescription(c.Video ? rates.Video : rates.Audio, changed));
    }
}

TEST(SampleDescription, DamagedDescriptionsAreComparedAsTheyStand) {
    const Descriptions rates = Load(true);
    ASSERT_FALSE(rates.Video.empty());
    // An entry that claims more bytes than there are is not followed; equal bytes still
    // match, any other difference does not.
    Bytes broken = rates.Video;
    Put32(broken, 8, 0xfffffff0u);
    EXPECT_TRUE(SameDecodingDescription(broken, broken));
    Bytes other = broken;
    Put32(other, Find(other, "btrt") + 8, 1);
    EXPECT_FALSE(SameDecodingDescription(broken, other));
    EXPECT_EQ(Bytes{}, DecodingDescription(Bytes{}));
}

} // namespace
} // namespace kestrel
