#include "AirportJson.h"

#include <iostream>

namespace corvane::tool {

using nlohmann::ordered_json;

namespace {

template <typename T, typename ToJson>
ordered_json ArrayJson(const std::vector<T>& array, ToJson toJson) {
    ordered_json out = ordered_json::array();
    for (const T& element : array) {
        out.push_back(toJson(element));
    }
    return out;
}

// An array that was never sized is null.
template <typename T, typename ToJson>
ordered_json ArrayJson(const std::optional<std::vector<T>>& array, ToJson toJson) {
    return array ? ArrayJson(*array, toJson) : ordered_json(nullptr);
}

}  // namespace

ordered_json TaxiNodeJson(const TaxiNode& n) {
    return {{"kind", n.kind}, {"lat", n.lat}, {"lon", n.lon}};
}

ordered_json ParkingJson(const ParkingSpot& p) {
    return {{"name", p.name},
            {"radiusFt", p.radiusFt},
            {"lat", p.lat},
            {"lon", p.lon},
            {"unavailable", p.unavailable}};
}

ordered_json TaxiPathJson(const TaxiPath& t) {
    return {{"kind", t.kind}, {"startNode", t.startNode}, {"endNode", t.endNode}, {"name", t.name}};
}

ordered_json GeoPointJson(const GeoPoint& g) {
    return {{"name", g.name},
            {"label", g.label},
            {"latitude", g.latitude},
            {"longitude", g.longitude},
            {"elevationFt", g.elevationFt}};
}

ordered_json AirportJson(const AirportRecord& r) {
    ordered_json j;
    j["ident"] = r.ident;
    j["lat"] = r.lat;
    j["lon"] = r.lon;
    j["name"] = r.name;
    j["groundFreq"] = r.groundFreq;
    j["towerFreq"] = r.towerFreq;
    j["approachFreq"] = r.approachFreq;
    j["centerFreq"] = r.centerFreq;
    j["ctafFreq"] = r.ctafFreq;
    j["runwayName"] = r.runwayName;
    j["runwayLat"] = r.runwayLat;
    j["runwayLon"] = r.runwayLon;
    j["fieldElevation"] = r.fieldElevation;
    j["runwayLength"] = r.runwayLength;
    j["runwayWidth"] = r.runwayWidth;
    j["runwayHeading"] = r.runwayHeading;
    j["runwayHasIls"] = r.runwayHasIls;
    j["taxiNodes"] = ArrayJson(r.taxiNodes, TaxiNodeJson);
    j["taxiNodeCount"] = r.taxiNodeCount;
    j["parking"] = ArrayJson(r.parking, ParkingJson);
    j["parkingCount"] = r.parkingCount;
    j["taxiPaths"] = ArrayJson(r.taxiPaths, TaxiPathJson);
    j["taxiPathCount"] = r.taxiPathCount;
    return j;
}

ordered_json AirportsJson(const std::vector<AirportRecord>& airports) {
    return ArrayJson(airports, AirportJson);
}

void PrintJson(const ordered_json& json) {
    // Texts come from Windows-1252 and are valid UTF-8; replace guards against anything else.
    std::cout << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

}  // namespace corvane::tool
