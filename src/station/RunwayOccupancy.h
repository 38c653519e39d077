#pragma once
// Whether another aircraft stands on the station's runway: the ground and tower controllers ask
// before every clearance.

#include "station/Dialogue.h"

namespace corvane::station {

// True when an aircraft other than `pilot` (by callsign), below 300 ft above the field and within
// 30 degrees either side of the runway heading as seen from the runway start, is less than the
// runway's length along it and less than half its width from the centre line.
bool RunwayOccupied(const StationContext& context, const TrafficRecord& pilot);

}  // namespace corvane::station
