#pragma once
// What the transport controller asks of the main window: the window-wide effects of playing
// (buttons, faces, cursor, map or logo, full screen) that it does not own itself.
#include "window/MainLayout.h"
#include "engine/SensorSamples.h"

namespace kestrel {

class PlaybackHost {
  public:
    virtual ~PlaybackHost() = default;
    virtual void RefreshButtons() = 0;
    // The play button's face: the pause face while playing.
    virtual void SetPlayFace(bool pauseFace) = 0;
    // All thirteen command buttons off (an open is running, or playback is near its end).
    virtual void DisableAllControls() = 0;
    // Only "参照" and the panels usable (an open failed or timed out).
    virtual void EnableBrowseOnly() = 0;
    // Zoom mode off, the whole picture again (an open failed).
    virtual void EndZoomMode() = 0;
    virtual void DecideMapOrLogo() = 0;
    virtual void SetWaitCursor(bool on) = 0;
    virtual bool FullScreen() const = 0;
    virtual ZoomState CurrentZoom() const = 0;
    virtual int Volume() const = 0;
    virtual void ApplyVolume(int value) = 0;
    // Playback went past the last folder: zoom mode off, and full screen left (or, outside
    // it, the file panel placed again).
    virtual void EndFolderAdvance() = 0;
    // "動画のオープンに失敗しました。" for a recording the user chose.
    virtual void ReportOpenFailure() = 0;
    // The video surface shows black (no movie open).
    virtual void FillVideoBlack() = 0;
    // The shown frame for the map: its position when `valid`.
    virtual void ShowMapPosition(int frame, bool valid, double latitude, double longitude) = 0;
    // Playback started (2), paused (3) or stopped (1): the map follows the position only while
    // playing.
    virtual void ShowPlayStateOnMap(int /*playState*/) {}
    // A recording's data has been loaded and its first frame shown: the map draws its lines.
    virtual void ShowRecordingOnMap() {}
    // The vehicle sample linked to the shown frame (none: the values stay) for the OBD panel.
    virtual void ShowVehicleValues(const ObdSample* obd, char vehicleDataLetter, int gpsValid) = 0;
    // The shown recording's event positions are classified again (under "hMutexCpSet").
    virtual void RebuildEventPositions() {}
};

} // namespace kestrel
