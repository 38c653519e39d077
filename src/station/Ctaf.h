#pragma once
// The advisory frequency at airports without a tower or ground frequency: pilots pick an
// announcement from a menu and the station relays it to every pilot on the frequency.

#include "station/Dialogue.h"

namespace corvane::station {

void RunCtafAdvisory(StationContext& context, TrafficRecord& pilot);

}  // namespace corvane::station
