#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shared/Rounding.h"

namespace corvane {
namespace {

// Values where halves to even and halves away from zero disagree.
TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0.0);
    EXPECT_EQ(RoundHalfEven(1.5), 2.0);
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfEven(2.4999), 2.0);
    EXPECT_EQ(RoundHalfEven(2.5001), 3.0);
    EXPECT_EQ(ToInteger16(32766.5), 32766);
    EXPECT_EQ(ToInteger16(-0.5), 0);
    EXPECT_EQ(ToInteger32(1000001.5), 1000002);
    EXPECT_EQ(ToByte(4.5), 4);
}

TEST(Rounding, FiveDecimalsHalvesToEven) {
    // 0.125 and 0.375 are exact binary fractions, so the half is really a half after scaling.
    EXPECT_DOUBLE_EQ(RoundDecimals(0.125, 2), 0.12);
    EXPECT_DOUBLE_EQ(RoundDecimals(0.375, 2), 0.38);
    EXPECT_DOUBLE_EQ(R5(47.123456), 47.12346);
    EXPECT_DOUBLE_EQ(R5(-121.999994), -121.99999);
}

TEST(Rounding, ConversionsSaturateAndSurviveNaN) {
    EXPECT_EQ(ToInteger16(40000.0), 32767);
    EXPECT_EQ(ToInteger16(-40000.0), -32768);
    EXPECT_EQ(ToInteger16(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(ToInteger32(1e12), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ToInteger32(-std::numeric_limits<double>::infinity()),
              std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ToByte(-3.0), 0);
    EXPECT_EQ(ToByte(300.0), 255);
    EXPECT_EQ(IntPart(-0.5), -1);
    EXPECT_EQ(FixPart(-0.5), 0);
    EXPECT_EQ(IntPart(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace corvane
