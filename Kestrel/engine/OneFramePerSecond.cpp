#include "engine/OneFramePerSecond.h"

#include "engine/MovieSlots.h"
#include "engine/PlayerAccess.h"
#include "engine/TransportSlots.h"

#include <chrono>
#include <thread>

namespace kestrel {

using playback::CPlayer;

namespace {

void StepWorker(EngineContext* ctx) {
    int turns = 0;
    while (ReadStepFlag(*ctx) != 0.0f) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (++turns < 100)
            continue;
        turns = 0;
        if (ReadPlayState(*ctx) != kPlayStatePaused) {
            if (ctx->StepTarget != nullptr) {
                ctx->StepTarget->PostAppMessage(WM_APP_STEP_FRAME, 0,
                                                static_cast<intptr_t>(ctx->StepCounter));
            }
            ++ctx->StepCounter;
        }
        if (ctx->StepCounter >= ctx->StepTotalFrames) {
            if (ctx->StepTarget != nullptr) {
                ctx->StepTarget->PostAppMessage(WM_APP_STEP_END, 0,
                                                static_cast<intptr_t>(ctx->StepCounter));
            }
            ctx->StepCounter = 0;
            return;
        }
    }
}

} // namespace

int SetOneFramePerSecond(EngineContext& ctx, float flag) {
    EndStepWorker(ctx);
    CPlayer* player = PlayerOf(ctx);
    if (flag != 0.0f) {
        if (ctx.FramePeriodMs == 0.0f)
            return 0;
        if (player != nullptr) {
            player->SetVolume(0);
            player->Play();
            ctx.StepTotalFrames = GetTotalFrames(ctx);
            ctx.StepCounter = GetCurrentFrame(ctx);
            ctx.StepTarget = ctx.Video != nullptr ? ctx.Video->ParentWindow() : nullptr;
            PauseIfStarted(*player);
            // The flag is set before the worker starts: it runs only while the flag is on.
            SetStepFlag(ctx, flag);
            ctx.StepThread = std::make_unique<std::thread>(StepWorker, &ctx);
        }
    } else if (player != nullptr) {
        player->Play();
        SetSpeed(ctx, ctx.SpeedCode);
    }
    SetStepFlag(ctx, flag);
    return 1;
}

} // namespace kestrel
