// Whole flights: the station's monitoring tick and simulated aircraft in one process over a
// LoopbackSession, with a hand-moved clock. Each test flies its aircraft from start to end and
// checks the statuses and frequencies the station kept for them, in order, and where they ended.
// The expected sequences follow the controllers' dialogues as written, one change per line.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "fsim/SessionHost.h"
#include "fsim/TrafficEntry.h"
#include "fsim/TrafficFleet.h"
#include "session/LoopbackSession.h"
#include "session/SessionObjects.h"
#include "shared/MessageBoxes.h"
#include "station/StationMonitor.h"
#include "station/StationState.h"
#include "support/Passages.h"
#include "support/SimAirport.h"
#include "support/StationOnLoopback.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
using fsim::Phase;

constexpr const char* kAddress = "127.0.0.1:6073";

class Flights : public ::testing::Test, protected StationOnLoopback {
  protected:
    explicit Flights(bool towered = true) : StationOnLoopback(SimAirport(towered)) {}

    void SetUp() override {
        StartStation({.sessionName = "Flights", .address = kAddress, .interval = 10s});
    }

    void Fly(const std::string& line) {
        auto entry = fsim::ParseTrafficEntry(line);
        ASSERT_TRUE(std::holds_alternative<fsim::TrafficEntry>(entry)) << line;
        auto setup = fsim::SetupFor(std::get<fsim::TrafficEntry>(entry), chart, taken);
        ASSERT_TRUE(std::holds_alternative<fsim::AircraftSetup>(setup)) << line;
        fleet.Add(std::get<fsim::AircraftSetup>(setup), chart);
        ASSERT_EQ(fleet.JoinAll(kAddress, "Flights"), 0);
    }

    void Second() {
        ASSERT_EQ(FlySecond(fleet), station::StationNext::Stay);
        ++seconds;
        for (const TrafficRecord& r : tables.Traffic) {
            Passages& h = history[r.callsign];
            const Passage now{r.status, r.frequency};
            if (h.empty() || !(h.back() == now)) {
                h.push_back(now);
            }
            maxTakeoffQueue = std::max(maxTakeoffQueue, tables.TakeoffQueue.size());
            maxLandingQueue = std::max(maxLandingQueue, tables.LandingQueue.size());
        }
    }
    // Flies on until `done`, at most `limit` seconds; false when the time ran out.
    template <typename Done>
    bool RunUntil(Done done, int limit) {
        for (int i = 0; i < limit && !done(); ++i) {
            Second();
            if (::testing::Test::HasFatalFailure()) {
                return false;
            }
        }
        return done();
    }

