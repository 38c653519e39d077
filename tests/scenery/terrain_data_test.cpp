// The terrain file shipped in data/: well formed, world-wide, dense around the Seattle demo
// airports, and the same summits as the named table it is made from (scripts/terrain.sh).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "nav/Geometry.h"
#include "scenery/TerrainDatabase.h"

namespace corvane::scenery {
namespace {

std::string SourceFile(const std::string& relative) {
    const char* root = std::getenv("CORVANE_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class ShippedTerrain : public ::testing::Test {
  protected:
    void SetUp() override {
        text = SourceFile("data/world_terrain.db");
        ASSERT_FALSE(text.empty());
        for (const std::string& line : Lines(text)) {
            const auto m = ParseMountainLine(line);
            ASSERT_TRUE(m.has_value()) << line;
            summits.push_back(*m);
        }
    }
    std::string text;
    std::vector<MountainLine> summits;
};

TEST_F(ShippedTerrain, EveryLineIsAMountainAndTheTableMatches) {
    EXPECT_GE(summits.size(), 500u);
    std::vector<std::string> table;
    for (const std::string& row : Lines(SourceFile("data/summits.tsv"))) {
        if (row.empty() || row[0] == '#') {
            continue;
        }
        std::istringstream fields(row);
        std::string name, lat, lon, metres;
        std::getline(fields, name, '\t');
        std::getline(fields, lat, '\t');
        std::getline(fields, lon, '\t');
        std::getline(fields, metres, '\t');
        table.push_back(lat + " " + lon + " " + metres);
    }
    EXPECT_EQ(table, Lines(text)) << "run scripts/terrain.sh after editing data/summits.tsv";
}

TEST_F(ShippedTerrain, EveryContinentHasSummits) {
    struct Region {
        const char* name;
        double south, north, west, east;
    };
    const Region regions[] = {
        {"North America", 7, 84, -170, -50}, {"South America", -56, 13, -82, -34},
        {"Europe", 35, 72, -30, 45},         {"Africa", -35, 37, -20, 52},
        {"Asia", -10, 80, 45, 180},          {"Oceania", -48, -5, 110, 180},
        {"Antarctica", -90, -60, -180, 180},
    };
    for (const Region& r : regions) {
        int count = 0;
        for (const MountainLine& m : summits) {
            count += m.lat > r.south && m.lat < r.north && m.lon > r.west && m.lon < r.east;
        }
        EXPECT_GE(count, 10) << r.name;
    }
}

TEST_F(ShippedTerrain, DenseAroundSeattleWithRainierOnTop) {
    int within200 = 0;
    for (const MountainLine& m : summits) {
        if (nav::DistanceNm(47.53, -122.30, m.lat, m.lon) <= 200 && m.elevationFt > 3281) {
            ++within200;
        }
    }
    EXPECT_GE(within200, 200);

    // Boeing Field: Rainier (4392 m, 14409 ft) is the highest summit of the box and within 100 NM.
    ChosenAirport boeing;
    boeing.AirportLat = 47.53;
    boeing.AirportLon = -122.30;
    Terrain terrain;
    const MountainReadResult r =
        ReadAllMountains(text, boeing, ComputeSearchBox(47.53, -122.30), terrain);
    EXPECT_EQ(r.malformedLines, 0);
    EXPECT_EQ(terrain.MinSafeAltitude, 14409 + 2000);
    EXPECT_GE(terrain.MountainCount(), 100);
    EXPECT_TRUE(terrain.MountainIndex.Usable(terrain.Mountains.size()));  // ready for the station
    bool rainier = false;
    for (const GeoPoint& m : terrain.Mountains) {
        rainier = rainier || (m.latitude == 46.8529 && m.elevationFt == 14409);
    }
    EXPECT_TRUE(rainier);
}

}  // namespace
}  // namespace corvane::scenery
