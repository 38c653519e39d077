#pragma once
// What a simulated pilot knows of the airport before he calls the station, as a real pilot knows
// it from his charts: its name and ident, the runway in use with its threshold, heading, length
// and width, and the taxiway diagram. From it he plans the taxi route a clearance names, finds
// the hold-short point and a runway exit, and lays out his traffic pattern.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fsim/FlightMath.h"
#include "shared/State.h"

namespace corvane::fsim {

struct AirportChart {
    std::string ident;
    std::string name;
    LatLon reference;  // the airport's position
    double fieldElevationFt = 0.0;
    std::string runwayName;
    LatLon threshold;            // where take-offs start and landings aim
    int16_t runwayMagnetic = 0;  // as the station has it
    double runwayTrueCourse = 0.0;
    double runwayLengthFt = 0.0;
    double runwayWidthFt = 0.0;
    bool hasIls = false;
    double variationDeg = 0.0;  // east positive, added to a magnetic heading to make it true
    std::vector<TaxiNode> nodes;
    std::vector<TaxiPath> paths;
    std::vector<ParkingSpot> parking;

    // Magnetic heading (whole degrees) to true and back, with the airport's variation.
    double TrueFromMagnetic(double magnetic) const { return WrapCourse(magnetic + variationDeg); }
    double MagneticFromTrue(double trueCourse) const {
        return WrapCourse(trueCourse - variationDeg);
    }

    bool HasTaxiNetwork() const;
    LatLon NodePosition(int32_t node) const;
    // The parking place of that name (compared without regard to case).
    const ParkingSpot* Spot(std::string_view name) const;
    // The parking place whose circle holds the point, if a taxi path reaches it.
    const ParkingSpot* SpotAt(LatLon point) const;

    // Where the point lies relative to the runway: along it from the threshold and across it
    // (positive right of the centre line, looking down the runway), in feet.
    TrackOffset RunwayOffsetFeet(LatLon point) const;
    // The point `alongFt` down the centre line from the threshold and `crossFt` to its right.
    LatLon RunwayPoint(double alongFt, double crossFt) const;
};

// The chart of the airport the station serves, from its record: the station's runway and taxi
// network, the variation at the airport's cell of the grid.
AirportChart ChartFromAirport(const ChosenAirport& airport, const MagneticVariationGrid& grid);

// A taxi route as points to drive through, from where the aircraft stands.
struct TaxiPlan {
    std::vector<LatLon> points;
    std::vector<std::string> taxiways;  // the names driven, in order, for the live view
    bool followsNetwork = false;        // false: straight across when no route was found
};

// The route to the hold-short point of the runway in use, over the named taxiways (unnamed
// connectors allowed; any taxiway when the names lead nowhere). The aircraft stops clear of the
// runway on the last taxiway before it.
TaxiPlan PlanTaxiToRunway(const AirportChart& chart, LatLon from,
                          const std::vector<std::string>& taxiways);
// The route to a parking place, ending inside it.
TaxiPlan PlanTaxiToSpot(const AirportChart& chart, LatLon from, const ParkingSpot& spot,
                        const std::vector<std::string>& taxiways);

// A way off the runway after landing: the first taxiway that leaves the runway at least
// `afterFt` down from the threshold, as the point where it leaves the centre line and the point
// clear of the runway to stop at. Without a taxi network, a turn off to the right.
struct RunwayExit {
    LatLon turnOff;
    LatLon clear;
};
RunwayExit FindRunwayExit(const AirportChart& chart, double afterFt);

// A parking place for a pilot who finds his own: the place he started from when it has a taxi
// path, else the first place a taxi path reaches whose name holds "PARKING", else any.
const ParkingSpot* ChooseOwnParking(const AirportChart& chart, std::string_view preferred);

}  // namespace corvane::fsim
