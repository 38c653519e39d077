#pragma once
// The ground controller: taxi clearances to the runway, a free gate or a free parking place, holds
// at junctions and before the active runway, the hand-off to the tower, and the end of service for
// an aircraft that leaves the ground without a clearance.

#include "station/Dialogue.h"

namespace corvane::station {

// Runs the station-wide taxi bookkeeping (parking availability, conflicts, progress along the
// routes), then one step of `pilot`'s dialogue. `pilot` is a record of context.tables.Traffic.
void RunGroundController(StationContext& context, TrafficRecord& pilot);

// Parking data present: a taxi network and named parking places.
bool HasParkingData(const ChosenAirport& airport);

}  // namespace corvane::station
