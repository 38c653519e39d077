#pragma once
// The Boeing Field that station tests, benchmarks and fuzz targets share: its idents, frequencies
// and runway 13R at the reference position, without runway size, taxi network or parking.

#include "shared/State.h"

namespace corvane::testing {

inline ChosenAirport BoeingField() {
    ChosenAirport a;
    a.AirportIdent = "KBFI";
    a.AirportName = "BOEING FLD";
    a.AirportLat = 47.53;
    a.AirportLon = -122.30;
    a.GroundFreq = "121.9";
    a.TowerFreq = "120.6";
    a.ApproachFreq = "119.2";
    a.CenterFreq = "128.5";
    a.RunwayName = "13R";
    a.RunwayLat = 47.53;
    a.RunwayLon = -122.30;
    a.FieldElevation = 18;
    a.RunwayHeading = 130;
    return a;
}

}  // namespace corvane::testing
