#include "playback/PresentationClock.h"

#include <cmath>

namespace kestrel::playback {

int64_t PresentationClock::TimeLocked(WallClock::time_point now) const {
    switch (state_) {
    case State::Stopped:
        return 0;
    case State::Paused:
        return anchorTime_;
    case State::Running:
        break;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - anchorWall_);
    const double advanced = static_cast<double>(elapsed.count()) / 100.0 * rate_;
    return anchorTime_ + static_cast<int64_t>(std::llround(advanced));
}

int64_t PresentationClock::GetTime() const {
    std::lock_guard lock(lock_);
    return TimeLocked(WallClock::now());
}

int64_t PresentationClock::GetPosition() const {
    std::lock_guard lock(lock_);
    const int64_t time = TimeLocked(WallClock::now());
    return time == 0 && expectedStarts_ > 0 ? expectedPosition_ : time;
}

void PresentationClock::ExpectStart(int64_t position) {
    std::lock_guard lock(lock_);
    ++expectedStarts_;
    expectedPosition_ = position;
}

void PresentationClock::CancelExpectedStart() {
    std::lock_guard lock(lock_);
    if (expectedStarts_ > 0)
        --expectedStarts_;
}

PresentationClock::State PresentationClock::GetState() const {
    std::lock_guard lock(lock_);
    return state_;
}

float PresentationClock::Rate() const {
    std::lock_guard lock(lock_);
    return rate_;
}

void PresentationClock::Start(int64_t position) {
    std::lock_guard lock(lock_);
    anchorTime_ = position;
    anchorWall_ = WallClock::now();
    state_ = State::Running;
    if (expectedStarts_ > 0)
        --expectedStarts_;
}

void PresentationClock::Resume() {
    std::lock_guard lock(lock_);
    if (state_ == State::Running)
        return;
    if (state_ == State::Stopped)
        anchorTime_ = 0;
    anchorWall_ = WallClock::now();
    state_ = State::Running;
}

void PresentationClock::Pause() {
    std::lock_guard lock(lock_);
    if (state_ == State::Running)
        anchorTime_ = TimeLocked(WallClock::now());
    if (state_ != State::Stopped)
        state_ = State::Paused;
}

void PresentationClock::Stop() {
    std::lock_guard lock(lock_);
    state_ = State::Stopped;
    anchorTime_ = 0;
}

void PresentationClock::SetRate(float rate) {
    std::lock_guard lock(lock_);
    const auto now = WallClock::now();
    anchorTime_ = TimeLocked(now);
    anchorWall_ = now;
    rate_ = rate;
}

} // namespace kestrel::playback
