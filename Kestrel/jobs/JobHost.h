#pragma once
// What the jobs ask of the main window: the window-wide effects of a running job (every
// control off, the map or the logo, the layout) that the window owns itself.
#include "window/MainLayout.h"

namespace kestrel {

class JobHost {
  public:
    virtual ~JobHost() = default;
    // Every control of the window off while a job runs, or back on: the thirteen buttons, the
    // caption buttons, the file panel, the information panel, both sliders, the G-sensor
    // view, the video surface and the map.
    virtual void SetControlsForJob(bool enabled) = 0;
    // The thirteen command buttons off.
    virtual void DisableAllControls() = 0;
    virtual void RefreshButtons() = 0;
    virtual void DecideMapOrLogo() = 0;
    virtual int Volume() const = 0;
    virtual ZoomState CurrentZoom() const = 0;
    // The display size's layout again, drawn once when done.
    virtual void RestoreLayout() = 0;
    // The CSV button is refused while set.
    virtual void SetCsvBlocked(int blocked) = 0;
    // The source emptied: zoom mode off, the playback views and the information panel reset.
    virtual void ClearAfterEmptiedSource() = 0;
};

} // namespace kestrel
