#include "transport/CFrameFanOut.h"

#include "skin/CSkinSliderCtrl.h"
#include "transport/CTransportController.h"
#include "transport/PlaybackHost.h"
#include "views/CGSensorDlg.h"
#include "views/CInfoDlg.h"
#include "views/ShownRecording.h"

#include <algorithm>

namespace kestrel {

using namespace transport;

void CFrameFanOut::ShowFrame(int frame) {
    TransportState& s = c_.State;
    const int f = std::max(c_.Seek.Min, std::min(frame, c_.Seek.Max - 1));
    s.PendingSeek = f;
    const FrameValues v = c_.Shown.At(f);
    CInfoDlg& info = c_.Info;
    if (v.HasSample) {
        info.SetAccel(v.AccelX, v.AccelY, v.AccelZ);
        info.AudioState = static_cast<char>(v.CameraByte);
        if (v.GpsValid && !s.ResetPending && !s.MapHasData) {
            s.MapHasData = 1;
            c_.Host.DecideMapOrLogo();
        }
        info.SpeedKmh = v.SpeedKmh;
        info.GpsValid = v.GpsValid;
    } else {
        info.SetAccel(-5.0, -5.0, -5.0);
        info.GpsValid = 0;
    }
    c_.Host.ShowMapPosition(f, v.Located(), v.Latitude, v.Longitude);
    c_.Host.ShowVehicleValues(v.HasObd ? &v.Obd : nullptr, v.VehicleData, v.GpsValid);
    info.Slot = f;
    if (!c_.Host.FullScreen())
        info.Refresh();
    c_.Seek.SetValue(f);
    c_.Graph.SetPlaybackPosition(f, c_.Seek.Max - c_.Seek.Min);
    c_.Graph.update();
}

void CFrameFanOut::Tick() {
    EngineContext& engine = c_.Engine;
    TransportState& s = c_.State;
    if (!engine.Ready || engine.PlayState != kPlayStatePlaying)
        return;
    const int frame = c_.Api.GetCurrentFrame(engine);
    const int64_t total = c_.Api.GetTotalFrames(engine);
    const bool nearEnd =
        total != 0 && frame + CTransportController::EndMargin(engine.SpeedCode) >= total;
    if (nearEnd && !s.NearEndLock) {
        c_.Host.DisableAllControls();
        s.NearEndLock = 1;
    } else if (!nearEnd && s.NearEndLock) {
        c_.Host.RefreshButtons();
        s.NearEndLock = 0;
    }
    if (frame <= 0)
        return;
    const int64_t near = total / 1000 + 30;
    if (s.PendingSeek == -1 || (s.PendingSeek - near < frame && frame < s.PendingSeek + near)) {
        ShowFrame(frame);
        s.PendingSeek = -1;
    }
}

} // namespace kestrel
