#pragma once
// The transport controller with the views it drives, on a window of its own that stands in
// for the main window: it routes the engine's and the loader's messages to the controller
// and counts what the controller asks of the window.
#include "shell/AppEvent.h"
#include "AppTestSupport.h"
#include "SurfacePattern.h"
#include "transport/CTransportController.h"
#include "transport/PlaybackHost.h"
#include "video/VideoPictureStore.h"
#include "engine/EngineApi.h"
#include "mkrec/FramePattern.h"
#include "skin/CSkinSliderCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "views/CGSensorDlg.h"
#include "views/CInfoDlg.h"

#include <QWidget>

#include <memory>

namespace kestrel::test {

// A video surface that keeps the presented pictures and posts to the host.
class StoreSurface : public VideoWindow {
  public:
    explicit StoreSurface(QObject* owner) : owner_(owner) {}
    void PostAppMessage(int message, intptr_t wParam, intptr_t lParam) override {
        PostAppEvent(owner_, message, wParam, lParam);
    }
    void ClientSize(int& width, int& height) const override {
        width = 320;
        height = 180;
    }
    void PresentPicture(const VideoPicture& picture, const Rect& destination) override {
        Store.Store(picture, destination);
    }
    // The frame number painted into the newest picture, -1 unreadable, -2 none yet.
    int Pattern() const {
        const QImage picture = Store.Picture().convertToFormat(QImage::Format_RGB32);
        if (picture.isNull())
            return -2;
        // RGB32 holds blue, green, red, unused: swap to red first for the decoder.
        const QImage rgb = picture.convertToFormat(QImage::Format_RGBX8888);
        return mkrec::DecodeFramePatternRgb(rgb.constBits(), static_cast<int>(rgb.bytesPerLine()),
                                            rgb.width(), rgb.height(), 4);
    }
    VideoPictureStore Store;

  private:
    QObject* owner_;
};

class TransportHost : public QWidget, public PlaybackHost {
  public:
    TransportHost()
        : mutex_("hMutexCache"), surface_(this), panel_(this, this), seek_(38100, this),
          info_(this), graph_(this) {
        api_ = &GetEngineApi();
        api_->Init(engine_, &surface_, "メイリオ");
        engine_.Ready = 1;
        panel_.SetEngine(api_, &engine_);
        panel_.setGeometry(0, 0, 452, 244);
        controller_ = std::make_unique<CTransportController>(*api_, engine_, *this, panel_, seek_,
                                                             info_, graph_, mutex_, this);
        QObject::connect(&panel_, &CFilerContainerDlg::RowSelected, this,
                         [this](int row) { controller_->OnRowSelected(row); });
        QObject::connect(&panel_, &CFilerContainerDlg::FolderSelected, this,
                         [this](QTreeWidgetItem* old, QTreeWidgetItem* now) {
                             controller_->OnFolderSelected(old, now);
                         });
    }
    ~TransportHost() override {
        controller_->ResetPlaybackViews();
        controller_.reset();
        engine_.Ready = 0;
        api_->Shutdown(engine_);
    }

    // PlaybackHost
    void RefreshButtons() override { ++Refreshes; }
    void SetPlayFace(bool pauseFace) override { PauseFace = pauseFace; }
    void DisableAllControls() override { ++Disables; }
    void EnableBrowseOnly() override {}
    void EndZoomMode() override {}
    void DecideMapOrLogo() override {}
    void SetWaitCursor(bool on) override { WaitCursor = on; }
    bool FullScreen() const override { return false; }
    ZoomState CurrentZoom() const override { return ZoomState{160, 90, 0, 0, 1.0f}; }
    int Volume() const override { return 0; }
    void ApplyVolume(int) override {}
    void EndFolderAdvance() override { ++FolderAdvanceEnds; }
    void ReportOpenFailure() override { ++OpenFailures; }
    void FillVideoBlack() override { surface_.Store.Clear(); }
    void ShowMapPosition(int frame, bool valid, double latitude, double longitude) override {
        MapFrame = frame;
        MapValid = valid;
        MapLatitude = latitude;
        MapLongitude = longitude;
    }
    void ShowVehicleValues(const ObdSample* obd, char, int) override {
        HasVehicle = obd != nullptr;
        if (obd)
            Vehicle = *obd;
    }

    int MapFrame = -1;
    bool MapValid = false;
    double MapLatitude = 0.0;
    double MapLongitude = 0.0;
    // The vehicle sample handed over last (the window gets a copy of the frame's sample).
    bool HasVehicle = false;
    ObdSample Vehicle;

    int Refreshes = 0;
    int Disables = 0;
    int FolderAdvanceEnds = 0;
    int OpenFailures = 0;
    bool PauseFace = false;
    bool WaitCursor = false;

    CTransportController& Controller() { return *controller_; }
    CFilerContainerDlg& Panel() { return panel_; }
    CSkinSliderCtrl& Seek() { return seek_; }
    CInfoDlg& Info() { return info_; }
    EngineContext& Engine() { return engine_; }
    const EngineApi& Api() { return *api_; }
    StoreSurface& Surface() { return surface_; }

    // Waits until the selected recording's data is loaded.
    bool WaitLoaded(int timeoutMs = 10000) {
        return PumpUntil(
            [this] { return engine_.SensorDataLoaded == 1 && controller_->RecordingOpen(); },
            timeoutMs);
    }

  protected:
    bool event(QEvent* event) override {
        if (const int message = AppEvent::MessageOf(event); message >= 0) {
            const auto* app = static_cast<const AppEvent*>(event);
            controller_->OnMessage(message, app->WParam(), app->LParam());
            return true;
        }
        return QWidget::event(event);
    }

  private:
    platform::RecursiveNamedMutex mutex_;
    const EngineApi* api_ = nullptr;
    EngineContext engine_;
    StoreSurface surface_;
    CFilerContainerDlg panel_;
    CSkinSliderCtrl seek_;
    CInfoDlg info_;
    CGSensorDlg graph_;
    std::unique_ptr<CTransportController> controller_;
};

} // namespace kestrel::test
