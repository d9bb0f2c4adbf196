// The picture-skinned controls: cells, mouse handling and what they report.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "shell/SharedFonts.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinCheckButton.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CSkinProgressBarCtrl.h"
#include "skin/CSkinSliderCtrl.h"
#include "skin/SkinArtwork.h"
#include "skin/SkinPictures.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using Message = test::MessageRecorder::Message;

void Hover(QWidget* w, QPoint at) {
    QEnterEvent enter(at, w->mapTo(w->window(), at), w->mapToGlobal(at));
    QCoreApplication::sendEvent(w, &enter);
}

void MoveMouse(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

TEST(SkinButton, CellFollowsStateHoverAndPressedLook) {
    QWidget parent;
    CSkinButton button(38000, QSize(32, 32), &parent);
    ASSERT_TRUE(button.SetImage(pictures::kButtonStart));
    struct Case {
        bool Enabled;
        int PressedLook;
        bool Hovered;
        CSkinButton::Cell Want;
    } cases[] = {
        {true, 0, false, CSkinButton::Normal},   {true, 0, true, CSkinButton::Hover},
        {false, 0, true, CSkinButton::Disabled}, {false, 0, false, CSkinButton::Disabled},
        {true, 1, true, CSkinButton::Pressed},   {true, 1, false, CSkinButton::Pressed},
    };
    for (const Case& c : cases) {
        button.setEnabled(c.Enabled);
        button.PressedLook = c.PressedLook;
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&button, &leave);
        if (c.Hovered)
            Hover(&button, QPoint(5, 5));
        EXPECT_EQ(button.CurrentCell(), c.Want)
            << "enabled " << c.Enabled << " look " << c.PressedLook << " hover " << c.Hovered;
    }
}

TEST(SkinButton, ReactsToTheMouseOnly) {
    QWidget parent;
    CSkinButton button(38009, QSize(32, 32), &parent);
    button.SetImage(pictures::kButtonBrowse);
    parent.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    QTest::keyClick(&button, Qt::Key_Space);
    QTest::keyClick(&button, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(SkinCheckButton, HoverOnlyOverTheBox) {
    QWidget parent;
    CSkinCheckButton check(1, QStringLiteral("位置"), &parent);
    check.SetImage(pictures::kCheckBox);
    check.setGeometry(0, 0, 80, 20);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    // Moves are delivered straight to the control: a move of the real pointer reaches it
    // only when the X server gets round to it.
    MoveMouse(&check, QPoint(40, 10));
    EXPECT_FALSE(check.BoxHovered());
    MoveMouse(&check, QPoint(6, 10));
    EXPECT_TRUE(check.BoxHovered());
    QTest::mouseClick(&check, Qt::LeftButton, {}, QPoint(6, 10));
    EXPECT_TRUE(check.isChecked());
}

class Slider : public testing::Test {
  protected:
    void SetUp() override {
        slider = new CSkinSliderCtrl(CKestrelDlg::IdSeekSlider, &recorder);
        slider->LoadImages(pictures::kSeekFilled, pictures::kSeekEmpty, pictures::kSeekThumb,
                           pictures::kSeekThumbPressed);
        slider->setGeometry(0, 0, 200, 10);
        slider->Min = 0;
        slider->Max = 99;
        recorder.resize(200, 10);
        recorder.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&recorder));
    }
    std::vector<Message> Drain() {
        QCoreApplication::processEvents();
        return std::exchange(recorder.Received, {});
    }

    test::MessageRecorder recorder;
    CSkinSliderCtrl* slider = nullptr;
};

TEST_F(Slider, PostsPressDragAndReleaseWithThePositionUnderTheMouse) {
    const int id = CKestrelDlg::IdSeekSlider;
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(150, 5));
    EXPECT_EQ(slider->JumpClick(), 1) << "pressed on the channel away from the thumb";
    EXPECT_EQ(slider->Dragging(), 1);
    QTest::mouseMove(slider, QPoint(100, 5));
    QTest::mouseMove(slider, QPoint(260, 5)); // far beyond the right end: not reported
    QTest::mouseMove(slider, QPoint(205, 5)); // just beyond: held to Max
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(205, 5));
    EXPECT_EQ(Drain(),
              (std::vector<Message>{{102, id, 75}, {101, id, 50}, {101, id, 99}, {103, id, 99}}));
    EXPECT_EQ(slider->Dragging(), 0);
    EXPECT_EQ(slider->Value(), 0) << "the owner moves the thumb, not the mouse";
}

