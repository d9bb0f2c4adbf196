#pragma once
// The presentation clock: media time advancing with the wall clock at the playback rate
// while running, frozen while paused, 0 while stopped. Times are in 100 ns units.
#include <chrono>
#include <cstdint>
#include <mutex>

namespace kestrel::playback {

class PresentationClock {
  public:
    enum class State { Stopped, Running, Paused };

    // The media time now; 0 when stopped.
    int64_t GetTime() const;
    State GetState() const;
    float Rate() const;

    // Runs from `position`.
    void Start(int64_t position);
    // Runs on from where it was paused.
    void Resume();
    void Pause();
    void Stop();
    // Keeps the current time and continues at `rate` from it.
    void SetRate(float rate);

  private:
    using WallClock = std::chrono::steady_clock;
    int64_t TimeLocked(WallClock::time_point now) const;

    mutable std::mutex lock_; // guards every member below
    State state_ = State::Stopped;
    int64_t anchorTime_ = 0;           // media time at anchorWall_
    WallClock::time_point anchorWall_; // when the clock last started or changed rate
    float rate_ = 1.0f;
};

} // namespace kestrel::playback
