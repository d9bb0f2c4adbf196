#pragma once
// The presenter's free video samples. Samples handed out are counted until they come back.
#include "playback/MediaResult.h"
#include "playback/VideoSample.h"

#include <deque>
#include <vector>

namespace kestrel::playback {

// Not locked itself: the presenter guards it with its pool lock.
class SamplePool {
  public:
    // Fills the pool; a second initialisation without Clear is an invalid request.
    MediaResult Initialize(std::vector<SamplePtr> samples);
    // The next free sample; kSamplePoolEmpty when none is free.
    MediaResult GetSample(SamplePtr& sample);
    // Takes a sample back.
    MediaResult ReturnSample(SamplePtr sample);
    // True while samples are handed out.
    bool AreSamplesPending() const { return pending_ > 0; }
    size_t FreeCount() const { return free_.size(); }
    bool IsInitialized() const { return initialized_; }
    // Forgets every sample; those still handed out are no longer counted.
    void Clear();
    // Clear, handing back the samples that were free.
    std::vector<SamplePtr> TakeFreeAndClear();

  private:
    std::deque<SamplePtr> free_;
    int pending_ = 0;
    bool initialized_ = false;
};

} // namespace kestrel::playback
