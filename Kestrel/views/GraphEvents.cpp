#include "views/GraphEvents.h"

#include "views/EventKind.h"

namespace kestrel {
namespace {

// Entries whose match clears the sample's EventCode.
constexpr bool kClearsEventCode[GraphEvents::kEntryCount] = {true,  true, true, false, false,
                                                             false, true, true, true,  false};

} // namespace

GSensorSample* GraphSamples::SampleAt(int slot) const {
    if (!Samples || !Frames || slot < 0 || slot >= SlotCount())
        return nullptr;
    const GSensorSample* linked = (*Frames)[static_cast<size_t>(slot)];
    if (!linked || linked->Index < 0 || static_cast<size_t>(linked->Index) >= Samples->size())
        return nullptr;
    return &(*Samples)[static_cast<size_t>(linked->Index)];
}

int GraphEvents::Classify(int entry, GSensorSample& sample) const {
    int kind = -1;
    switch (entry) {
    case 0:
        kind = ExtendedKinds && sample.Axis == 1 ? KindGX : -1;
        break;
    case 1:
        kind = ExtendedKinds && sample.Axis == 2 ? KindGYBrake : -1;
        break;
    case 2:
        kind = ExtendedKinds && sample.Axis == 3 ? KindGZDrop : -1;
        break;
    case 3:
        kind = sample.EventCode == 5 ? KindManual : -1;
        break;
    case 4:
        kind = sample.EventCode == 6 ? KindEmergencyStop : -1;
        break;
    case 5:
        kind = ExtendedKinds && sample.EventCode == 7 ? KindParking : -1;
        break;
    case 6:
        kind = sample.WarningFlag == 8 ? KindSpeeding : -1;
        break;
    case 7:
        kind = ExtendedKinds && sample.CameraHigh == 10 && sample.CameraLow == 9 ? KindSpeedCamera
                                                                                 : -1;
        break;
    case 8:
        kind = ExtendedKinds && (sample.CameraHigh == 8 || sample.CameraHigh == 9) &&
                       sample.CameraLow == 8
                   ? KindRadar
                   : -1;
        break;
    case 9:
        kind = sample.EventCode >= 11 && sample.EventCode <= 13 ? sample.EventCode : -1;
        break;
    default:
        return -1;
    }
    if (kind >= 0 && kClearsEventCode[entry])
        sample.EventCode = -1;
    return kind;
}

int GraphEvents::EntryOfKind(int kind) {
    static constexpr int kEntry[kEventKindCount] = {0, 0, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9};
    return kind >= 0 && kind < kEventKindCount ? kEntry[kind] : -1;
}

bool GraphEvents::ClassifySlot(const GraphSamples& data, int slot, int entry, int& kind) const {
    kind = -1;
    GSensorSample* sample = data.SampleAt(slot);
    if (!sample)
        return false;
    kind = Classify(entry, *sample);
    if (kind < 0)
        return false;
    if (slot == 0)
        return true;
    GSensorSample* previous = data.SampleAt(slot - 1);
    return !previous || Classify(entry, *previous) != kind;
}

bool GraphEvents::CollectEventPositions(const GraphSamples& data, std::vector<EventPosition>& list,
                                        int slot, int entry) const {
    if (!data.Frames || !data.Samples)
        return false;
    int kind = -1;
    const bool starts = ClassifySlot(data, slot, entry, kind);
    if (kind < 0)
        return true;
    const bool ownShown = kind < KindEmergencyStop || Entries[EntryOfKind(kind)].ShowOnMap;
    if (starts && Entries[entry].ShowOnMap && ownShown)
        list.push_back({slot, kind, entry});
    return false;
}

std::vector<EventPosition> GraphEvents::CollectAll(const GraphSamples& data) const {
    std::vector<EventPosition> list;
    const int count = data.SlotCount();
    for (int slot = 0; slot < count; ++slot) {
        if (Entries[kSpeedingEntry].ShowOnMap)
            CollectEventPositions(data, list, slot, kSpeedingEntry);
        for (int entry = 0; entry < kEntryCount; ++entry) {
            if (entry == kSpeedingEntry || !Entries[entry].ShowOnMap)
                continue;
            if (!CollectEventPositions(data, list, slot, entry))
                break;
        }
    }
    return list;
}

int GraphEvents::NextEventFrame(const std::vector<EventPosition>& list, int position) const {
    for (const int from : {position, -1}) {
        for (const EventPosition& event : list) {
            if (event.Slot > from && EntryShowsOnGraph(event.Entry))
                return event.Slot;
        }
    }
    return -1;
}

int GraphEvents::PreviousEventFrame(const std::vector<EventPosition>& list, int position,
                                    int wrapFrom) const {
    for (const int from : {position, wrapFrom}) {
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (it->Slot < from && EntryShowsOnGraph(it->Entry))
                return it->Slot;
        }
    }
    return -1;
}

} // namespace kestrel
