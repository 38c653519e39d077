// corvane-fsim's aircraft lines, where they put the aircraft, its clock and its live view.
#include <gtest/gtest.h>

#include <cmath>

#include "fsim/ScaledClock.h"
#include "fsim/TrafficEntry.h"
#include "fsim/TrafficFleet.h"
#include "support/SimAirport.h"

namespace corvane::fsim {
namespace {

using namespace std::chrono_literals;
using testing::SimAirport;

TrafficEntry Entry(const std::string& line) {
    auto parsed = ParseTrafficEntry(line);
    if (auto* error = std::get_if<std::string>(&parsed)) {
        ADD_FAILURE() << line << ": " << *error;
        return {};
    }
    return std::get<TrafficEntry>(parsed);
}

std::string Error(const std::string& line) {
    auto parsed = ParseTrafficEntry(line);
    const auto* error = std::get_if<std::string>(&parsed);
    return error ? *error : "(parsed)";
}

TEST(TrafficEntries, ParkedWithAPlaceAndATitle) {
    const TrafficEntry s = Entry("vfr-pattern N123AB @KBFI:GATE A 1 'Cessna 172'");
    EXPECT_EQ(s.kind, FlightKind::VfrPattern);
    EXPECT_EQ(s.callsign, "N123AB");
    EXPECT_TRUE(s.parked);
    EXPECT_EQ(s.airport, "KBFI");
    EXPECT_EQ(s.parking, "GATE A 1");
    EXPECT_EQ(s.title, "Cessna 172");

    const TrafficEntry any = Entry("ifr-departure N9 @kbfi \"Boeing 737-800\"");
    EXPECT_EQ(any.airport, "KBFI");
    EXPECT_EQ(any.parking, "");
    EXPECT_EQ(any.title, "Boeing 737-800");
    // Without a title, one that fits the kind.
    EXPECT_EQ(Entry("vfr-departure N1 @KBFI").title, "Cessna Skyhawk 172SP");
    EXPECT_EQ(Entry("ifr-departure N1 @KBFI").title, "Boeing 737-800");
}

TEST(TrafficEntries, AirborneWithDistanceSectorAndAltitude) {
    const TrafficEntry s = Entry("ifr-arrival N456CD 40nm north 8000ft 'Boeing 737-800'");
    EXPECT_FALSE(s.parked);
    EXPECT_DOUBLE_EQ(s.distanceNm, 40.0);
    EXPECT_EQ(s.sector, "north");
    EXPECT_EQ(s.altitudeFt, 8000.0);
    const TrafficEntry low = Entry("vfr-arrival N7 12NM Southwest");
    EXPECT_DOUBLE_EQ(low.distanceNm, 12.0);
    EXPECT_EQ(low.sector, "southwest");
    EXPECT_FALSE(low.altitudeFt);
}

TEST(TrafficEntries, WhatIsNotAnEntrySaysWhy) {
    EXPECT_NE(Error("glider N1 @KBFI").find("unknown kind"), std::string::npos);
    EXPECT_NE(Error("vfr-pattern").find("callsign"), std::string::npos);
    EXPECT_NE(Error("vfr-pattern N1").find("start"), std::string::npos);
    EXPECT_NE(Error("vfr-arrival N1 @KBFI:GATE A 1").find("in the air"), std::string::npos);
    EXPECT_NE(Error("ifr-departure N1 30nm north").find("parked"), std::string::npos);
    EXPECT_NE(Error("ifr-arrival N1 30nm up").find("unknown sector"), std::string::npos);
    EXPECT_NE(Error("ifr-arrival N1 300nm north").find("distance"), std::string::npos);
    EXPECT_NE(Error("ifr-arrival N1 30nm north 99ft").find("altitude"), std::string::npos);
    EXPECT_NE(Error("ifr-arrival N1 30nm north 8000ft extra").find("unexpected"),
              std::string::npos);
    EXPECT_NE(Error("vfr-pattern N1 @KBFI 'Cessna").find("closing quote"), std::string::npos);
    EXPECT_NE(Error("vfr-pattern N1 @").find("ident"), std::string::npos);
}

TEST(TrafficEntries, AFileSkipsCommentsAndNumbersItsErrors) {
    const TrafficFile file = ParseTrafficFile(
        "# the morning\n"
        "vfr-pattern N1 @KBFI:GATE A 1\n"
        "\n"
        "glider N2 @KBFI\r\n"
        "ifr-arrival N3 40nm north\n");
    ASSERT_EQ(file.entries.size(), 2u);
    EXPECT_EQ(file.entries[0].callsign, "N1");
    EXPECT_EQ(file.entries[1].callsign, "N3");
    ASSERT_EQ(file.errors.size(), 1u);
    EXPECT_EQ(file.errors[0].substr(0, 8), "line 4: ");
}

class Setups : public ::testing::Test {
  protected:
    ChosenAirport airport = SimAirport();
    MagneticVariationGrid grid{};
    AirportChart chart = ChartFromAirport(airport, grid);
    std::set<std::string> taken;

