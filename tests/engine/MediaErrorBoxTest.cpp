// The engine's error box names every result code the player can return, as the platform
// names it; a bare number would tell the user nothing.
#include "engine/MediaErrorBox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace kestrel {
namespace {

TEST(MediaErrorBox, EveryCodeOfThePlayerHasItsName) {
    // The codes as the player declares them, so that a code added there needs its name here.
    std::ifstream in(std::string(KESTREL_TEST_DATA) + "/../../Kestrel/playback/MediaResult.h");
    ASSERT_TRUE(in);
    const std::string header{std::istreambuf_iterator<char>(in), {}};
    const std::regex code(R"(Code\(0x([0-9A-Fa-f]{8})\))");
    int codes = 0;
    for (auto it = std::sregex_iterator(header.begin(), header.end(), code);
         it != std::sregex_iterator(); ++it, ++codes) {
        const auto value = static_cast<int32_t>(std::stoul((*it)[1].str(), nullptr, 16));
        const std::string text = MediaErrorText(value);
        EXPECT_EQ(text.find("Unknown"), std::string::npos) << (*it)[1].str() << ": " << text;
        EXPECT_FALSE(text.empty()) << (*it)[1].str();
    }
    EXPECT_GT(codes, 0) << "the player's codes were not found";
    EXPECT_EQ(MediaErrorText(0x12345678), "Unknown 0x12345678");
}

} // namespace
} // namespace kestrel
