#include "nav/Geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "shared/Rounding.h"

namespace corvane::nav {

namespace {

constexpr double kRadPerDeg = kPi / 180.0;
constexpr int16_t kDistanceCap = 32767;

// Enough steps for a walk from any 16-bit start to enter the 1..360 cycle and go round it once.
constexpr int kMaxSweepSteps = 32768 + 2 * 361;

int16_t Heading16(int value) {
    return static_cast<int16_t>(value);
}

struct Sector {
    int16_t offset;  // from the reference heading
    int16_t halfWidth;
};

// Compass sectors in test order; `centreIndex` indexes CompassCentre.
struct CompassSector {
    std::string_view word;
    int centreIndex;
    int16_t halfWidth;
};
constexpr std::array<CompassSector, 8> kCompassSectors = {{{"north", 0, 30},
                                                           {"northeast", 1, 15},
                                                           {"northwest", 2, 15},
                                                           {"east", 3, 30},
                                                           {"west", 4, 30},
                                                           {"southeast", 6, 15},
                                                           {"southwest", 7, 15},
                                                           {"south", 5, 30}}};

struct ClockSector {
    std::string_view word;
    Sector sector;
};
constexpr std::array<ClockSector, 8> kClockSectors = {{{"twelve o'clock", {0, 30}},
                                                       {"two o'clock", {45, 15}},
                                                       {"ten o'clock", {-45, 15}},
                                                       {"three o'clock", {90, 30}},
                                                       {"nine o'clock", {-90, 30}},
                                                       {"five o'clock", {135, 15}},
                                                       {"eight o'clock", {-135, 15}},
                                                       {"six o'clock", {-180, 30}}}};

bool InSector(int16_t& heading, int16_t centre, int16_t halfWidth) {
    return HeadingInSweep(heading, NormalizeHeading(Heading16(centre - halfWidth)),
                          NormalizeHeading(Heading16(centre + halfWidth)));
}

GeoPoint PointAtAngle(double lat, double lon, int16_t course, double d) {
    const double lat1 = lat * kPi / 180.0;
    const double lon1 = -lon * kPi / 180.0;  // west-positive inside the formula
    const double tc = course * kPi / 180.0;
    const double latR =
        ArcSin(std::sin(lat1) * std::cos(d) + std::cos(lat1) * std::sin(d) * std::cos(tc));
    double lonR = lon1;
    if (std::cos(latR) != 0.0) {
        lonR = FloorMod(lon1 - ArcSin(std::sin(tc) * std::sin(d) / std::cos(latR)) + kPi, kTwoPi) -
               kPi;
    }
    GeoPoint point;
    point.latitude = R5(latR * 180.0 / kPi);
    point.longitude = R5(-lonR * 180.0 / kPi);
    return point;
}

size_t GridIndex(double latitude, double longitude, bool& valid) {
    valid = std::isfinite(latitude) && std::isfinite(longitude);
    if (!valid) {
        return 0;
    }
    int latR = IntPart(RoundHalfEven(latitude));
    int lonR = IntPart(RoundHalfEven(longitude));
    if (lonR < 0) {
        lonR += 360;
    }
    // Positions off the globe would index outside the grid: wrap the longitude, clamp the latitude.
    lonR = ((lonR % 360) + 360) % 360;
    latR = latR < -90 ? -90 : (latR > 90 ? 90 : latR);
    return static_cast<size_t>((latR + 90) + 181 * lonR);
}

}  // namespace

int16_t NormalizeHeading(int16_t heading) {
    int h = heading;
    if (h > 360) {
        h -= 360;
    }
    if (h < 0) {
        h += 360;
    }
    return Heading16(h);
}

bool HeadingInSweep(int16_t& heading, int16_t from, int16_t to) {
    if (heading == 0) {
        heading = 360;
    }
    if (from == to) {
        return false;
    }
    int v = from;
    for (int steps = 0; v != to && steps < kMaxSweepSteps; ++steps) {
        if (v > 360) {
            v = 1;
        }
        if (v == heading) {
            return true;
        }
        ++v;
    }
    return false;
}

bool HeadingInSector(int16_t heading, int16_t centre, int16_t halfWidth) {
    return InSector(heading, centre, halfWidth);
}

double ArcSin(double x) {
    if (!(x >= -1.0 && x <= 1.0)) {
        return 0.0;
    }
    return 2.0 * std::atan(x / (1.0 + std::sqrt(1.0 - x * x)));
}

double ArcCos(double x) {
    if (!(x >= -1.0 && x <= 1.0)) {
        return 0.0;
    }
    if (x >= 0.0) {
        return 2.0 * std::atan(std::sqrt((1.0 - x) / (1.0 + x)));
    }
    return kPi - 2.0 * std::atan(std::sqrt((1.0 + x) / (1.0 - x)));
}

double FloorMod(double y, double x) {
    double m = y - x * std::floor(y / x);
    if (m < 0.0) {
        m += x;
    }
    return m;
}

double CentralAngle(double lat1, double lon1, double lat2, double lon2) {
    const double la1 = lat1 * kRadPerDeg;
    const double lo1 = lon1 * kRadPerDeg;
    const double la2 = lat2 * kRadPerDeg;
    const double lo2 = lon2 * kRadPerDeg;
    if (std::trunc(la1 - la2) == 0.0 && std::trunc(lo2 - lo1) == 0.0) {
        const double sLat = std::sin((la1 - la2) / 2.0);
        const double sLon = std::sin((lo1 - lo2) / 2.0);
        const double a = sLat * sLat + std::cos(la1) * std::cos(la2) * sLon * sLon;
        return 2.0 * ArcSin(std::sqrt(a));
    }
    return ArcCos(std::sin(la1) * std::sin(la2) +
                  std::cos(la1) * std::cos(la2) * std::cos(lo1 - lo2));
}

int16_t DistanceNm(double lat1, double lon1, double lat2, double lon2) {
    double nm = CentralAngle(lat1, lon1, lat2, lon2) * 10800.0 / kPi;
    if (nm > kDistanceCap) {
        nm = kDistanceCap;
    }
    return ToInteger16(nm);
}

int16_t DistanceFeet(double lat1, double lon1, double lat2, double lon2) {
    const double nm = R5(CentralAngle(lat1, lon1, lat2, lon2) * 10800.0 / kPi);
    double feet = R5(nm * 6080.0);
    if (feet > kDistanceCap) {
        feet = kDistanceCap;
    }
    return ToInteger16(feet);
}

int16_t VariationAt(const MagneticVariationGrid& grid, double latitude, double longitude) {
    bool valid = false;
    const size_t index = GridIndex(latitude, longitude, valid);
    if (!valid) {
        return 0;
    }
    return static_cast<int16_t>(FixPart(grid[index] * 360.0 / 65536.0));
}

int16_t ToMagneticHeading(const MagneticVariationGrid& grid, int16_t trueHeading, double latitude,
                          double longitude) {
    return NormalizeHeading(Heading16(trueHeading - VariationAt(grid, latitude, longitude)));
}

int16_t ToTrueHeading(const MagneticVariationGrid& grid, int16_t magneticHeading, double latitude,
                      double longitude) {
    return NormalizeHeading(Heading16(magneticHeading + VariationAt(grid, latitude, longitude)));
}

int16_t MagneticBearing(const MagneticVariationGrid& grid, double lat1, double lon1, double lat2,
                        double lon2) {
    int16_t trueHeading = 360;  // identical points
    if (CentralAngle(lat1, lon1, lat2, lon2) != 0.0) {
        // The initial true course, from atan2: exact for the cardinal courses, where the arc-cosine
        // form loses its last digits and would push due north to 1 and due east to 91.
        const double la1 = lat1 * kRadPerDeg;
        const double la2 = lat2 * kRadPerDeg;
        const double dLon = (lon2 - lon1) * kRadPerDeg;
        const double y = std::sin(dLon) * std::cos(la2);
        const double x =
            std::cos(la1) * std::sin(la2) - std::sin(la1) * std::cos(la2) * std::cos(dLon);
        double course = std::atan2(y, x) * 180.0 / std::numbers::pi;
        if (course < 0.0) {
            course += 360.0;
        }
        // Rounded up to the next whole degree; exactly due north stays 0.
        trueHeading = NormalizeHeading(Heading16(360 - IntPart(360.0 - course)));
    }
    return ToMagneticHeading(grid, trueHeading, lat1, lon1);
}

GeoPoint PointAtNm(double lat, double lon, int16_t course, int16_t distanceNm) {
    const double nm = distanceNm < 0 ? 0.0 : distanceNm;
    return PointAtAngle(lat, lon, course, nm * kPi / 10800.0);
}

GeoPoint PointAtFeet(double lat, double lon, int16_t course, int16_t distanceFeet) {
    const double feet = distanceFeet < 0 ? 0.0 : distanceFeet;
    return PointAtAngle(lat, lon, course, (feet / 6080.0) * kPi / 10800.0);
}

GeoPoint PointAtMagneticNm(const MagneticVariationGrid& grid, double lat, double lon,
                           int16_t magneticCourse, int16_t distanceNm) {
    return PointAtNm(lat, lon, ToTrueHeading(grid, magneticCourse, lat, lon), distanceNm);
}

namespace {

constexpr double kCellDegrees = 0.25;
constexpr int64_t kMaxCells = 1 << 20;
// Past this many cells a search walks all mountains highest first instead of cell by cell.
constexpr int kManyCells = 4;

}  // namespace

void IndexMountains(Terrain& terrain) {
    Terrain::MountainGrid grid;
    const auto& mountains = terrain.Mountains;
    double south = 90.0, north = -90.0, west = 180.0, east = -180.0;
    for (const GeoPoint& m : mountains) {
        if (!(std::abs(m.latitude) <= 90.0 && std::abs(m.longitude) <= 180.0)) {
            terrain.MountainIndex = {};  // off the globe: searches scan the whole table instead
            return;
        }
        south = std::min(south, m.latitude);
        north = std::max(north, m.latitude);
        west = std::min(west, m.longitude);
        east = std::max(east, m.longitude);
    }
    if (mountains.empty()) {
        terrain.MountainIndex = {};
        return;
    }
    grid.south = south;
    grid.west = west;
    grid.rows = static_cast<int>((north - south) / kCellDegrees) + 1;
    grid.columns = static_cast<int>((east - west) / kCellDegrees) + 1;
    if (static_cast<int64_t>(grid.rows) * grid.columns > kMaxCells) {
        terrain.MountainIndex = {};
        return;
    }
    const size_t cells = static_cast<size_t>(grid.rows) * static_cast<size_t>(grid.columns);
    const auto cellOf = [&](const GeoPoint& m) {
        const int r =
            std::min(grid.rows - 1, static_cast<int>((m.latitude - south) / kCellDegrees));
        const int c =
            std::min(grid.columns - 1, static_cast<int>((m.longitude - west) / kCellDegrees));
        return static_cast<size_t>(r) * static_cast<size_t>(grid.columns) + static_cast<size_t>(c);
    };
    std::vector<uint32_t> order(mountains.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<uint32_t>(i);
    }
    std::vector<size_t> cellOfMountain(mountains.size());
    for (size_t i = 0; i < mountains.size(); ++i) {
        cellOfMountain[i] = cellOf(mountains[i]);
    }
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        if (cellOfMountain[a] != cellOfMountain[b]) {
            return cellOfMountain[a] < cellOfMountain[b];
        }
        return mountains[a].elevationFt > mountains[b].elevationFt;
    });
    grid.cellStart.assign(cells + 1, 0);
    grid.cellHighest.assign(cells, INT32_MIN);
    for (uint32_t i : order) {
        const GeoPoint& m = mountains[i];
        const size_t cell = cellOfMountain[i];
        ++grid.cellStart[cell + 1];
        grid.cellHighest[cell] = std::max(grid.cellHighest[cell], m.elevationFt);
        grid.entries.push_back({m.latitude, m.longitude, m.elevationFt});
    }
    for (size_t c = 0; c < cells; ++c) {
        grid.cellStart[c + 1] += grid.cellStart[c];
    }
    grid.byElevation = grid.entries;
    std::stable_sort(grid.byElevation.begin(), grid.byElevation.end(),
                     [](const auto& a, const auto& b) { return a.elevationFt > b.elevationFt; });
    grid.indexedCount = mountains.size();
    terrain.MountainIndex = std::move(grid);
}

