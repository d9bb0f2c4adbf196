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
    // Where the player is: the media time, except that a time of 0 with a start still to
    // come gives the position that start is for. A seek reaches the clock late (the session
    // stops it and prerolls before it starts it again), and the plain time reads 0 until
    // then; a clock started at 0, paused at 0 or stopped with nothing to come reads 0.
    int64_t GetPosition() const;
    State GetState() const;
    float Rate() const;

    // The session has been asked to start from `position`. Every such call is answered by
    // one Start, or by CancelExpectedStart when the session gives the start up.
    void ExpectStart(int64_t position);
    void CancelExpectedStart();
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

    // Guards every member below. Read from every thread (the engine's, the session's, the
    // scheduler's inside its own lock); a leaf: nothing is taken while it is held.
    mutable std::mutex lock_;
    State state_ = State::Stopped;
    int64_t anchorTime_ = 0;           // media time at anchorWall_
    WallClock::time_point anchorWall_; // when the clock last started or changed rate
    float rate_ = 1.0f;
    int expectedStarts_ = 0;       // starts asked for that have not reached the clock
    int64_t expectedPosition_ = 0; // the position of the last of them
};

} // namespace kestrel::playback
