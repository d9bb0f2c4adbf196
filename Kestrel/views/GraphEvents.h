#pragma once
// The classification of the shown recording's samples into event kinds, shared by the graph's
// marks, the map's markers and the event jumps. Ten entries, looked at in a fixed order, each
// with its own classifier and its own graph and map visibility.
//
// Some entries, on a match, overwrite the sample's EventCode with -1: once a sample counts as
// a G event, speeding or a speed camera, its manual-recording, emergency-stop, parking or
// drive-support code no longer counts anywhere. The caller holds whatever guards the samples.
#include "engine/SensorSamples.h"
#include "views/EventPosition.h"

#include <array>
#include <vector>

namespace kestrel {

struct GraphEventEntry {
    int ShowOnGraph = 1;
    int ShowOnMap = 1;
};

// The shown recording's samples and its per-frame index, as the classification reads them.
// The samples are not const: the classifiers write EventCode.
struct GraphSamples {
    GSensorSampleList* Samples = nullptr;
    const FrameIndexList* Frames = nullptr;

    int SlotCount() const { return Frames ? static_cast<int>(Frames->size()) : 0; }
    // The sample of `slot`, or nullptr when the slot has none inside the sample list.
    GSensorSample* SampleAt(int slot) const;
};

class GraphEvents {
  public:
    static constexpr int kEntryCount = 10;
    static constexpr int kSpeedingEntry = 6;

    std::array<GraphEventEntry, kEntryCount> Entries{};
    // False for recordings whose kind gives the G, parking and speed-camera events no meaning.
    int ExtendedKinds = 1;

    // Entry `entry`'s classifier on one sample: its EventKind, or -1.
    int Classify(int entry, GSensorSample& sample) const;
    // The entry that yields `kind` (kinds 0 to 13), whose flags decide whether it is shown.
    static int EntryOfKind(int kind);

    // Classifies `slot` with `entry` into `kind` (-1 when nothing matches or the slot has no
    // sample); true when the slot starts a run of that kind.
    bool ClassifySlot(const GraphSamples& data, int slot, int entry, int& kind) const;

    // One step of the walk that fills the event positions: true when the sample is not
    // classified by `entry` (the walk goes on with the next entry), false when it is or the
    // data is missing. Appends a position when the slot starts a run shown on the map.
    bool CollectEventPositions(const GraphSamples& data, std::vector<EventPosition>& list, int slot,
                               int entry) const;
    // The walk over every slot: entry 6 on its own, then the other shown entries in order up
    // to the first that classifies the slot.
    std::vector<EventPosition> CollectAll(const GraphSamples& data) const;

    // The frame of the next shown event after `position`, wrapping to the first; -1 when the
    // list holds no shown event.
    int NextEventFrame(const std::vector<EventPosition>& list, int position) const;
    // The frame of the previous shown event before `position`, wrapping to the last one
    // before `wrapFrom`; -1 when there is none.
    int PreviousEventFrame(const std::vector<EventPosition>& list, int position,
                           int wrapFrom) const;

  private:
    bool EntryShowsOnGraph(int entry) const {
        return entry >= 0 && entry < kEntryCount && Entries[entry].ShowOnGraph;
    }
};

} // namespace kestrel
