#pragma once
// "Next": the chosen airport is copied into the shared state, its missing frequencies are filled in
// and the frequencies one controller shares with another are labelled.

#include <string>
#include <vector>

#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::scenery {

inline constexpr const char* kCenterFallbackText = "Air Route Traffic Control Center";
inline constexpr int16_t kSearchRadiusNm = 200;

// The latitudes 200 NM north and south and the longitudes 200 NM west and east of the chosen
// airport, on great circles, 5 decimals. The box is open: a point on an edge is outside.
struct SearchBox {
    double SearchNorth = 0.0;
    double SearchSouth = 0.0;
    double SearchWest = 0.0;
    double SearchEast = 0.0;

    bool StrictlyInside(double lat, double lon) const {
        return SearchNorth > lat && lat > SearchSouth && SearchEast > lon && lon > SearchWest;
    }
    bool operator==(const SearchBox&) const = default;
};

// From the points at 200 NM on true courses 0, 90, 270 and 180.
SearchBox ComputeSearchBox(double airportLat, double airportLon);

// The record's fields as the station sees them; an airport without taxi points, parking places or
// taxi paths gets one blank element in their place.
void CopyChosenAirport(const AirportRecord& record, ChosenAirport& airport);

// The centreFreq of the first airport in list order, other than `ident`, strictly inside `box` and
// with a centre frequency; kCenterFallbackText when there is none.
std::string FindNeighbourCenterFrequency(const std::vector<AirportRecord>& airports,
                                         const std::string& ident, const SearchBox& box);

// The six equal-pair tests in their fixed order, each on what the tests before it left:
// ground/tower, approach/tower, approach/ground, tower/centre, ground/centre, approach/centre.
void LabelSharedFrequencies(ChosenAirport& airport);

// Copies the airport, builds the box and applies the frequency rules: without ground and tower
// frequencies the airport has no controlled service (ground, tower and approach emptied, centre as
// it is); otherwise a missing ground or tower frequency takes the other's, a missing centre
// frequency is found among the neighbours, and shared frequencies are labelled.
void LoadChosenAirport(const AirportRecord& record, const std::vector<AirportRecord>& airports,
                       ChosenAirport& airport, SearchBox& box);

// The index of the last record whose combo line equals `line` exactly, or -1.
int LastRecordWithLine(const std::vector<AirportRecord>& airports, const std::string& line);

}  // namespace corvane::scenery
