// The airport decoder on files built by the scenery writer. Expected values are worked out from
// the record layouts by hand.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

#include "scenery-writer/BglWriter.h"
#include "scenery/BglDecoder.h"
#include "shared/Bytes.h"
#include "shared/Rounding.h"

namespace corvane::scenery {
namespace {

using writer::Airport;
using writer::BglFile;

struct Decoded {
    std::vector<AirportRecord> airports;
    BglReport report;
};

Decoded Decode(const BglFile& file, const MagneticVariationGrid& grid = {}) {
    Decoded d;
    const std::vector<uint8_t> bytes = writer::WriteBgl(file);
    EXPECT_TRUE(HasBglSignature(bytes));
    d.report = ScanBglHeader(bytes, grid, d.airports);
    return d;
}

// An airport at 45 N 45 W: both words are exact (5000875 and -2^29).
Airport Field(const std::string& ident) {
    Airport a;
    a.ident = ident;
    a.lat = 45.0;
    a.lon = -45.0;
    return a;
}

// The same with an (as yet empty) taxiway network.
Airport Taxied(const std::string& ident) {
    Airport a = Field(ident);
    a.taxi = writer::TaxiNetwork{};
    return a;
}

writer::Runway Runway(int32_t number, int32_t code, int32_t length, int32_t width,
                      std::vector<int32_t> subs = {}) {
    writer::Runway r;
    r.number = number;
    r.code = code;
    r.lengthFt = length;
    r.widthFt = width;
    r.subRecordKinds = std::move(subs);
    return r;
}

writer::RunwayStart Start(int32_t number, int32_t code, double lat, double lon, int32_t altM,
                          double heading, int32_t kind = 1) {
    return {number, code, kind, lat, lon, altM, heading};
}

// --- small conversions -------------------------------------------------------------------------

TEST(BglConversions, FrequencyDigitsAreDecimalDigits) {
    EXPECT_EQ(FrequencyText(0x01183000), "118.3");
    EXPECT_EQ(FrequencyText(0x01219500), "121.95");
    EXPECT_EQ(FrequencyText(0x01220000), "122");
    EXPECT_EQ(FrequencyText(0x01180250), "118.025");
    EXPECT_EQ(FrequencyText(0x00000000), "0");
    EXPECT_EQ(FrequencyText(0x0118A000), "");  // A is no decimal digit
    EXPECT_EQ(FrequencyText(0xF1183000), "");
}

TEST(BglConversions, RunwayDesignations) {
    EXPECT_EQ(RunwayDesignation(34, 1), "34L");
    EXPECT_EQ(RunwayDesignation(9, 0), "9");
    EXPECT_EQ(RunwayDesignation(16, 2), "16R");
    EXPECT_EQ(RunwayDesignation(18, 3), "18C");
    EXPECT_EQ(RunwayDesignation(2, 4), "2H");
    EXPECT_EQ(RunwayDesignation(0, 0), "0");
    EXPECT_EQ(RunwayDesignation(37, 0), "");
    EXPECT_EQ(RunwayDesignation(-1, 0), "");
    EXPECT_EQ(RunwayDesignation(9, 5), "");
}

TEST(BglConversions, ParkingFlagsSplitIntoNumberAndCode) {
    // 0x705 = 1797 = 14 * 128 + 5.
    EXPECT_EQ(SplitParkingFlags(0x00000705).number, 14);
    EXPECT_EQ(SplitParkingFlags(0x00000705).code, 5);
    // Bits above the low 20 do not count.
    EXPECT_EQ(SplitParkingFlags(0xFFF00705).number, 14);
    EXPECT_EQ(SplitParkingFlags(0xFFF00705).code, 5);
    // 1856 / 128 = 14.5 goes to the even 14, leaving code 64; 1984 / 128 = 15.5 goes to 16.
    EXPECT_EQ(SplitParkingFlags(1856).number, 14);
    EXPECT_EQ(SplitParkingFlags(1856).code, 64);
    EXPECT_EQ(SplitParkingFlags(1984).number, 16);
    EXPECT_EQ(SplitParkingFlags(1984).code, -64);
    EXPECT_EQ(ParkingCodeText(5), "SE Parking");
    EXPECT_EQ(ParkingCodeText(10), "Gate");
    EXPECT_EQ(ParkingCodeText(37), "Gate Z");
    EXPECT_EQ(ParkingCodeText(0), "");
    EXPECT_EQ(ParkingCodeText(38), "");
}

TEST(BglConversions, PointAtMetersMovesAlongTheCourse) {
    // 250 m north is 250 / 1852 minutes of arc: 0.0022498 degrees.
    const GeoPoint north = PointAtMeters(45.0, -45.0, 0, 250);
    EXPECT_NEAR(north.latitude, 45.00225, 1e-9);
    EXPECT_NEAR(north.longitude, -45.0, 1e-9);
    // The distance counts by its size: -250 m on course 0 is still north.
    EXPECT_EQ(PointAtMeters(45.0, -45.0, 0, -250), north);
    // 100 m east at 45 N: atan(tan(d) / cos 45) = 0.00127269 degrees of longitude.
    const GeoPoint east = PointAtMeters(45.0, -45.0, 90, 100);
    EXPECT_NEAR(east.longitude, -44.998727, 1e-9);
    // Six decimals.
    EXPECT_EQ(east.longitude, std::round(east.longitude * 1e6) / 1e6);
}

// Where a taxi point lands as the decoder works it out, and as the great-circle formula gives it.
struct TaxiCase {
    double refLat, refLon, x, y;
};

::testing::AssertionResult SameAsTheFormula(const TaxiCase& c, TaxiPositions::Position got) {
    const double lat =
        c.y == 0 ? c.refLat : PointAtMeters(c.refLat, c.refLon, c.y > 0 ? 0 : 180, c.y).latitude;
    const double lon =
        c.x == 0 ? c.refLon : PointAtMeters(c.refLat, c.refLon, c.x > 0 ? 90 : 270, c.x).longitude;
    // Bit for bit, the sign of a zero included.
    if (std::bit_cast<uint64_t>(got.lat) == std::bit_cast<uint64_t>(lat) &&
        std::bit_cast<uint64_t>(got.lon) == std::bit_cast<uint64_t>(lon)) {
        return ::testing::AssertionSuccess();
    }
    char text[256];
    std::snprintf(text, sizeof text,
                  "ref %.17g %.17g, x %.17g y %.17g: %.17g %.17g, not %.17g %.17g", c.refLat,
                  c.refLon, c.x, c.y, got.lat, got.lon, lat, lon);
    return ::testing::AssertionFailure() << text;
}

// One point alone, and the same point among others of its airport, each as the formula gives it.
::testing::AssertionResult SameAsTheFormula(const TaxiCase& c) {
    const TaxiPositions positions(c.refLat, c.refLon);
    return SameAsTheFormula(c, positions.At(c.x, c.y));
}

TEST(BglConversions, TaxiPositionsAreTheFormulasValuesBitForBit) {
    std::mt19937_64 rng(4242);
    const auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    const auto offset = [&]() -> double {
        switch (rng() % 8) {
            case 0:
                return 0.0;
            case 1:
                return static_cast<float>(uniform(-0.01, 0.01));  // a few millimetres
            case 2:
                return static_cast<float>(uniform(-40000, 40000));  // past the series' reach
            default:
                return static_cast<float>(uniform(-3000, 3000));  // an airport's extent
        }
    };
    int failures = 0;
    for (int i = 0; i < 200000 && failures < 10; ++i) {
        // References as the decoder makes them (6 decimals), poles and 180 degrees included.
        const double refLat = RoundDecimals(i % 50 == 0 ? uniform(-90, 90) : uniform(-85, 85), 6);
        const double refLon =
            RoundDecimals(i % 50 == 1 ? 180 - uniform(0, 0.05) : uniform(-180, 180), 6);
        const TaxiCase c{refLat, refLon, offset(), offset()};
        const auto same = SameAsTheFormula(c);
        EXPECT_TRUE(same);
        failures += same ? 0 : 1;
    }
    // The points of one airport worked out together (an odd count, so both the paired and the
    // single steps are used).
    for (int i = 0; i < 20000 && failures < 10; ++i) {
        const double refLat = RoundDecimals(i % 50 == 0 ? uniform(-90, 90) : uniform(-85, 85), 6);
        const double refLon =
            RoundDecimals(i % 50 == 1 ? 180 - uniform(0, 0.05) : uniform(-180, 180), 6);
        std::vector<TaxiPositions::Offset> offsets(11);
        for (auto& o : offsets) {
            o = {offset(), offset()};
        }
        std::vector<TaxiPositions::Position> got(offsets.size());
        TaxiPositions(refLat, refLon).AtEach(offsets, got);
        for (size_t k = 0; k < offsets.size(); ++k) {
            const auto same =
                SameAsTheFormula({refLat, refLon, offsets[k].x, offsets[k].y}, got[k]);
            EXPECT_TRUE(same);
            failures += same ? 0 : 1;
        }
    }
    // Offsets whose exact position lies right on a rounding boundary or just beside it: half a
    // millionth of a degree past a whole one, give or take a few 1e-11 degrees.
    for (int i = 0; i < 20000 && failures < 10; ++i) {
        const double refLat = RoundDecimals(uniform(-80, 80), 6);
        const double refLon = RoundDecimals(uniform(-179, 179), 6);
        const double nudge = static_cast<double>(static_cast<int>(rng() % 7) - 3) * 1e-11;
        const double half = (std::floor(uniform(-2000, 2000)) + 0.5) * 1e-6 + nudge;
        // A move of m metres north is m / 1852 minutes of arc.
        const double north = half * 60.0 * 1852.0;
        // East, the minutes of longitude shrink with the cosine of the latitude.
        const double east = half * 60.0 * 1852.0 * std::cos(refLat * 3.14159265358979 / 180.0);
        const auto same = SameAsTheFormula({refLat, refLon, east, north});
        EXPECT_TRUE(same);
        failures += same ? 0 : 1;
    }
}

// --- the walk ----------------------------------------------------------------------------------

TEST(BglWalk, BothSectionsAndChainedIndexBlocksInFileOrder) {
    BglFile file;
    file.entriesPerBlock = 2;  // several index blocks in each chain
    for (const char* ident : {"AAA1", "AAA2", "AAA3", "AAA4", "AAA5"}) {
        file.airports.push_back(Field(ident));
    }
    for (const char* ident : {"BBB1", "BBB2", "BBB3"}) {
        file.airports.push_back(Field(ident));
        file.airports.back().section = 2;
    }
    const Decoded d = Decode(file);
    EXPECT_TRUE(d.report.Clean());
    EXPECT_EQ(d.report.airportsAdded, 8);
    std::vector<std::string> idents;
    for (const auto& a : d.airports) {
        idents.push_back(a.ident);
    }
    EXPECT_EQ(idents, (std::vector<std::string>{"AAA1", "AAA2", "AAA3", "AAA4", "AAA5", "BBB1",
                                                "BBB2", "BBB3"}));
}

TEST(BglWalk, EntriesThatAreNoAirportAddNothing) {
    BglFile file;
    file.airports = {Field("KEEP"), Field("VOR1"), Field("BAD1"), Field("KEP2")};
    file.airports[1].entryKind = 0x50002;
    file.airports[2].blockFirstWord = 2;
    const Decoded d = Decode(file);
    ASSERT_EQ(d.airports.size(), 2u);
    EXPECT_EQ(d.airports[0].ident, "KEEP");
    EXPECT_EQ(d.airports[1].ident, "KEP2");
    EXPECT_TRUE(d.report.Clean());
}

TEST(BglWalk, AFileOfAnotherVersionAddsNothing) {
    BglFile file;
    file.airports = {Field("KSEA")};
    file.version = 2;
    const Decoded d = Decode(file);
    EXPECT_TRUE(d.airports.empty());
    EXPECT_TRUE(d.report.Clean());
}

TEST(BglWalk, AppendsToAirportsAlreadyThere) {
    BglFile file;
    file.airports = {Field("KSEA")};
    const std::vector<uint8_t> bytes = writer::WriteBgl(file);
    std::vector<AirportRecord> list(2);
    list[0].ident = "FIRST";
    ScanBglHeader(bytes, {}, list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].ident, "FIRST");
    EXPECT_EQ(list[2].ident, "KSEA");
}

// --- the airport's records ---------------------------------------------------------------------

TEST(BglAirport, PositionNameAndAnUnsizedNetwork) {
    Airport a = Field("KBFI");
    a.name = "Boeing Fld";
    const Decoded d = Decode({{a}});
    ASSERT_EQ(d.airports.size(), 1u);
    const AirportRecord& r = d.airports[0];
    EXPECT_EQ(r.ident, "KBFI");
    EXPECT_EQ(r.lat, 45.0);
    EXPECT_EQ(r.lon, -45.0);
    EXPECT_EQ(r.name, "BOEING FLD");
    EXPECT_FALSE(r.taxiNodes.has_value());
    EXPECT_FALSE(r.parking.has_value());
    EXPECT_FALSE(r.taxiPaths.has_value());
    EXPECT_EQ(r.runwayName, "");
    EXPECT_EQ(r.runwayLength, 0);
}

TEST(BglAirport, NamesAreUpperCasedInWindows1252) {
    Airport a = Field("LSZH");
    a.name = "Z\xFCrich-Kloten \x9A";  // Zürich-Kloten š
    const Decoded d = Decode({{a}});
    EXPECT_EQ(d.airports[0].name, "Z\xC3\x9CRICH-KLOTEN \xC5\xA0");  // ZÜRICH-KLOTEN Š in UTF-8
}

TEST(BglAirport, PositionsRoundToSixDecimals) {
    Airport a = Field("KSEA");
    // 47.449 * 10001750 / 90 = 5273033.7, stored 5273034, read back as 47.4490024.
    a.lat = 47.449;
    // -122.309 * 2^32 / 360 = -1459203208.4, stored -1459203208, read back as -122.30899997.
    a.lon = -122.309;
    const Decoded d = Decode({{a}});
    EXPECT_EQ(d.airports[0].lat, 47.449002);
    EXPECT_EQ(d.airports[0].lon, -122.309);
}

TEST(BglAirport, SecondPositionMovesTheAirportButNotTheTaxiReference) {
    Airport a = Field("KPAE");
    a.secondPosition = {{54.0, -90.0}};  // exact words: 6000000 and -2^30
    a.taxi = writer::TaxiNetwork{};
    a.taxi->points = {{1, 0.0f, 0.0f}};
    const Decoded d = Decode({{a}});
    const AirportRecord& r = d.airports[0];
    EXPECT_EQ(r.lat, 54.0);
    EXPECT_EQ(r.lon, -90.0);
    ASSERT_EQ(r.taxiNodeCount, 1);
    EXPECT_EQ((*r.taxiNodes)[0].lat, 45.0);
    EXPECT_EQ((*r.taxiNodes)[0].lon, -45.0);
}

TEST(BglRunways, EqualLengthsKeepTheFirst) {
    Airport a = Field("KRNT");
    a.runways = {Runway(4, 0, 2000, 100), Runway(22, 0, 2000, 150)};
    const AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.runwayName, "4");
    EXPECT_EQ(r.runwayLength, 2000);
    EXPECT_EQ(r.runwayWidth, 100);
}

