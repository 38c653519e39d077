#pragma once
// Radar services: the approach and departure controller (within 20 NM, between 300 ft and
// 10,000 ft above the field) and the en-route centre (within 200 NM). Both give traffic advisories,
// vector arrivals leg by leg to the final approach with terrain-safe altitudes, clear them for the
// approach and hand pilots between each other and the tower; one implementation serves both.

#include <string>

#include "station/Dialogue.h"

namespace corvane::station {

void RunApproachController(StationContext& context, TrafficRecord& pilot);
void RunCenterController(StationContext& context, TrafficRecord& pilot);

// " Turn left heading H." when H lies in the half circle left of `heading` (the exact reverse
// included), otherwise " Turn right heading H.".
std::string TurnPhrase(int16_t heading, int16_t assigned);
// " Climb and Maintain A ft." / " Descent and Maintain A ft." / nothing when level at A.
std::string AltitudePhrase(int32_t altitudeFt, int32_t assigned);
// The number at the start of a text (an assigned heading or altitude), 0 when there is none.
int32_t TextNumber(const std::string& text);

}  // namespace corvane::station
