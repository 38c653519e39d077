#pragma once
// The tower: take-off clearances in the order of the take-off queue, pattern entry by the side an
// arrival comes from, landing clearances with their sequence number, go-arounds, runway exits and
// the hand-offs to ground, departure and the centre.

#include "station/Dialogue.h"

namespace corvane::station {

void RunTowerController(StationContext& context, TrafficRecord& pilot);

}  // namespace corvane::station
