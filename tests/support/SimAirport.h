#pragma once
// A towered airport laid out for flights of simulated aircraft, as the station's chosen airport.
//
// Runway 13R (magnetic 130, no variation) starts at 47.53 N, 122.30 W and runs 8000 ft by 150 ft.
// Positions below are (along, across) in feet from its threshold, across positive to the right of
// the runway direction, so taxiway A lies to the left:
//
//   runway path "Runway 13R"   R0 (0, 0) - R1 (2000, 0) - ... - R4 (8000, 0)
//   taxiway "A", parallel      A0 (0, -600) - A1 (2000, -600) - ... - A4 (8000, -600)
//   connectors "C0" .. "C4"    Ai - Ri
//   taxiway "B"                A2 - P2 (4000, -1100)
//   apron, unnamed             P1 (3700, -1100) - P2 - P3 (4300, -1100) - Q1 (4600, -1100) - ...
//   parking paths (kind 2)     P1 -> "GATE A 1" (3700, -1250), P2 -> "GATE A 2" (4000, -1250),
//                              P3 -> "PARKING 1" (4300, -1250), Qk -> "PARKING k+1", 300 ft
//                              apart; radius 60 ft each
//
// The station routes a departure from GATE A 1 over the apron, B, A and C0 to R0.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fsim/FlightMath.h"
#include "scenery/AirportDatabase.h"
#include "shared/State.h"
#include "shell/Config.h"