TEST_F(Slider, APressOnOrNearTheThumbIsNoJump) {
    slider->SetValue(50); // thumb at 50 * 175 / 100 = 87, 25 wide
    const std::pair<int, int> cases[] = {{90, 0}, {78, 0}, {121, 0}, {77, 1}, {122, 1}, {5, 1}};
    for (const auto& [x, jump] : cases) {
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(x, 5));
        EXPECT_EQ(slider->JumpClick(), jump) << "x " << x;
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x, 5));
    }
}

TEST_F(Slider, EmptyRangeAndDisabledSlider) {
    slider->Max = 0;
    slider->SetValue(0);
    EXPECT_EQ(slider->ThumbRect().left(), 0);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(180, 5));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(180, 5));
    const auto messages = Drain();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].LParam, 0);
    slider->Enabled = 0;
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(50, 5));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(50, 5));
    EXPECT_TRUE(Drain().empty());
}

TEST(SkinProgressBar, PercentageInTheOppositeColourOfItsPart) {
    SharedFonts::Create(QString::fromUtf8("メイリオ"), 96, 96);
    QWidget owner;
    owner.resize(400, 300);
    QWidget video(&owner);
    video.setGeometry(10, 20, 300, 200);
    CSkinProgressBarCtrl bar(38102, &owner);
    bar.PlaceOver(&owner, &video);
    EXPECT_EQ(bar.geometry(), QRect(10, 198, 300, 22));
    const QColor blue(0, 0, 255);
    struct Case {
        int Pos;
        QColor Back;
        QColor Text;
    } cases[] = {{0, Qt::white, blue}, {100, blue, Qt::white}};
    for (const Case& c : cases) {
        bar.SetPos(c.Pos);
        EXPECT_EQ(bar.Text(), QStringLiteral("%1 %").arg(c.Pos));
        const QImage image = bar.grab().toImage();
        EXPECT_EQ(image.pixelColor(2, 2), c.Back);
        int textPixels = 0;
        for (int y = 0; y < 22; ++y) {
            for (int x = 100; x < 200; ++x) {
                const QColor p = image.pixelColor(x, y);
                // Antialiased edges blend into the background; count the pixels near the text
                // colour.
                const int distance = std::abs(p.red() - c.Text.red()) +
                                     std::abs(p.green() - c.Text.green()) +
                                     std::abs(p.blue() - c.Text.blue());
                textPixels += distance < 200 ? 1 : 0;
            }
        }
        EXPECT_GT(textPixels, 10) << "percentage drawn at " << c.Pos;
    }
    bar.SetPos(42);
    EXPECT_EQ(bar.FilledWidth(300), 126);
    bar.SetRange(5, 5);
    EXPECT_EQ(bar.FilledWidth(300), 0);
}

TEST(SkinListCtrl, HoverAndClickChangeTheMarks) {
    CSkinListCtrl list(pictures::kCheckBox, nullptr);
    list.setColumnCount(2);
    for (int i = 0; i < 3; ++i) {
        list.addTopLevelItem(
            new QTreeWidgetItem({QStringLiteral("row %1").arg(i), QStringLiteral("x")}));
    }
    list.SetStateImage(0, CSkinListCtrl::Unmarked);
    list.SetStateImage(1, CSkinListCtrl::Unmarked);
    list.SetStateImage(2, CSkinListCtrl::Marked);
    list.resize(300, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const auto at = [&](int row) { return list.visualItemRect(list.topLevelItem(row)).center(); };
    // Moves are handed to the list directly: the real pointer of the test's display stays out.
    const auto moveTo = [&](QPoint to) {
        QMouseEvent move(QEvent::MouseMove, to, list.viewport()->mapToGlobal(to), Qt::NoButton, {},
                         {});
        QCoreApplication::sendEvent(list.viewport(), &move);
    };
    moveTo(at(0));
    EXPECT_EQ(list.StateImageOf(0), CSkinListCtrl::UnmarkedHot);
    moveTo(at(1));
    EXPECT_EQ(list.StateImageOf(0), CSkinListCtrl::Unmarked);
    EXPECT_EQ(list.StateImageOf(1), CSkinListCtrl::UnmarkedHot);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(list.viewport(), &leave);
    EXPECT_EQ(list.StateImageOf(1), CSkinListCtrl::Unmarked);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at(2));
    EXPECT_EQ(list.StateImageOf(2), CSkinListCtrl::Unmarked) << "a marked row is unmarked";
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at(0));
    EXPECT_EQ(list.StateImageOf(0), CSkinListCtrl::Marked);
}

