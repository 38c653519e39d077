#pragma once
// Data the benchmarks make for themselves, in a scratch folder under the system's temp folder:
// a world of 24,000 airports and a terrain file of 1,000,000 lines.
//
// The airports follow the simulator's world: most are small fields without taxi data (arrays never
// sized), one in five has a small network (60 points, 20 parking places, 70 segments) and one in
// twenty a large one (400 points, 150 parking places, 500 segments). Names and frequencies are
// of the usual lengths.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "scenery/AirportDatabase.h"

namespace corvane::bench {

inline constexpr int32_t kWorldAirports = 24000;
inline constexpr int kTerrainLines = 1000000;

// Removed with everything in it when the benchmark program ends.
class Scratch {
  public:
    Scratch() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("corvane-bench-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline const std::filesystem::path& ScratchFolder() {
    static const Scratch scratch;
    return scratch.Path();
}

inline std::vector<AirportRecord> MakeWorld() {
    std::mt19937 rng(20020);
    std::uniform_real_distribution<double> lat(-60.0, 75.0);
    std::uniform_real_distribution<double> lon(-180.0, 180.0);
    std::uniform_real_distribution<double> offset(-0.02, 0.02);
    std::vector<AirportRecord> world;
    world.reserve(kWorldAirports);
    for (int32_t i = 0; i < kWorldAirports; ++i) {
        AirportRecord r;
        char ident[8];
        std::snprintf(ident, sizeof ident, "K%03X", i);
        r.ident = ident;
        r.name = "MUNICIPAL AIRPORT NUMBER " + std::to_string(i);
        r.lat = lat(rng);
        r.lon = lon(rng);
        r.towerFreq = "118.3";
        r.groundFreq = i % 3 == 0 ? "121.9" : "";
        r.approachFreq = i % 4 == 0 ? "124.25" : "";
        r.centerFreq = i % 7 == 0 ? "132.6" : "";
        r.ctafFreq = "122.8";
        r.runwayName = "34L";
        r.runwayLat = r.lat + 0.01;
        r.runwayLon = r.lon + 0.01;
        r.fieldElevation = 433;
        r.runwayLength = 11900;
        r.runwayWidth = 150;
        r.runwayHeading = 341;
        int nodes = 0, parking = 0, paths = 0;
        if (i % 20 == 0) {
            nodes = 400, parking = 150, paths = 500;
        } else if (i % 5 == 0) {
            nodes = 60, parking = 20, paths = 70;
        }
        if (nodes > 0) {
            r.taxiNodes.emplace();
            for (int n = 0; n < nodes; ++n) {
                r.taxiNodes->push_back({n % 3, r.lat + offset(rng), r.lon + offset(rng)});
            }
            r.parking.emplace();
            for (int p = 0; p < parking; ++p) {
                r.parking->push_back({"GATE C " + std::to_string(p), 82, r.lat + offset(rng),
                                      r.lon + offset(rng), 0});
            }
            r.taxiPaths.emplace();
            for (int t = 0; t < paths; ++t) {
                r.taxiPaths->push_back(
                    {t % 3, t % nodes, (t + 1) % nodes, t % 3 == 1 ? "Runway 34L" : "B"});
            }
            r.taxiNodeCount = static_cast<int16_t>(nodes);
            r.parkingCount = static_cast<int16_t>(parking);
            r.taxiPathCount = static_cast<int16_t>(paths);
        }
        world.push_back(std::move(r));
    }
    return world;
}

// world_airports.dat of the 24,000 airports, written once.
inline std::filesystem::path WorldDatabase() {
    static const std::filesystem::path file = [] {
        auto path = ScratchFolder() / "world_airports.dat";
        const std::string error = scenery::WriteAirportDatabase(path, MakeWorld());
        if (!error.empty()) {
            std::fprintf(stderr, "cannot write the benchmark database: %s\n", error.c_str());
            std::abort();
        }
        return path;
    }();
    return file;
}

// A terrain file of 1,000,000 summits spread over the globe, as the shipped file writes them.
inline std::filesystem::path MillionLineTerrain() {
    static const std::filesystem::path file = [] {
        auto path = ScratchFolder() / "world_terrain.db";
        std::mt19937 rng(4392);
        std::uniform_real_distribution<double> lat(-60.0, 75.0);
        std::uniform_real_distribution<double> lon(-180.0, 180.0);
        std::uniform_int_distribution<int> metres(1000, 8800);
        std::ofstream out(path, std::ios::binary);
        char line[64];
        for (int i = 0; i < kTerrainLines; ++i) {
            const int n =
                std::snprintf(line, sizeof line, "%.4f %.4f %d\n", lat(rng), lon(rng), metres(rng));
            out.write(line, n);
        }
        return path;
    }();
    return file;
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(0, std::ios::end);
    std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
    in.seekg(0, std::ios::beg);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

}  // namespace corvane::bench
