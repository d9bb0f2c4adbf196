// Pictures of the main window in its three sizes, for a person to look at. They are written
// to the build's screenshots folder.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "settings/CSettingDlg.h"
#include "shell/UiQText.h"
#include "skin/CLogoDlg.h"
#include "skin/CMsgBox.h"
#include "skin/CMsgDlg.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

QString ShotPath(const char* name) {
    QDir().mkpath(QStringLiteral(KESTREL_SCREENSHOT_DIR));
    return QStringLiteral(KESTREL_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
}

TEST(Screenshot, MainWindowInItsThreeSizes) {
    test::TempWorkDir dir;
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const char* names[3] = {"main-small", "main-medium", "main-large"};
    for (int size = 0; size < 3; ++size) {
        if (size > 0)
            window.OnCommand(CKestrelDlg::IdNextSize);
        QTest::qWait(50);
        const QImage shot = window.grab().toImage();
        ASSERT_EQ(shot.size(), QSize(1120, 700) * shot.devicePixelRatio());
        EXPECT_TRUE(shot.save(ShotPath(names[size]))) << names[size];
    }
}

TEST(Screenshot, MessageBoxAndPopups) {
    test::TempWorkDir dir;
    CKestrelDlg window;
    ASSERT_TRUE(window.Initialise());
    CMsgDlg question(UiQText(93), CMsgBox::QuestionCaption(), CMsgDlg::OkCancel, &window);
    question.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&question));
    EXPECT_TRUE(question.grab().save(ShotPath("message-question")));
    CMsgDlg notice(UiQText(152), CMsgBox::ErrorCaption(), CMsgDlg::OkOnly, &window);
    notice.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&notice));
    EXPECT_TRUE(notice.grab().save(ShotPath("message-notice")));
    window.OnCommand(CKestrelDlg::IdSettings);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.SettingsDialog()));
    EXPECT_TRUE(window.SettingsDialog()->grab().save(ShotPath("settings")));
}

} // namespace
} // namespace kestrel