namespace corvane::testing {

inline constexpr double kSimThresholdLat = 47.53;
inline constexpr double kSimThresholdLon = -122.30;
inline constexpr double kSimRunwayCourse = 130.0;

// The point `along` feet down runway 13R's centre line and `across` feet to its right.
inline fsim::LatLon SimRunwayPoint(double along, double across) {
    using fsim::Destination;
    using fsim::kFeetPerNm;
    const fsim::LatLon t{kSimThresholdLat, kSimThresholdLon};
    const fsim::LatLon onLine = along >= 0
                                    ? Destination(t, kSimRunwayCourse, along / kFeetPerNm)
                                    : Destination(t, kSimRunwayCourse + 180.0, -along / kFeetPerNm);
    if (across == 0.0) {
        return onLine;
    }
    return across > 0 ? Destination(onLine, kSimRunwayCourse + 90.0, across / kFeetPerNm)
                      : Destination(onLine, kSimRunwayCourse - 90.0, -across / kFeetPerNm);
}

// The airport with its taxi network; `towered` false leaves it without ground and tower (an
// advisory field named S50 with CTAF 122.9). `morePlaces` parking places are added along the
// apron beyond PARKING 1.
inline ChosenAirport SimAirport(bool towered = true, int morePlaces = 0) {
    ChosenAirport a;
    a.AirportIdent = towered ? "KBFI" : "S50";
    a.AirportName = towered ? "BOEING FLD" : "AUBURN MUNI";
    const fsim::LatLon centre = SimRunwayPoint(4000, -300);
    a.AirportLat = centre.lat;
    a.AirportLon = centre.lon;
    if (towered) {
        a.GroundFreq = "121.9";
        a.TowerFreq = "120.6";
        a.ApproachFreq = "119.2";
        a.CenterFreq = "128.5";
    } else {
        a.CenterFreq = "128.5";
        a.CtafFreq = "122.9";
    }
    a.RunwayName = "13R";
    a.RunwayLat = kSimThresholdLat;
    a.RunwayLon = kSimThresholdLon;
    a.FieldElevation = 18;
    a.RunwayLength = 8000;
    a.RunwayWidth = 150;
    a.RunwayHeading = 130;
    a.RunwayHasIls = towered ? kTrue : kFalse;

    auto node = [&](double along, double across) {
        const fsim::LatLon p = SimRunwayPoint(along, across);
        a.TaxiNodes.push_back({0, p.lat, p.lon});
        return static_cast<int32_t>(a.TaxiNodes.size() - 1);
    };
    int32_t r[5];
    int32_t t[5];
    for (int i = 0; i < 5; ++i) {
        r[i] = node(2000.0 * i, 0);
        t[i] = node(2000.0 * i, -600);
    }
    const int32_t p1 = node(3700, -1100);
    const int32_t p2 = node(4000, -1100);
    const int32_t p3 = node(4300, -1100);
    for (int i = 0; i < 4; ++i) {
        a.TaxiPaths.push_back({1, r[i], r[i + 1], "Runway 13R"});
        a.TaxiPaths.push_back({0, t[i], t[i + 1], "A"});
    }
    for (int i = 0; i < 5; ++i) {
        a.TaxiPaths.push_back({0, t[i], r[i], "C" + std::to_string(i)});
    }
    a.TaxiPaths.push_back({0, t[2], p2, "B"});
    a.TaxiPaths.push_back({0, p1, p2, ""});
    a.TaxiPaths.push_back({0, p2, p3, " "});
    auto spot = [&](const std::string& name, double along, int32_t from) {
        const fsim::LatLon p = SimRunwayPoint(along, -1250);
        a.ParkingSpots.push_back({name, 60, p.lat, p.lon, 0});
        a.TaxiPaths.push_back({2, from, static_cast<int32_t>(a.ParkingSpots.size() - 1), ""});
    };
    spot("GATE A 1", 3700, p1);
    spot("GATE A 2", 4000, p2);
    spot("PARKING 1", 4300, p3);
    int32_t previous = p3;
    for (int k = 1; k <= morePlaces; ++k) {
        const double along = 4300.0 + 300.0 * k;
        const int32_t q = node(along, -1100);
        a.TaxiPaths.push_back({0, previous, q, ""});
        spot("PARKING " + std::to_string(k + 1), along, q);
        previous = q;
    }
    return a;
}

// The simulated airport as a record of world_airports.dat.
inline AirportRecord SimAirportRecord() {
    const ChosenAirport a = SimAirport();
    AirportRecord r;
    r.ident = a.AirportIdent;
    r.lat = a.AirportLat;
    r.lon = a.AirportLon;
    r.name = a.AirportName;
    r.groundFreq = a.GroundFreq;
    r.towerFreq = a.TowerFreq;
    r.approachFreq = a.ApproachFreq;
    r.centerFreq = a.CenterFreq;
    r.runwayName = a.RunwayName;
    r.runwayLat = a.RunwayLat;
    r.runwayLon = a.RunwayLon;
    r.fieldElevation = a.FieldElevation;
    r.runwayLength = a.RunwayLength;
    r.runwayWidth = a.RunwayWidth;
    r.runwayHeading = a.RunwayHeading;
    r.runwayHasIls = a.RunwayHasIls;
    r.taxiNodes = a.TaxiNodes;
    r.taxiNodeCount = static_cast<int16_t>(a.TaxiNodes.size());
    r.parking = a.ParkingSpots;
    r.parkingCount = static_cast<int16_t>(a.ParkingSpots.size());
    r.taxiPaths = a.TaxiPaths;
    r.taxiPathCount = static_cast<int16_t>(a.TaxiPaths.size());
    return r;
}

// Corvane's working folder after its first run with only the simulated airport: corvane.cfg and
// world_airports.dat, the simulator's folder missing (no magnetic variation). Empty on success.
inline std::string WriteSimWorld(const std::filesystem::path& folder) {
    std::ofstream cfg(folder / shell::kConfigFileName, std::ios::binary);
    cfg << shell::StageOneBytes((folder / "FS").string()) << shell::StageTwoBytes(1);
    cfg.close();
    if (!cfg) {
        return "cannot write corvane.cfg";
    }
    return scenery::WriteAirportDatabase(folder / shell::kAirportsFileName, {SimAirportRecord()});
}

}  // namespace corvane::testing
