#include "engine/PlayerAccess.h"

#include "engine/MediaErrorBox.h"

#include <atomic>

namespace kestrel {

using playback::CPlayer;
using playback::MediaResult;
using playback::MediaSession;
using playback::Succeeded;

// PlayState and OneFramePerSecond are read by the one-frame-per-second worker while the
// main window's thread changes them; both sides go through these.
void SetPlayState(EngineContext& ctx, int state) {
    std::atomic_ref(ctx.PlayState).store(state);
}

int ReadPlayState(EngineContext& ctx) {
    return std::atomic_ref(ctx.PlayState).load();
}

void SetStepFlag(EngineContext& ctx, float flag) {
    std::atomic_ref(ctx.OneFramePerSecond).store(flag);
}

float ReadStepFlag(EngineContext& ctx) {
    return std::atomic_ref(ctx.OneFramePerSecond).load();
}

CPlayer* PlayerOf(EngineContext& ctx) {
    return ctx.Graph ? ctx.Graph->Player.get() : nullptr;
}

// Transport and placement do nothing until the player has its video display: the
// topology is not ready yet.
bool WaitingForDisplay(EngineContext& ctx) {
    CPlayer* player = PlayerOf(ctx);
    return player != nullptr && !player->DisplayControl();
}

int VolumeForSpeed(const EngineContext& ctx) {
    return ctx.SpeedCode == 1 ? ctx.Volume : 0;
}

bool Check(MediaResult r) {
    if (Succeeded(r))
        return true;
    ReportMediaError(r);
    return false;
}

// Pauses the session when the player is started, as the engine's Pause does.
void PauseIfStarted(CPlayer& player) {
    if (player.GetState() != CPlayer::kStarted)
        return;
    std::shared_ptr<MediaSession> session = player.Session();
    if (session && player.Source() && Succeeded(session->Pause()))
        player.SetState(CPlayer::kPaused);
}

// Starts at `position` and pauses at once: the picture of that time is shown and the
// clock waits there. The two commands are carried out together.
void ShowStillAt(CPlayer& player, int64_t position) {
    std::shared_ptr<MediaSession> session = player.Session();
    if (!session)
        return;
    MediaSession::CommandHold hold(*session);
    if (Succeeded(player.StartAt(position)))
        PauseIfStarted(player);
}

} // namespace kestrel
