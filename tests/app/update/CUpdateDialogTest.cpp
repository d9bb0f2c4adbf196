// The notice window with links: its two layouts, its link and its close button.
#include "update/CUpdateDialog.h"
#include "shell/UiQText.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// Takes the links the notice hands to the desktop instead of opening a browser.
class LinkCatcher : public QObject {
    Q_OBJECT
  public:
    LinkCatcher() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
    }
    ~LinkCatcher() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }
    QList<QUrl> Opened;
  public slots:
    void Open(const QUrl& url) { Opened.push_back(url); }
};

TEST(UpdateNotice, BothLayoutsPlaceTheLinkAndTheButton) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    CUpdateDialog update;
    EXPECT_EQ(update.size(), QSize(640, 360));
    EXPECT_EQ(update.pos(),
              screen.topLeft() + QPoint((screen.width() - 640) / 2, (screen.height() - 360) / 2));
    EXPECT_EQ(update.Link()->geometry(), QRect(10, 30, 620, 280));
    EXPECT_EQ(update.DismissButton()->geometry(), QRect(530, 320, 100, 30));
    EXPECT_EQ(update.DismissButton()->text(), UiQText(0));
    EXPECT_EQ(update.windowTitle(), UiQText(108));

    CUpdateDialog centred(CUpdateDialog::Variant::Centred);
    EXPECT_EQ(centred.size(), QSize(640, 320));
    EXPECT_EQ(centred.Link()->geometry(), QRect(15, 42, 610, 208));
    EXPECT_EQ(centred.DismissButton()->geometry(), QRect(520, 280, 100, 30));
}

TEST(UpdateNotice, ALinkClickOpensItsAddressAndCloseOnlyHides) {
    LinkCatcher catcher;
    CUpdateDialog notice;
    notice.SetLinkText(QStringLiteral("new\r\n\r\nURL : <a href=\"http://127.0.0.1/v.html\">"
                                      "http://127.0.0.1/v.html</a>"));
    notice.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&notice));
    emit notice.Link()->linkActivated(QStringLiteral("http://127.0.0.1/v.html"));
    emit notice.Link()->linkActivated(QStringLiteral("file:///etc/passwd"));
    ASSERT_EQ(catcher.Opened.size(), 1);
    EXPECT_EQ(catcher.Opened.front(), QUrl(QStringLiteral("http://127.0.0.1/v.html")));

    // Enter does not close it; the close button hides it, and it can be shown again.
    QTest::keyClick(&notice, Qt::Key_Return);
    EXPECT_TRUE(notice.isVisible());
    EXPECT_FALSE(notice.IsClosed());
    QTest::mouseClick(notice.DismissButton(), Qt::LeftButton);
    EXPECT_FALSE(notice.isVisible());
    EXPECT_TRUE(notice.IsClosed());
    notice.show();
    EXPECT_FALSE(notice.IsClosed());
    EXPECT_TRUE(notice.Link()->text().contains(QStringLiteral("white-space:pre-wrap")));
}

TEST(UpdateNotice, WhiteAboveTheButtonStrip) {
    CUpdateDialog notice;
    notice.SetLinkText(QStringLiteral("x"));
    const QImage shot = notice.grab().toImage();
    EXPECT_EQ(shot.pixelColor(300, 200), QColor(Qt::white));
    EXPECT_NE(shot.pixelColor(300, 360 - 25), QColor(Qt::white));
}

} // namespace
} // namespace kestrel

#include "CUpdateDialogTest.moc"