int32_t HighestTerrainOnPath(const Terrain& terrain, int32_t floorFt, const GeoPoint& from,
                             const GeoPoint& to) {
    int32_t highest = floorFt;
    if (terrain.Mountains.empty()) {
        return highest;
    }
    const auto& grid = terrain.MagVarGrid;
    const int16_t b =
        MagneticBearing(grid, from.latitude, from.longitude, to.latitude, to.longitude);
    const int16_t legNm = DistanceNm(from.latitude, from.longitude, to.latitude, to.longitude);
    const int16_t left = NormalizeHeading(Heading16(b - 45));
    const int16_t right = NormalizeHeading(Heading16(b + 45));
    // True when the mountain raises the result.
    const auto counts = [&](double lat, double lon, int32_t elevationFt) {
        if (elevationFt <= highest) {
            return false;
        }
        // Both must hold; the distance is the cheaper test and fails more often.
        if (DistanceNm(from.latitude, from.longitude, lat, lon) > legNm) {
            return false;
        }
        int16_t bearing = MagneticBearing(grid, from.latitude, from.longitude, lat, lon);
        return HeadingInSweep(bearing, left, right);
    };

    const Terrain::MountainGrid& index = terrain.MountainIndex;
    if (!index.Usable(terrain.Mountains.size()) || !(std::abs(from.latitude) < 89.0) ||
        !(std::abs(from.longitude) <= 180.0)) {
        for (const GeoPoint& m : terrain.Mountains) {
            if (counts(m.latitude, m.longitude, m.elevationFt)) {
                highest = m.elevationFt;
            }
        }
        return highest;
    }

    // Every mountain that can count lies within the leg's length (rounded: under legNm + 0.5 NM)
    // of `from`; with a mile of margin, the window below holds all of them. A great circle is never
    // shorter than its change of latitude, and by the haversine formula
    // sin^2(d/2) >= cos(lat1) cos(lat2) sin^2(dLon/2), which bounds the change of longitude.
    const double maxNm = legNm + 1.0;
    const double band = maxNm / 60.0;
    const double rad = std::numbers::pi / 180.0;
    const double edge = std::min(90.0, std::abs(from.latitude) + band);
    const double ratio = std::sin(maxNm / 60.0 * rad / 2.0) /
                         std::sqrt(std::cos(from.latitude * rad) * std::cos(edge * rad));
    double lonWindow = 360.0;
    if (std::isfinite(ratio) && ratio < 1.0) {
        lonWindow = 2.0 * std::asin(ratio) / rad;
    }
    const auto clampIndex = [](double v, int size) {
        return static_cast<int>(std::clamp(std::floor(v), 0.0, static_cast<double>(size - 1)));
    };
    const int r0 = clampIndex((from.latitude - band - index.south) / kCellDegrees, index.rows);
    const int r1 = clampIndex((from.latitude + band - index.south) / kCellDegrees, index.rows);
    int c0 = 0;
    int c1 = index.columns - 1;
    if (lonWindow < 180.0 && from.longitude - lonWindow >= -180.0 &&
        from.longitude + lonWindow <= 180.0) {
        c0 = clampIndex((from.longitude - lonWindow - index.west) / kCellDegrees, index.columns);
        c1 = clampIndex((from.longitude + lonWindow - index.west) / kCellDegrees, index.columns);
    }
    const double south = from.latitude - band;
    const double north = from.latitude + band;
    const bool allLongitudes = c0 == 0 && c1 == index.columns - 1;
    const double west = from.longitude - lonWindow;
    const double east = from.longitude + lonWindow;
    // The window test costs a few comparisons; the exact test two great-circle computations.
    const auto inWindow = [&](const Terrain::MountainGrid::Entry& m) {
        return m.latitude >= south && m.latitude <= north &&
               (allLongitudes || (m.longitude >= west && m.longitude <= east));
    };
    const int cellsInWindow = (r1 - r0 + 1) * (c1 - c0 + 1);
    if (cellsInWindow > kManyCells) {
        // A long leg: the first mountain, highest first, that lies in the window and counts is the
        // answer, and few are tested before one does.
        for (const auto& m : index.byElevation) {
            if (m.elevationFt <= highest) {
                break;
            }
            if (inWindow(m) && counts(m.latitude, m.longitude, m.elevationFt)) {
                highest = m.elevationFt;
                break;
            }
        }
        return highest;
    }
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            const size_t cell = static_cast<size_t>(r) * static_cast<size_t>(index.columns) +
                                static_cast<size_t>(c);
            if (index.cellHighest[cell] <= highest) {
                continue;
            }
            for (uint32_t e = index.cellStart[cell]; e < index.cellStart[cell + 1]; ++e) {
                const auto& m = index.entries[e];
                if (m.elevationFt <= highest) {
                    break;  // highest first: nothing further in this cell can raise the result
                }
                if (inWindow(m) && counts(m.latitude, m.longitude, m.elevationFt)) {
                    highest = m.elevationFt;
                    break;
                }
            }
        }
    }
    return highest;
}