TEST(SkinDialog, DraggedByItsTitleStripOnly) {
    CSkinDialog dialog;
    dialog.resize(300, 200);
    dialog.CreateCloseButton(2);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.CloseButton()->geometry(), QRect(280, 4, 13, 12));
    const QPoint start = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 10));
    QTest::mouseMove(&dialog, QPoint(80, 30));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(80, 30));
    EXPECT_TRUE(test::PumpUntil([&] { return dialog.pos() == start + QPoint(30, 20); }, 2000));
    const QPoint moved = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(50, 40));
    QTest::mouseMove(&dialog, QPoint(90, 90));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(90, 90));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.pos(), moved);
    QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_FALSE(dialog.isVisible());
}

TEST(SkinArtwork, EveryPictureAtItsSizeAndNotEmpty) {
    using namespace pictures;
    const std::pair<int, QSize> cases[] = {
        {kBackground, {1200, 750}},    {kButtonStart, {128, 32}},
        {kButtonPlay, {128, 32}},      {kButtonPause, {128, 32}},
        {kButtonCsv, {128, 32}},       {kButtonZoom, {128, 32}},
        {kCaptionClose, {184, 18}},    {kCaptionSize, {104, 18}},
        {kCaptionMinimise, {104, 18}}, {kDialogClose, {52, 12}},
        {kCheckBox, {48, 12}},         {kCheckBoxSource, {48, 12}},
        {kSeekFilled, {800, 10}},      {kSeekEmpty, {800, 10}},
        {kSeekThumb, {25, 10}},        {kSeekThumbPressed, {25, 10}},
        {kVolumeFilled, {100, 20}},    {kVolumeEmpty, {100, 20}},
        {kVolumeThumb, {10, 20}},      {kVolumeThumbPressed, {10, 20}},
        {kLogo, {452, 392}},
        {kQualityBadges[0], {60, 35}}, {kQualityBadges[5], {60, 35}},
    };
    for (const qreal dpr : {1.0, 2.0}) {
        for (const auto& [id, size] : cases) {
            const QPixmap picture = SkinArtwork::Make(id, dpr);
            ASSERT_FALSE(picture.isNull()) << id;
            EXPECT_EQ(picture.deviceIndependentSize().toSize(), size) << id << " at " << dpr;
            EXPECT_EQ(SkinArtwork::SizeOf(id), size) << id;
            // Every cell of a strip has something drawn in it.
            const QImage image = picture.toImage();
            const int cells = size.width() == 4 * size.height() || id == kCaptionClose ||
                                      id == kCaptionSize || id == kCaptionMinimise ||
                                      id == kDialogClose
                                  ? 4
                                  : 1;
            for (int cell = 0; cell < cells; ++cell) {
                const int w = image.width() / cells;
                bool drawn = false;
                for (int y = 0; y < image.height() && !drawn; ++y) {
                    for (int x = cell * w; x < (cell + 1) * w && !drawn; ++x)
                        drawn = image.pixelColor(x, y).alpha() > 0;
                }
                EXPECT_TRUE(drawn) << "picture " << id << " cell " << cell;
            }
        }
    }
    EXPECT_TRUE(SkinArtwork::Make(9999, 1.0).isNull());
}

} // namespace
} // namespace kestrel
