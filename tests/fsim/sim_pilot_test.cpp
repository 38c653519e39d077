// The simulated pilot on his own: the station's lines are read to him by hand, exactly as the
// station words them for N123AB at KBFI (BOEING FLD), runway 13R; his answers and what he flies
// are checked.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "fsim/SimPilot.h"
#include "support/SimAirport.h"

namespace corvane::fsim {
namespace {

using testing::SimAirport;
using testing::SimRunwayPoint;

const std::string kGroundTail = "Choose one of the following options for the Ground frequency: ";
const std::string kTowerTail = "Choose one of the following options for the Tower frequency: ";
const std::string kApproachTail =
    "Choose one of the following options for the Approach frequency: ";
const std::string kAck = "1-Acknowledge 2-Close ATC Services";
const std::string kFlightType =
    "N123AB. What type of flight you want to fly?: 1-VFR 2-IFR 3-Close ATC Services";
const std::string kDestination =
    "N123AB. What is your destination airport?: 1-KBFI 2-Another Airport 3-Close ATC Services";

std::string Welcome(const std::string& ident) {
    return "N123AB. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at " +
           ident + "?: 1-Use ATC services";
}

class Pilot : public ::testing::Test {
  protected:
    void Parked(FlightKind kind, const std::string& spot = "GATE A 1") {
        AircraftState s;
        const ParkingSpot* place = chart.Spot(spot);
        s.position = {place->lat, place->lon};
        s.trueHeading = 40.0;
        Make(kind, s, kind == FlightKind::IfrDeparture ? Airliner() : LightPiston());
    }
    void Flying(FlightKind kind, LatLon at, double altitude, double heading, double speed) {
        AircraftState s{at, altitude, heading, speed, 0.0, false};
        Make(kind, s, IsIfr(kind) ? Airliner() : LightPiston());
    }
    void Make(FlightKind kind, AircraftState s, Performance p) {
        model = std::make_unique<FlightModel>(p, s, chart.fieldElevationFt);
        PilotConfig config;
        config.callsign = "N123AB";
        config.kind = kind;
        pilot = std::make_unique<SimPilot>(config, *model, chart);
    }

    // Flies on for `seconds` in quarter seconds; the answers he gave meanwhile.
    std::vector<std::string> Run(double seconds) {
        std::vector<std::string> answers;
        for (double t = 0; t < seconds; t += 0.25) {
            now += 0.25;
            model->Step(0.25);
            if (auto a = pilot->Step(now)) {
                answers.push_back(*a);
            }
        }
        return answers;
    }
    // Flies on until `done` (at most `limit` seconds), collecting his answers.
    template <typename Done>
    std::vector<std::string> RunUntil(Done done, double limit = 1800.0) {
        std::vector<std::string> answers;
        for (double t = 0; t < limit && !done(); t += 0.25) {
            auto more = Run(0.25);
            answers.insert(answers.end(), more.begin(), more.end());
        }
        return answers;
    }
    // Reads him a line and gives him five seconds: his answers.
    std::vector<std::string> Tell(const std::string& line) {
        pilot->Hear(line, now);
        return Run(5.0);
    }
    std::pair<long, long> Feet() const {
        const TrackOffset o = chart.RunwayOffsetFeet(model->State().position);
        return {std::lround(o.along), std::lround(o.cross)};
    }
    using Answers = std::vector<std::string>;

