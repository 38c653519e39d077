#pragma once
// magdec.bgl, the simulator's magnetic variation table, little-endian:
//   offset 110 (0x6E)  Long B, the offset of the table (no table when B < 1)
//   B + 8              65161 signed 16-bit values, longitude-major: the value for whole-degree
//                      latitude lat (-90..90) and longitude lon (0..359 east) is element
//                      (lat + 90) + 181 * lon, standing for value * 360 / 65536 degrees east.

#include <cstdint>
#include <span>

#include "shared/State.h"

namespace corvane::scenery {

inline constexpr size_t kMagdecTableOffsetAt = 110;

enum class MagdecStatus {
    Loaded,
    NoTable,    // B below 1: the grid keeps its values
    Truncated,  // the file ends before its table does: the grid keeps its values
};

// Copies the whole table into `grid`, or nothing at all.
MagdecStatus ReadMagdecGrid(std::span<const uint8_t> bytes, MagneticVariationGrid& grid);

}  // namespace corvane::scenery
