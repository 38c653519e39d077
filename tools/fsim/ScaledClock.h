#pragma once
// Time that runs a fixed number of times faster (or slower) than another clock, from the moment
// it is made: with a factor of 4, four seconds pass here for every second there.

#include <chrono>

#include "shared/Clock.h"

namespace corvane::fsim {

class ScaledClock final : public Clock {
  public:
    ScaledClock(const Clock& base, double factor)
        : base_(base), factor_(factor), start_(base.Now()) {}

    std::chrono::milliseconds Now() const override {
        const auto elapsed = static_cast<double>((base_.Now() - start_).count());
        return start_ + std::chrono::milliseconds(static_cast<long long>(elapsed * factor_));
    }
    double Factor() const { return factor_; }

  private:
    const Clock& base_;
    double factor_;
    std::chrono::milliseconds start_;
};

}  // namespace corvane::fsim