TEST(BglRunways, TheLongestIsKeptWithItsIlsOnly) {
    // An ILS after a shorter runway does not count.
    Airport a = Field("KSEA");
    a.runways = {Runway(16, 1, 8000, 150, {1}), Runway(9, 0, 4000, 100, {1, 4})};
    AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.runwayName, "16L");
    EXPECT_EQ(r.runwayHasIls, kFalse);

    // The ILS of the longest runway counts, in any position among its sub-records.
    a.runways = {Runway(16, 1, 8000, 150, {1, 4, 2}), Runway(9, 0, 4000, 100)};
    r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.runwayHasIls, kTrue);

    // A longer runway after it takes over, without an ILS of its own.
    a.runways = {Runway(16, 1, 8000, 150, {4}), Runway(9, 0, 9000, 100, {1})};
    r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.runwayName, "9");
    EXPECT_EQ(r.runwayLength, 9000);
    EXPECT_EQ(r.runwayHasIls, kFalse);
}

TEST(BglRunways, AnOutOfRangeNumberOrCodeRepeatsTheLastDesignation) {
    Airport a = Field("KPAE");
    a.runways = {Runway(16, 2, 5000, 150), Runway(40, 0, 6000, 100), Runway(11, 7, 7000, 75)};
    const AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.runwayName, "16R");
    EXPECT_EQ(r.runwayLength, 7000);
    EXPECT_EQ(r.runwayWidth, 75);
}

