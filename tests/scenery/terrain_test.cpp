#include <gtest/gtest.h>

#include "nav/Geometry.h"
#include "scenery/MagneticVariation.h"
#include "scenery/TerrainDatabase.h"
#include "shared/Bytes.h"
#include "support/TempDir.h"

namespace corvane::scenery {
namespace {

struct World {
    ChosenAirport airport;
    SearchBox box;
    Terrain terrain;

    World(double lat, double lon) {
        airport.AirportLat = lat;
        airport.AirportLon = lon;
        box = ComputeSearchBox(lat, lon);
    }
    MountainReadResult Read(std::string_view text) {
        return ReadAllMountains(text, airport, box, terrain);
    }
};

TEST(Mountains, NearbySummitJoinsTheTableAndSetsTheSafeAltitude) {
    World w(47.4, -121.9);
    const MountainReadResult r = w.Read("47.5 -121.5 1000\n");
    EXPECT_EQ(r.malformedLines, 0);
    ASSERT_EQ(w.terrain.MountainCount(), 1);
    const GeoPoint& m = w.terrain.Mountains[0];
    EXPECT_EQ(m.name, "Montaña No1");
    EXPECT_EQ(m.label, "Mountain");
    EXPECT_EQ(m.latitude, 47.5);
    EXPECT_EQ(m.longitude, -121.5);
    EXPECT_EQ(m.elevationFt, 3281);  // 1000 / 0.3048 = 3280.84
    EXPECT_EQ(nav::DistanceNm(47.4, -121.9, 47.5, -121.5), 17);
    EXPECT_EQ(w.terrain.MinSafeAltitude, 3281 + 2000);
}

TEST(Mountains, SummitAt150MilesRaisesTheSafeAltitudeOnly) {
    World w(0.0, 0.0);
    w.Read("0 2.5 3000\n0 0.5 1000\n");
    // 2.5 degrees east on the equator is 150 NM: in the box, beyond the table's 100 NM.
    ASSERT_EQ(w.terrain.MountainCount(), 1);
    EXPECT_EQ(w.terrain.Mountains[0].elevationFt, 3281);
    EXPECT_EQ(w.terrain.MinSafeAltitude, 9843 + 2000);  // 3000 / 0.3048 = 9842.52
}

TEST(Mountains, BoxEdgesAndTheHundredMileLimit) {
    World w(0.0, 0.0);
    w.Read(
        "3.33333 0 5000\n"   // on the northern edge: outside
        "0 -3.33333 5000\n"  // on the western edge: outside
        "0 1.66667 100\n"    // 100.0 NM: in the table
        "0 -1.7 200\n");     // 102 NM: not
    ASSERT_EQ(w.terrain.MountainCount(), 1);
    EXPECT_EQ(w.terrain.Mountains[0].longitude, 1.66667);
    EXPECT_EQ(w.terrain.MinSafeAltitude, 656 + 2000);  // 200 m = 656.17 ft
}

TEST(Mountains, NoneInTheBoxLeavesTwoThousandFeet) {
    World w(0.0, 0.0);
    w.terrain.MinSafeAltitude = 9999;
    w.Read("45 45 8000\n");
    EXPECT_EQ(w.terrain.MountainCount(), 0);
    EXPECT_EQ(w.terrain.MinSafeAltitude, 2000);
}

TEST(Mountains, NamesCountOnlyTableEntriesAndTheTableIsAppendedTo) {
    World w(0.0, 0.0);
    GeoPoint earlier;
    earlier.name = "kept";
    w.terrain.Mountains.push_back(earlier);
    w.Read("0 0.1 500\n0 3 9000\r\n0 0.2 600\r\n0 0.3 700");
    ASSERT_EQ(w.terrain.MountainCount(), 4);
    EXPECT_EQ(w.terrain.Mountains[0].name, "kept");
    EXPECT_EQ(w.terrain.Mountains[1].name, "Montaña No1");
    EXPECT_EQ(w.terrain.Mountains[2].name, "Montaña No2");
    EXPECT_EQ(w.terrain.Mountains[3].name, "Montaña No3");
    EXPECT_EQ(w.terrain.Mountains[3].elevationFt, 2297);  // 700 / 0.3048 = 2296.59
}

TEST(Mountains, PositionsRoundToFiveDecimalsAndMetresToWholeNumbersHalfEven) {
    EXPECT_EQ(ParseMountainLine("47.123456 -121.123454 1000.5"),
              (MountainLine{47.12346, -121.12345, 3281}));  // 1000 m
    EXPECT_EQ(ParseMountainLine("47.1 -121.1 1001.5"), (MountainLine{47.1, -121.1, 3287}));
    EXPECT_EQ(ParseMountainLine("47.1 -121.1  1001 \r"), (MountainLine{47.1, -121.1, 3284}));
}

TEST(Mountains, MalformedLinesAreSkippedAndCountedOnce) {
    World w(0.0, 0.0);
    const MountainReadResult r = w.Read(
        "0 0.1 500\n"
        "0,0.2,600\n"      // no blanks
        "0 0.2\n"          // two fields
        "0  0.2 600\n"     // double blank: field 2 empty
        "north 0.2 600\n"  // not a number
        "0 0.2 600m\n"     // trailing letters
        "95 0.2 600\n"     // off the globe
        "0 0.2 1e3\n"      // not plain decimal
        "0 nan 600\n"
        "\n"  // blank: not a mountain, not an error
        "  \r\n"
        "0 0.3 700\n");
    EXPECT_EQ(r.malformedLines, 8);
    EXPECT_EQ(w.terrain.MountainCount(), 2);
    EXPECT_EQ(w.terrain.Mountains[1].name, "Montaña No2");
    EXPECT_EQ(TerrainNoticeText(r), "World_terrain.db file: 8 malformed lines skipped");
    EXPECT_EQ(TerrainNoticeText(MountainReadResult{}), "");
}

TEST(Mountains, TheTableStopsAtItsSixteenBitCount) {
    World w(0.0, 0.0);
    std::string text;
    for (int i = 0; i < 32770; ++i) {
        text += "0.01 0.01 " + std::to_string(i % 5000) + "\n";
    }
    const MountainReadResult r = w.Read(text);
    EXPECT_EQ(w.terrain.Mountains.size(), kMaxMountains);
    EXPECT_EQ(r.mountainsLeftOut, 3);
    EXPECT_EQ(w.terrain.MinSafeAltitude, 16401 + 2000);  // 4999 m
}

TEST(Mountains, UnreadableFileChangesNothing) {
    testing::TempDir dir;
    World w(0.0, 0.0);
    w.terrain.MinSafeAltitude = 1234;
    const MountainReadResult r =
        ReadAllMountainsFile(dir / "world_terrain.db", w.airport, w.box, w.terrain);
    EXPECT_NE(r.error, "");
    EXPECT_EQ(w.terrain.MinSafeAltitude, 1234);
    dir.Write("world_terrain.db", "");
    EXPECT_EQ(ReadAllMountainsFile(dir / "world_terrain.db", w.airport, w.box, w.terrain).error,
              "");
    EXPECT_EQ(w.terrain.MinSafeAltitude, 2000);
}

// A magdec.bgl with its table at `tableAt`, every value `fill`, and `cells` values written.
std::vector<uint8_t> Magdec(int32_t tableAt, int16_t fill, size_t cells = kMagVarCells) {
    ByteWriter w;
    w.Zeros(110);
    w.I32(tableAt);
    if (tableAt > 0) {
        w.Zeros(static_cast<size_t>(tableAt) + 8 - w.Size());
        for (size_t i = 0; i < cells; ++i) {
            w.I16(fill);
        }
    }
    return w.Take();
}

constexpr size_t kSeattleCell = (47 + 90) + 181 * 238;  // 47.4 N, 121.9 W

TEST(MagneticVariation, ValuesLongitudeMajorFromTheTableOffset) {
    // Element i of the table holds i % 3001 - 1500, so every cell tells where it was read.
    ByteWriter w;
    w.Zeros(110);
    w.I32(300);
    w.Zeros(300 + 8 - w.Size());
    for (int i = 0; i < kMagVarCells; ++i) {
        w.I16(static_cast<int16_t>(i % 3001 - 1500));
    }
    MagneticVariationGrid grid{};
    ASSERT_EQ(ParseMagdec(w.Data(), grid).status, MagdecStatus::Read);
    // lat 47, lon 238: element (47 + 90) + 181 * 238 = 43215, stored at B + 8 + 2 * 43215.
    EXPECT_EQ(grid[43215], 43215 % 3001 - 1500);
    EXPECT_EQ(grid[0], -1500);                    // lat -90, lon 0
    EXPECT_EQ(grid[180], 180 - 1500);             // lat 90, lon 0
    EXPECT_EQ(grid[65160], 65160 % 3001 - 1500);  // lat 90, lon 359
}

TEST(MagneticVariation, WholeDegreesTruncatedFromTheGridValue) {
    std::vector<uint8_t> bytes = Magdec(200, 0);
    const size_t at = 200 + 8 + 2 * kSeattleCell;
    MagneticVariationGrid grid{};
    bytes[at] = 1821 & 0xFF;  // 10.003 degrees east
    bytes[at + 1] = 1821 >> 8;
    EXPECT_EQ(ParseMagdec(bytes, grid).status, MagdecStatus::Read);
    EXPECT_EQ(grid[kSeattleCell], 1821);
    EXPECT_EQ(nav::ToMagneticHeading(grid, 90, 47.4, -121.9), 80);
    EXPECT_EQ(nav::ToMagneticHeading(grid, 5, 47.4, -121.9), 355);
    bytes[at] = 1820 & 0xFF;  // 9.998 degrees: counts as 9
    EXPECT_EQ(ParseMagdec(bytes, grid).cellsRead, kMagVarCells);
    EXPECT_EQ(nav::ToMagneticHeading(grid, 90, 47.4, -121.9), 81);
}

TEST(MagneticVariation, NoTableKeepsTheGridSilently) {
    for (int32_t tableAt : {0, -5}) {
        MagneticVariationGrid grid;
        grid.fill(7);
        const MagdecResult r = ParseMagdec(Magdec(tableAt, 3), grid);
        EXPECT_EQ(r.status, MagdecStatus::NoTable);
        EXPECT_EQ(grid[0], 7);
        EXPECT_EQ(MagdecProblemText("magdec.bgl", r), "");
    }
}

TEST(MagneticVariation, ShortFileKeepsTheCellsItCannotReadAndSaysSo) {
    MagneticVariationGrid grid;
    grid.fill(7);
    std::vector<uint8_t> bytes = Magdec(120, 3, 1000);
    bytes.push_back(0x55);  // half a value
    const MagdecResult r = ParseMagdec(bytes, grid);
    EXPECT_EQ(r.status, MagdecStatus::Short);
    EXPECT_EQ(r.cellsRead, 1000);
    EXPECT_EQ(grid[999], 3);
    EXPECT_EQ(grid[1000], 7);
    EXPECT_EQ(grid[kMagVarCells - 1], 7);
    const std::string text = MagdecProblemText("/fs/scenery/magdec.bgl", r);
    EXPECT_NE(text.find("/fs/scenery/magdec.bgl"), std::string::npos) << text;
    EXPECT_NE(text.find("64161 of 65161"), std::string::npos) << text;

    // Too short for its header, or a table that starts past the end.
    EXPECT_EQ(ParseMagdec(std::vector<uint8_t>(113, 0), grid).status, MagdecStatus::Short);
    ByteWriter far;
    far.Zeros(110);
    far.I32(0x7FFFFFFF);
    EXPECT_EQ(ParseMagdec(far.Data(), grid).status, MagdecStatus::Short);
    EXPECT_EQ(grid[0], 3);
}

TEST(MagneticVariation, TheFileIsFoundWhateverTheLetterCase) {
    testing::TempDir dir;
    const std::vector<uint8_t> bytes = Magdec(300, 1821);
    dir.Write("FS2002/SCENERY/MagDec.BGL", std::string(bytes.begin(), bytes.end()));
    const auto path = MagdecPath((dir / "FS2002").string());
    EXPECT_EQ(path, dir / "FS2002/SCENERY/MagDec.BGL");
    MagneticVariationGrid grid{};
    const MagdecResult r = ReadMagdec(path, grid);
    EXPECT_EQ(r.status, MagdecStatus::Read);
    EXPECT_EQ(grid[kMagVarCells - 1], 1821);

    // Cut short on the disk too.
    dir.Write("short.bgl", std::string(bytes.begin(), bytes.begin() + 300 + 8 + 10));
    grid.fill(7);
    EXPECT_EQ(ReadMagdec(dir / "short.bgl", grid).cellsRead, 5);
    EXPECT_EQ(grid[5], 7);

    const MagdecResult missing = ReadMagdec(dir / "none.bgl", grid);
    EXPECT_EQ(missing.status, MagdecStatus::Unreadable);
    EXPECT_NE(MagdecProblemText(dir / "none.bgl", missing), "");
    EXPECT_EQ(ReadMagdec(dir / "FS2002", grid).status, MagdecStatus::Unreadable);
}

}  // namespace
}  // namespace corvane::scenery
