#pragma once
// Every rounding of the program goes through these: to the nearest value, halves to the even
// neighbour. Conversions to fixed-width integers saturate at the type's limits and turn NaN into 0,
// so no outside value can make a conversion undefined.

#include <cstdint>

namespace corvane {

// Nearest whole number, halves to even: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double RoundHalfEven(double value);

// value rounded to `decimals` places, halves to even (on the value scaled by 10^decimals).
double RoundDecimals(double value, int decimals);

// value rounded to 5 decimal places, halves to even.
inline double R5(double value) {
    return RoundDecimals(value, 5);
}

// Rounded half to even, then saturated to the 16-bit / 32-bit / 8-bit unsigned range.
int16_t ToInteger16(double value);
int32_t ToInteger32(double value);
uint8_t ToByte(double value);

// Largest whole number not above the value (floor), saturated to 32 bits.
int32_t IntPart(double value);
// Truncation toward zero, saturated to 32 bits.
int32_t FixPart(double value);

}  // namespace corvane