TEST(BglRunways, OnlyTheStartOfTheRunwayInUseSetsItsThreshold) {
    // Runway 16L/34R is one record (16, L) with two start records.
    Airport a = Field("KSEA");
    auto rw = Runway(16, 1, 11901, 150);
    rw.starts = {Start(16, 1, 47.5, -122.25, 100, 160.0), Start(34, 2, 47.4, -122.26, 120, 340.0)};
    a.runways = {rw};
    const AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.runwayLat, 47.5);
    EXPECT_EQ(r.runwayLon, -122.25);
    EXPECT_EQ(r.fieldElevation, 328);  // 100 m / 0.3048 = 328.08 ft
    EXPECT_EQ(r.runwayHeading, 160);   // no variation loaded
}

TEST(BglRunways, RunwayHeadingIsMadeMagneticAtTheThreshold) {
    MagneticVariationGrid grid{};
    // 18.5 degrees east: 3368 * 360 / 65536 = 18.50, truncated to 18, at the cell 47 N 238 E.
    grid[(47 + 90) + 181 * 238] = 3368;
    Airport a = Field("KSEA");
    auto rw = Runway(16, 1, 11901, 150);
    rw.starts = {Start(16, 1, 47.4638, -122.3078, 131, 180.0)};
    a.runways = {rw};
    const AirportRecord r = Decode({{a}}, grid).airports[0];
    EXPECT_EQ(r.runwayHeading, 162);
    EXPECT_EQ(r.runwayLat, 47.4638);
    EXPECT_EQ(r.runwayLon, -122.3078);
    EXPECT_EQ(r.fieldElevation, 430);  // 131 / 0.3048 = 429.79
}

