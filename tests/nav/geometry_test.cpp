#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>

#include "nav/Geometry.h"
#include "shared/Rounding.h"

namespace corvane::nav {
namespace {

// The true-north grid cell of a position, as ToMagneticHeading picks it.
size_t Cell(int lat, int lon) {
    return static_cast<size_t>((lat + 90) + 181 * ((lon + 360) % 360));
}

// A point at a fractional true course, to place an aircraft just either side of a whole bearing.
GeoPoint Offset(double lat, double lon, double courseDeg, double nm) {
    const double r = M_PI / 180.0;
    const double d = nm / 60.0 * r;
    const double la = lat * r, tc = courseDeg * r;
    const double la2 =
        std::asin(std::sin(la) * std::cos(d) + std::cos(la) * std::sin(d) * std::cos(tc));
    const double lo2 = lon * r + std::atan2(std::sin(tc) * std::sin(d) * std::cos(la),
                                            std::cos(d) - std::sin(la) * std::sin(la2));
    GeoPoint p;
    p.latitude = la2 / r;
    p.longitude = lo2 / r;
    return p;
}

TEST(NormalizeHeading, AddsOrSubtractsOnceOnly) {
    EXPECT_EQ(NormalizeHeading(0), 0);
    EXPECT_EQ(NormalizeHeading(360), 360);
    EXPECT_EQ(NormalizeHeading(361), 1);
    EXPECT_EQ(NormalizeHeading(-1), 359);
    EXPECT_EQ(NormalizeHeading(-360), 0);
    EXPECT_EQ(NormalizeHeading(720), 360);
}

TEST(HeadingInSweep, IncludesFromExcludesToAndWrapsAfter360) {
    int16_t h = 355;
    EXPECT_TRUE(HeadingInSweep(h, 350, 10));
    h = 5;
    EXPECT_TRUE(HeadingInSweep(h, 350, 10));
    h = 10;
    EXPECT_FALSE(HeadingInSweep(h, 350, 10));
    h = 350;
    EXPECT_TRUE(HeadingInSweep(h, 350, 10));
    h = 349;
    EXPECT_FALSE(HeadingInSweep(h, 350, 10));
    h = 200;
    EXPECT_TRUE(HeadingInSweep(h, 100, 0));  // a `to` of 0 is never met
    h = 50;
    EXPECT_TRUE(HeadingInSweep(h, 100, 0));
}

TEST(HeadingInSweep, ZeroCountsAs360AndIsWrittenBack) {
    int16_t h = 0;
    EXPECT_TRUE(HeadingInSweep(h, 350, 10));
    EXPECT_EQ(h, 360);
    h = 0;
    EXPECT_FALSE(HeadingInSweep(h, 1, 360));  // 360 is the excluded end
    EXPECT_EQ(h, 360);
}

TEST(HeadingInSweep, EqualEndsAreEmpty) {
    for (int16_t end : {0, 1, 180, 360}) {
        int16_t h = end;
        EXPECT_FALSE(HeadingInSweep(h, end, end)) << end;
        h = 90;
        EXPECT_FALSE(HeadingInSweep(h, end, end)) << end;
    }
}

TEST(HeadingInSweep, EndsForHeadingsTheWalkCanNeverMeet) {
    int16_t h = 400;
    EXPECT_FALSE(HeadingInSweep(h, 10, 0));
    h = -5;
    EXPECT_FALSE(HeadingInSweep(h, 350, 0));
    h = 361;
    EXPECT_FALSE(HeadingInSweep(h, 1, 0));
}

TEST(HeadingInSweep, SectorCoversCentreMinusWidthToCentrePlusWidthMinusOne) {
    EXPECT_TRUE(HeadingInSector(340, 10, 30));
    EXPECT_TRUE(HeadingInSector(39, 10, 30));
    EXPECT_FALSE(HeadingInSector(40, 10, 30));
    EXPECT_FALSE(HeadingInSector(339, 10, 30));
    EXPECT_TRUE(HeadingInSector(0, 360, 30));  // 0 as 360
}

TEST(Distance, NauticalMilesAndTheFeetCap) {
    // 0.1 degree of latitude is 6 NM.
    EXPECT_EQ(DistanceNm(47.0, -122.0, 47.1, -122.0), 6);
    EXPECT_EQ(DistanceFeet(47.0, -122.0, 47.1, -122.0), 32767);
    // One minute of arc is one nautical mile, 6080 feet.
    EXPECT_EQ(DistanceFeet(0.0, 0.0, 1.0 / 60.0, 0.0), 6080);
    EXPECT_EQ(DistanceNm(0.0, 0.0, 1.0, 0.0), 60);
    EXPECT_EQ(DistanceNm(10.0, 20.0, 10.0, 20.0), 0);
    EXPECT_EQ(DistanceFeet(10.0, 20.0, 10.0, 20.0), 0);
}

TEST(Distance, FarPointsAreCappedAndAntipodesDoNotFail) {
    // Half the globe is 10800 NM: below the cap. Points more than a radian apart use the cosine
    // form.
    EXPECT_EQ(DistanceNm(0.0, 0.0, 0.0, 180.0), 10800);
    EXPECT_EQ(DistanceNm(90.0, 0.0, -90.0, 0.0), 10800);
    EXPECT_EQ(DistanceNm(47.0, -122.0, -47.0, 58.0), 10800);
    EXPECT_EQ(DistanceFeet(0.0, 0.0, 0.0, 180.0), 32767);
}

TEST(MagneticBearing, CardinalCoursesRoundUpToWholeDegrees) {
    MagneticVariationGrid grid{};
    EXPECT_EQ(MagneticBearing(grid, 0.0, 0.0, 0.0, 1.0), 90);
    EXPECT_EQ(MagneticBearing(grid, 0.0, 1.0, 0.0, 0.0), 270);
    EXPECT_EQ(MagneticBearing(grid, 1.0, 0.0, 0.0, 0.0), 180);
    EXPECT_EQ(MagneticBearing(grid, 47.0, -122.0, 47.5, -122.0), 0);    // due north is 0
    EXPECT_EQ(MagneticBearing(grid, 47.0, -122.0, 47.0, -122.0), 360);  // identical points
    // A true course just past a whole degree rounds up to the next one.
    const GeoPoint p = Offset(47.0, -122.0, 45.3, 10.0);
    EXPECT_EQ(MagneticBearing(grid, 47.0, -122.0, p.latitude, p.longitude), 46);
    const GeoPoint q = Offset(47.0, -122.0, 44.7, 10.0);
    EXPECT_EQ(MagneticBearing(grid, 47.0, -122.0, q.latitude, q.longitude), 45);
}

TEST(MagneticBearing, VariationAtTheFirstPointIsSubtracted) {
    MagneticVariationGrid grid{};
    grid[Cell(47, -122)] = 1821;  // 10.003 degrees east: 10
    EXPECT_EQ(MagneticBearing(grid, 47.0, -122.0, 47.0, -122.0), 350);
    EXPECT_EQ(MagneticBearing(grid, 47.0, -122.0, 47.5, -122.0), 350);  // 0 - 10
    // The variation of the second point's cell is not used.
    EXPECT_EQ(MagneticBearing(grid, 46.0, -122.0, 46.0, -122.0), 360);
}

TEST(MagneticBearing, AntipodalAndPolarPointsGiveAHeadingNotACrash) {
    MagneticVariationGrid grid{};
    for (const auto& [a, b, c, d] : {std::array<double, 4>{0, 0, 0, 180},
                                     {90, 0, -90, 0},
                                     {90, 0, 45, 10},
                                     {-90, 0, 10, 10},
                                     {47, -122, -47, 58},
                                     {47, -122, -47.000001, 58.000001}}) {
        const int16_t bearing = MagneticBearing(grid, a, b, c, d);
        EXPECT_GE(bearing, 0);
        EXPECT_LE(bearing, 360);
    }
}

TEST(ToMagneticHeading, ReadsTheWholeDegreeCellAndTruncatesTheVariation) {
    MagneticVariationGrid grid{};
    // 47.4 N 121.9 W reads latR 47, lonR -122 + 360 = 238.
    grid[(47 + 90) + 181 * 238] = 1821;
    EXPECT_EQ(ToMagneticHeading(grid, 90, 47.4, -121.9), 80);
    EXPECT_EQ(ToMagneticHeading(grid, 5, 47.4, -121.9), 355);
    grid[(47 + 90) + 181 * 238] = 1820;  // 9.998 degrees counts as 9
    EXPECT_EQ(ToMagneticHeading(grid, 5, 47.4, -121.9), 356);
    grid[(47 + 90) + 181 * 238] = -1821;  // west
    EXPECT_EQ(ToMagneticHeading(grid, 355, 47.4, -121.9), 5);
    EXPECT_EQ(ToTrueHeading(grid, 5, 47.4, -121.9), 355);
    // Halves to even: 46.5 reads cell 46, 47.5 reads 48.
    grid = {};
    grid[(46 + 90) + 181 * 238] = 1821;
    EXPECT_EQ(ToMagneticHeading(grid, 100, 46.5, -122.0), 90);
    EXPECT_EQ(ToMagneticHeading(grid, 100, 47.5, -122.0), 100);
}

TEST(ToMagneticHeading, PositionsOffTheGlobeStayInsideTheGrid) {
    MagneticVariationGrid grid{};
    grid[Cell(90, 40)] = 1821;
    EXPECT_EQ(ToMagneticHeading(grid, 90, 95.0, 400.0), 80);  // clamped to 90 N, wrapped to 40 E
    EXPECT_EQ(ToMagneticHeading(grid, 90, -200.0, -720.0), 90);
    EXPECT_EQ(ToMagneticHeading(grid, 90, std::nan(""), 0.0), 90);
    grid[Cell(90, -1)] = -1821;
    EXPECT_EQ(ToMagneticHeading(grid, 90, 90.0, 359.0), 100);  // the last cell in use
}

TEST(PointAt, CourseAndDistance) {
    GeoPoint p = PointAtNm(0.0, 0.0, 90, 60);
    EXPECT_DOUBLE_EQ(p.latitude, 0.0);
    EXPECT_DOUBLE_EQ(p.longitude, 1.0);
    p = PointAtNm(47.5, -122.3, 0, 60);
    EXPECT_DOUBLE_EQ(p.latitude, 48.5);
    EXPECT_DOUBLE_EQ(p.longitude, -122.3);
    p = PointAtNm(47.5, -122.3, 270, 30);
    EXPECT_LT(p.longitude, -122.3);
    EXPECT_TRUE(p.name.empty() && p.label.empty() && p.elevationFt == 0);
    p = PointAtFeet(0.0, 0.0, 0, 6080);  // one nautical mile
    EXPECT_DOUBLE_EQ(p.latitude, R5(1.0 / 60.0));
}

TEST(PointAt, NegativeDistanceReturnsTheStartRounded) {
    GeoPoint p = PointAtNm(47.1234567, -122.7654321, 45, -5);
    EXPECT_DOUBLE_EQ(p.latitude, 47.12346);
    EXPECT_DOUBLE_EQ(p.longitude, -122.76543);
    p = PointAtFeet(47.1234567, -122.7654321, 45, -5);
    EXPECT_DOUBLE_EQ(p.latitude, 47.12346);
}

TEST(PointAt, TheCourseIsTrueAndNotNormalised) {
    const GeoPoint a = PointAtNm(47.0, -122.0, 450, 10);  // 450 is 90
    const GeoPoint b = PointAtNm(47.0, -122.0, 90, 10);
    EXPECT_DOUBLE_EQ(a.latitude, b.latitude);
    EXPECT_DOUBLE_EQ(a.longitude, b.longitude);
}

class TerrainOnPath : public ::testing::Test {
  protected:
    GeoPoint Mountain(double course, double nm, int32_t ft) {
        GeoPoint p = Offset(from.latitude, from.longitude, course, nm);
        p.label = "Mountain";
        p.elevationFt = ft;
        return p;
    }
    Terrain terrain;
    GeoPoint from{"", "", 47.0, -122.0, 0};
    GeoPoint to = PointAtNm(47.0, -122.0, 90, 20);  // 20 NM east
};

TEST_F(TerrainOnPath, NoMountainsGiveTheFloor) {
    EXPECT_EQ(HighestTerrainOnPath(terrain, 1500, from, to), 1500);
}

TEST_F(TerrainOnPath, OnlyMountainsInTheArcAndNoFartherThanTheLegCount) {
    terrain.Mountains = {Mountain(90, 10, 5000),    // on the leg
                         Mountain(130, 5, 9000),    // 40 degrees right: inside the arc
                         Mountain(140, 5, 12000),   // 50 degrees right: outside
                         Mountain(90, 25, 14000),   // beyond the leg's end
                         Mountain(270, 5, 15000)};  // behind
    EXPECT_EQ(HighestTerrainOnPath(terrain, 1000, from, to), 9000);
    // A higher floor wins over lower terrain.
    EXPECT_EQ(HighestTerrainOnPath(terrain, 10000, from, to), 10000);
    // The arc is 45 degrees left of the leg's bearing (included) to 45 right (excluded); bearings
    // are true courses rounded up, so a course half a degree below a whole one gives that one.
    const int b = MagneticBearing(terrain.MagVarGrid, from.latitude, from.longitude, to.latitude,
                                  to.longitude);
    terrain.Mountains = {Mountain(b - 45.5, 5, 7000)};
    EXPECT_EQ(HighestTerrainOnPath(terrain, 0, from, to), 7000);
    terrain.Mountains = {Mountain(b - 46.5, 5, 7000)};
    EXPECT_EQ(HighestTerrainOnPath(terrain, 0, from, to), 0);
    terrain.Mountains = {Mountain(b + 43.5, 5, 7000)};
    EXPECT_EQ(HighestTerrainOnPath(terrain, 0, from, to), 7000);
    terrain.Mountains = {Mountain(b + 44.5, 5, 7000)};
    EXPECT_EQ(HighestTerrainOnPath(terrain, 0, from, to), 0);
    // Exactly at the leg's length counts.
    terrain.Mountains = {Mountain(90, 20, 6000)};
    EXPECT_EQ(HighestTerrainOnPath(terrain, 0, from, to), 6000);
}

class Compass : public ::testing::Test {
  protected:
    void SetUp() override {
        airport.RunwayLat = 47.0;
        airport.RunwayLon = -122.0;
        airport.AirportLat = 47.01;
        airport.AirportLon = -122.0;
        SetCompassCentres(station, 100);
    }
    std::string WordAt(double trueCourse, std::string start = "") {
        const GeoPoint p = Offset(airport.RunwayLat, airport.RunwayLon, trueCourse, 5.0);
        aircraft.latitude = p.latitude;
        aircraft.longitude = p.longitude;
        aircraft.compassWord = start;
        UpdateCompassPosition(airport, grid, station, aircraft);
        return aircraft.compassWord;
    }
    ChosenAirport airport;
    MagneticVariationGrid grid{};
    StationTables station;
    TrafficRecord aircraft;
};

TEST_F(Compass, CentresFollowTheRunwayHeading) {
    EXPECT_EQ(station.CompassCentre,
              (std::array<int16_t, 8>{100, 145, 55, 190, 10, 280, 235, 325}));
    SetCompassCentres(station, 360);
    EXPECT_EQ(station.CompassCentre,
              (std::array<int16_t, 8>{360, 45, 315, 90, 270, 180, 135, 225}));
}

TEST_F(Compass, SectorEdges) {
    // Bearings are the true course rounded up: 69.5 gives 70, the first degree of north.
    EXPECT_EQ(WordAt(69.5), "north");
    EXPECT_EQ(station.RefBearing, 70);
    EXPECT_EQ(station.RefDistanceNm, 5);
    EXPECT_EQ(WordAt(68.5), "northwest");
    EXPECT_EQ(WordAt(128.5), "north");      // N+29
    EXPECT_EQ(WordAt(129.5), "northeast");  // N+30
    EXPECT_EQ(WordAt(158.5), "northeast");
    EXPECT_EQ(WordAt(159.5), "east");
    EXPECT_EQ(WordAt(219.5), "southeast");
    EXPECT_EQ(WordAt(249.5), "south");
    EXPECT_EQ(WordAt(309.5), "southwest");
    EXPECT_EQ(WordAt(339.5), "west");
    EXPECT_EQ(WordAt(39.5), "northwest");
}

TEST_F(Compass, KeepsAWordWhoseSectorStillHoldsAndReplacesOthers) {
    EXPECT_EQ(WordAt(100.5, "north"), "north");
    EXPECT_EQ(WordAt(129.5, "north"), "northeast");  // left its sector: fresh search
    EXPECT_EQ(WordAt(100.5, "upwind"), "north");     // not one of the eight
    EXPECT_EQ(WordAt(100.5, "south"), "north");
    EXPECT_EQ(station.AirportDistanceNm,
              DistanceNm(47.01, -122.0, aircraft.latitude, aircraft.longitude));
}

TEST(ClockPositionWord, EightPositionsAroundTheNose) {
    EXPECT_EQ(ClockPositionWord(90, 90), "twelve o'clock");
    EXPECT_EQ(ClockPositionWord(90, 135), "two o'clock");
    EXPECT_EQ(ClockPositionWord(90, 59), "ten o'clock");
    EXPECT_EQ(ClockPositionWord(90, 270), "six o'clock");
    EXPECT_EQ(ClockPositionWord(90, 315), "eight o'clock");
    EXPECT_EQ(ClockPositionWord(90, 180), "three o'clock");
    EXPECT_EQ(ClockPositionWord(90, 360), "nine o'clock");
    EXPECT_EQ(ClockPositionWord(90, 225), "five o'clock");
    // Edges: 29 right is still twelve, 30 right is two; 30 left is twelve, 31 left is ten.
    EXPECT_EQ(ClockPositionWord(90, 119), "twelve o'clock");
    EXPECT_EQ(ClockPositionWord(90, 120), "two o'clock");
    EXPECT_EQ(ClockPositionWord(90, 60), "twelve o'clock");
    // Across north: heading 360, traffic at 1 and at 0 (0 counts as 360).
    EXPECT_EQ(ClockPositionWord(360, 1), "twelve o'clock");
    EXPECT_EQ(ClockPositionWord(360, 0), "twelve o'clock");
    EXPECT_EQ(ClockPositionWord(10, 340), "twelve o'clock");
}

TEST(ClockPositionWord, EveryBearingGetsExactlyOneOfTheEightWords) {
    const std::set<std::string> words = {"twelve o'clock", "two o'clock",  "ten o'clock",
                                         "three o'clock",  "nine o'clock", "five o'clock",
                                         "eight o'clock",  "six o'clock"};
    for (int16_t h : {1, 90, 180, 359, 360}) {
        for (int16_t b = 1; b <= 360; ++b) {
            EXPECT_TRUE(words.count(std::string(ClockPositionWord(h, b)))) << h << " " << b;
        }
    }
}

}  // namespace
}  // namespace corvane::nav

