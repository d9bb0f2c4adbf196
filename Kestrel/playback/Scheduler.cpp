#include "playback/Scheduler.h"

#include <chrono>
#include <cmath>

namespace kestrel::playback {

Scheduler::Decision Scheduler::Decide(int64_t sampleTime, int64_t clockTime, float rate,
                                      int64_t quarterFrame) {
    int64_t delta = sampleTime - clockTime;
    if (rate < 0.0f)
        delta = -delta;
    if (delta < -quarterFrame)
        return {true, 0}; // late
    if (delta <= 3 * quarterFrame)
        return {true, 0};
    const double speed = std::fabs(static_cast<double>(rate));
    if (speed < 1e-6)
        return {true, 0}; // a clock standing still never reaches it
    const double ms = static_cast<double>(delta - 3 * quarterFrame) / 10000.0 / speed;
    // At least a millisecond, so that a wait never turns into a busy loop.
    return {false, std::max<int64_t>(1, static_cast<int64_t>(ms))};
}

bool Scheduler::IsLate(int64_t sampleTime, int64_t clockTime, float rate, int64_t frameDuration) {
    const int64_t behind = rate < 0.0f ? sampleTime - clockTime : clockTime - sampleTime;
    return rate != 0.0f && behind > frameDuration;
}

Scheduler::Scheduler(PresentCallback present) : present_(std::move(present)) {}

Scheduler::~Scheduler() {
    StopScheduler();
}

void Scheduler::SetFrameRate(int numerator, int denominator) {
    if (numerator <= 0 || denominator <= 0) {
        numerator = 30;
        denominator = 1;
    }
    std::lock_guard lock(lock_);
    frameDuration_ = 10'000'000LL * denominator / numerator;
    quarterFrame_ = frameDuration_ / 4;
}

void Scheduler::SetClockRate(float rate) {
    std::lock_guard lock(lock_);
    rate_ = rate;
}

int64_t Scheduler::FrameDuration() const {
    std::lock_guard lock(lock_);
    return frameDuration_;
}

int64_t Scheduler::QuarterFrame() const {
    std::lock_guard lock(lock_);
    return quarterFrame_;
}

MediaResult Scheduler::StartScheduler(const PresentationClock* clock) {
    std::lock_guard lock(lock_);
    if (running_)
        return kInvalidRequest;
    if (thread_.joinable())
        thread_.join(); // one that ended on an error
    clock_ = clock;
    messages_.clear();
    running_ = true;
    thread_ = std::thread([this] { ThreadMain(); });
    return kOk;
}

MediaResult Scheduler::StopScheduler() {
    PostMessage(Message::Terminate);
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(lock_);
    running_ = false;
    queue_.clear();
    messages_.clear();
    flushed_.notify_all();
    return kOk;
}

bool Scheduler::IsRunning() const {
    std::lock_guard lock(lock_);
    return running_;
}

MediaResult Scheduler::ScheduleSample(SamplePtr sample, bool presentNow) {
    {
        std::lock_guard lock(lock_);
        if (!running_)
            return kUnexpected;
        if (!presentNow && clock_ != nullptr) {
            queue_.push_back(std::move(sample));
            messages_.push_back(Message::Schedule);
            wake_.notify_one();
            return kOk;
        }
    }
    return present_(sample);
}

void Scheduler::Wake() {
    PostMessage(Message::Schedule);
}

MediaResult Scheduler::Flush() {
    std::unique_lock lock(lock_);
    if (!running_ || std::this_thread::get_id() == thread_.get_id()) {
        queue_.clear();
        return kOk;
    }
    const uint64_t target = flushesDone_ + 1;
    messages_.push_back(Message::Flush);
    wake_.notify_one();
    flushed_.wait(lock, [&] { return flushesDone_ >= target || !running_; });
    return kOk;
}

size_t Scheduler::QueuedCount() const {
    std::lock_guard lock(lock_);
    return queue_.size();
}

int64_t Scheduler::LateCount() const {
    std::lock_guard lock(lock_);
    return late_;
}

void Scheduler::PostMessage(Message message) {
    std::lock_guard lock(lock_);
    messages_.push_back(message);
    wake_.notify_one();
}

void Scheduler::ThreadMain() {
    int64_t waitMs = -1; // infinite
    for (;;) {
        std::deque<Message> pending;
        {
            std::unique_lock lock(lock_);
            if (messages_.empty()) {
                if (waitMs < 0) {
                    wake_.wait(lock, [&] { return !messages_.empty(); });
                } else {
                    wake_.wait_for(lock, std::chrono::milliseconds(waitMs),
                                   [&] { return !messages_.empty(); });
                }
            }
            pending.swap(messages_);
        }
        bool process = pending.empty(); // a timeout: the front sample is due now
        for (Message m : pending) {
            if (m == Message::Terminate)
                return;
            if (m == Message::Flush) {
                std::lock_guard lock(lock_);
                queue_.clear();
                ++flushesDone_;
                flushed_.notify_all();
            } else {
                process = true;
            }
        }
        if (process && Failed(ProcessSamplesInQueue(waitMs))) {
            // Deliveries fail from now on, so that the presenter reports them.
            std::lock_guard lock(lock_);
            running_ = false;
            queue_.clear();
            flushed_.notify_all();
            return;
        }
    }
}

MediaResult Scheduler::ProcessSamplesInQueue(int64_t& waitMs) {
    waitMs = -1;
    for (;;) {
        SamplePtr sample;
        {
            std::lock_guard lock(lock_);
            if (queue_.empty())
                return kOk;
            sample = queue_.front();
            if (clock_ != nullptr) {
                const int64_t now = clock_->GetTime();
                const Decision d = Decide(sample->Time, now, rate_, quarterFrame_);
                if (!d.PresentNow) {
                    waitMs = d.WaitMs;
                    return kOk;
                }
                if (IsLate(sample->Time, now, rate_, frameDuration_))
                    ++late_;
            }
            queue_.pop_front();
        }
        const MediaResult r = present_(sample);
        if (Failed(r))
            return r;
    }
}

} // namespace kestrel::playback
