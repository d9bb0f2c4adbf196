// The shared fonts: the height rule, and a face that really draws the Japanese texts.
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(SharedFonts, HeightKeepsNearItsValueAt96Dpi) {
    struct Case {
        int Points;
        double DpiX;
        double DpiY;
        int Want;
    } cases[] = {
        {9, 96, 96, 12},    {10, 96, 96, 13},   {13, 96, 96, 17}, {17, 96, 96, 23},
        {22, 96, 96, 29},   {9, 120, 120, 12},  // 9 / 1.25 = 7.2 -> 7 -> 7 * 120 / 72
        {9, 144, 144, 12},  {10, 144, 144, 12}, // 10 / 1.5 = 6.67 -> 6 -> 6 * 144 / 72
        {22, 192, 192, 29}, {9, 72, 96, 16},    // a screen below 96 dpi grows the size
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SharedFonts::PixelHeight(c.Points, c.DpiX, c.DpiY), c.Want)
            << c.Points << " pt at " << c.DpiX << "x" << c.DpiY;
    }
}

TEST(SharedFonts, TheFaceDrawsJapanese) {
    SharedFonts::Create(UiQText(113), 96, 96);
    for (const auto id : {SharedFonts::F9, SharedFonts::F10, SharedFonts::F13, SharedFonts::F17,
                          SharedFonts::F22}) {
        const QFont& font = SharedFonts::Get(id);
        EXPECT_EQ(font.family(), QString::fromUtf8("メイリオ"));
        EXPECT_EQ(font.pixelSize(), SharedFonts::PixelHeight(SharedFonts::Points(id), 96, 96));
    }
    // The face the name resolves to must hold the glyphs of the texts, not empty boxes.
    const QRawFont raw = QRawFont::fromFont(SharedFonts::Font10());
    for (const int slot : {10, 26, 48, 93, 107}) {
        const QString text = UiQText(slot);
        for (const QChar c : text) {
            if (c.unicode() < 0x3000 || c.isSpace())
                continue;
            EXPECT_TRUE(raw.supportsCharacter(c))
                << "UI text " << slot << " in " << raw.familyName().toStdString();
        }
    }
}

} // namespace
} // namespace kestrel
