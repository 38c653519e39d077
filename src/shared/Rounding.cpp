#include "shared/Rounding.h"

#include <cmath>
#include <limits>

namespace corvane {

namespace {

template <typename T>
T Saturate(double whole) {
    if (std::isnan(whole)) {
        return 0;
    }
    if (whole <= static_cast<double>(std::numeric_limits<T>::min())) {
        return std::numeric_limits<T>::min();
    }
    if (whole >= static_cast<double>(std::numeric_limits<T>::max())) {
        return std::numeric_limits<T>::max();
    }
    return static_cast<T>(whole);
}

}  // namespace

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5) {
        return down;
    }
    if (diff > 0.5) {
        return down + 1.0;
    }
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

double RoundDecimals(double value, int decimals) {
    if (!std::isfinite(value)) {
        return value;
    }
    // The usual places from a table (the same exact powers pow gives, without its cost).
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double scale =
        decimals >= 0 && decimals <= 9 ? kPowers[decimals] : std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) {
        return value;
    }
    return RoundHalfEven(scaled) / scale;
}

int16_t ToInteger16(double value) {
    return Saturate<int16_t>(RoundHalfEven(value));
}
int32_t ToInteger32(double value) {
    return Saturate<int32_t>(RoundHalfEven(value));
}
uint8_t ToByte(double value) {
    return Saturate<uint8_t>(RoundHalfEven(value));
}
int32_t IntPart(double value) {
    return Saturate<int32_t>(std::floor(value));
}
int32_t FixPart(double value) {
    return Saturate<int32_t>(std::trunc(value));
}

}  // namespace corvane