    ChosenAirport airport = SimAirport();
    MagneticVariationGrid grid{};
    AirportChart chart = ChartFromAirport(airport, grid);
    std::unique_ptr<FlightModel> model;
    std::unique_ptr<SimPilot> pilot;
    double now = 0.0;
};

TEST_F(Pilot, AddressesTheStationByItsNameUntilHeIsInService) {
    Parked(FlightKind::VfrDeparture);
    pilot->Hear(Welcome("KBFI"), now);
    EXPECT_EQ(Run(1.75), Answers{});  // a moment to read it
    EXPECT_EQ(Run(0.5), Answers{"BOEING FLD,1"});
    EXPECT_EQ(Tell(kFlightType), Answers{"BOEING FLD,1"});
    EXPECT_EQ(pilot->TunedText(), "no frequency");
    // In service now: the number alone, and on the ground he wants the ground frequency.
    EXPECT_EQ(Tell("N123AB. Choose one of the following options: 1-Close ATC Services"), Answers{});
    EXPECT_EQ(Tell("N123AB. Choose one of the following options: 1-Close ATC Services 2-Tune KBFI "
                   "Ground Frequency"),
              Answers{"2"});
    EXPECT_EQ(pilot->Tuned(), Radio::Ground);
}

TEST_F(Pilot, AnIfrPilotSaysSoAndNamesHisDestination) {
    Parked(FlightKind::IfrDeparture);
    Tell(Welcome("KBFI"));
    EXPECT_EQ(Tell(kFlightType), Answers{"BOEING FLD,2"});
    EXPECT_EQ(Tell(kDestination), Answers{"2"});

    Flying(FlightKind::IfrArrival, SimRunwayPoint(-30 * 6076.12, 0), 8000, 130, 250);
    EXPECT_EQ(Tell(kDestination), Answers{"1"});
}

TEST_F(Pilot, LinesForOthersAreNotHisToAnswer) {
    Parked(FlightKind::VfrDeparture);
    EXPECT_EQ(Tell("N99. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at "
                   "KBFI?: 1-Use ATC services"),
              Answers{});
    EXPECT_EQ(Tell("Traffic, N99, taxiing to runway 13R at KBFI airport. Choose one of the "
                   "following options for the Advisory frequency (CTAF): 1-Announce Taxi to Runway "
                   "2-Announce Takeoff 3-Announce Position 4-Announce Landing 5-Announce Taxi to "
                   "Gate or Parking 6-Close ATC Services"),
              Answers{});
}

TEST_F(Pilot, TaxiesOutOnHisClearanceAndCallsTheTowerAtTheRunway) {
    Parked(FlightKind::VfrDeparture);
    EXPECT_EQ(Tell("N123AB. " + kGroundTail +
                   "1-Request Taxi to Runway 2-Request Taxi to Gate 3-Request Taxi to Parking "
                   "4-Close ATC Services"),
              Answers{"1"});
    EXPECT_EQ(Tell("N123AB, Taxi to and hold short runway 13R using taxiway B A C0 . Contact tower "
                   "on 120.6 when ready. " +
                   kGroundTail + kAck),
              Answers{"1"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::TaxiOut);
    EXPECT_EQ(pilot->PhaseText(), "taxiing out to runway 13R via B A C0");
    // Still taxiing: the tower can wait.
    EXPECT_EQ(Tell("N123AB. " + kGroundTail + "1-Tune KBFI Tower Frequency 2-Close ATC Services"),
              Answers{});
    const Answers atRunway = RunUntil([&] { return pilot->CurrentPhase() == Phase::HoldingShort; });
    EXPECT_EQ(Feet(), (std::pair<long, long>{0, -225}));  // clear of the 150 ft runway
    EXPECT_EQ(atRunway, Answers{"1"});                    // there he tunes the tower
    EXPECT_EQ(pilot->TunedText(), "Tower 120.6");

    EXPECT_EQ(
        Tell("N123AB. " + kTowerTail +
             "1-Tune KBFI Ground Frequency 2-Request VFR Takeoff Clearance 3-Close ATC Services"),
        Answers{"2"});
    EXPECT_EQ(Tell("N123AB, KBFI Tower, Hold short on runway 13R. " + kTowerTail + kAck),
              Answers{"1"});
    EXPECT_EQ(Run(15.0), Answers{});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::HoldingShort);
    EXPECT_EQ(Tell("N123AB, KBFI Tower, Cleared for takeoff on runway 13R. " + kTowerTail + kAck),
              Answers{"1"});
    RunUntil([&] { return !model->State().onGround; });
    EXPECT_EQ(pilot->CurrentPhase(), Phase::Climbout);
    const TrackOffset off = chart.RunwayOffsetFeet(model->State().position);
    EXPECT_LT(std::fabs(off.cross), 20.0);  // lifted off on the centre line
    EXPECT_GT(off.along, 0.0);
    EXPECT_LT(off.along, 3000.0);
}

TEST_F(Pilot, HoldsPositionWhenToldAndContinuesWhenReleased) {
    Parked(FlightKind::VfrDeparture);
    Tell(
        "N123AB, Taxi to and hold short runway 13R using taxiway B A C0 . Contact tower on 120.6 "
        "when ready. " +
        kGroundTail + kAck);
    Run(20.0);
    EXPECT_EQ(Tell("N123AB, Hold position, caution other traffic. " + kGroundTail + kAck),
              Answers{"1"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::HoldingPosition);
    const LatLon stopped = model->State().position;
    EXPECT_EQ(Run(60.0), Answers{"R"});  // once, nobody having answered his acknowledgment
    EXPECT_EQ(DistanceFeetExact(stopped, model->State().position), 0.0);
    EXPECT_EQ(Tell("N123AB, Continue taxi. " + kGroundTail +
                   "1-Tune KBFI Tower Frequency 2-Close ATC Services"),
              Answers{});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::TaxiOut);
    Run(10.0);
    EXPECT_GT(DistanceFeetExact(stopped, model->State().position), 200.0);
    RunUntil([&] { return pilot->CurrentPhase() == Phase::HoldingShort; });
    EXPECT_EQ(Feet(), (std::pair<long, long>{0, -225}));
}

TEST_F(Pilot, AVfrArrivalWaitsForTheTowerOptionThenAsksToLand) {
    Flying(FlightKind::VfrArrival, SimRunwayPoint(4000 + 17 * 6076.12, 0), 2518, 310, 110);
    Tell(Welcome("KBFI"));
    EXPECT_EQ(Tell(kFlightType), Answers{"BOEING FLD,1"});
    EXPECT_EQ(Tell("N123AB. Choose one of the following options: 1-Close ATC Services 2-Tune ARTCC "
                   "Frequency"),
              Answers{});
    EXPECT_EQ(Tell("N123AB. Choose one of the following options: 1-Close ATC Services 2-Tune "
                   "Approach Frequency 3-Tune KBFI Tower Frequency"),
              Answers{"3"});
    EXPECT_EQ(Tell("N123AB. " + kTowerTail +
                   "1-Request Full Stop Landing 2-Tune Approach Frequency 3-Close ATC Services"),
              Answers{"1"});
    EXPECT_EQ(Tell("N123AB, KBFI Tower, Enter left downwind runway 13R. " + kTowerTail + kAck),
              Answers{"1"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::Pattern);
    EXPECT_EQ(Tell("N123AB. " + kTowerTail + "1-Cancel Landing 2-Close ATC Services"), Answers{});
    // Downwind lies to the left of the runway, a mile out, at 1000 ft above the field.
    RunUntil([&] { return pilot->PhaseText() == "traffic pattern base"; });
    const TrackOffset off = chart.RunwayOffsetFeet(model->State().position);
    EXPECT_LT(off.cross, -5000.0);
    EXPECT_NEAR(model->State().altitudeFt, 1018.0, 1.0);
}

TEST_F(Pilot, ExtendsHisDownwindBehindTrafficOnFinal) {
    Flying(FlightKind::VfrArrival, SimRunwayPoint(4000, -6000), 1018, 310, 85);
    Tell("N123AB, KBFI Tower, Enter left downwind runway 13R. " + kTowerTail + kAck);
    ASSERT_EQ(pilot->PhaseText(), "traffic pattern downwind");
    // Another aircraft sits on a one-mile final, 300 ft up, reported every second.
    const LatLon other = SimRunwayPoint(-6076.12, 0);
    auto watch = [&](double seconds) {
        for (double t = 0; t < seconds; t += 1.0) {
            pilot->SeeTraffic("N77", other, 318, now);
            Run(1.0);
        }
    };
    watch(240.0);
    // Still on downwind, well past where his base turn would have been.
    EXPECT_EQ(pilot->PhaseText(), "traffic pattern downwind");
    EXPECT_LT(chart.RunwayOffsetFeet(model->State().position).along, -2.5 * 6076.12);
    // The other one has landed and gone: he turns base.
    RunUntil([&] { return pilot->PhaseText() == "traffic pattern base"; }, 120);
    EXPECT_EQ(pilot->PhaseText(), "traffic pattern base");
    // His own position reports do not count as traffic.
    Flying(FlightKind::VfrArrival, SimRunwayPoint(4000, -6000), 1018, 310, 85);
    Tell("N123AB, KBFI Tower, Enter left downwind runway 13R. " + kTowerTail + kAck);
    const double before = now;
    for (double t = 0; t < 400 && pilot->PhaseText() != "traffic pattern base"; t += 1.0) {
        pilot->SeeTraffic("N123AB", other, 318, now);
        Run(1.0);
    }
    EXPECT_EQ(pilot->PhaseText(), "traffic pattern base");
    EXPECT_LT(now - before, 240.0);
}

TEST_F(Pilot, FliesTheHeadingsAndAltitudesRadarGives) {
    Flying(FlightKind::IfrArrival, SimRunwayPoint(-20 * 6076.12, 0), 8000, 310, 250);
    EXPECT_EQ(Tell("N123AB, You are 20 miles, south, expect vectors for runway 13R approach. Turn "
                   "left heading 270. Descent and Maintain 3000 ft. " +
                   kApproachTail + kAck),
              Answers{"1"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::Vectors);
    EXPECT_EQ(model->TargetAltitude(), 3000.0);
    // 40 degrees to the left at 3 a second; a lie-off to the right would take 106 seconds.
    Run(20.0);
    EXPECT_NEAR(model->State().trueHeading, 270.0, 0.01);
    EXPECT_LT(model->State().altitudeFt, 8000.0);
    Tell("N123AB, Turn right heading 360. Climb and Maintain 4000 ft. " + kApproachTail + kAck);
    EXPECT_EQ(pilot->PhaseText(), "radar vectors heading 360, 4000 ft");
    // A traffic report is answered, and changes nothing he flies.
    EXPECT_EQ(Tell("N123AB, Traffic is 4 miles, ten o'clock, 3000 ft, type Unknown. Report them in "
                   "sight. " +
                   kApproachTail +
                   "1-Report traffic in sight 2-Report traffic not in sight 3-Close ATC Services"),
              Answers{"1"});
    EXPECT_EQ(model->TargetAltitude(), 4000.0);
}

TEST_F(Pilot, MeetsTheFinalCourseAfterTheApproachClearanceAndCallsTheTower) {
    // 12 NM out, 3 NM left of the final course, flying a heading that cuts it at 40 degrees.
    const LatLon start = Destination(SimRunwayPoint(-12 * 6076.12, 0), 130.0 - 90.0, 3.0);
    Flying(FlightKind::IfrArrival, start, 2018, 170, 180);
    EXPECT_EQ(Tell("N123AB, Cleared for the ILS runway 13R approach. Maintain heading 170 and 2018 "
                   "ft until established localizer. Contact Tower on 120.6. Good day. " +
                   kApproachTail + kAck),
              Answers{"1"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::Approach);
    EXPECT_EQ(Tell("N123AB. " + kApproachTail + "1-Tune KBFI Tower Frequency 2-Close ATC Services"),
              Answers{"1"});
    EXPECT_EQ(pilot->TunedText(), "Tower 120.6");
    RunUntil([&] { return pilot->CurrentPhase() == Phase::Final; });
    RunUntil([&] {
        return OffsetFromTrack(chart.threshold, 130.0, model->State().position).along > -3.0;
    });
    EXPECT_LT(std::fabs(chart.RunwayOffsetFeet(model->State().position).cross), 150.0);
    EXPECT_NEAR(model->State().altitudeFt, 18 + (3 + 1000 / 6076.12) * 318.44, 15.0);
}

TEST_F(Pilot, LandsTurnsOffAndAsksForAGate) {
    Flying(FlightKind::VfrArrival, SimRunwayPoint(-3 * 6076.12, 0), 18 + 3 * 318.44, 130, 70);
    Tell("N123AB, KBFI Tower, Fly straight in runway 13R. " + kTowerTail + kAck);
    EXPECT_EQ(pilot->CurrentPhase(), Phase::Final);
    EXPECT_EQ(Tell("N123AB, You are cleared to land on runway 13R. Number 1 for landing. " +
                   kTowerTail + kAck),
              Answers{"1"});
    RunUntil([&] { return pilot->CurrentPhase() == Phase::ClearOfRunway; });
    // Off at C1 (2000 ft down) or C2, stopped on A with the nose off the runway axis.
    const auto [along, across] = Feet();
    EXPECT_EQ(across, -600);
    EXPECT_TRUE(along == 2000 || along == 4000) << along;
    EXPECT_GT(std::fabs(TurnAngle(130.0, model->State().trueHeading)), 10.0);

    EXPECT_EQ(Tell("N123AB, Contact Ground on 121.9. Good day. " + kTowerTail + kAck),
              Answers{"1"});
    EXPECT_EQ(Tell("N123AB. " + kTowerTail + "1-Tune KBFI Ground Frequency 2-Close ATC Services"),
              Answers{"1"});
    EXPECT_EQ(pilot->TunedText(), "Ground 121.9");
    EXPECT_EQ(Tell("N123AB. " + kGroundTail +
                   "1-Request Taxi to Runway 2-Request Taxi to Gate 3-Request Taxi to Parking "
                   "4-Close ATC Services"),
              Answers{"2"});
    EXPECT_EQ(Tell("N123AB, Taxi to GATE A 2 using taxiway A B . " + kGroundTail + kAck),
              Answers{"1"});
    EXPECT_EQ(Tell("N123AB, Report us when you are parked in the gate or parking. " + kGroundTail +
                   "1-Report Parking 2-Close ATC Services"),
              Answers{});
    const Answers parked = RunUntil([&] { return pilot->CurrentPhase() == Phase::AtGate; });
    EXPECT_EQ(Feet(), (std::pair<long, long>{4000, -1250}));
    EXPECT_EQ(parked, Answers{"1"});  // Report Parking, once in
    EXPECT_EQ(Tell("N123AB. " + kGroundTail +
                   "1-Request Taxi to Runway 2-Request Taxi to Gate 3-Close ATC Services"),
              Answers{"3"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::Shutdown);
    EXPECT_TRUE(pilot->ServicesClosed());
    // The welcome that follows is not for a pilot who is done.
    EXPECT_EQ(Tell(Welcome("KBFI")), Answers{});
}

TEST_F(Pilot, NotClearedToLandHeGoesAround) {
    Flying(FlightKind::VfrArrival, SimRunwayPoint(-3 * 6076.12, 0), 18 + 3 * 318.44, 130, 70);
    Tell("N123AB, KBFI Tower, Fly straight in runway 13R. " + kTowerTail + kAck);
    RunUntil([&] { return pilot->CurrentPhase() != Phase::Final; });
    EXPECT_EQ(pilot->CurrentPhase(), Phase::GoingAround);
    EXPECT_GT(model->State().altitudeFt, 18 + 300.0);  // before the station could call it a landing
    // Told to go around later on a circuit he is already flying: he goes on with it.
    RunUntil([&] { return pilot->CurrentPhase() == Phase::Pattern; });
    EXPECT_EQ(Tell("N123AB, Go around. " + kTowerTail + kAck), Answers{"1"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::Pattern);
}

TEST_F(Pilot, AnswersEachLineOnce) {
    Parked(FlightKind::VfrDeparture);
    EXPECT_EQ(Tell("N123AB, Hold position, caution other traffic. " + kGroundTail + kAck),
              Answers{"1"});
    EXPECT_EQ(Run(12.0), Answers{});
    // Nothing came back for 20 seconds: his answer may have gone unheeded; he asks for the line
    // again, once.
    EXPECT_EQ(Run(48.0), Answers{"R"});
    // The same words again are a new line: answered again.
    EXPECT_EQ(Tell("N123AB, Hold position, caution other traffic. " + kGroundTail + kAck),
              Answers{"1"});
}

TEST_F(Pilot, OnTheAdvisoryFrequencyHeAnnouncesWhatHeDoes) {
    airport = SimAirport(false);
    chart = ChartFromAirport(airport, grid);
    Parked(FlightKind::Ctaf);
    const std::string menu =
        "Choose one of the following options for the Advisory frequency (CTAF - 122.9): 1-Announce "
        "Taxi to Runway 2-Announce Takeoff 3-Announce Position 4-Announce Landing 5-Announce Taxi "
        "to Gate or Parking 6-Close ATC Services";
    Tell(Welcome("S50"));
    EXPECT_EQ(Tell(kFlightType), Answers{"AUBURN MUNI,1"});
    EXPECT_EQ(Tell("N123AB. " + menu), Answers{"1"});
    EXPECT_EQ(pilot->CurrentPhase(), Phase::TaxiOut);
    EXPECT_EQ(pilot->TunedText(), "CTAF");
    Tell("Traffic, N123AB, taxiing to runway 13R at S50 airport. " + menu);
    const Answers atRunway =
        RunUntil([&] { return pilot->CurrentPhase() == Phase::LiningUp; }, 600);
    EXPECT_EQ(atRunway, Answers{"2"});
    Tell("Traffic, N123AB, takingoff, runway 13R at S50 airport. " + menu);
    const Answers circuit = RunUntil([&] { return pilot->CurrentPhase() == Phase::Final; });
    EXPECT_EQ(circuit, (Answers{"3", "4"}));  // his position on downwind, landing on final
}

}  // namespace
}  // namespace corvane::fsim
