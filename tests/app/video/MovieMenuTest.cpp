// The video's context menu: its items for each state, what is greyed, and how an item looks.
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "video/CMovieMenu.h"
#include "window/ButtonEnabling.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

namespace kestrel {
namespace {

// The items as one line: texts, "—" for a separator, "(x)" around a greyed text.
std::string Line(const std::vector<MovieMenuItem>& items) {
    std::string line;
    for (const MovieMenuItem& item : items) {
        if (!line.empty())
            line += ' ';
        if (item.Command == 0) {
            line += "—";
            continue;
        }
        const std::string text = UiQText(item.TextSlot).toStdString();
        line += item.Enabled ? text : "(" + text + ")";
    }
    return line;
}

TEST(MovieMenu, ItemsFollowTheEngineStateTheWindowAndTheSize) {
    struct Case {
        const char* What;
        MovieMenuInputs In;
        const char* Want;
    } cases[] = {
        {"playing, window, small",
         {2, 1, false, 0, 0},
         "一時停止 停止 早送り スロー — 静止画 設定 — 参照 — 車両情報"},
        {"playing at x4",
         {2, 4, false, 0, 0},
         "一時停止 停止 (早送り) スロー — 静止画 設定 — 参照 — 車両情報"},
        {"playing at x0.5, large",
         {2, -2, false, 2, 0},
         "一時停止 停止 早送り (スロー) — 静止画 設定 — 車両情報"},
        {"paused",
         {3, 1, false, 1, 0},
         "再生 停止 (早送り) (スロー) — 静止画 設定 — 参照 — 車両情報"},
        {"stopped", {1, 1, false, 0, 0}, "再生 — 静止画 設定 — 参照 — 車両情報"},
        {"no movie", {0, 0, false, 2, 0}, "再生 — 静止画 設定 — 車両情報"},
        {"playing, full screen, stretched",
         {2, 2, true, 0, 0},
         "一時停止 停止 早送り スロー フルスクリーン（縦横比を維持） — 車両情報"},
        {"stopped, full screen, keeping the shape",
         {1, 1, true, 2, 1},
         "再生 フルスクリーン（ストレッチ） — 車両情報"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line(CMovieMenu::Items(c.In)), c.Want) << c.What;

    const std::vector<MovieMenuItem> items = CMovieMenu::Items({2, 1, true, 0, 1});
    const int want[] = {38002, 38000, 38004, 38003, 38200, 0, 38013};
    ASSERT_EQ(items.size(), std::size(want));
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i].Command, want[i]) << i;
}

TEST(MovieMenu, SlowerIsGreyedAtSpeedMinusOneWhileItsButtonStaysEnabledUntilMinusTwo) {
    ButtonInputs buttons;
    buttons.ListCount = 3;
    buttons.CurrentIndex = 1;
    buttons.EngineReady = true;
    buttons.PlayState = 2;
    buttons.SensorDataLoaded = 1;
    for (const int speed : {1, -1, -2}) {
        SCOPED_TRACE(speed);
        buttons.SpeedCode = speed;
        const bool button = ButtonEnabling::Compute(buttons)[ButtonEnabling::Slower];
        const MovieMenuItem slower = CMovieMenu::Items({2, speed, false, 0, 0})[3];
        ASSERT_EQ(slower.Command, 38003);
        EXPECT_EQ(button, speed >= -1);
        EXPECT_EQ(slower.Enabled, speed >= 0);
    }
}

TEST(MovieMenu, AnItemIsDrawnInItsColoursWithItsTextTwentyPixelsIn) {
    const QColor back(240, 240, 240);
    const QColor text(0, 0, 0);
    struct Case {
        bool Selected;
        bool Enabled;
        QColor Back;
        QColor Text;
    } cases[] = {
        {true, true, CMovieMenu::kSelectedBack, Qt::white},
        {true, false, CMovieMenu::kSelectedGreyBack, CMovieMenu::kGreyText},
        {false, true, back, text},
        {false, false, back, CMovieMenu::kGreyText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Selected << c.Enabled);
        QImage image(70, 20, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        {
            QPainter painter(&image);
            CMovieMenu::DrawItem(painter, image.rect(), QStringLiteral("■■"), c.Selected, c.Enabled,
                                 back, text);
        }
        EXPECT_EQ(image.pixelColor(2, 2), c.Back);
        EXPECT_EQ(image.pixelColor(69, 19), c.Back);
        // The text: nothing of it left of 20 pixels, its colour found right of it.
        bool textSeen = false;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (image.pixelColor(x, y) != c.Text)
                    continue;
                EXPECT_GE(x, CMovieMenu::kTextIndent) << y;
                textSeen = true;
            }
        }
        EXPECT_TRUE(textSeen);
    }
}

TEST(MovieMenu, ItemsAreTwentyHighAndSeventyOrTwoHundredTwentyWideUnlessATextNeedsMore) {
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen);
        CMovieMenu menu(fullScreen, CMovieMenu::Items({2, 1, fullScreen, 0, 0}), nullptr);
        menu.popup(QPoint(100, 100));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
        const QFontMetrics metrics(SharedFonts::Font10());
        int width = fullScreen ? CMovieMenu::kFullScreenWidth : CMovieMenu::kWindowWidth;
        for (QAction* action : menu.actions())
            width = std::max(width, 26 + metrics.horizontalAdvance(action->text()));
        for (QAction* action : menu.actions()) {
            if (action->isSeparator())
                continue;
            EXPECT_EQ(menu.actionGeometry(action).size(), QSize(width, 20))
                << action->text().toStdString();
        }
        if (fullScreen) {
            EXPECT_EQ(width, CMovieMenu::kFullScreenWidth);
        }
        EXPECT_EQ(menu.font(), SharedFonts::Font10());
        int chosen = 0;
        QObject::connect(&menu, &CMovieMenu::Command, [&](int id) { chosen = id; });
        QAction* stop = menu.actions().at(1);
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(stop).center());
        EXPECT_EQ(chosen, 38000);
    }
}

} // namespace
} // namespace kestrel
