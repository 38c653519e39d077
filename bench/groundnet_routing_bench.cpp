// Taxi routing on the demo world's real ground networks (data/demo-world.json, decoded as the first
// run decodes it): one iteration clears a taxi route from every parking place of the airport to the
// runway in use, as the ground controller asks for it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "scenery-writer/Description.h"
#include "scenery-writer/World.h"
#include "scenery/AirportChoice.h"
#include "station/StationState.h"
#include "station/TaxiRouting.h"

namespace corvane::station {
namespace {

const std::vector<AirportRecord>& DemoAirports() {
    static const std::vector<AirportRecord> airports = [] {
        std::ifstream in(CORVANE_SOURCE_DIR "/data/demo-world.json");
        std::ostringstream text;
        text << in.rdbuf();
        return writer::DecodedAirports(writer::ParseWorldDescription(text.str()));
    }();
    return airports;
}

void BM_RoutesFromEveryParkingPlace(benchmark::State& state, const char* ident) {
    const auto& all = DemoAirports();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const AirportRecord& a) { return a.ident == ident; });
    if (found == all.end()) {
        state.SkipWithError("airport missing from the demo world");
        return;
    }
    ChosenAirport airport;
    scenery::SearchBox box;
    scenery::LoadChosenAirport(*found, all, airport, box);
    Terrain terrain;
    StationTables tables;
    StationContext context{airport, terrain, tables};
    const GeoPoint runway{airport.RunwayName, kDestinationRunway, airport.RunwayLat,
                          airport.RunwayLon, airport.FieldElevation};
    TrafficRecord pilot = BlankTrafficRecord();
    pilot.callsign = "N1";
    tables.Traffic.push_back(pilot);

    size_t routes = 0;
    size_t longest = 0;
    int maxWalks = 0;
    for (auto _ : state) {
        routes = 0;
        for (const ParkingSpot& spot : airport.ParkingSpots) {
            TrafficRecord& p = tables.Traffic[0];
            p.latitude = spot.lat;
            p.longitude = spot.lon;
            tables.TaxiReservations.clear();
            PlanTaxiRoute(context, p, runway);
            if (!tables.TaxiReservations.empty()) {
                ++routes;
                longest = std::max(longest, tables.TaxiReservations[0].route.size());
            }
            benchmark::DoNotOptimize(p.pendingMenu.data());
        }
    }
    // The walks of the slowest search, for the figures; outside the timed loop.
    for (const ParkingSpot& spot : airport.ParkingSpots) {
        TrafficRecord p = pilot;
        p.latitude = spot.lat;
        p.longitude = spot.lon;
        maxWalks = std::max(maxWalks, SearchTaxiRoute(airport, p, runway).walks);
    }
    state.counters["parking"] = static_cast<double>(airport.ParkingSpots.size());
    state.counters["routes"] = static_cast<double>(routes);
    state.counters["longest_steps"] = static_cast<double>(longest);
    state.counters["max_walks"] = maxWalks;
    state.counters["segments"] = static_cast<double>(airport.TaxiPaths.size());
    state.counters["per_route"] = benchmark::Counter(
        static_cast<double>(routes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_RoutesFromEveryParkingPlace, KBFI, "KBFI")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RoutesFromEveryParkingPlace, KSEA, "KSEA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RoutesFromEveryParkingPlace, KPAE, "KPAE")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RoutesFromEveryParkingPlace, KRNT, "KRNT")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane::station
