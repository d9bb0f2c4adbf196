#pragma once
// The engine's operation table: 34 slots in a fixed order, each taking the context first.
// The main window fills it once at start-up and calls the engine only through it.
#include "engine/EngineContext.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace kestrel {

using Path = std::filesystem::path;

struct EngineApi {
    int (*Init)(EngineContext&, VideoWindow*, const std::string&);                  // 0
    int (*Shutdown)(EngineContext&);                                                 // 1
    int (*IsRecorderFile)(EngineContext&, const Path&);                              // 2
    int (*OpenMovie)(EngineContext&, const Path&);                                   // 3
    int (*CloseMovie)(EngineContext&);                                               // 4
    int (*LoadSensorData)(EngineContext&, const Path&);                              // 5
    int (*ReleaseScan)(EngineContext&);                                              // 6
    int (*Run)(EngineContext&);                                                      // 7
    int (*SeekFrameWhilePlaying)(EngineContext&, int32_t);                           // 8
    int (*Pause)(EngineContext&);                                                    // 9
    int (*Stop)(EngineContext&);                                                     // 10
    int32_t (*GetCurrentFrame)(EngineContext&);                                      // 11
    int (*SeekToFrame)(EngineContext&, int64_t);                                     // 12
    int (*JumpToFrame)(EngineContext&, int64_t);                                     // 13
    EngineContext* (*SetReservedOption)(EngineContext&, int);                        // 14
    int (*ReservedQuery)(EngineContext&);                                            // 15
    EngineContext* (*SetHardwareDecoding)(EngineContext&, int);                      // 16
    int (*ReservedQuery2)(EngineContext&);                                           // 17
    int (*SetSpeed)(EngineContext&, int);                                            // 18
    int (*SetOneFramePerSecond)(EngineContext&, float);                              // 19
    int (*SetAspect)(EngineContext&, int);                                           // 20
    int64_t (*GetTotalFrames)(EngineContext&);                                       // 21
    int64_t (*GetTotalFrames2)(EngineContext&);                                      // 22
    int64_t (*ReservedQuery3)(EngineContext&);                                       // 23
    double (*GetFrameMs)(EngineContext&);                                            // 24
    int (*GetVideoSize)(EngineContext&, int*, int*);                                 // 25
    int (*SetVolume)(EngineContext&, int);                                           // 26
    int (*DrawOverlayText)(EngineContext&, const std::string&);                      // 27
    int (*ClearOverlay)(EngineContext&);                                             // 28
    int (*SetUpsideDown)(EngineContext&, int);                                       // 29
    int (*SetVideoRect)(EngineContext&, int, int, int, int, float, int);             // 30
    int (*SaveJpeg)(EngineContext&, const Path&);                                    // 31
    int (*Refresh)(EngineContext&);                                                  // 32
    int (*ReapplyRect)(EngineContext&);                                              // 33
};

inline constexpr int kEngineSlotCount = 34;
static_assert(sizeof(EngineApi) == kEngineSlotCount * sizeof(void (*)()),
              "the operation table has exactly 34 slots");

// The table as the main window uses it. Every slot but Init and Shutdown first tests the
// context's Ready flag and, while it is 0, returns 0 without doing anything. Shutdown is
// exempt because the main window clears Ready right before it calls Shutdown.
const EngineApi& GetEngineApi();

// Slot 2 itself: the recorder-file test under hFileMutex.
int IsRecorderFileSlot(EngineContext& ctx, const Path& path);

} // namespace kestrel
