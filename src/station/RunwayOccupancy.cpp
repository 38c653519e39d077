#include "station/RunwayOccupancy.h"

#include <cmath>

#include "nav/Geometry.h"
#include "shared/Rounding.h"

namespace corvane::station {

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
    for (const TrafficRecord& other : context.tables.Traffic) {
        // A change of latitude of a runway's length or more keeps an aircraft off it.
        if (other.callsign == pilot.callsign || other.altitudeFt >= a.FieldElevation + 300 ||
            !(std::abs(other.latitude - a.RunwayLat) * 60.0 * 6080.0 < a.RunwayLength + 2.0)) {
            continue;
        }
        int16_t bearing =
            nav::MagneticBearing(grid, a.RunwayLat, a.RunwayLon, other.latitude, other.longitude);
        if (!nav::HeadingInSweep(bearing, lo, hi)) {
            continue;
        }
        const int16_t along =
            nav::DistanceFeet(a.RunwayLat, a.RunwayLon, other.latitude, other.longitude);
        if (along >= a.RunwayLength) {
            continue;
        }
        const GeoPoint abreast = nav::PointAtFeet(a.RunwayLat, a.RunwayLon, trueCourse, along);
        if (nav::DistanceFeet(abreast.latitude, abreast.longitude, other.latitude,
                              other.longitude) < halfWidth) {
            return true;
        }
    }
    return false;
}

}  // namespace corvane::station
