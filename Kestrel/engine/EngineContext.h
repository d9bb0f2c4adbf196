#pragma once
// The engine's single state record. The main window owns one, zero-initialised, and passes
// it to every engine operation. Everything it points to is released by Shutdown.
#include "engine/BoxScanner.h"
#include "engine/SensorSamples.h"
#include "platform/NamedMutex.h"
#include "platform/VideoWindow.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace kestrel {

// The overlay text font: the description the engine asks the drawing layer for.
struct OverlayFontSpec {
    std::string FaceName;
    int Height = 0; // negative: character height in pixels
    int Weight = 0;
    int CharSet = 0;
    int PitchAndFamily = 0;
};

// The media objects of the open movie. Only the playback operations know what they are:
// the recording engine itself links no media library. They make the graph and hand it the
// function that releases it.
struct PlaybackGraph;
struct PlaybackGraphRelease {
    void (*Release)(PlaybackGraph*) = nullptr;
    void operator()(PlaybackGraph* graph) const {
        if (Release != nullptr)
            Release(graph);
    }
};
using PlaybackGraphPtr = std::unique_ptr<PlaybackGraph, PlaybackGraphRelease>;

// The values of EngineContext::PlayState.
inline constexpr int kPlayStateNone = 0;
inline constexpr int kPlayStateStopped = 1;
inline constexpr int kPlayStatePlaying = 2;
inline constexpr int kPlayStatePaused = 3;

struct EngineContext {
    // Control values
    int Volume = 0;
    VideoWindow* Video = nullptr; // clipping window, overlay owner and receiver of messages
    float FramePeriodMs = 0.0f;
    int UpsideDown = 0;
    float OneFramePerSecond = 0.0f;
    int CanPlayBackwards = 0;
    int ReservedOption = 0;
    int HardwareDecoding = 0;
    int SpeedCode = 0;
    int AspectMode = 0;

    // Video geometry
    int ZoomAnchorX = 0;
    int ZoomAnchorY = 0;
    float ZoomFactor = 0.0f;
    Rect DestinationRect;
    int OffsetX = 0;
    int OffsetY = 0;

    // Worker: the one-frame-per-second stepper
    std::unique_ptr<std::thread> StepThread;

    // Playback state: one of the kPlayState values below
    int PlayState = 0;
    int64_t LastFrame = 0;

    // Owner's flags, written only by the main window
    std::atomic<int> Ready{0};
    int SensorDataLoaded = 0;

    // Drawing
    std::unique_ptr<OverlayFontSpec> OverlayFont;

    // Locks. Order where several are held: the main window's, then hFileMutex, then
    // hCacheFileMutex, then a scanner's hMutexFind, then the player's locks (CPlayer.h).
    // hFileMutex guards the displayed and loaded slots, the playback graph and the fields
    // the slots change. Taken by every slot that touches files or the player (on the main
    // window's thread), by the main window when it moves the loaded slot's lists into the
    // displayed slot, and by every reader of the displayed slot's samples. Re-entrant for
    // its owner: slots take it again inside themselves. The outermost engine lock; the
    // prefetch workers never take it.
    std::unique_ptr<platform::RecursiveNamedMutex> FileMutex;
    // hCacheFileMutex guards the prefetch slot's scanner and lists. Held by
    // PrefetchSensorData (on a worker) for its whole decoding and by LoadSensorData while
    // it decides and moves, inside hFileMutex. PrefetchSensorData, LoadSensorData and
    // Shutdown also take it and release it at once, only to wait until a running prefetch
    // has ended (after asking it to give up through the slot's Cancel flag).
    std::unique_ptr<platform::PlainNamedMutex> CacheFileMutex;

    // Data slots
    ScannerSlot Displayed; // what the views read; also OpenMovie's own box scans
    ScannerSlot Loaded;    // filled by LoadSensorData
    ScannerSlot Prefetch;  // filled in the background

    // Playback graph of the open movie; none before the first movie is opened
    PlaybackGraphPtr Graph;

    // One-frame-per-second state
    int64_t StepTotalFrames = 0;
    int64_t StepCounter = 0;
    MessageTarget* StepTarget = nullptr;

    // All-files track: GPS samples of a list of recordings, or none
    std::unique_ptr<GpsSampleList> AllFilesTrack;
};

// Slot 0: (re)initialises the context; a second Init first shuts the first one down.
int Init(EngineContext& ctx, VideoWindow* video, const std::string& faceName);
// Slot 1: releases everything the context holds; safe to call twice.
int Shutdown(EngineContext& ctx);

// Ends the one-frame-per-second worker and releases the player: Shutdown calls it before
// the context's locks go.
void ReleasePlayback(EngineContext& ctx);
// Turns the one-frame-per-second flag off and waits for its worker to end.
void EndStepWorker(EngineContext& ctx);

// Reserved slots, kept so that the operation table is complete.
EngineContext* SetReservedOption(EngineContext& ctx, int value);
int ReservedQuery(EngineContext& ctx);
EngineContext* SetHardwareDecoding(EngineContext& ctx, int flag);
int ReservedQuery2(EngineContext& ctx);
int64_t ReservedQuery3(EngineContext& ctx);

} // namespace kestrel
