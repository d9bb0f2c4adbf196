#include "transport/CEventJumps.h"

#include "platform/NamedMutex.h"
#include "shell/AppEvent.h"
#include "transport/CTransportController.h"
#include "views/CGSensorDlg.h"
#include "views/ShownRecording.h"

#include <mutex>

namespace kestrel {

bool CEventJumps::OnMessage(int message, intptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_APP_GRAPH_LEFT:
        Jump(false);
        return true;
    case WM_APP_GRAPH_RIGHT:
        Jump(true);
        return true;
    case WM_APP_AXIS_TOGGLE:
        if (wParam < 0 || wParam > 2)
            return true;
        graph_.SetEntryVisibility(static_cast<int>(wParam), lParam != 0);
        graph_.repaint();
        // The axis's G events also come and go on the map, as with the settings' switches.
        RebuildEventPositions();
        if (sendPositions_)
            sendPositions_();
        return true;
    case WM_APP_OBD_PANEL:
        return true;
    default:
        return false;
    }
}

void CEventJumps::RebuildEventPositions() {
    std::lock_guard positions(mutexCpSet_);
    transport_.Shown().RebuildEventPositions();
}

void CEventJumps::Jump(bool next) {
    if (!transport_.RecordingOpen())
        return;
    int target = -1;
    {
        std::lock_guard positions(mutexCpSet_);
        ShownRecording& shown = transport_.Shown();
        const GraphEvents& events = shown.Events();
        const int position = graph_.State().Position;
        target = next ? events.NextEventFrame(shown.EventPositions(), position)
                      : events.PreviousEventFrame(shown.EventPositions(), position,
                                                  transport_.TotalFrames() + 1);
    }
    if (target >= 0)
        transport_.SeekTo(target);
}

} // namespace kestrel