    fsim::SimAircraft& Aircraft(const std::string& callsign) { return *fleet.Find(callsign); }
    const TrafficRecord* Record(const std::string& callsign) const {
        const int i = station::FindTraffic(tables, callsign);
        return i < 0 ? nullptr : &tables.Traffic[static_cast<size_t>(i)];
    }
    bool Done(const std::string& callsign) {
        return Aircraft(callsign).Pilot().CurrentPhase() == Phase::Shutdown;
    }
    // The name of the parking place the aircraft stands in, or "".
    std::string StandsIn(const std::string& callsign) {
        const ParkingSpot* spot = chart.SpotAt(Aircraft(callsign).Model().State().position);
        return spot ? spot->name : "";
    }
    std::vector<std::string> Heard(const std::string& callsign) {
        std::vector<std::string> lines;
        for (const fsim::PilotEvent& e : Aircraft(callsign).Pilot().Events()) {
            if (e.text.rfind("heard: ", 0) == 0) {
                lines.push_back(e.text.substr(7));
            }
        }
        return lines;
    }
    bool HeardContaining(const std::string& callsign, const std::string& piece) {
        for (const std::string& l : Heard(callsign)) {
            if (l.find(piece) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
    // Nothing left behind: no queue entry and no taxi reservation.
    void ExpectTablesClear() {
        EXPECT_TRUE(tables.TakeoffQueue.empty());
        EXPECT_TRUE(tables.LandingQueue.empty());
        EXPECT_TRUE(tables.TaxiReservations.empty());
    }

    std::set<std::string> taken;
    fsim::TrafficFleet fleet{clock, [this] { return net.NewSession(); }};
    std::map<std::string, Passages> history;
    size_t maxTakeoffQueue = 0;
    size_t maxLandingQueue = 0;
    int seconds = 0;
};

// Frequencies of the simulated airport.
const std::string kGround = "121.9";
const std::string kTower = "120.6";
const std::string kApproach = "119.2";
const std::string kCentre = "128.5";

// Services taken at a parking place, taxied to the runway, handed to the tower, taking off.
const Passages kFromParkingToTakeoff = {{"", ""},
                                        {"", kGround},
                                        {"Acknowledge taxi to runway", kGround},
                                        {"Taxiing to runway", kGround},
                                        {"Taxiing to runway", kTower},
                                        {"Acknowledge Takeoff", kTower},
                                        {"Takingoff", kTower}};

// Cleared to land, handed to ground, taxied to a gate and parked, services closed.
const Passages kLandedToAGate = {{"Acknowledge Landing", kTower},
                                 {"Landing", kTower},
                                 {"Acknowledge contact ground", kTower},
                                 {"Contact Ground", kTower},
                                 {"Contact Ground", kGround},
                                 {"", kGround},
                                 {"Acknowledge taxi to gate", kGround},
                                 {"Taxiing to gate", kGround},
                                 {"", kGround},
                                 {"", ""}};

TEST_F(Flights, AVfrDepartureFromParkingLeavesTheTowerAt15Miles) {
    Fly("vfr-departure N1 @KBFI:GATE A 1");
    ASSERT_TRUE(RunUntil([&] { return Aircraft("N1").Pilot().ServicesClosed(); }, 1500));
    EXPECT_EQ(history["N1"], (kFromParkingToTakeoff + Passages{{"", kTower}, {"", ""}}));
    // The tower let go of it beyond 15 miles; it said goodbye there.
    const double out =
        fsim::DistanceNmExact(Aircraft("N1").Model().State().position, chart.reference);
    EXPECT_GT(out, 15.0);
    EXPECT_LT(out, 17.0);
    EXPECT_TRUE(HeardContaining("N1", "N1, Taxi to and hold short runway 13R using taxiway"));
    EXPECT_TRUE(HeardContaining("N1", "N1, KBFI Tower, Cleared for takeoff on runway 13R."));
    ExpectTablesClear();
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Flights, AVfrPatternLandsFullStopTaxiesToAGateAndParks) {
    Fly("vfr-pattern N2 @KBFI:GATE A 2");
    ASSERT_TRUE(RunUntil([&] { return Done("N2"); }, 1800));
    EXPECT_EQ(history["N2"], (kFromParkingToTakeoff +
                              Passages{
                                  {"", kTower},
                                  {"Acknowledge enter traffic pattern", kTower},
                                  {"Flying traffic pattern", kTower},
                              }) +
                                 kLandedToAGate);
    // Up from the runway it was north of the threshold: a left downwind.
    EXPECT_TRUE(HeardContaining("N2", "N2, KBFI Tower, Enter left downwind runway 13R."));
    EXPECT_TRUE(HeardContaining("N2", "Number 1 for landing"));
    const std::string gate = StandsIn("N2");
    EXPECT_EQ(gate.substr(0, 5), "GATE ");
    EXPECT_TRUE(Aircraft("N2").Model().State().onGround);
    ExpectTablesClear();
}

TEST_F(Flights, AnIfrDepartureEndsEnRouteOnTheCentre) {
    Fly("ifr-departure N3 @KBFI:PARKING 1");
    ASSERT_TRUE(RunUntil(
        [&] {
            const TrafficRecord* r = Record("N3");
            return r && r->status == "En Route";
        },
        1200));
    Second();
    EXPECT_EQ(history["N3"],
              (kFromParkingToTakeoff + Passages{{"Acknowledge contact departure", kTower},
                                                {"Contact Departure", kTower},
                                                {"Contact Departure", kApproach},
                                                {"Departure", kApproach},
                                                {"Acknowledge contact ARTCC (EN ROUTE)", kApproach},
                                                {"Contact ARTCC (EN ROUTE)", kApproach},
                                                {"En Route", kCentre}}));
    EXPECT_TRUE(HeardContaining("N3",
                                "N3, Climb and maintain cruise altitude and assume own "
                                "navigation."));
    RunUntil([&] { return HeardContaining("N3", "N3, Maintain cruise altitude"); }, 30);
    EXPECT_TRUE(HeardContaining("N3", "N3, Maintain cruise altitude and assume own navigation."));
    EXPECT_EQ(Aircraft("N3").Pilot().Tuned(), fsim::Radio::Artcc);
    EXPECT_GT(Aircraft("N3").Model().State().altitudeFt, airport.FieldElevation + 5000.0);
    ExpectTablesClear();
}

TEST_F(Flights, AnIfrArrivalFrom40MilesNorthIsVectoredClearedLandsAndParks) {
    Fly("ifr-arrival N4 40nm north 8000ft");
    ASSERT_TRUE(RunUntil([&] { return Done("N4"); }, 3600));
    EXPECT_EQ(history["N4"], (Passages{
                                 {"", ""},
                                 {"", kCentre},
                                 {"Descent", kCentre},
                                 {"Approach", kCentre},
                                 {"Acknowledge contact approach", kCentre},
                                 {"Contact approach", kCentre},
                                 {"Approach", kApproach},
                                 {"Acknowledge contact tower", kApproach},
                                 {"Contact tower", kApproach},
                                 {"Approach", kTower},
                             }) + kLandedToAGate);
    const std::vector<std::string> heard = Heard("N4");
    // The first vectors name the sector it came from; the clearance is for the ILS.
    EXPECT_TRUE(HeardContaining("N4", "miles, north, expect vectors for runway 13R approach."));
    EXPECT_TRUE(HeardContaining("N4",
                                "N4, Cleared for the ILS runway 13R approach. Maintain "
                                "heading"));
    EXPECT_EQ(StandsIn("N4").substr(0, 5), "GATE ");
    ExpectTablesClear();
}

TEST_F(Flights, AnArrivalTooCloseBehindAnotherGoesAroundAndLandsAfterIt) {
    Fly("vfr-arrival N7 5nm south");
    Fly("vfr-arrival N8 6nm south");
    ASSERT_TRUE(RunUntil([&] { return Done("N7") && Done("N8"); }, 2400));
    // N7, first, lands straight in.
    EXPECT_TRUE(InOrder(history["N7"], {{"", kTower},
                                        {"Acknowledge enter traffic pattern", kTower},
                                        {"Flying traffic pattern", kTower},
                                        {"Acknowledge Landing", kTower},
                                        {"Landing", kTower},
                                        {"Acknowledge contact ground", kTower}}));
    EXPECT_FALSE(InOrder(history["N7"], {{"Acknowledge going around", kTower}}));
    // N8 is sent around while N7 is still on the runway, flies the circuit and lands.
    EXPECT_TRUE(InOrder(history["N8"], {{"Acknowledge Landing", kTower},
                                        {"Landing", kTower},
                                        {"Acknowledge going around", kTower},
                                        {"Going Around", kTower},
                                        {"Acknowledge Landing", kTower},
                                        {"Landing", kTower},
                                        {"Acknowledge contact ground", kTower},
                                        {"Contact Ground", kGround},
                                        {"", ""}}));
    EXPECT_TRUE(HeardContaining("N8", "N8, Go around."));
    EXPECT_EQ(StandsIn("N7").substr(0, 5), "GATE ");
    EXPECT_NE(StandsIn("N8"), "");
    EXPECT_NE(StandsIn("N8"), StandsIn("N7"));
    ExpectTablesClear();
}

TEST_F(Flights, TwoDeparturesQueueForTheRunway) {
    Fly("vfr-departure D1 @KBFI:GATE A 1");
    Fly("vfr-departure D2 @KBFI:GATE A 2");
    ASSERT_TRUE(RunUntil(
        [&] {
            const TrafficRecord* a = Record("D1");
            const TrafficRecord* b = Record("D2");
            return a && b && a->status.empty() && b->status.empty() && a->frequency == kTower &&
                   b->frequency == kTower;
        },
        900));
    // D2, nearer the runway, goes first; D1 holds short until D2 is up.
    EXPECT_TRUE(InOrder(history["D2"], {{"Taxiing to runway", kTower},
                                        {"Acknowledge Takeoff", kTower},
                                        {"Takingoff", kTower},
                                        {"", kTower}}));
    EXPECT_TRUE(InOrder(history["D1"], {{"Taxiing to runway", kTower},
                                        {"Acknowledge Hold short", kTower},
                                        {"Holding short in runway", kTower},
                                        {"Acknowledge Takeoff", kTower},
                                        {"Takingoff", kTower},
                                        {"", kTower}}));
    EXPECT_TRUE(HeardContaining("D1", "D1, KBFI Tower, Hold short on runway 13R."));
    EXPECT_EQ(maxTakeoffQueue, 2u);
    ExpectTablesClear();
}

TEST_F(Flights, TwoArrivalsAreNumberedInTheLandingSequence) {
    Fly("vfr-arrival N5 5nm south");
    Fly("vfr-arrival N6 8nm south");
    ASSERT_TRUE(RunUntil([&] { return Done("N5") && Done("N6"); }, 2400));
    EXPECT_TRUE(HeardContaining("N5",
                                "N5, You are cleared to land on runway 13R. Number 1 for "
                                "landing."));
    EXPECT_TRUE(HeardContaining("N6",
                                "N6, You are cleared to land on runway 13R. Number 2 for "
                                "landing."));
    EXPECT_EQ(maxLandingQueue, 2u);
    for (const std::string cs : {"N5", "N6"}) {
        EXPECT_FALSE(InOrder(history[cs], {{"Acknowledge going around", kTower}})) << cs;
        EXPECT_TRUE(InOrder(history[cs], {{"Landing", kTower}, {"", ""}})) << cs;
        EXPECT_NE(StandsIn(cs), "");
    }
    ExpectTablesClear();
}

class AdvisoryFlights : public Flights {
  protected:
    AdvisoryFlights() : Flights(false) {}
};

TEST_F(AdvisoryFlights, APatternAtAFieldWithoutTowerIsAnnouncedStepByStep) {
    Fly("ctaf N9 @S50:GATE A 1");
    ASSERT_TRUE(RunUntil([&] { return Done("N9"); }, 1800));
    // No controller: the station keeps no status and no frequency for it.
    EXPECT_EQ(history["N9"], (Passages{{"", ""}}));
    std::vector<std::string> announced;
    for (const std::string& l : Heard("N9")) {
        if (l.rfind("Traffic, N9, ", 0) == 0) {
            announced.push_back(l.substr(0, l.find(" airport. Choose")));
        }
    }
    ASSERT_EQ(announced.size(), 5u);
    EXPECT_EQ(announced[0], "Traffic, N9, taxiing to runway 13R at S50");
    EXPECT_EQ(announced[1], "Traffic, N9, takingoff, runway 13R at S50");
    EXPECT_EQ(announced[2].substr(0, 13), "Traffic, N9, ");
    EXPECT_NE(announced[2].find(" ft, at S50"), std::string::npos);  // the position
    EXPECT_EQ(announced[3], "Traffic, N9, landing, runway 13R at S50");
    EXPECT_EQ(announced[4], "Traffic, N9, taxiing to gate or parking at S50");
    EXPECT_EQ(StandsIn("N9"), "GATE A 1");  // back where it started
    EXPECT_TRUE(Aircraft("N9").Pilot().ServicesClosed());
}

}  // namespace
}  // namespace corvane::testing
