#pragma once
// Airport records and the chosen airport's parts as JSON, shared by every subcommand that prints
// them (airport, choose, decode-bgl): the record's own field names as keys, in the order the
// records declare their members; doubles as the shortest text that reads back to the same value;
// an array that was never sized is null; runwayHasIls is the stored flag (-1 or 0).

#include <nlohmann/json.hpp>

#include <vector>

#include "shared/Records.h"

namespace corvane::tool {

nlohmann::ordered_json AirportJson(const AirportRecord& record);
// A JSON array of the airports, in their order.
nlohmann::ordered_json AirportsJson(const std::vector<AirportRecord>& airports);
nlohmann::ordered_json TaxiNodeJson(const TaxiNode& node);
nlohmann::ordered_json ParkingJson(const ParkingSpot& spot);
nlohmann::ordered_json TaxiPathJson(const TaxiPath& path);
nlohmann::ordered_json GeoPointJson(const GeoPoint& point);

// Prints a JSON document on standard output, two blanks an indent.
void PrintJson(const nlohmann::ordered_json& json);

}  // namespace corvane::tool