TEST(BglRunways, AStartOfKindZeroKeepsThePreviousStartDesignation) {
    Airport a = Field("KBFI");
    auto rw = Runway(13, 2, 10000, 200);
    // The second start's own number says 31L, but its kind 0 leaves "13R" standing, so it counts
    // as 13R and its position wins.
    rw.starts = {Start(13, 2, 47.5, -122.25, 5, 148.0), Start(31, 1, 47.4, -122.2, 6, 328.0, 0)};
    a.runways = {rw};
    const AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.runwayLat, 47.4);
    EXPECT_EQ(r.runwayLon, -122.2);
}

TEST(BglFrequencies, ByTypeWithTheDepartureOnlyInPlaceOfAnApproach) {
    Airport a = Field("KBFI");
    a.frequencies = {{4, 0x01228000}, {5, 0x01219000},  {6, 0x01183000}, {9, 0x01192000},
                     {8, 0x01265000}, {10, 0x01251000}, {7, 0x01199000}};
    AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.ctafFreq, "122.8");
    EXPECT_EQ(r.groundFreq, "121.9");
    EXPECT_EQ(r.towerFreq, "118.3");
    EXPECT_EQ(r.approachFreq, "126.5");  // the approach after a departure replaces it
    EXPECT_EQ(r.centerFreq, "125.1");

    a.frequencies = {{8, 0x01265000}, {9, 0x01192000}};
    r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.approachFreq, "126.5");  // a departure after the approach is ignored

    a.frequencies = {{9, 0x01192000}};
    r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.approachFreq, "119.2");
}

