// Writes a world the scenarios run in, into the folder named on the command line.
//
// make_scenario_world FOLDER: corvane.cfg, world_airports.dat, world_terrain.db and
// FS2002/SCENERY/MAGDEC.BGL (a table of zero variation, so magnetic and true headings agree and
// the scenarios can be worked out by hand):
//
//   KBFI  BOEING FLD   ground 121.9, tower 120.6, approach 119.2, centre 128.5; runway 13R
//                      starting at the airport position; taxiway A from an apron point 0.005
//                      degrees north of it (node 0) to the runway start (node 1), and the runway
//                      path from there about 1.2 NM along the runway (node 2)
//   KRNT  RENTON MUNI  ground 121.6, tower 124.7, centre 128.5, no approach; no taxiways
//   S50   AUBURN MUNI  advisory frequency 122.7 only
//   S43   HARVEY FLD   no frequency at all
//
// make_scenario_world --demo FOLDER TERRAIN: FOLDER already holds the demo world's FS2002 folder
// (corvane-tool make-scenery); the database is built from its scenery as the first run builds it,
// and TERRAIN is copied in as world_terrain.db.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "scenery/AirportDatabase.h"
#include "scenery/FirstRunBuild.h"
#include "scenery/MagneticVariation.h"
#include "shared/Bytes.h"
#include "shared/State.h"
#include "shell/Config.h"

namespace {

using namespace corvane;

AirportRecord Airport(std::string ident, std::string name, double lat, double lon,
                      int32_t elevation, std::string runway, int16_t heading) {
    AirportRecord a;
    a.ident = std::move(ident);
    a.name = std::move(name);
    a.lat = lat;
    a.lon = lon;
    a.runwayName = std::move(runway);
    a.runwayLat = lat;
    a.runwayLon = lon;
    a.fieldElevation = elevation;
    a.runwayLength = 10000;
    a.runwayWidth = 200;
    a.runwayHeading = heading;
    return a;
}

bool WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

// The demo world's database, built from its scenery as the settings window builds it on a first
// run.
int BuildDemoWorld(const std::filesystem::path& folder, const std::filesystem::path& terrain) {
    std::error_code ec;
    std::filesystem::copy_file(terrain, folder / shell::kTerrainFileName,
                               std::filesystem::copy_options::overwrite_existing, ec);
    std::filesystem::remove(folder / shell::kConfigFileName, ec);
    std::filesystem::remove(folder / shell::kAirportsFileName, ec);
    Config config;
    config.FsMainFolder = (folder / "FS2002").string();
    if (!WriteFile(folder / shell::kConfigFileName, shell::StageOneBytes(config.FsMainFolder))) {
        std::cerr << "make_scenario_world: cannot write into " << folder << "\n";
        return 1;
    }
    static MagneticVariationGrid grid{};
    scenery::ReadMagdec(scenery::MagdecPath(config.FsMainFolder), grid);
    RecordedMessageBoxes boxes;
    scenery::FirstRunBuild build(config, grid, [] { return std::vector<scenery::Volume>{}; });
    build.SetDatabase(folder);
    if (build.Start(boxes) == scenery::BuildState::Scanning) {
        for (int i = 0; i < 100000; ++i) {
            const scenery::TickResult tick = build.Tick(boxes);
            if (tick == scenery::TickResult::AllScanned || tick == scenery::TickResult::Failed) {
                break;
            }
        }
    }
    if (build.State() != scenery::BuildState::AllScanned ||
        build.Finish(boxes) != scenery::BuildState::Done) {
        std::cerr << "make_scenario_world: the demo world's database could not be built"
                  << (boxes.shown.empty() ? "" : ": " + boxes.shown.back().text) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::string(argv[1]) == "--demo") {
        return BuildDemoWorld(argv[2], argv[3]);
    }
    if (argc != 2) {
        std::cerr << "usage: make_scenario_world FOLDER | make_scenario_world --demo FOLDER "
                     "TERRAIN\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];

    AirportRecord bfi = Airport("KBFI", "BOEING FLD", 47.53, -122.3, 18, "13R", 130);
    bfi.groundFreq = "121.9";
    bfi.towerFreq = "120.6";
    bfi.approachFreq = "119.2";
    bfi.centerFreq = "128.5";
    bfi.taxiNodes =
        std::vector<TaxiNode>{{0, 47.535, -122.3}, {0, 47.53, -122.3}, {0, 47.5127, -122.2695}};
    bfi.taxiNodeCount = 3;
    bfi.taxiPaths = std::vector<TaxiPath>{{0, 0, 1, "A"}, {1, 1, 2, "Runway 13R"}};
    bfi.taxiPathCount = 2;

    AirportRecord rnt = Airport("KRNT", "RENTON MUNI", 47.4931, -122.2158, 32, "16", 160);
    rnt.groundFreq = "121.6";
    rnt.towerFreq = "124.7";
    rnt.centerFreq = "128.5";

    AirportRecord s50 = Airport("S50", "AUBURN MUNI", 47.3277, -122.2266, 63, "16", 160);
    s50.ctafFreq = "122.7";

    AirportRecord s43 = Airport("S43", "HARVEY FLD", 47.9082, -122.103, 22, "15L", 150);

    const std::vector<AirportRecord> airports{bfi, rnt, s50, s43};
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (const std::string error =
            scenery::WriteAirportDatabase(folder / shell::kAirportsFileName, airports);
        !error.empty()) {
        std::cerr << "make_scenario_world: " << error << "\n";
        return 1;
    }

    ByteWriter magdec;
    magdec.Zeros(110);
    magdec.I32(120);
    magdec.Zeros(120 + 8 - 114 + 2 * kMagVarCells);
    const bool written =
        WriteFile(folder / shell::kConfigFileName,
                  shell::StageOneBytes((folder / "FS2002").string()) +
                      shell::StageTwoBytes(static_cast<int32_t>(airports.size()))) &&
        WriteFile(folder / "FS2002" / "SCENERY" / "MAGDEC.BGL", magdec.AsString()) &&
        WriteFile(folder / shell::kTerrainFileName, "47.5 -121.5 1000\n");
    if (!written) {
        std::cerr << "make_scenario_world: cannot write into " << folder << "\n";
        return 1;
    }
    return 0;
}
