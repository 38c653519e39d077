#include "scenery/AirportChoice.h"

#include "nav/Geometry.h"
#include "scenery/AirportDatabase.h"

namespace corvane::scenery {

namespace {

template <typename T>
std::vector<T> CopyOrBlank(const std::optional<std::vector<T>>& array, int16_t count) {
    // A count of 0, or an array the database never sized, leaves the station one blank element
    // to look at instead of nothing.
    if (count == 0 || !array || array->empty()) {
        return std::vector<T>(1);
    }
    return *array;
}

void LabelPair(std::string& a, const char* aSuffix, std::string& b, const char* bSuffix) {
    if (a == b) {
        a += aSuffix;
        b += bSuffix;
    }
}

}  // namespace

SearchBox ComputeSearchBox(double airportLat, double airportLon) {
    SearchBox box;
    box.SearchNorth = nav::PointAtNm(airportLat, airportLon, 0, kSearchRadiusNm).latitude;
    box.SearchEast = nav::PointAtNm(airportLat, airportLon, 90, kSearchRadiusNm).longitude;
    box.SearchWest = nav::PointAtNm(airportLat, airportLon, 270, kSearchRadiusNm).longitude;
    box.SearchSouth = nav::PointAtNm(airportLat, airportLon, 180, kSearchRadiusNm).latitude;
    return box;
}

void CopyChosenAirport(const AirportRecord& r, ChosenAirport& a) {
    a.AirportIdent = r.ident;
    a.AirportLat = r.lat;
    a.AirportLon = r.lon;
    a.AirportName = r.name;
    a.TowerFreq = r.towerFreq;
    a.GroundFreq = r.groundFreq;
    a.ApproachFreq = r.approachFreq;
    a.CenterFreq = r.centerFreq;
    a.CtafFreq = r.ctafFreq;
    a.RunwayName = r.runwayName;
    a.RunwayLat = r.runwayLat;
    a.RunwayLon = r.runwayLon;
    a.FieldElevation = r.fieldElevation;
    a.RunwayLength = r.runwayLength;
    a.RunwayWidth = r.runwayWidth;
    a.RunwayHeading = r.runwayHeading;
    a.RunwayHasIls = r.runwayHasIls;
    a.TaxiNodes = CopyOrBlank(r.taxiNodes, r.taxiNodeCount);
    a.ParkingSpots = CopyOrBlank(r.parking, r.parkingCount);
    a.TaxiPaths = CopyOrBlank(r.taxiPaths, r.taxiPathCount);
}

std::string FindNeighbourCenterFrequency(const std::vector<AirportRecord>& airports,
                                         const std::string& ident, const SearchBox& box) {
    for (const AirportRecord& r : airports) {
        if (r.ident != ident && box.StrictlyInside(r.lat, r.lon) && !r.centerFreq.empty()) {
            return r.centerFreq;
        }
    }
    return kCenterFallbackText;
}

void LabelSharedFrequencies(ChosenAirport& a) {
    LabelPair(a.GroundFreq, " (GNDCON)", a.TowerFreq, " (CT)");
    LabelPair(a.ApproachFreq, " (TRACON)", a.TowerFreq, " (CT)");
    LabelPair(a.ApproachFreq, " (TRACON)", a.GroundFreq, " (GNDCON)");
    LabelPair(a.TowerFreq, " (CT)", a.CenterFreq, " (ARTCC)");
    LabelPair(a.GroundFreq, " (GNDCON)", a.CenterFreq, " (ARTCC)");
    LabelPair(a.ApproachFreq, " (TRACON)", a.CenterFreq, " (ARTCC)");
}

void LoadChosenAirport(const AirportRecord& record, const std::vector<AirportRecord>& airports,
                       ChosenAirport& airport, SearchBox& box) {
    CopyChosenAirport(record, airport);
    box = ComputeSearchBox(airport.AirportLat, airport.AirportLon);
    if (airport.GroundFreq.empty() && airport.TowerFreq.empty()) {
        airport.ApproachFreq.clear();
        return;
    }
    if (airport.GroundFreq.empty()) {
        airport.GroundFreq = airport.TowerFreq;
    }
    if (airport.TowerFreq.empty()) {
        airport.TowerFreq = airport.GroundFreq;
    }
    if (airport.CenterFreq.empty()) {
        airport.CenterFreq = FindNeighbourCenterFrequency(airports, airport.AirportIdent, box);
    }
    LabelSharedFrequencies(airport);
}

int LastRecordWithLine(const std::vector<AirportRecord>& airports, const std::string& line) {
    for (size_t i = airports.size(); i-- > 0;) {
        if (ComboLine(airports[i]) == line) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace corvane::scenery
