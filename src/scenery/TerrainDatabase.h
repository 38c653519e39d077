#pragma once
// world_terrain.db, shipped with the program: one mountain per line, "lat lon metres", fields
// separated by single blanks (the first blank ends the latitude, the next the longitude, the rest
// of the line is the elevation), decimal degrees north and east with a point, whole metres:
//
//   46.8529 -121.7604 4392
//
// After the airport choice, every mountain strictly inside the 200 NM search box counts for the
// minimum safe altitude, and those within 100 NM of the airport go into the mountain table.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "scenery/AirportChoice.h"
#include "shared/State.h"

namespace corvane::scenery {

inline constexpr const char* kMountainNamePrefix = "Montaña No";  // UTF-8 in memory
inline constexpr const char* kMountainLabel = "Mountain";
inline constexpr int16_t kMountainTableNm = 100;
inline constexpr int32_t kTerrainClearanceFt = 2000;
// The table's count is a 16-bit Integer.
inline constexpr size_t kMaxMountains = 32767;

struct MountainLine {
    double lat = 0.0;         // rounded to 5 decimals
    double lon = 0.0;         // rounded to 5 decimals
    int32_t elevationFt = 0;  // metres / 0.3048, whole
    bool operator==(const MountainLine&) const = default;
};

// One line of the file (without its line end; a trailing CR is allowed). nullopt when it does not
// hold two blank-separated numbers and a whole-number elevation, or when the values lie off the
// globe (latitude beyond 90, longitude beyond 180, elevation outside -1000..10000 m).
std::optional<MountainLine> ParseMountainLine(std::string_view line);

struct MountainReadResult {
    int32_t malformedLines = 0;    // skipped; blank lines are neither read nor counted
    int32_t mountainsLeftOut = 0;  // within 100 NM but beyond the table's kMaxMountains
    std::string error;             // the file could not be read; nothing was changed
};

// Read_All_Mountains over the text of a terrain file: MinSafeAltitude is the highest mountain in
// the box (0 without one) + 2000 ft, and the mountains within 100 NM are appended to Mountains,
// named "Montaña No1", "Montaña No2", ... in file order.
MountainReadResult ReadAllMountains(std::string_view text, const ChosenAirport& airport,
                                    const SearchBox& box, Terrain& terrain);

// The same over the file at `file`. When it cannot be read, terrain is left as it was.
MountainReadResult ReadAllMountainsFile(const std::filesystem::path& file,
                                        const ChosenAirport& airport, const SearchBox& box,
                                        Terrain& terrain);

// What the status line says about a read that skipped lines or left mountains out, or "".
std::string TerrainNoticeText(const MountainReadResult& result);

}  // namespace corvane::scenery