TEST(BglFrequencies, LaterRecordsReplaceAndNonDecimalWordsAreSkipped) {
    Airport a = Field("KBFI");
    a.frequencies = {{5, 0x01219500}, {5, 0x01217000}, {6, 0x01183000}, {6, 0x0118A000}};
    const AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ(r.groundFreq, "121.7");
    EXPECT_EQ(r.towerFreq, "118.3");  // the word with an A was no frequency
}

// --- taxiway network ---------------------------------------------------------------------------

TEST(BglTaxiways, PointsAreOffsetsInMetresFromTheAirport) {
    Airport a = Taxied("KBFI");
    a.taxi->points = {{1, 0.0f, 0.0f}, {2, -100.0f, 250.0f}, {1, 100.0f, -250.0f}};
    const AirportRecord r = Decode({{a}}).airports[0];
    ASSERT_EQ(r.taxiNodeCount, 3);
    const auto& n = *r.taxiNodes;
    EXPECT_EQ(n[0].kind, 1);
    EXPECT_EQ(n[0].lat, 45.0);
    EXPECT_EQ(n[0].lon, -45.0);
    // X -100 is 100 m west: 0.00127269 degrees of longitude at 45 N.
    EXPECT_EQ(n[1].kind, 2);
    EXPECT_NEAR(n[1].lon, -45.001273, 1e-9);
    EXPECT_NEAR(n[1].lat, 45.00225, 1e-9);
    EXPECT_NEAR(n[2].lon, -44.998727, 1e-9);
    EXPECT_NEAR(n[2].lat, 44.99775, 1e-9);
}

