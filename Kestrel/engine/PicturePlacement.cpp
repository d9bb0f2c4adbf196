#include "engine/PicturePlacement.h"

#include "engine/PictureGeometry.h"
#include "engine/PlayerAccess.h"

#include <mutex>
#include <utility>

namespace kestrel {

using playback::CPlayer;
using playback::Failed;
using playback::Succeeded;

// Places the picture: zoom and offsets, the letter box when the picture keeps its shape,
// the four black bars, then shows the right picture for the state.
bool PlacePicture(EngineContext& ctx, bool keepAspect) {
    int clientWidth = 0;
    int clientHeight = 0;
    if (ctx.Video != nullptr)
        ctx.Video->ClientSize(clientWidth, clientHeight);
    Rect r;
    if (!ZoomedRect(clientWidth, clientHeight, ctx.ZoomAnchorX, ctx.ZoomAnchorY, ctx.ZoomFactor,
                    r)) {
        return false;
    }
    r.Left += ctx.OffsetX;
    r.Right += ctx.OffsetX;
    r.Top += ctx.OffsetY;
    r.Bottom += ctx.OffsetY;
    ctx.DestinationRect = r;

    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    if (keepAspect && display) {
        int w = 0;
        int h = 0;
        if (Failed(display->GetNativeVideoSize(w, h)) ||
            !LetterBox(r, w, h, clientWidth, clientHeight)) {
            return false;
        }
    }
    if (display) {
        Rect destination = r;
        if (ctx.UpsideDown) {
            std::swap(destination.Left, destination.Right);
            std::swap(destination.Top, destination.Bottom);
        }
        const playback::NormalizedRect whole;
        if (Succeeded(display->SetVideoPosition(&whole, &destination))) {
            display->SetAspectRatioMode(1);
        }
    }
    if (ctx.Video != nullptr && player != nullptr) {
        for (const Rect& bar : BlackBars(r, clientWidth, clientHeight)) {
            if (!bar.IsEmpty())
                ctx.Video->FillBlack(bar);
        }
    }
    if (player == nullptr)
        return true;
    switch (ReadPlayState(ctx)) {
    case kPlayStateStopped:
        // The stopped picture is the first frame.
        player->SetVolume(0);
        ShowStillAt(*player, 0);
        break;
    case kPlayStatePlaying:
    case kPlayStatePaused:
        if (display)
            display->RepaintVideo();
        break;
    default:
        player->SetVolume(VolumeForSpeed(ctx));
        break;
    }
    return true;
}

int SetAspect(EngineContext& ctx, int mode) {
    if (PlayerOf(ctx) != nullptr) {
        if (WaitingForDisplay(ctx) || !PlacePicture(ctx, mode == 1))
            return 0;
    }
    ctx.AspectMode = mode;
    return 1;
}

int SetUpsideDown(EngineContext& ctx, int flag) {
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    if (display) {
        Rect r;
        display->GetVideoPosition(r);
        // The normal rectangle, then turned over on both axes when the flag is set.
        if (r.Left > r.Right)
            std::swap(r.Left, r.Right);
        if (r.Top > r.Bottom)
            std::swap(r.Top, r.Bottom);
        if (flag) {
            std::swap(r.Left, r.Right);
            std::swap(r.Top, r.Bottom);
        }
        if (Failed(display->SetVideoPosition(nullptr, &r)))
            return 0;
        display->RepaintVideo();
    } else if (player != nullptr) {
        return 0;
    }
    ctx.UpsideDown = flag;
    return 1;
}

int SetVideoRect(EngineContext& ctx, int anchorX, int anchorY, int offsetX, int offsetY, float zoom,
                 int repaint) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    if (WaitingForDisplay(ctx))
        return 0;
    ctx.ZoomAnchorX = anchorX;
    ctx.ZoomAnchorY = anchorY;
    ctx.OffsetX = offsetX;
    ctx.OffsetY = offsetY;
    ctx.ZoomFactor = zoom;
    (void)repaint; // the player repaints by its state
    return PlacePicture(ctx, ctx.AspectMode == 1) ? 1 : 0;
}

int ReapplyRect(EngineContext& ctx) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    return SetVideoRect(ctx, ctx.ZoomAnchorX, ctx.ZoomAnchorY, ctx.OffsetX, ctx.OffsetY,
                        ctx.ZoomFactor, 1);
}

int Refresh(EngineContext& ctx) {
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    if (!display)
        return 0;
    return Succeeded(display->RepaintVideo()) ? 1 : 0;
}

} // namespace kestrel
