#include "playback/SamplePool.h"

#include <iterator>

namespace kestrel::playback {

MediaResult SamplePool::Initialize(std::vector<SamplePtr> samples) {
    if (initialized_)
        return kInvalidRequest;
    for (auto& s : samples)
        free_.push_back(std::move(s));
    pending_ = 0;
    initialized_ = true;
    return kOk;
}

MediaResult SamplePool::GetSample(SamplePtr& sample) {
    if (!initialized_)
        return kInvalidRequest;
    if (free_.empty())
        return kSamplePoolEmpty;
    sample = std::move(free_.front());
    free_.pop_front();
    ++pending_;
    return kOk;
}

MediaResult SamplePool::ReturnSample(SamplePtr sample) {
    if (!initialized_)
        return kInvalidRequest;
    free_.push_back(std::move(sample));
    --pending_;
    return kOk;
}

void SamplePool::Clear() {
    free_.clear();
    pending_ = 0;
    initialized_ = false;
}

std::vector<SamplePtr> SamplePool::TakeFreeAndClear() {
    std::vector<SamplePtr> free(std::make_move_iterator(free_.begin()),
                                std::make_move_iterator(free_.end()));
    Clear();
    return free;
}

} // namespace kestrel::playback
