// corvane-tool airports / airport / choose, run as the user runs them, in a folder of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "ToolRun.h"
#include "scenery/AirportDatabase.h"
#include "shared/Bytes.h"
#include "shared/State.h"
#include "support/TempDir.h"

namespace corvane::testing {
namespace {

class DatabaseCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.Write("corvane.cfg", "[FS Main folder]\r\nfs_main_folder=" + (dir / "FS2002").string() +
                                     "\r\n\r\n[Total Airports]\r\ntotal_airports=3");
        ByteWriter magdec;
        magdec.Zeros(110);
        magdec.I32(120);
        magdec.Zeros(2 * kMagVarCells);  // seven values short of the table at 128
        dir.Write("FS2002/SCENERY/MAGDEC.BGL", magdec.AsString());
        dir.Write("world_terrain.db", "47.5 -121.5 1000\n0 0 100\n46.8529 -121.7604 4392\n");

        AirportRecord old;
        old.ident = "KBFI";
        old.name = "BOEING FLD";
        old.towerFreq = "999.9";
        AirportRecord bfi;
        bfi.ident = "KBFI";
        bfi.name = "BOEING FLD";
        bfi.lat = 47.53 + 1e-13;  // needs all 17 digits to read back
        bfi.lon = -122.302;
        bfi.groundFreq = "121.9";
        bfi.towerFreq = "120.6";
        bfi.runwayName = "13R";
        bfi.runwayHasIls = kTrue;
        bfi.runwayHeading = 134;
        bfi.taxiNodes = std::vector<TaxiNode>{{2, 0.1 + 0.2, -122.25}};
        bfi.taxiNodeCount = 1;
        bfi.taxiPaths = std::vector<TaxiPath>{{1, 0, 0, "Runway 13R"}};
        bfi.taxiPathCount = 1;
        AirportRecord zurich;
        zurich.ident = "LSZH";
        zurich.name = "ZÜRICH";
        zurich.lat = 47.458;
        zurich.lon = 8.548;
        zurich.centerFreq = "134.6";
        airports = {old, bfi, zurich};
        ASSERT_EQ(scenery::WriteAirportDatabase(dir / "world_airports.dat", airports), "");
    }

    ToolRun Tool(const std::string& args) { return RunTool(dir, args); }

    TempDir dir;
    std::vector<AirportRecord> airports;
};

std::vector<std::string> Keys(const nlohmann::ordered_json& j) {
    std::vector<std::string> keys;
    for (const auto& item : j.items()) {
        keys.push_back(item.key());
    }
    return keys;
}

TEST_F(DatabaseCommands, AirportsPrintsTheListLines) {
    const ToolRun run = Tool("airports");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "KBFI (BOEING FLD)\nKBFI (BOEING FLD)\nLSZH (ZÜRICH)\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(DatabaseCommands, AirportPrintsTheLastRecordWithTheIdent) {
    const ToolRun run = Tool("airport KBFI");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto j = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(Keys(j), (std::vector<std::string>{
                           "ident",          "lat",          "lon",           "name",
                           "groundFreq",     "towerFreq",    "approachFreq",  "centerFreq",
                           "ctafFreq",       "runwayName",   "runwayLat",     "runwayLon",
                           "fieldElevation", "runwayLength", "runwayWidth",   "runwayHeading",
                           "runwayHasIls",   "taxiNodes",    "taxiNodeCount", "parking",
                           "parkingCount",   "taxiPaths",    "taxiPathCount"}));
    EXPECT_EQ(j["towerFreq"], "120.6");
    EXPECT_EQ(j["lat"].get<double>(), 47.53 + 1e-13);  // reads back to the same double
    EXPECT_EQ(j["runwayHasIls"], -1);
    EXPECT_EQ(j["taxiNodes"][0]["kind"], 2);
    EXPECT_EQ(j["taxiNodes"][0]["lat"].get<double>(), 0.1 + 0.2);
    EXPECT_EQ(Keys(j["taxiNodes"][0]), (std::vector<std::string>{"kind", "lat", "lon"}));
    EXPECT_TRUE(j["parking"].is_null());  // never sized
    EXPECT_EQ(Keys(j["taxiPaths"][0]),
              (std::vector<std::string>{"kind", "startNode", "endNode", "name"}));
    EXPECT_EQ(j["taxiPaths"][0]["name"], "Runway 13R");
}

TEST_F(DatabaseCommands, ChooseLeavesTheChosenAirportAndItsMountains) {
    const ToolRun run = Tool("choose KBFI");
    ASSERT_EQ(run.status, 0) << run.err;
    // The variation file is cut short: the window's box becomes a warning.
    EXPECT_NE(run.err.find("warning: The magnetic variation file"), std::string::npos) << run.err;
    const auto j = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(Keys(j), (std::vector<std::string>{
                           "AirportIdent",   "AirportName",     "AirportLat",   "AirportLon",
                           "GroundFreq",     "TowerFreq",       "ApproachFreq", "CenterFreq",
                           "CtafFreq",       "RunwayName",      "RunwayLat",    "RunwayLon",
                           "FieldElevation", "RunwayLength",    "RunwayWidth",  "RunwayHeading",
                           "RunwayHasIls",   "TaxiNodes",       "ParkingSpots", "TaxiPaths",
                           "SearchNorth",    "SearchSouth",     "SearchWest",   "SearchEast",
                           "MountainCount",  "MinSafeAltitude", "Mountains"}));
    EXPECT_EQ(j["AirportIdent"], "KBFI");
    EXPECT_EQ(j["TowerFreq"], "120.6");  // the second record, not the first
    EXPECT_EQ(j["CenterFreq"], "Air Route Traffic Control Center");  // Zurich is far away
    EXPECT_EQ(j["ParkingSpots"].size(), 1u);
    EXPECT_EQ(j["ParkingSpots"][0]["name"], "");
    EXPECT_EQ(j["SearchNorth"].get<double>(), 50.86333);  // 47.53 + 200 / 60
    EXPECT_EQ(j["MountainCount"], 2);
    EXPECT_EQ(j["MinSafeAltitude"], 14409 + 2000);
    EXPECT_EQ(j["Mountains"][0]["name"], "Montaña No1");
    EXPECT_EQ(j["Mountains"][1]["elevationFt"], 14409);
    EXPECT_EQ(j["Mountains"][1]["label"], "Mountain");
}

TEST_F(DatabaseCommands, BadArgumentsAndFilesGiveStatusTwoAndOneLine) {
    for (const char* args : {"airport", "airport KSEA", "choose", "choose KSEA", "airports x"}) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
        EXPECT_EQ(run.err.rfind("corvane-tool: ", 0), 0u) << run.err;
    }
    std::filesystem::remove(dir / "world_terrain.db");
    EXPECT_EQ(Tool("choose KBFI").status, 2);
    std::filesystem::remove(dir / "world_airports.dat");
    EXPECT_EQ(Tool("airports").status, 2);
    EXPECT_EQ(Tool("choose KBFI").status, 2);
    std::filesystem::remove(dir / "corvane.cfg");
    const ToolRun noConfig = Tool("airport KBFI");
    EXPECT_EQ(noConfig.status, 2);
    EXPECT_NE(noConfig.err.find("corvane.cfg"), std::string::npos);
}

}  // namespace
}  // namespace corvane::testing
