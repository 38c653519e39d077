// Loading the world's airport database and reading the terrain file for one airport, each next to
// simply reading the same file's bytes (the ratio is the work done on top of the disk read).
#include <benchmark/benchmark.h>

#include "BenchData.h"
#include "scenery/AirportChoice.h"
#include "scenery/TerrainDatabase.h"

namespace corvane::bench {
namespace {

void BM_AirportFileBytes(benchmark::State& state) {
    const auto file = WorldDatabase();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadBytes(file));
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_AirportFileBytes)->Unit(benchmark::kMillisecond);

// What the load tick does without the window: the file into the list, and the list's lines.
void BM_LoadAirportDatabase(benchmark::State& state) {
    const auto file = WorldDatabase();
    for (auto _ : state) {
        scenery::AirportDatabaseFile db = scenery::ReadAirportDatabase(file, kWorldAirports);
        std::vector<std::string> lines;
        lines.reserve(db.content.airports.size());
        for (const AirportRecord& r : db.content.airports) {
            lines.push_back(scenery::ComboLine(r));
        }
        benchmark::DoNotOptimize(lines.data());
        // Freeing the list is not part of loading it (the window keeps it until "Next").
        state.PauseTiming();
        db = {};
        lines = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAirportDatabase)->Unit(benchmark::kMillisecond);

// The world's database encoded in memory, and written record by record to the disk through the
// database writer (flushed and renamed into place, as the first-run build does).
void BM_EncodeAirportDatabase(benchmark::State& state) {
    const std::vector<AirportRecord> world = MakeWorld();
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> file = scenery::EncodeAirportDatabase(world);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_EncodeAirportDatabase)->Unit(benchmark::kMillisecond);

void BM_WriteAirportDatabase(benchmark::State& state) {
    const std::vector<AirportRecord> world = MakeWorld();
    const auto file = ScratchFolder() / "written_airports.dat";
    for (auto _ : state) {
        scenery::AirportDatabaseWriter writer(file);
        for (const AirportRecord& r : world) {
            writer.Add(r);
        }
        if (const std::string error = writer.Finish(); !error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (ec ? 0 : size)));
}
BENCHMARK(BM_WriteAirportDatabase)->Unit(benchmark::kMillisecond);

void BM_TerrainFileBytes(benchmark::State& state) {
    const auto file = MillionLineTerrain();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadBytes(file));
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_TerrainFileBytes)->Unit(benchmark::kMillisecond);

// The mountain tick for Boeing Field over the million lines.
void BM_ReadAllMountains(benchmark::State& state) {
    const auto file = MillionLineTerrain();
    ChosenAirport airport;
    airport.AirportLat = 47.53;
    airport.AirportLon = -122.30;
    const scenery::SearchBox box = scenery::ComputeSearchBox(47.53, -122.30);
    size_t kept = 0;
    for (auto _ : state) {
        Terrain terrain;
        scenery::ReadAllMountainsFile(file, airport, box, terrain);
        kept = terrain.Mountains.size();
        benchmark::DoNotOptimize(terrain.MinSafeAltitude);
    }
    state.counters["mountains"] = static_cast<double>(kept);
}
BENCHMARK(BM_ReadAllMountains)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane::bench
