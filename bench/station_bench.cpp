// The station's work per monitoring tick: one dispatcher pass over every pilot, with the
// controllers.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "TaxiGrid.h"
#include "nav/Geometry.h"
#include "station/Dispatcher.h"
#include "station/StationState.h"
#include "station/TaxiRouting.h"
#include "support/BoeingField.h"

namespace corvane::station {
namespace {

class NullChat final : public ChatSender {
  public:
    void SendChatLine(const std::string&, const std::vector<int32_t>& r) override {
        sent += r.size();
    }
    size_t sent = 0;
};

ChosenAirport Airport() {
    ChosenAirport a = testing::BoeingField();
    a.RunwayLength = 10000;
    a.RunwayWidth = 200;
    return a;
}

void BM_PlanTaxiRoute_Grid(benchmark::State& state) {
    ChosenAirport a = Airport();
    bench::Grid(a, static_cast<int>(state.range(0)));
    TrafficRecord pilot;
    pilot.callsign = "N1";
    pilot.latitude = a.TaxiNodes.front().lat;
    pilot.longitude = a.TaxiNodes.front().lon;
    const ParkingSpot& far = a.ParkingSpots.back();
    const GeoPoint gate{far.name, kDestinationParking, far.lat, far.lon, 0};
    TaxiSearch search;
    for (auto _ : state) {
        search = SearchTaxiRoute(a, pilot, gate);
        benchmark::DoNotOptimize(search.route.data());
    }
    state.counters["segments"] = static_cast<double>(a.TaxiPaths.size());
    state.counters["steps"] = static_cast<double>(search.route.size());
    state.counters["walks"] = search.walks;
}
BENCHMARK(BM_PlanTaxiRoute_Grid)->Arg(10)->Arg(32);

struct World {
    ChosenAirport airport = Airport();
    Terrain terrain;
    StationTables tables;
    StationContext context{airport, terrain, tables};
    NullChat chat;

    World() {
        for (int lon = 230; lon < 245; ++lon) {
            for (int lat = 40; lat < 55; ++lat) {
                terrain.MagVarGrid[static_cast<size_t>((lat + 90) + 181 * lon)] = 2900;
            }
        }
        nav::SetCompassCentres(tables, airport.RunwayHeading);
        tables.Traffic.reserve(512);
    }
    TrafficRecord& Pilot(int i, const std::string& frequency, const std::string& status,
                         int16_t course, int16_t nm, int32_t alt, uint8_t type = 0) {
        TrafficRecord r = BlankTrafficRecord();
        r.callsign = "N" + std::to_string(100 + i);
        r.playerId = 1000 + i;
        r.present = kTrue;
        const GeoPoint p = nav::PointAtNm(airport.AirportLat, airport.AirportLon, course, nm);
        r.latitude = p.latitude;
        r.longitude = p.longitude;
        r.altitudeFt = alt;
        r.heading = 310;
        r.atcActive = 1;
        r.flightType = type;
        r.frequency = frequency;
        r.status = status;
        tables.Traffic.push_back(r);
        return tables.Traffic.back();
    }
    void Tick(benchmark::State& state) {
        DispatchPilotDialogue(context, chat);  // settle the messages once
        for (auto _ : state) {
            DispatchPilotDialogue(context, chat);
        }
        state.counters["pilots"] = static_cast<double>(tables.Traffic.size());
    }
};

// 40 aircraft taxiing at one airport, each holding a reservation to its own gate.
void BM_GroundTick_40Taxiing(benchmark::State& state) {
    World w;
    bench::Grid(w.airport, 20);
    for (int i = 0; i < 40; ++i) {
        TrafficRecord& p = w.Pilot(i, "121.9", "", 0, 0, 18);
        const TaxiNode& start = w.airport.TaxiNodes[static_cast<size_t>((i * 37) % 400)];
        p.latitude = start.lat;
        p.longitude = start.lon;
        const ParkingSpot& spot = w.airport.ParkingSpots[static_cast<size_t>(i % 20)];
        PlanTaxiRoute(w.context, p, {spot.name, kDestinationParking, spot.lat, spot.lon, 0});
        p.status = "Taxiing to gate";
    }
    state.counters["reservations"] = static_cast<double>(w.tables.TaxiReservations.size());
    w.Tick(state);
}
BENCHMARK(BM_GroundTick_40Taxiing)->Unit(benchmark::kMicrosecond);

// 60 aircraft on the tower frequency: departures queued, arrivals in the pattern and landing.
void BM_TowerTick_60Mixed(benchmark::State& state) {
    World w;
    const char* phases[] = {"Holding short in runway",
                            "Flying traffic pattern",
                            "Landing",
                            "Going Around",
                            "Taxiing to runway",
                            ""};
    for (int i = 0; i < 60; ++i) {
        const std::string phase = phases[i % 6];
        const bool ground = phase == "Holding short in runway" || phase == "Taxiing to runway";
        TrafficRecord& p = w.Pilot(i, "120.6", phase, static_cast<int16_t>((i * 47) % 360),
                                   static_cast<int16_t>(1 + i % 12), ground ? 18 : 1500, i % 2);
        if (phase == "Holding short in runway") {
            EnqueueTakeoff(w.tables, p.callsign);
        } else if (phase == "Landing") {
            EnqueueLanding(w.tables, p.callsign);
        }
    }
    w.Tick(state);
}
BENCHMARK(BM_TowerTick_60Mixed)->Unit(benchmark::kMicrosecond);

// 100 IFR arrivals under vectors on approach and centre, among many mountains.
void BM_RadarTick_100Vectored(benchmark::State& state) {
    World w;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> lat(45.9, 49.1), lon(-124.7, -119.9), ft(3000, 14400);
    for (int64_t i = 0; i < state.range(0); ++i) {
        w.terrain.Mountains.push_back({"Montaña No" + std::to_string(i + 1), "Mountain",
                                       lat(random), lon(random), static_cast<int32_t>(ft(random))});
    }
    if (state.range(1) != 0) {
        nav::IndexMountains(w.terrain);
    }
    for (int i = 0; i < 100; ++i) {
        const bool approach = i % 2 == 0;
        w.Pilot(i, approach ? "119.2" : "128.5", "Approach", static_cast<int16_t>((i * 29) % 360),
                static_cast<int16_t>(approach ? 8 + i % 10 : 30 + i % 60), 9000, 1);
    }
    w.Tick(state);
    state.counters["mountains"] = static_cast<double>(w.terrain.Mountains.size());
}
BENCHMARK(BM_RadarTick_100Vectored)
    ->Args({20000, 1})
    ->Args({20000, 0})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane::station