namespace corvane::nav {
namespace {

TEST(TerrainIndex, GivesExactlyTheResultOfTheFullScan) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> lat(45.5, 49.5), lon(-125.0, -119.0), height(0, 14000);
    Terrain plain;
    for (int i = 0; i < 3000; ++i) {
        plain.Mountains.push_back(
            {"", "Mountain", lat(random), lon(random), static_cast<int32_t>(height(random))});
    }
    plain.MagVarGrid[(47 + 90) + 181 * 238] = 2900;
    Terrain indexed = plain;
    IndexMountains(indexed);
    ASSERT_TRUE(indexed.MountainIndex.Usable(indexed.Mountains.size()));
    std::uniform_int_distribution<int> course(1, 360), nm(0, 200), floor(0, 9000);
    int differentFromFloor = 0;
    for (int i = 0; i < 2000; ++i) {
        const GeoPoint from{"", "", lat(random), lon(random), 0};
        const GeoPoint to =
            PointAtNm(from.latitude, from.longitude, static_cast<int16_t>(course(random)),
                      static_cast<int16_t>(nm(random)));
        const int32_t f = floor(random);
        const int32_t expected = HighestTerrainOnPath(plain, f, from, to);
        ASSERT_EQ(HighestTerrainOnPath(indexed, f, from, to), expected) << i;
        differentFromFloor += expected != f;
    }
    EXPECT_GT(differentFromFloor, 500);  // the sample really exercises the mountains
}

TEST(TerrainIndex, AStaleOrUnorderableIndexFallsBackToTheFullScan) {
    Terrain t;
    t.Mountains = {{"", "", 47.1, -122.0, 5000}};
    IndexMountains(t);
    t.Mountains.push_back({"", "", 47.05, -122.0, 8000});  // added without re-indexing
    const GeoPoint from{"", "", 47.0, -122.0, 0};
    const GeoPoint to = PointAtNm(47.0, -122.0, 0, 10);
    EXPECT_EQ(HighestTerrainOnPath(t, 0, from, to), 8000);
    t.Mountains.push_back({"", "", std::nan(""), -122.0, 1000});
    IndexMountains(t);
    EXPECT_FALSE(t.MountainIndex.Usable(t.Mountains.size()));
    EXPECT_EQ(HighestTerrainOnPath(t, 0, from, to), 8000);
}

}  // namespace
}  // namespace corvane::nav
