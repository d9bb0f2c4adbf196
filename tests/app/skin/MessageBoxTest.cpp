// The skinned message box: sized by its text, buttons at the bottom right, its answer.
#include "AppTestSupport.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "skin/CMsgBox.h"
#include "skin/CMsgDlg.h"
#include "skin/CSkinButton.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class MessageBox : public testing::Test {
  protected:
    void SetUp() override { SharedFonts::Create(UiQText(113), 96, 96); }
};

TEST_F(MessageBox, SizedByItsLongestLineAndItsLineCount) {
    const QFontMetrics metrics(SharedFonts::Font10());
    const QString lines[3] = {QString::fromUtf8("動画の連結に失敗しました。"),
                              QStringLiteral("short"),
                              QString::fromUtf8("同名のファイルが存在します。続行しますか？")};
    const int widest =
        std::max({metrics.horizontalAdvance(lines[0]), metrics.horizontalAdvance(lines[1]),
                  metrics.horizontalAdvance(lines[2])});
    const int high = 3 * metrics.height();
    CMsgDlg dialog(lines[0] + "\n" + lines[1] + "\n" + lines[2], CMsgBox::ErrorCaption(),
                   CMsgDlg::OkOnly, nullptr);
    EXPECT_EQ(dialog.size(), QSize(widest + 80, high + 140));
    EXPECT_EQ(dialog.Message()->geometry(), QRect(40, 30, widest + 40, high + 30));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ERROR"));
    const QSize s = dialog.size();
    EXPECT_EQ(dialog.OkButton()->geometry(), QRect(s.width() - 115, s.height() - 45, 100, 30));
    EXPECT_TRUE(dialog.CancelButton()->isHidden());
}

TEST_F(MessageBox, AQuestionOffersOkLeftOfCancel) {
    CMsgDlg dialog(UiQText(93), CMsgBox::QuestionCaption(), CMsgDlg::OkCancel, nullptr);
    const QSize s = dialog.size();
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("確認"));
    EXPECT_EQ(dialog.CancelButton()->geometry(), QRect(s.width() - 115, s.height() - 45, 100, 30));
    EXPECT_EQ(dialog.OkButton()->geometry(), QRect(s.width() - 230, s.height() - 45, 100, 30));
    EXPECT_FALSE(dialog.CancelButton()->isHidden());
    EXPECT_FALSE(dialog.OkButton()->isHidden());
}

TEST_F(MessageBox, CentredOnItsOwner) {
    QWidget owner;
    owner.setGeometry(200, 150, 1120, 700);
    CMsgDlg dialog(UiQText(48), CMsgBox::DoneCaption(), CMsgDlg::OkOnly, &owner);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("終了"));
    EXPECT_LE((dialog.geometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
}

// Presses the button `pick` of the message box once it is up.
void AnswerWhenShown(const char* pick) {
    QTimer::singleShot(0, [pick] {
        auto* dialog = qobject_cast<CMsgDlg*>(QApplication::activeModalWidget());
        if (!dialog) {
            AnswerWhenShown(pick);
            return;
        }
        QAbstractButton* button = dialog->CloseButton();
        if (std::string(pick) == "ok")
            button = dialog->OkButton();
        if (std::string(pick) == "cancel")
            button = dialog->CancelButton();
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    });
}

TEST_F(MessageBox, ShowAnswersOneForOkAndTwoOtherwise) {
    const std::pair<const char*, int> cases[] = {{"ok", 1}, {"cancel", 2}, {"close", 2}};
    for (const auto& [pick, want] : cases) {
        AnswerWhenShown(pick);
        EXPECT_EQ(CMsgBox(nullptr).Show(UiQText(93), CMsgBox::QuestionCaption(), CMsgDlg::OkCancel),
                  want)
            << pick;
    }
}

} // namespace
} // namespace kestrel
