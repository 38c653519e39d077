#pragma once
// Time as the core sees it. Code that waits or repeats after an interval asks a Clock, so tests can
// move time by hand instead of sleeping.

#include <chrono>

namespace corvane {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::chrono::milliseconds Now() const = 0;
};

// Monotonic wall time.
class SteadyClock final : public Clock {
  public:
    std::chrono::milliseconds Now() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

// Time that only moves when told to.
class ManualClock final : public Clock {
  public:
    std::chrono::milliseconds Now() const override { return now_; }
    void Advance(std::chrono::milliseconds by) { now_ += by; }
    void Set(std::chrono::milliseconds to) { now_ = to; }

  private:
    std::chrono::milliseconds now_{0};
};

}  // namespace corvane
