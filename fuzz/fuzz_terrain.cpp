// world_terrain.db lines and magdec.bgl bytes as anybody might have edited them. The mountains are
// read for an airport near Seattle and one on the equator; what is kept must obey the box and the
// 100 NM table.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "nav/Geometry.h"
#include "scenery/MagneticVariation.h"
#include "scenery/TerrainDatabase.h"

namespace {

using namespace corvane;

[[noreturn]] void Broken() {
    __builtin_trap();
}

void CheckMountains(std::string_view text, double lat, double lon) {
    ChosenAirport airport;
    airport.AirportLat = lat;
    airport.AirportLon = lon;
    const scenery::SearchBox box = scenery::ComputeSearchBox(lat, lon);
    Terrain terrain;
    const scenery::MountainReadResult r = scenery::ReadAllMountains(text, airport, box, terrain);
    if (terrain.Mountains.size() > scenery::kMaxMountains || r.malformedLines < 0 ||
        terrain.MinSafeAltitude < scenery::kTerrainClearanceFt) {
        Broken();
    }
    for (const GeoPoint& m : terrain.Mountains) {
        if (!box.StrictlyInside(m.latitude, m.longitude) ||
            nav::DistanceNm(lat, lon, m.latitude, m.longitude) > scenery::kMountainTableNm ||
            m.elevationFt + scenery::kTerrainClearanceFt > terrain.MinSafeAltitude) {
            Broken();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckMountains(text, 47.53, -122.30);
    CheckMountains(text, 0.0, 0.0);

    MagneticVariationGrid grid;
    grid.fill(7);
    const scenery::MagdecResult magdec = scenery::ParseMagdec({data, size}, grid);
    if (magdec.cellsRead < 0 || magdec.cellsRead > kMagVarCells ||
        (magdec.cellsRead < kMagVarCells && grid[static_cast<size_t>(magdec.cellsRead)] != 7)) {
        Broken();
    }
    return 0;
}
