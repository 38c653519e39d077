#pragma once
// Navigation geometry shared by the scenery reader, the position messages and the controllers.
//
// Units: positions are degrees (north and east positive); headings, courses and bearings are whole
// magnetic degrees in 1..360 (360 is north, 0 may occur and counts as 360 in a sweep); distances
// are whole nautical miles or feet capped at 32767. Pi is the literal 3.14159265358979 throughout,
// so results match the figures the controllers were tuned on. One nautical mile is one minute of
// arc and 6080 feet.

#include <array>
#include <cstdint>
#include <string_view>

#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::nav {

inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717958;

// Above 360 subtract 360 once, then below 0 add 360 once; nothing else (0 stays 0, 720 gives 360).
int16_t NormalizeHeading(int16_t heading);

// True when `heading` lies on the clockwise arc that starts at `from` (included) and stops before
// `to` (excluded); 360 is followed by 1. A heading of 0 becomes 360 in the caller's variable.
// Equal ends make an empty arc. Ends for every input: a walk that can never meet `to` answers
// false once it has seen every heading it can reach.
bool HeadingInSweep(int16_t& heading, int16_t from, int16_t to);

// HeadingInSweep over centre - halfWidth .. centre + halfWidth - 1, both ends normalised.
bool HeadingInSector(int16_t heading, int16_t centre, int16_t halfWidth);

double ArcSin(double x);  // 0 outside -1..1 (and for NaN)
double ArcCos(double x);  // 0 outside -1..1 (and for NaN)
double FloorMod(double y, double x);

// Great-circle central angle in radians: haversine for nearby points, the cosine form otherwise.
double CentralAngle(double lat1, double lon1, double lat2, double lon2);

int16_t DistanceNm(double lat1, double lon1, double lat2, double lon2);
int16_t DistanceFeet(double lat1, double lon1, double lat2, double lon2);

// The magnetic variation at the whole-degree cell of the position is subtracted from `trueHeading`.
int16_t ToMagneticHeading(const MagneticVariationGrid& grid, int16_t trueHeading, double latitude,
                          double longitude);
// The inverse: the variation at that cell is added back.
int16_t ToTrueHeading(const MagneticVariationGrid& grid, int16_t magneticHeading, double latitude,
                      double longitude);
// Whole degrees of variation at the cell, east positive, truncated toward zero.
int16_t VariationAt(const MagneticVariationGrid& grid, double latitude, double longitude);

// Magnetic bearing from point 1 to point 2: the true course rounded up to the next whole degree
// (identical points give 360, due north 0), then made magnetic at point 1.
int16_t MagneticBearing(const MagneticVariationGrid& grid, double lat1, double lon1, double lat2,
                        double lon2);

// The point at a true course and distance (course not normalised; negative distance counts as 0),
// rounded to 5 decimals, with empty name and label.
GeoPoint PointAtNm(double lat, double lon, int16_t course, int16_t distanceNm);
GeoPoint PointAtFeet(double lat, double lon, int16_t course, int16_t distanceFeet);

// PointAtNm for a magnetic course, turned true with the variation at the start point.
GeoPoint PointAtMagneticNm(const MagneticVariationGrid& grid, double lat, double lon,
                           int16_t magneticCourse, int16_t distanceNm);

// Sorts the mountains by latitude for HighestTerrainOnPath; call after filling Mountains.
void IndexMountains(Terrain& terrain);

// The floor, or the highest mountain within 45 degrees either side of the leg's bearing and no
// farther than the leg is long, whichever is higher.
int32_t HighestTerrainOnPath(const Terrain& terrain, int32_t floorFt, const GeoPoint& from,
                             const GeoPoint& to);

// The eight compass words around the runway, in the order their sectors are tested.
inline constexpr std::array<std::string_view, 8> kCompassWords = {
    "north", "northeast", "northwest", "east", "west", "southeast", "southwest", "south"};

// CompassCentre from the runway heading N: N, N+45, N-45, N+90, N-90, N-180, N+135, N-135.
void SetCompassCentres(StationTables& station, int16_t runwayHeading);

// Locates the aircraft relative to the airport and the runway start (AirportDistanceNm,
// RefDistanceNm, RefBearing) and sets its compassWord; a word whose sector still holds the bearing
// is kept, and no match leaves the word as it was.
void UpdateCompassPosition(const ChosenAirport& airport, const MagneticVariationGrid& grid,
                           StationTables& station, TrafficRecord& aircraft);

// "twelve o'clock" .. "six o'clock" for traffic at `bearing` seen from a nose at `ownHeading`; the
// one, four, seven and eleven o'clock positions are never named. Empty if no sector holds it.
std::string_view ClockPositionWord(int16_t ownHeading, int16_t bearing);

}  // namespace corvane::nav
