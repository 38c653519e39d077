// Decoding a random world of 24,000 airports in 300 BGL files, against only reading the same
// bytes. The world is written once per run into a temporary folder (about 40 MB), so all three
// work on files in the page cache. Compare DecodeBglFiles and FirstRunScan with CatFiles.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "scenery-writer/Description.h"
#include "scenery-writer/World.h"
#include "scenery/BglDecoder.h"
#include "scenery/CaseFolders.h"
#include "scenery/FirstRunBuild.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane;

struct RandomWorldOnDisk {
    fs::path root;
    std::vector<fs::path> files;
    int64_t bytes = 0;

    RandomWorldOnDisk() {
        root =
            fs::temp_directory_path() / ("corvane-bench-" + std::to_string(std::random_device{}()));
        const std::string error = writer::WriteWorld(writer::RandomWorld(24000, 300, 1), root);
        if (!error.empty()) {
            throw std::runtime_error(error);
        }
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.path().extension() == ".BGL") {
                files.push_back(entry.path());
                bytes += static_cast<int64_t>(entry.file_size());
            }
        }
    }
    ~RandomWorldOnDisk() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

const RandomWorldOnDisk& World() {
    static const RandomWorldOnDisk world;
    return world;
}

// What cat > /dev/null does: read every file through a 128 KiB buffer.
void CatFiles(benchmark::State& state) {
    const auto& world = World();
    std::vector<char> buffer(128 * 1024);
    for (auto _ : state) {
        int64_t total = 0;
        for (const fs::path& file : world.files) {
            const int fd = ::open(file.c_str(), O_RDONLY);
            ssize_t n = 0;
            while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
                total += n;
            }
            ::close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * world.bytes);
    state.counters["files"] = static_cast<double>(world.files.size());
}
BENCHMARK(CatFiles)->Unit(benchmark::kMillisecond);

// Each file read whole and decoded, as one scan tick does.
void DecodeBglFiles(benchmark::State& state) {
    const auto& world = World();
    const MagneticVariationGrid grid{};
    size_t airports = 0;
    for (auto _ : state) {
        std::vector<AirportRecord> list;
        std::vector<uint8_t> bytes;
        std::string error;
        for (const fs::path& file : world.files) {
            scenery::ReadWholeFile(file, bytes, error);
            if (scenery::HasBglSignature(bytes)) {
                scenery::ScanBglHeader(bytes, grid, list);
            }
        }
        airports = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.SetBytesProcessed(state.iterations() * world.bytes);
    state.counters["airports"] = static_cast<double>(airports);
}
BENCHMARK(DecodeBglFiles)->Unit(benchmark::kMillisecond);

// The whole first-run scan without the database write: scenery.cfg, folders, one file per tick.
void FirstRunScan(benchmark::State& state) {
    const auto& world = World();
    const MagneticVariationGrid grid{};
    size_t airports = 0;
    for (auto _ : state) {
        Config config;
        config.FsMainFolder = world.root.string();
        RecordedMessageBoxes boxes;
        scenery::FirstRunBuild build(config, grid, [] { return std::vector<scenery::Volume>{}; });
        build.Start(boxes);
        while (build.Tick(boxes) != scenery::TickResult::AllScanned) {
        }
        airports = build.Airports().size();
    }
    state.SetBytesProcessed(state.iterations() * world.bytes);
    state.counters["airports"] = static_cast<double>(airports);
}
BENCHMARK(FirstRunScan)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The world's files read into memory once, for the benchmarks that time the decoding alone.
const std::vector<std::vector<uint8_t>>& WorldInMemory() {
    static const std::vector<std::vector<uint8_t>> contents = [] {
        std::vector<std::vector<uint8_t>> read;
        for (const fs::path& file : World().files) {
            std::string error;
            read.emplace_back();
            scenery::ReadWholeFile(file, read.back(), error);
        }
        return read;
    }();
    return contents;
}

// Decoding alone, every airport kept.
void DecodeOnly(benchmark::State& state) {
    const MagneticVariationGrid grid{};
    for (auto _ : state) {
        std::vector<AirportRecord> list;
        for (const auto& bytes : WorldInMemory()) {
            scenery::ScanBglHeader(bytes, grid, list);
        }
        benchmark::DoNotOptimize(list.data());
    }
    state.SetBytesProcessed(state.iterations() * World().bytes);
}
BENCHMARK(DecodeOnly)->Unit(benchmark::kMillisecond);

// Decoding alone, each file's airports dropped before the next file, as a build that streams
// them to the database does: the records' memory is reused instead of growing to the world's.
void DecodeEachFileAlone(benchmark::State& state) {
    const MagneticVariationGrid grid{};
    std::vector<AirportRecord> list;
    for (auto _ : state) {
        for (const auto& bytes : WorldInMemory()) {
            list.clear();
            scenery::ScanBglHeader(bytes, grid, list);
        }
        benchmark::DoNotOptimize(list.data());
    }
    state.SetBytesProcessed(state.iterations() * World().bytes);
}
BENCHMARK(DecodeEachFileAlone)->Unit(benchmark::kMillisecond);

}  // namespace