TEST(BglTaxiways, ParkingNamesFromTheFlagsWithCarryOver) {
    Airport a = Taxied("KSEA");
    a.taxi->parking = {
        {0, 0, 20.0f, 0},                  // v 0: code 0, no text yet
        {10, 0, 20.0f, 0x00000705},        // 14 * 128 + 5: SE PARKING 14
        {20, 0, 12.0f, 0x00100000 | 384},  // code 0 keeps "SE Parking": SE PARKING 3
        {30, 0, 30.0f, 128 * 14 + 14},     // GATE C 14
        {40, 0, 30.0f, 128 * 2 + 10},      // GATE 2
    };
    const AirportRecord r = Decode({{a}}).airports[0];
    ASSERT_EQ(r.parkingCount, 5);
    const auto& p = *r.parking;
    EXPECT_EQ(p[0].name, " 0");
    EXPECT_EQ(p[1].name, "SE PARKING 14");
    EXPECT_EQ(p[2].name, "SE PARKING 3");
    EXPECT_EQ(p[3].name, "GATE C 14");
    EXPECT_EQ(p[4].name, "GATE 2");
    EXPECT_EQ(p[1].radiusFt, 66);  // 20 m = 65.6 ft
    EXPECT_EQ(p[2].radiusFt, 39);  // 12 m = 39.4 ft
    EXPECT_EQ(p[0].unavailable, 0);
    EXPECT_NEAR(p[1].lon, -44.999873, 1e-9);  // 10 m east
}

TEST(BglTaxiways, ParkingTextDoesNotCarryIntoTheNextAirport) {
    Airport a = Taxied("AAAA");
    a.taxi->parking = {{0, 0, 10.0f, 0x00000705}};
    Airport b = Taxied("BBBB");
    b.taxi->parking = {{0, 0, 10.0f, 128 * 7}};
    const Decoded d = Decode({{a, b}});
    EXPECT_EQ((*d.airports[1].parking)[0].name, " 7");
}

