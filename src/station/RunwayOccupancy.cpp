#include "station/RunwayOccupancy.h"

#include <cmath>

#include "nav/Geometry.h"
#include "shared/Rounding.h"

namespace corvane::station {

namespace {

// Whether `other` stands on the runway: within lo..hi seen from the runway start, and near the
// centre line, which runs along `trueCourse`.
bool OnRunway(const StationContext& context, const TrafficRecord& other, int16_t lo, int16_t hi,
              int16_t trueCourse, int32_t halfWidth) {
    const ChosenAirport& a = context.airport;
    const auto& grid = context.terrain.MagVarGrid;
    // A change of latitude of a runway's length or more keeps an aircraft off it.
    if (other.altitudeFt >= a.FieldElevation + 300 ||
        !(std::abs(other.latitude - a.RunwayLat) * 60.0 * 6080.0 < a.RunwayLength + 2.0)) {
        return false;
    }
    int16_t bearing =
        nav::MagneticBearing(grid, a.RunwayLat, a.RunwayLon, other.latitude, other.longitude);
    if (!nav::HeadingInSweep(bearing, lo, hi)) {
        return false;
    }
    const int16_t along =
        nav::DistanceFeet(a.RunwayLat, a.RunwayLon, other.latitude, other.longitude);
    if (along >= a.RunwayLength) {
        return false;
    }
    const GeoPoint abreast = nav::PointAtFeet(a.RunwayLat, a.RunwayLon, trueCourse, along);
    return nav::DistanceFeet(abreast.latitude, abreast.longitude, other.latitude, other.longitude) <
           halfWidth;
}

}  // namespace

bool RunwayOccupied(const StationContext& context, const TrafficRecord& pilot) {
    const ChosenAirport& a = context.airport;
    const auto& grid = context.terrain.MagVarGrid;
    const int16_t heading = context.tables.CompassCentre[0];
    const int16_t lo = nav::NormalizeHeading(static_cast<int16_t>(heading - 30));
    const int16_t hi = nav::NormalizeHeading(static_cast<int16_t>(heading + 30));
    // The centre line runs along the runway's true course: the point abreast of an aircraft must be
    // found on it, not on the magnetic heading, or a runway with some variation would look empty.
    const int16_t trueCourse = nav::ToTrueHeading(grid, heading, a.RunwayLat, a.RunwayLon);
    const int32_t halfWidth = ToInteger32(a.RunwayWidth / 2.0);
    StationTables::RunwayOccupants& check = context.tables.RunwayCheck;
    if (check.inPass) {
        if (!check.known) {
            check.callsigns.clear();
            for (const TrafficRecord& other : context.tables.Traffic) {
                if (OnRunway(context, other, lo, hi, trueCourse, halfWidth)) {
                    check.callsigns.push_back(other.callsign);
                }
            }
            check.known = true;
        }
        for (const std::string& callsign : check.callsigns) {
            if (callsign != pilot.callsign) {
                return true;
            }
        }
        return false;
    }
    for (const TrafficRecord& other : context.tables.Traffic) {
        if (other.callsign != pilot.callsign &&
            OnRunway(context, other, lo, hi, trueCourse, halfWidth)) {
            return true;
        }
    }
    return false;
}

}  // namespace corvane::station
