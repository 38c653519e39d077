#pragma once
// A square grid of taxiways for the station benchmarks.

#include <string>

#include "shared/State.h"

namespace corvane::bench {

// A square grid of taxiways, side n nodes, about 250 ft apart, with a parking place per row.
inline void Grid(ChosenAirport& a, int n) {
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            a.TaxiNodes.push_back({0, a.AirportLat + y * 0.0007, a.AirportLon + x * 0.001});
        }
    }
    const auto id = [n](int x, int y) { return y * n + x; };
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            if (x + 1 < n) {
                a.TaxiPaths.push_back({0, id(x, y), id(x + 1, y), "T" + std::to_string(y)});
            }
            if (y + 1 < n) {
                a.TaxiPaths.push_back({0, id(x, y), id(x, y + 1), "C" + std::to_string(x)});
            }
        }
    }
    for (int y = 0; y < n; ++y) {
        const TaxiNode& node = a.TaxiNodes[static_cast<size_t>(id(n - 1, y))];
        a.ParkingSpots.push_back(
            {"GATE A " + std::to_string(y + 1), 60, node.lat, node.lon + 0.0004, 0});
        a.TaxiPaths.push_back({2, id(n - 1, y), y, "GATE A " + std::to_string(y + 1)});
    }
}

}  // namespace corvane::bench
