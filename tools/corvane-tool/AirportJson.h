#pragma once
// Airport records as JSON, with the record's own field names as keys and in its field order.
// Doubles are printed with %.17g so they read back to the same value; an array that was never
// sized is null; runwayHasIls is the stored flag (-1 or 0).

#include <string>
#include <vector>

#include "shared/Records.h"

namespace corvane::tool {

std::string AirportToJson(const AirportRecord& airport);
// A JSON array of the airports, one element per line group.
std::string AirportsToJson(const std::vector<AirportRecord>& airports);

}  // namespace corvane::tool
