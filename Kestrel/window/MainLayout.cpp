#include "window/MainLayout.h"

namespace kestrel {
namespace {

constexpr QSize kVideoSize[3] = {{656, 373}, {868, 493}, {1108, 628}};
constexpr QPoint kVideoOrigin{6, 24};
constexpr int kClientBottom = 700;

// Buttons of the Large size, in their order from the left.
constexpr int kLargeButtons[] = {0, 1, 2, 3, 4, 5, 8};

} // namespace

ZoomState ZoomState::ResetFor(int displaySize) {
    const int size = displaySize >= SizeSmall && displaySize <= SizeLarge ? displaySize : SizeSmall;
    ZoomState state;
    state.AnchorX = kVideoSize[size].width() / 2;
    state.AnchorY = kVideoSize[size].height() / 2;
    return state;
}

int MainLayout::NextSizeTextSlot(int displaySize) {
    switch (displaySize) {
    case SizeSmall:
        return 8; // "中"
    case SizeMedium:
        return 7; // "大"
    default:
        return 18; // "小"
    }
}

MainLayoutPlan MainLayout::Plan(int displaySize, bool fullScreen, const QRect& screen) {
    MainLayoutPlan plan;
    const int size = displaySize >= SizeSmall && displaySize <= SizeLarge ? displaySize : SizeSmall;
    if (fullScreen) {
        plan.Video = QRect(QPoint(0, 0), screen.size());
        plan.SeekShown = false;
        plan.CaptionsShown = false;
        plan.VolumeShown = false;
        return plan;
    }
    const QRect v(kVideoOrigin, kVideoSize[size]);
    const int vRight = v.x() + v.width();
    const int vBottom = v.y() + v.height();
    plan.Video = v;
    plan.Seek = QRect(v.x(), vBottom, v.width(), 10);
    switch (size) {
    case SizeSmall:
        plan.Info = QRect(v.x(), vBottom + 10, v.width(), 85);
        plan.InfoShown = true;
        plan.GSensor = QRect(v.x(), vBottom + 95, v.width(), kClientBottom - vBottom - 135);
        plan.GSensorShown = true;
        plan.MapLogo = QRect(vRight, v.y(), 452, 392);
        plan.MapLogoShown = true;
        plan.FilePanel =
            QRect(QPoint(vRight, v.y() + 392), QPoint(vRight + 452, 660) - QPoint(1, 1));
        plan.FilePanelShown = true;
        break;
    case SizeMedium:
        plan.Info = QRect(v.x(), vBottom + 10, v.width(), kClientBottom - vBottom - 50);
        plan.InfoShown = true;
        plan.FilePanel = QRect(QPoint(vRight, v.y()), QPoint(vRight + 240, 660) - QPoint(1, 1));
        plan.FilePanelShown = true;
        break;
    default:
        break;
    }
    const int buttonY = size == SizeSmall ? 665 : 664;
    if (size == SizeLarge) {
        int k = 0;
        for (const int i : kLargeButtons) {
            plan.Buttons[i] = QRect(20 + 47 * k++, buttonY, kButtonSide, kButtonSide);
            plan.ButtonShown[i] = true;
        }
    } else {
        for (int i = 0; i < MainLayoutPlan::kButtonCount; ++i) {
            const int x = 20 + 47 * i + (i >= 9 ? 30 : 0);
            plan.Buttons[i] = QRect(x, buttonY, kButtonSide, kButtonSide);
            plan.ButtonShown[i] = true;
        }
    }
    plan.CaptionClose = QRect(1064, 0, 46, 18);
    plan.CaptionSize = QRect(1038, 0, 26, 18);
    plan.CaptionMinimise = QRect(1012, 0, 26, 18);
    plan.Volume = QRect(1000, 670, 100, 20);
    return plan;
}

QPoint MainLayout::KeepOnWorkArea(const QRect& window, const QRect& workArea) {
    QPoint at = window.topLeft();
    if (at.x() < 0)
        at.setX(0);
    if (at.y() < 0)
        at.setY(0);
    const int workRight = workArea.x() + workArea.width();
    const int workBottom = workArea.y() + workArea.height();
    if (at.x() + window.width() > workRight)
        at.setX(workRight - window.width());
    if (at.y() + window.height() > workBottom)
        at.setY(workBottom - window.height());
    return at;
}

} // namespace kestrel
