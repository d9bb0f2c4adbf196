#pragma once
// Waiting on the real main window in the viewer's tests.
#include "AppTestSupport.h"
#include "CKestrelDlg.h"
#include "transport/CTransportController.h"

namespace kestrel::test {

// Waits until the window shows a recording: its data loaded and its movie opened and ready.
inline bool WaitRecordingShown(CKestrelDlg& window, int timeoutMs = 10000) {
    return PumpUntil(
        [&] {
            const CTransportController& t = window.Transport();
            return window.Engine()->SensorDataLoaded == 1 && t.RecordingOpen() &&
                   !t.WaitingForMovie();
        },
        timeoutMs);
}

} // namespace kestrel::test
