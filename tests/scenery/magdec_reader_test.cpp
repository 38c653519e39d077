// magdec.bgl: the table offset at 110 and 65161 values from that offset + 8.
#include <gtest/gtest.h>

#include "scenery/MagdecReader.h"
#include "shared/Bytes.h"

namespace corvane::scenery {
namespace {

// A file with `tableOffset` at 110 whose table (from max(offset, 114) + 8, so the offset must be
// at least 114 to be read back) holds i % 3001 - 1500 as element i.
std::vector<uint8_t> MagdecBytes(int32_t tableOffset, size_t values = kMagVarCells) {
    ByteWriter w;
    w.Zeros(static_cast<size_t>(std::max(tableOffset, 114)) + 8);
    w.PatchAt<int32_t>(110, tableOffset);
    std::vector<uint8_t> bytes = w.Take();
    for (size_t i = 0; i < values; ++i) {
        const auto v = static_cast<int16_t>(static_cast<int>(i % 3001) - 1500);
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    return bytes;
}

TEST(MagdecReader, ValuesLongitudeMajorFromTheTableOffset) {
    MagneticVariationGrid grid{};
    ASSERT_EQ(ReadMagdecGrid(MagdecBytes(300), grid), MagdecStatus::Loaded);
    // lat 47, lon 238: element (47 + 90) + 181 * 238 = 43215, stored at B + 8 + 2 * 43215.
    EXPECT_EQ(grid[43215], 43215 % 3001 - 1500);
    EXPECT_EQ(grid[0], -1500);                    // lat -90, lon 0
    EXPECT_EQ(grid[180], 180 - 1500);             // lat 90, lon 0
    EXPECT_EQ(grid[65160], 65160 % 3001 - 1500);  // lat 90, lon 359
}

TEST(MagdecReader, NoTableOrAShortFileLeavesTheGridAsItWas) {
    MagneticVariationGrid grid{};
    grid.fill(7);
    EXPECT_EQ(ReadMagdecGrid(MagdecBytes(0), grid), MagdecStatus::NoTable);
    EXPECT_EQ(ReadMagdecGrid(MagdecBytes(-5), grid), MagdecStatus::NoTable);
    EXPECT_EQ(ReadMagdecGrid(MagdecBytes(300, kMagVarCells - 1), grid), MagdecStatus::Truncated);
    std::vector<uint8_t> far = MagdecBytes(300);
    far[110] = 0xFF;
    far[111] = 0xFF;
    far[112] = 0xFF;
    far[113] = 0x7F;  // INT32_MAX
    EXPECT_EQ(ReadMagdecGrid(far, grid), MagdecStatus::Truncated);
    EXPECT_EQ(ReadMagdecGrid(std::vector<uint8_t>(100, 0), grid), MagdecStatus::Truncated);
    for (int16_t v : grid) {
        ASSERT_EQ(v, 7);
    }
}

}  // namespace
}  // namespace corvane::scenery