    AircraftSetup Setup(const std::string& line) {
        auto setup = SetupFor(Entry(line), chart, taken);
        if (auto* error = std::get_if<std::string>(&setup)) {
            ADD_FAILURE() << *error;
            return {};
        }
        return std::get<AircraftSetup>(setup);
    }
};

TEST_F(Setups, AParkedAircraftStandsInItsPlaceFacingItsTaxiway) {
    const AircraftSetup a = Setup("vfr-pattern N1 @KBFI:gate a 2");
    const ParkingSpot& gate = airport.ParkingSpots[1];
    EXPECT_LT(DistanceFeetExact(a.start.position, {gate.lat, gate.lon}), 1.0);
    EXPECT_TRUE(a.start.onGround);
    EXPECT_NEAR(a.start.trueHeading, 220.0, 0.01);  // to P2, square to the right of 130
    EXPECT_EQ(a.pilot.homeParking, "GATE A 2");
    EXPECT_EQ(a.performance.engineCode, 0);
    // The free places go in order and are not given twice.
    EXPECT_EQ(Setup("vfr-departure N2 @KBFI").pilot.homeParking, "GATE A 1");
    EXPECT_EQ(Setup("ifr-departure N3 @KBFI").pilot.homeParking, "PARKING 1");
    auto none = SetupFor(Entry("vfr-departure N4 @KBFI"), chart, taken);
    ASSERT_TRUE(std::holds_alternative<std::string>(none));
    EXPECT_EQ(std::get<std::string>(none), "no free parking place at KBFI");
    auto unknown = SetupFor(Entry("vfr-departure N5 @KBFI:GATE Z"), chart, taken);
    EXPECT_EQ(std::get<std::string>(unknown), "no parking place \"GATE Z\" at KBFI");
}

TEST_F(Setups, AnAirborneAircraftStartsInItsSectorHeadingForTheAirport) {
    const AircraftSetup a = Setup("ifr-arrival N1 40nm north 9000ft");
    // North is where the runway points: 40 NM out on 130 from the threshold.
    EXPECT_NEAR(DistanceNmExact(chart.threshold, a.start.position), 40.0, 1e-6);
    EXPECT_NEAR(TrueCourse(chart.threshold, a.start.position), 130.0, 0.01);
    EXPECT_FALSE(a.start.onGround);
    EXPECT_EQ(a.start.altitudeFt, 9000.0);
    EXPECT_NEAR(a.start.trueHeading, TrueCourse(a.start.position, chart.reference), 1e-9);
    EXPECT_EQ(a.performance.engineCode, 1);
    EXPECT_EQ(a.start.speedKt, a.performance.cruiseKt);

    const AircraftSetup b = Setup("vfr-arrival N2 10nm southwest");
    EXPECT_NEAR(TrueCourse(chart.threshold, b.start.position), 355.0, 0.01);  // 130 + 225
    EXPECT_EQ(b.start.altitudeFt, 18.0 + 2500.0);  // 2500 ft above the field by default
}

TEST(ScaledClocks, RunFasterFromTheMomentTheyAreMade) {
    ManualClock wall;
    wall.Set(10s);
    const ScaledClock fast(wall, 4.0);
    EXPECT_EQ(fast.Now(), 10s);
    wall.Advance(1500ms);
    EXPECT_EQ(fast.Now(), 16s);
    const ScaledClock slow(wall, 0.5);
    wall.Advance(2s);
    EXPECT_EQ(slow.Now(), 12500ms);
    EXPECT_EQ(fast.Now(), 24s);
}

TEST(LiveView, NotesAndTheTable) {
    EXPECT_EQ(FormatNote(75.4, {TrafficNote::Kind::Heard, "N1", "N1. Choose ..."}),
              "[01:15] N1 hears: N1. Choose ...");
    EXPECT_EQ(FormatNote(3601, {TrafficNote::Kind::Said, "N1", "BOEING FLD,1"}),
              "[60:01] N1 says: BOEING FLD,1");
    EXPECT_EQ(FormatNote(0, {TrafficNote::Kind::Phase, "N1", "parked"}), "[00:00] N1 now parked");
    const std::string table = FormatStatusTable(
        {{"N123AB", "vfr-pattern", "traffic pattern downwind", "Tower 120.6", "in the session",
          1018, 85, 310, 1.26},
         {"N9", "ifr-arrival", "inbound", "not in service", "joining", 8000, 250, 5, 39.0}});
    EXPECT_EQ(table,
              "callsign   kind           alt ft  kt  hdg    nm  radio             phase\n"
              "N123AB     vfr-pattern      1018  85  310   1.3  Tower 120.6       traffic pattern "
              "downwind\n"
              "N9         ifr-arrival      8000 250  005  39.0  not in service    inbound "
              "(joining)\n");
}

}  // namespace
}  // namespace corvane::fsim
