#pragma once
// Zoom, aspect and full screen of the video: the zoom state the main window hands to the
// engine, zoom mode (38008) with its single-click steps, the full-screen aspect mode (38200),
// the rule that enters and leaves full screen (by double click and by the keys), and the
// video surface's context menu.
#include "shell/CommandHandler.h"
#include "video/CMovieMenu.h"
#include "video/VideoSurfaceHandler.h"
#include "window/MainLayout.h"

#include <QPointer>

namespace kestrel {

class CMovieStatic;
class VideoModeHost;
struct EngineApi;
struct EngineContext;

class VideoModeHandler : public VideoSurfaceHandler, public CommandHandler {
  public:
    enum Command : int { IdZoomMode = 38008, IdAspectMode = 38200 };
    // No full screen this near the end of a recording.
    static constexpr int kLastFramesWithoutFullScreen = 10;

    VideoModeHandler(VideoModeHost& host, CMovieStatic& surface, const EngineApi& api,
                     EngineContext& engine);
    ~VideoModeHandler() override;

    // The stored aspect flag, read again.
    void ReadAspectSetting();

    const ZoomState& Zoom() const { return zoom_; }
    int AspectFlag() const { return aspect_; }
    int ZoomMode() const { return zoomMode_; }

    // CommandHandler: 38008, 38200 and the full-screen keys.
    bool OnCommand(int id) override;

    // The whole picture again at the window's display size, handed to the engine.
    void ResetZoom();
    // Zoom mode off (the file panel's controls back, the whole picture again); nothing when
    // it is off already.
    void EndZoomMode();

    // Full screen entered or left, and what the window needs around it.
    void SetFullScreen(bool on);
    // The full-screen rule; with `request` full screen flips, without it only full screen
    // without a recording is left.
    void ToggleFullScreen(bool request);
    // A double click: full screen is asked for when no job runs, the list is not empty and a
    // recording is open; otherwise the rule runs without the request.
    void FullScreenByUser();

    // VideoSurfaceHandler
    void ZoomStep(const QPoint& point) override;
    void VideoDoubleClicked() override { FullScreenByUser(); }
    void VideoMenuRequested(const QPoint& globalPoint) override;
    bool MovieShown() const override;

    // The context menu while it is open, else nullptr.
    CMovieMenu* OpenMenu() const { return menu_.data(); }

  private:
    void ApplyZoom(int repaint);
    void SetZoomMode(bool on);
    void OnZoomModeCommand();
    void OnAspectCommand();

    VideoModeHost& host_;
    CMovieStatic& surface_;
    const EngineApi& api_;
    EngineContext& engine_;
    ZoomState zoom_;
    int aspect_ = 0;
    int zoomMode_ = 0;
    QPointer<CMovieMenu> menu_;
};

} // namespace kestrel
