#pragma once
// The records every subsystem passes around. Field order and widths follow the airport database and
// the station's tables: Integer is int16_t, Long int32_t, Byte uint8_t, and a flag kept in a record
// is 16-bit with true = -1 (kTrue).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

// A named point: a mountain, a computed point, a taxi destination or a vector target.
struct GeoPoint {
    std::string name;
    std::string label;  // "Mountain", "Waypoint", "Runway", "Gate or parking"; empty when computed
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    int32_t elevationFt = 0;

    bool operator==(const GeoPoint&) const = default;
};

struct TaxiNode {
    int32_t kind = 0;
    double lat = 0.0;
    double lon = 0.0;

    bool operator==(const TaxiNode&) const = default;
};

struct ParkingSpot {
    std::string name;  // such as "GATE A 12", "PARKING 5"
    int32_t radiusFt = 0;
    double lat = 0.0;
    double lon = 0.0;
    uint8_t unavailable = 0;  // set by the ground controller for places it no longer offers

    bool operator==(const ParkingSpot&) const = default;
};

// kind 0 taxi path, 1 runway path, 2 path to a parking place (endNode then indexes the parking).
struct TaxiPath {
    int32_t kind = 0;
    int32_t startNode = 0;
    int32_t endNode = 0;
    std::string name;

    bool operator==(const TaxiPath&) const = default;
};

// One airport of the database. An array that was never sized is std::nullopt; the database file
// keeps that apart from a sized array, so a record reads back to the same bytes.
struct AirportRecord {
    std::string ident;
    double lat = 0.0;
    double lon = 0.0;
    std::string name;
    std::string groundFreq;
    std::string towerFreq;
    std::string approachFreq;
    std::string centerFreq;
    std::string ctafFreq;
    std::string runwayName;
    double runwayLat = 0.0;
    double runwayLon = 0.0;
    int32_t fieldElevation = 0;
    int32_t runwayLength = 0;
    int32_t runwayWidth = 0;
    int16_t runwayHeading = 0;
    int16_t runwayHasIls = kFalse;
    std::optional<std::vector<TaxiNode>> taxiNodes;
    int16_t taxiNodeCount = 0;
    std::optional<std::vector<ParkingSpot>> parking;
    int16_t parkingCount = 0;
    std::optional<std::vector<TaxiPath>> taxiPaths;
    int16_t taxiPathCount = 0;

    bool operator==(const AirportRecord&) const = default;
};

// One other player of the session, with his pilot's ATC state (atcActive onwards).
struct TrafficRecord {
    std::string callsign;
    int32_t playerId = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    int32_t altitudeFt = 0;
    int16_t heading = 0;  // magnetic
    int16_t present = kFalse;
    std::string aircraftType;
    uint8_t atcActive = 0;
    std::string frequency;
    std::string pendingMenu;
    uint8_t choice = 0;
    std::string text1;
    std::string text2;
    std::string text3;
    GeoPoint vectorTarget;
    uint8_t flightType = 0;  // 0 VFR, 1 IFR
    std::string compassWord;
    std::string status;

    bool operator==(const TrafficRecord&) const = default;
};

// A taxi route reserved by the ground controller. Passed steps carry -1 in both nodes.
struct TaxiReservation {
    std::string callsign;
    int16_t trafficIndex = 0;
    std::vector<TaxiPath> route;
    std::string destinationName;
    std::string destinationKind;  // "Runway" or "Gate or parking"
    double destinationLat = 0.0;
    double destinationLon = 0.0;
    uint32_t serial = 0;  // tells reservations apart for the ground controller's cache

    bool operator==(const TaxiReservation&) const = default;
};

}  // namespace corvane
