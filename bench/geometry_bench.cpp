// The geometry the controllers call dozens of times per aircraft per tick.
#include <benchmark/benchmark.h>

#include <vector>

#include "nav/Geometry.h"

namespace corvane::nav {
namespace {

struct Fixture {
    Fixture() {
        // An east variation around Seattle so the magnetic conversion does real work.
        for (int lon = 230; lon < 245; ++lon) {
            for (int lat = 40; lat < 55; ++lat) {
                grid[static_cast<size_t>((lat + 90) + 181 * lon)] = 2900;
            }
        }
        for (int i = 0; i < 256; ++i) {
            points.push_back({47.0 + (i % 17) * 0.05, -122.5 + (i % 13) * 0.07});
        }
    }
    MagneticVariationGrid grid{};
    std::vector<std::pair<double, double>> points;
};

const Fixture& Data() {
    static const Fixture f;
    return f;
}

void BM_DistanceNm(benchmark::State& state) {
    const auto& p = Data().points;
    size_t i = 0;
    for (auto _ : state) {
        const auto& a = p[i & 255];
        const auto& b = p[(i * 7 + 3) & 255];
        benchmark::DoNotOptimize(DistanceNm(a.first, a.second, b.first, b.second));
        ++i;
    }
}
BENCHMARK(BM_DistanceNm);

void BM_MagneticBearing(benchmark::State& state) {
    const auto& d = Data();
    size_t i = 0;
    for (auto _ : state) {
        const auto& a = d.points[i & 255];
        const auto& b = d.points[(i * 7 + 3) & 255];
        benchmark::DoNotOptimize(MagneticBearing(d.grid, a.first, a.second, b.first, b.second));
        ++i;
    }
}
BENCHMARK(BM_MagneticBearing);

// The arc length decides the cost of the walk: a narrow compass sector and a half circle.
void BM_HeadingInSweep(benchmark::State& state) {
    const auto width = static_cast<int16_t>(state.range(0));
    int16_t h = 1;
    for (auto _ : state) {
        int16_t heading = h;
        benchmark::DoNotOptimize(HeadingInSweep(heading, 100, NormalizeHeading(100 + width)));
        h = static_cast<int16_t>(h % 360 + 1);
    }
}
BENCHMARK(BM_HeadingInSweep)->Arg(30)->Arg(180)->Arg(359);

void BM_UpdateCompassPosition(benchmark::State& state) {
    const auto& d = Data();
    ChosenAirport airport;
    airport.AirportLat = 47.53;
    airport.AirportLon = -122.30;
    airport.RunwayLat = 47.52;
    airport.RunwayLon = -122.29;
    StationTables station;
    SetCompassCentres(station, 314);
    std::vector<TrafficRecord> aircraft(64);
    for (size_t i = 0; i < aircraft.size(); ++i) {
        aircraft[i].latitude = d.points[i * 3].first;
        aircraft[i].longitude = d.points[i * 3].second;
    }
    size_t i = 0;
    for (auto _ : state) {
        TrafficRecord& a = aircraft[i & 63];
        // Alternate between a fresh search and a kept word.
        if ((i & 64) == 0) {
            a.compassWord.clear();
        }
        UpdateCompassPosition(airport, d.grid, station, a);
        ++i;
    }
}
BENCHMARK(BM_UpdateCompassPosition);

}  // namespace
}  // namespace corvane::nav
