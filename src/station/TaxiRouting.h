#pragma once
// Taxi routes over the airport's taxiway network: a repeated greedy walk that at every node takes
// the segment whose far end lies nearest the destination, remembers the dead ends it met, and
// starts again from the beginning after each one. Not a shortest path, on purpose: it is the route
// a controller reading the chart would give.

#include <string>
#include <vector>

#include "station/Dialogue.h"

namespace corvane::station {

inline constexpr const char* kDestinationRunway = "Runway";
inline constexpr const char* kDestinationParking = "Gate or parking";

struct TaxiSearch {
    int startNode = -1;  // S
    int endNode = -1;    // E
    bool found = false;
    std::vector<TaxiPath> route;  // steps in driving order: startNode is where each step begins
    int walks = 0;                // candidate walks tried, for the benchmarks
};

// The search alone, without a reservation or a clearance. `destination.label` is kDestinationRunway
// or kDestinationParking; its name is the runway designation or the parking place's name.
TaxiSearch SearchTaxiRoute(const ChosenAirport& airport, const TrafficRecord& pilot,
                           const GeoPoint& destination);

// The taxiways of a route as the clearance names them: each upper-cased name once per run, blank
// names left out, with a leading blank before each name and one trailing blank ("  A B ").
std::string TaxiwayList(const std::vector<TaxiPath>& route);

// Finds the route, reserves it for the pilot when one was found, and leaves the taxi clearance in
// the pilot's pendingMenu with choice 0 and the matching status.
void PlanTaxiRoute(StationContext& context, TrafficRecord& pilot, const GeoPoint& destination);

}  // namespace corvane::station
