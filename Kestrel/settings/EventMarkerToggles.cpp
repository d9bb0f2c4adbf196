#include "settings/EventMarkerToggles.h"

namespace kestrel {

int EventMarkerToggles::GraphEntryOf(intptr_t index) {
    constexpr int kEntries[] = {9, 4, 5, 6};
    if (index < 0 || index >= static_cast<intptr_t>(std::size(kEntries)))
        return -1;
    return kEntries[index];
}

void EventMarkerToggles::OnToggle(intptr_t index, intptr_t state) const {
    const int entry = GraphEntryOf(index);
    if (entry < 0)
        return;
    if (showEntry_)
        showEntry_(entry, state != 0);
    if (redrawGraph_)
        redrawGraph_();
    if (resendPositions_)
        resendPositions_();
}

} // namespace kestrel