void SetCompassCentres(StationTables& station, int16_t runwayHeading) {
    constexpr std::array<int16_t, 8> kOffsets = {0, 45, -45, 90, -90, -180, 135, -135};
    for (size_t i = 0; i < kOffsets.size(); ++i) {
        station.CompassCentre[i] = NormalizeHeading(Heading16(runwayHeading + kOffsets[i]));
    }
}

void UpdateCompassPosition(const ChosenAirport& airport, const MagneticVariationGrid& grid,
                           StationTables& station, TrafficRecord& aircraft) {
    station.AirportDistanceNm =
        DistanceNm(airport.AirportLat, airport.AirportLon, aircraft.latitude, aircraft.longitude);
    station.RefDistanceNm =
        DistanceNm(airport.RunwayLat, airport.RunwayLon, aircraft.latitude, aircraft.longitude);
    station.RefBearing = MagneticBearing(grid, airport.RunwayLat, airport.RunwayLon,
                                         aircraft.latitude, aircraft.longitude);
    for (const CompassSector& s : kCompassSectors) {
        if (aircraft.compassWord == s.word) {
            if (InSector(station.RefBearing, station.CompassCentre[s.centreIndex], s.halfWidth)) {
                return;
            }
            break;
        }
    }
    for (const CompassSector& s : kCompassSectors) {
        if (InSector(station.RefBearing, station.CompassCentre[s.centreIndex], s.halfWidth)) {
            aircraft.compassWord = std::string(s.word);
            return;
        }
    }
}

std::string_view ClockPositionWord(int16_t ownHeading, int16_t bearing) {
    std::string_view word;
    for (const ClockSector& s : kClockSectors) {
        if (InSector(bearing, Heading16(ownHeading + s.sector.offset), s.sector.halfWidth)) {
            word = s.word;
        }
    }
    return word;
}

}  // namespace corvane::nav
