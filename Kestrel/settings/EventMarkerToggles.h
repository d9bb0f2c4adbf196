#pragma once
// What the main window does with a toggle of the settings dialog: the graph entry behind the
// toggle is shown or hidden on the G-sensor graph and on the map, the graph is drawn again and
// the map is given the event positions anew. The entries and the positions belong to the shown
// recording's data; this class only routes the toggle to them.
#include <cstdint>
#include <functional>
#include <iterator>

namespace kestrel {

class EventMarkerToggles {
  public:
    // Sets both visibility flags (graph and map) of graph entry `entry`.
    using ShowEntry = std::function<void(int entry, bool shown)>;
    // Draws the graph again / rebuilds the event positions and sends them to the map.
    using Step = std::function<void()>;

    EventMarkerToggles(ShowEntry showEntry, Step redrawGraph, Step resendPositions)
        : showEntry_(std::move(showEntry)), redrawGraph_(std::move(redrawGraph)),
          resendPositions_(std::move(resendPositions)) {}

    // The graph entry of toggle `index`: drive support 9, emergency recording stop 4, parking
    // impact 5, speeding 6; -1 for any other index. Entries 7 and 8 (speed camera and radar)
    // have no toggle and stay shown.
    static int GraphEntryOf(intptr_t index);

    // Applies one toggle message (index, 1 on / 0 off). A message for no toggle is ignored.
    void OnToggle(intptr_t index, intptr_t state) const;

  private:
    ShowEntry showEntry_;
    Step redrawGraph_;
    Step resendPositions_;
};

} // namespace kestrel
