#include "video/VideoModeHandler.h"

#include "engine/EngineApi.h"
#include "shell/KeyCommands.h"
#include "video/CMovieMenu.h"
#include "video/CMovieStatic.h"
#include "video/VideoModeHost.h"
#include "video/VideoZoom.h"

#include <QWidget>

namespace kestrel {
namespace {
} // namespace

VideoModeHandler::VideoModeHandler(VideoModeHost& host, CMovieStatic& surface, const EngineApi& api,
                                   EngineContext& engine)
    : host_(host), surface_(surface), api_(api), engine_(engine),
      zoom_(ZoomState::ResetFor(host.DisplaySize())) {}

VideoModeHandler::~VideoModeHandler() {
    delete menu_.data();
}

void VideoModeHandler::ReadAspectSetting() {
    aspect_ = host_.StoredAspect();
}

bool VideoModeHandler::OnCommand(int id) {
    switch (id) {
    case IdZoomMode:
        OnZoomModeCommand();
        return true;
    case IdAspectMode:
        OnAspectCommand();
        return true;
    case IdFullScreenToggle:
        // As a double click: zoom mode keeps the window.
        if (!zoomMode_)
            FullScreenByUser();
        return true;
    case IdLeaveFullScreen:
        if (host_.FullScreen())
            ToggleFullScreen(true);
        return true;
    default:
        return false;
    }
}

void VideoModeHandler::ApplyZoom(int repaint) {
    api_.SetVideoRect(engine_, zoom_.AnchorX, zoom_.AnchorY, zoom_.OffsetX, zoom_.OffsetY,
                      zoom_.Scale, repaint);
}

void VideoModeHandler::ResetZoom() {
    zoom_ = ZoomState::ResetFor(host_.DisplaySize());
    ApplyZoom(0);
}

// ---- Zoom ----

void VideoModeHandler::OnZoomModeCommand() {
    if (host_.GuardRefuses())
        return;
    SetZoomMode(!zoomMode_);
}

void VideoModeHandler::EndZoomMode() {
    if (zoomMode_)
        SetZoomMode(false);
}

void VideoModeHandler::SetZoomMode(bool on) {
    zoomMode_ = on ? 1 : 0;
    // While zooming the file panel's controls stand aside: a click meant for the picture must
    // not open another recording.
    host_.ShowZoomMode(on);
    surface_.SetZoomMode(on);
    if (!on)
        ResetZoom();
}

void VideoModeHandler::ZoomStep(const QPoint& point) {
    if (!zoomMode_)
        return;
    const std::optional<ZoomState> next = VideoZoom::Step(
        zoom_, surface_.rect(), point, engine_.DestinationRect, host_.DisplaySize());
    if (!next)
        return;
    zoom_ = *next;
    ApplyZoom(1);
}

// ---- Aspect ----

void VideoModeHandler::OnAspectCommand() {
    if (!host_.RecordingOpen())
        return;
    // The engine keeps the picture's shape only in full screen; outside it the stored flag
    // says what full screen will do.
    const bool fullScreen = host_.FullScreen();
    const int current = fullScreen ? (engine_.Ready ? engine_.AspectMode : 0) : aspect_;
    if (current == 0) {
        aspect_ = 1;
        if (fullScreen) {
            api_.SetAspect(engine_, 1);
            ApplyZoom(0);
        }
        host_.StoreAspect(1);
    } else {
        aspect_ = 0;
        if (fullScreen)
            api_.SetAspect(engine_, 0);
        host_.StoreAspect(0);
    }
    host_.RefreshSpeedLabel();
}

// ---- Full screen ----

void VideoModeHandler::SetFullScreen(bool on) {
    if (on == host_.FullScreen())
        return;
    if (on) {
        host_.ApplyFullScreenLayout(true);
        host_.RefreshSpeedLabel();
        api_.SetAspect(engine_, aspect_);
        return;
    }
    // In the window the picture always fills the video surface.
    api_.SetAspect(engine_, 0);
    host_.ApplyFullScreenLayout(false);
    ResetZoom();
    host_.SetPlayFace(engine_.PlayState == kPlayStatePlaying);
    host_.RefreshButtons();
}

void VideoModeHandler::ToggleFullScreen(bool request) {
    const bool wasFullScreen = host_.FullScreen();
    if (!wasFullScreen && api_.GetCurrentFrame(engine_) + kLastFramesWithoutFullScreen >=
                              api_.GetTotalFrames(engine_)) {
        return;
    }
    const bool open = host_.RecordingOpen() != 0;
    bool leftForWantOfRecording = false;
    if (request) {
        SetFullScreen(!wasFullScreen);
    } else if (wasFullScreen && !open) {
        SetFullScreen(false);
        leftForWantOfRecording = true;
    } else if (wasFullScreen || !open) {
        return;
    }
    if (host_.FullScreen())
        return;
    // Leaving full screen has just laid the window out and reset the zoom.
    if (!wasFullScreen) {
        host_.ApplyLayout();
        ResetZoom();
    }
    if (!leftForWantOfRecording)
        host_.SetPlayFace(engine_.PlayState == kPlayStatePlaying);
    host_.PlaceFilePanel();
}

void VideoModeHandler::FullScreenByUser() {
    const bool allowed = !host_.JobRunning() && host_.ListCount() > 0 && host_.RecordingOpen();
    ToggleFullScreen(allowed);
}

// ---- The surface ----

void VideoModeHandler::VideoMenuRequested(const QPoint& globalPoint) {
    if (host_.GuardRefuses() || host_.WaitingForMovie())
        return;
    delete menu_.data();
    MovieMenuInputs in;
    in.PlayState = engine_.Ready ? engine_.PlayState : 0;
    in.SpeedCode = engine_.SpeedCode;
    in.FullScreen = host_.FullScreen();
    in.DisplaySize = host_.DisplaySize();
    in.AspectMode = engine_.AspectMode;
    auto* menu = new CMovieMenu(in.FullScreen, CMovieMenu::Items(in), host_.MenuOwner());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Run once the menu has closed: a command may open a dialog of its own.
    QObject::connect(
        menu, &CMovieMenu::Command, host_.MenuOwner(), [this](int id) { host_.RunCommand(id); },
        Qt::QueuedConnection);
    menu_ = menu;
    menu->popup(globalPoint);
}

bool VideoModeHandler::MovieShown() const {
    return engine_.Ready && engine_.PlayState != 0;
}

} // namespace kestrel
