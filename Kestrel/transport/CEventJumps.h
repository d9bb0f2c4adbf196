#pragma once
// The graph's clicks and the information strip's axis buttons: a left click on the graph
// seeks to the previous shown event, a right click to the next one, both wrapping around the
// recording; an axis button shows or hides its curve and G events on the graph and the map.
#include "platform/NamedMutex.h"

#include <cstdint>
#include <functional>

namespace kestrel {

class CGSensorDlg;
class CTransportController;

class CEventJumps {
  public:
    // Sends the event positions to the map again.
    using SendPositions = std::function<void()>;

    CEventJumps(CTransportController& transport, CGSensorDlg& graph,
                platform::RecursiveNamedMutex& mutexCpSet, SendPositions sendPositions = {})
        : transport_(transport), graph_(graph), mutexCpSet_(mutexCpSet),
          sendPositions_(std::move(sendPositions)) {}

    // True when `message` is one of these; it is then handled.
    bool OnMessage(int message, intptr_t wParam, intptr_t lParam);
    // Classifies the shown recording again into its event positions.
    void RebuildEventPositions();

  private:
    void Jump(bool next);

    CTransportController& transport_;
    CGSensorDlg& graph_;
    platform::RecursiveNamedMutex& mutexCpSet_; // guards the shown recording's event positions
    SendPositions sendPositions_;
};

} // namespace kestrel
