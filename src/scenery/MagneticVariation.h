#pragma once
// The simulator's magdec.bgl, little-endian:
//
//   offset 110   Long B, where the variation table starts; no table when B < 1
//   B + 8 + 2i   signed 16-bit value of grid cell i = (lat + 90) + 181 * lon,
//                lat -90..90, lon 0..359 east; 65161 values, longitude-major

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "shared/State.h"

namespace corvane::scenery {

inline constexpr size_t kMagdecTableOffsetAt = 110;
inline constexpr size_t kMagdecTableSkip = 8;

enum class MagdecStatus {
    Read,        // every cell read
    NoTable,     // B < 1: the grid stays as it was, as the file intends
    Short,       // the file ends inside its header or its table: the cells past the end stay
    Unreadable,  // the file could not be opened or read: the grid stays as it was
};

struct MagdecResult {
    MagdecStatus status = MagdecStatus::Read;
    int32_t cellsRead = 0;
    std::string error;  // for Unreadable: why
};

// Copies the table of a magdec.bgl held in `bytes` into `grid`; cells beyond the bytes keep their
// values.
MagdecResult ParseMagdec(std::span<const uint8_t> bytes, MagneticVariationGrid& grid);

// Reads the whole file at `file` and hands its bytes to ParseMagdec.
MagdecResult ReadMagdec(const std::filesystem::path& file, MagneticVariationGrid& grid);

// FsMainFolder + "\scenery\magdec.bgl", with "scenery" and "magdec.bgl" found whatever their letter
// case on this disk (the simulator's folders are written with any case).
std::filesystem::path MagdecPath(const std::string& fsMainFolder);

// The text of the exclamation box for a result that needs one, or "" for Read and NoTable.
std::string MagdecProblemText(const std::filesystem::path& file, const MagdecResult& result);

}  // namespace corvane::scenery
