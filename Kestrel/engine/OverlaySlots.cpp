#include "engine/OverlaySlots.h"

#include "engine/OverlayText.h"
#include "engine/PictureGeometry.h"
#include "engine/PlayerAccess.h"

#include <mutex>

namespace kestrel {

using playback::CPlayer;
using playback::Failed;

int DrawOverlayText(EngineContext& ctx, const std::string& text) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    if (!ctx.Graph || !ctx.Graph->Overlay || !ctx.OverlayFont)
        return 0;
    if (!DrawOverlayBitmap(*ctx.OverlayFont, text, *ctx.Graph->Overlay))
        return 0;
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> mixer = player ? player->MixerBitmap() : nullptr;
    if (!mixer)
        return 0;
    int videoWidth = 0;
    int videoHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    if (Failed(mixer->GetNativeVideoSize(videoWidth, videoHeight)))
        return 0;
    if (ctx.Video != nullptr)
        ctx.Video->ClientSize(clientWidth, clientHeight);
    const OverlayPlacement place =
        PlaceOverlay(clientWidth, clientHeight, videoWidth, videoHeight, ctx.AspectMode);
    playback::AlphaBitmap bitmap;
    bitmap.Pixels = ctx.Graph->Overlay->Pixels;
    bitmap.Width = OverlayBitmap::kWidth;
    bitmap.Height = OverlayBitmap::kHeight;
    bitmap.ColorKey = 0x000000;
    bitmap.Alpha = 0.8f;
    bitmap.DestLeft = place.Left;
    bitmap.DestTop = place.Top;
    bitmap.DestRight = place.Right;
    bitmap.DestBottom = place.Bottom;
    mixer->ClearAlphaBitmap();
    return Check(mixer->SetAlphaBitmap(std::move(bitmap))) ? 1 : 0;
}

int ClearOverlay(EngineContext& ctx) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    CPlayer* player = PlayerOf(ctx);
    if (std::shared_ptr<playback::VideoPresenter> mixer =
            player ? player->MixerBitmap() : nullptr) {
        mixer->ClearAlphaBitmap();
    }
    return 1;
}

} // namespace kestrel