TEST(BglTaxiways, SegmentsTakeTaxiwayAndRunwayNames) {
    Airport a = Field("KBFI");
    a.runways = {Runway(9, 0, 3000, 100), Runway(16, 2, 2000, 75)};
    a.taxi = writer::TaxiNetwork{};
    a.taxi->segments = {
        {0, 0, 1, 2},  // taxi, name number 2: the third name, B
        {0, 1, 2, 0},  // taxi, A
        {1, 2, 3, 0},  // runway 0: the first runway record
        {1, 3, 4, 1},  // runway 1: 16R
        {1, 4, 5, 2},  // no runway record 2: blank
        {1, 5, 6, 9},  // far beyond: blank
        {2, 6, 0, 7},  // a parking segment keeps its number
        {0, 7, 8, 5},  // no such name: keeps its number
    };
    a.taxi->names = std::vector<std::string>{"A", "C", "B"};
    const AirportRecord r = Decode({{a}}).airports[0];
    ASSERT_EQ(r.taxiPathCount, 8);
    const auto& s = *r.taxiPaths;
    EXPECT_EQ(s[0].name, "B");
    EXPECT_EQ(s[1].name, "A");
    EXPECT_EQ(s[2].name, "Runway 9");
    EXPECT_EQ(s[3].name, "Runway 16R");
    EXPECT_EQ(s[4].name, "");
    EXPECT_EQ(s[5].name, "");
    EXPECT_EQ(s[6].name, "7");
    EXPECT_EQ(s[7].name, "5");
    EXPECT_EQ(s[2].kind, 1);
    EXPECT_EQ(s[2].startNode, 2);
    EXPECT_EQ(s[2].endNode, 3);
}

TEST(BglTaxiways, ANameThatIsALaterNumberIsRenamedAgain) {
    // Name 0 is "3", so the segment named 0 becomes "3" and then takes name 3, "Z".
    Airport a = Taxied("KBFI");
    a.taxi->segments = {{0, 0, 1, 0}, {0, 1, 2, 1}};
    a.taxi->names = std::vector<std::string>{"3", "X", "Y", "Z"};
    const AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ((*r.taxiPaths)[0].name, "Z");
    EXPECT_EQ((*r.taxiPaths)[1].name, "X");
}

TEST(BglTaxiways, WithoutANamesSubSectionSegmentsKeepTheirNumbers) {
    Airport a = Field("KBFI");
    a.runways = {Runway(9, 0, 3000, 100)};
    a.taxi = writer::TaxiNetwork{};
    a.taxi->segments = {{0, 0, 1, 2}, {1, 1, 2, 0}};
    const AirportRecord r = Decode({{a}}).airports[0];
    EXPECT_EQ((*r.taxiPaths)[0].name, "2");
    EXPECT_EQ((*r.taxiPaths)[1].name, "0");
}

// A raw taxiway network record from sub-sections written by hand.
writer::RawRecord RawNetwork(const std::function<void(ByteWriter&)>& body) {
    ByteWriter w;
    body(w);
    return {bgl::kTaxiwayNetwork, w.AsString()};
}

TEST(BglTaxiways, EmptySubSectionsSizeNothingAndOtherItemSizesEndTheRecord) {
    Airport a = Field("KBFI");
    a.extraRecords = {
        RawNetwork([](ByteWriter& w) {
            w.I32(0);  // no points
            w.I32(12);
            w.I32(1);  // one parking place
            w.I32(20);
            w.F32(0);
            w.F32(0);
            w.F32(10);
            w.I32(0);
            w.U32(128 * 3 + 1);
            w.I32(1);  // an item size the station has no use for: the rest is skipped
            w.I32(16);
            w.Zeros(16);
            w.I32(1);  // never reached
            w.I32(12);
            w.I32(1);
            w.F32(0);
            w.F32(0);
        }),
        {bgl::kFrequency, std::string("\x00\x30\x18\x01\x06\x00\x00\x00", 8)},  // tower 118.3
    };
    const Decoded d = Decode({{a}});
    const AirportRecord& r = d.airports[0];
    EXPECT_TRUE(d.report.Clean());
    EXPECT_FALSE(r.taxiNodes.has_value());
    EXPECT_EQ(r.taxiNodeCount, 0);
    ASSERT_EQ(r.parkingCount, 1);
    EXPECT_EQ((*r.parking)[0].name, "PARKING 3");
    EXPECT_EQ(r.towerFreq, "118.3");  // the walk went on with the next record
}

}  // namespace
}  // namespace corvane::scenery
