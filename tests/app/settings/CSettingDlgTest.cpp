// The settings pop-up: its four marker switches, what each click tells the main window, the
// version text, and how the main window applies a switch.
#include "settings/CSettingDlg.h"
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "settings/EventMarkerToggles.h"
#include "shell/UiQText.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinCheckButton.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

using Message = test::MessageRecorder::Message;

TEST(SettingsDialog, LayoutTextsAndVersion) {
    test::MessageRecorder owner;
    CSettingDlg dialog(&owner);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.size(), QSize(460, 400));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(dialog.pos(),
              screen.topLeft() + QPoint((screen.width() - 460) / 2, (screen.height() - 400) / 2));
    EXPECT_EQ(dialog.windowTitle(), UiQText(124));
    const struct {
        int Id;
        QRect Rect;
        int Slot;
    } toggles[] = {
        {32968, QRect(QPoint(40, 60), QPoint(199, 119)), 116},
        {32969, QRect(QPoint(40, 120), QPoint(199, 179)), 125},
        {32970, QRect(QPoint(240, 60), QPoint(399, 119)), 126},
        {32971, QRect(QPoint(240, 120), QPoint(399, 179)), 130},
    };
    for (int i = 0; i < 4; ++i) {
        CSkinCheckButton* button = dialog.Toggle(i);
        EXPECT_EQ(button->Id(), toggles[i].Id);
        EXPECT_EQ(button->geometry(), toggles[i].Rect) << i;
        EXPECT_EQ(button->text(), UiQText(toggles[i].Slot)) << i;
        EXPECT_EQ(dialog.ToggleState(i), 1) << "starts on";
        EXPECT_EQ(button->CurrentCell(), CSkinButton::Pressed) << i;
    }
    const auto groups = dialog.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 2);
    EXPECT_EQ(dialog.findChild<QGroupBox*>("MarkerGroup")->geometry(), QRect(10, 30, 438, 160));
    EXPECT_EQ(dialog.findChild<QGroupBox*>("MarkerGroup")->title(), UiQText(129));
    EXPECT_EQ(dialog.findChild<QGroupBox*>("VersionGroup")->geometry(), QRect(10, 190, 438, 110));
    EXPECT_EQ(dialog.findChild<QGroupBox*>("VersionGroup")->title(), UiQText(128));
    EXPECT_EQ(dialog.VersionText()->geometry(), QRect(20, 210, 418, 60));
    const QStringList lines = dialog.VersionText()->text().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("version 2.0.0.0"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Kestrel ")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("Qt ")) && lines[2].contains("FFmpeg "));
    // Every line is shown whole inside the version text's rectangle.
    const QFontMetrics metrics(dialog.VersionText()->font());
    EXPECT_LE(lines.size() * metrics.lineSpacing(), 60);
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), 418) << line.toStdString();
    const QString keys = dialog.KeysText()->text();
    for (const QString& line : keys.split(QLatin1Char('\n')))
        EXPECT_LE(metrics.horizontalAdvance(line), 418) << line.toStdString();
    for (const char* key :
         {"Space", "Home", "PgUp/PgDn", ", .", "← → 5 s", "↑ ↓", "[ ]", "F/Esc", "V ", "Ctrl+O"}) {
        EXPECT_TRUE(keys.contains(QString::fromUtf8(key))) << key;
    }
}

TEST(SettingsDialog, EachClickIsReportedOnceAndTheStatesOutliveClosing) {
    test::MessageRecorder owner;
    CSettingDlg dialog(&owner);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const auto click = [&](int index) {
        QTest::mouseClick(dialog.Toggle(index), Qt::LeftButton, {}, QPoint(6, 10));
        QCoreApplication::processEvents();
    };
    click(3);
    click(0);
    click(3);
    click(1);
    const std::vector<Message> expected = {
        {WM_APP_SETTING_TOGGLE, 3, 0},
        {WM_APP_SETTING_TOGGLE, 0, 0},
        {WM_APP_SETTING_TOGGLE, 3, 1},
        {WM_APP_SETTING_TOGGLE, 1, 0},
    };
    EXPECT_EQ(owner.Received, expected);
    EXPECT_EQ(dialog.Toggle(0)->CurrentCell() == CSkinButton::Pressed, false);

    QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    const int states[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog.ToggleState(i), states[i]) << i;
}

TEST(SettingsDialog, TogglesSwitchTheirGraphEntriesThenRedrawAndResend) {
    std::vector<std::string> calls;
    const EventMarkerToggles toggles(
        [&](int entry, bool shown) {
            calls.push_back("entry " + std::to_string(entry) + (shown ? " on" : " off"));
        },
        [&] { calls.push_back("redraw"); }, [&] { calls.push_back("resend"); });
    const std::pair<intptr_t, int> entries[] = {{0, 9}, {1, 4}, {2, 5}, {3, 6}, {4, -1}, {-1, -1}};
    for (const auto& [index, entry] : entries)
        EXPECT_EQ(EventMarkerToggles::GraphEntryOf(index), entry) << index;

    toggles.OnToggle(3, 0);
    toggles.OnToggle(0, 1);
    toggles.OnToggle(7, 0);
    const std::vector<std::string> expected = {"entry 6 off", "redraw", "resend",
                                               "entry 9 on",  "redraw", "resend"};
    EXPECT_EQ(calls, expected);
}

TEST(SettingsDialog, TheSettingsCommandShowsItAndItsClicksReachTheMainWindow) {
    test::TempWorkDir dir;
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    CSettingDlg* dialog = window.SettingsDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    window.OnCommand(CKestrelDlg::IdSettings);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QTest::mouseClick(dialog->Toggle(2), Qt::LeftButton, {}, QPoint(6, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->ToggleState(2), 0);
    QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    window.OnCommand(CKestrelDlg::IdSettings);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->ToggleState(2), 0);
    window.Shutdown();
}

} // namespace
} // namespace kestrel
