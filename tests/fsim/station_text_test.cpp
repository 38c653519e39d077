// The pilot's reading of the station's lines. Every line here is written out by hand as the
// station words it, with N123AB as the pilot, KBFI (BOEING FLD) as the airport, runway 13R.
#include <gtest/gtest.h>

#include "fsim/StationText.h"

namespace corvane::fsim {
namespace {

StationLine Line(const std::string& text) {
    auto line = ReadStationLine(text, "N123AB");
    EXPECT_TRUE(line.has_value()) << text;
    return line.value_or(StationLine{});
}

Instructions Said(const std::string& text) {
    return ReadInstructions(Line(text).body);
}

// The menu that closes most of the station's lines.
std::string Menu(const std::string& radio,
                 const std::string& options = "1-Acknowledge 2-Close ATC Services") {
    return ". Choose one of the following options for the " + radio + " frequency: " + options;
}

TEST(StationLines, AreForThePilotWhoseCallsignOpensThem) {
    const std::string close = ". Choose one of the following options: 1-Close ATC Services";
    const std::string taxiing =
        " taxiing to runway 13R at S50 airport. Choose one of the following options for the "
        "Advisory frequency (CTAF - 122.9): 1-Announce Taxi to Runway";
    const std::pair<std::string, bool> cases[] = {
        {"N123AB" + close, true},
        {"N123AB, Go around" + Menu("Tower"), true},
        // Another pilot whose callsign merely starts the same, or ends the same.
        {"N123ABC" + close, false},
        {"XN123AB" + close, false},
        {"N123AB", false},
        {"2", false},
        // His own advisory announcement opens with "Traffic, " and his callsign; another's does
        // not concern him.
        {"Traffic, N123AB," + taxiing, true},
        {"Traffic, N77," + taxiing, false},
    };
    for (const auto& [line, his] : cases) {
        EXPECT_EQ(ReadStationLine(line, "N123AB").has_value(), his) << line;
    }
}

TEST(StationLines, OptionsAreFoundByTheirTextAndAnsweredByNumber) {
    const StationLine ground =
        Line("N123AB" + Menu("Ground",
                             "1-Request Taxi to Runway 2-Request Taxi to Gate 3-Request Taxi to "
                             "Parking 4-Close ATC Services"));
    EXPECT_EQ(ground.menuRadio, Radio::Ground);
    ASSERT_EQ(ground.options.size(), 4u);
    EXPECT_EQ(ground.Option("Request Taxi to Gate"), 2);
    EXPECT_EQ(ground.Option("request taxi to parking"), 3);  // case does not matter
    EXPECT_EQ(ground.Option("Close ATC Services"), 4);
    EXPECT_EQ(ground.Option("Request Taxi"), 0);  // a whole option, not a piece of one
    EXPECT_EQ(ground.body, "");

    const StationLine welcome = Line(
        "N123AB. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at KBFI?: "
        "1-Use ATC services");
    EXPECT_EQ(welcome.Option("Use ATC services"), 1);
    EXPECT_EQ(welcome.menuRadio, Radio::None);
    const Instructions said = ReadInstructions(welcome.body);
    EXPECT_TRUE(said.welcome);
    EXPECT_EQ(said.welcomeIdent, "KBFI");

    const StationLine type =
        Line("N123AB. What type of flight you want to fly?: 1-VFR 2-IFR 3-Close ATC Services");
    EXPECT_TRUE(ReadInstructions(type.body).flightTypeQuestion);
    EXPECT_EQ(type.Option("IFR"), 2);

    const StationLine frequencies = Line(
        "N123AB. Choose one of the following options: 1-Close ATC Services 2-Tune Approach "
        "Frequency 3-Tune KBFI Tower Frequency");
    EXPECT_EQ(frequencies.menuRadio, Radio::None);
    EXPECT_EQ(frequencies.Option("Tune KBFI Tower Frequency"), 3);
    EXPECT_EQ(frequencies.Option("Tune Approach Frequency"), 2);

    const StationLine destination = Line(
        "N123AB. What is your destination airport?: 1-KBFI 2-Another Airport 3-Close ATC Services");
    EXPECT_TRUE(ReadInstructions(destination.body).destinationQuestion);
    EXPECT_EQ(destination.Option("KBFI"), 1);
    EXPECT_EQ(destination.Option("Another Airport"), 2);
}

TEST(StationLines, AnIdentWithDigitsDoesNotSplitAnOption) {
    const StationLine tower = Line(
        "N123AB" +
        Menu("Tower",
             "1-Tune S50 Ground Frequency 2-Request VFR Takeoff Clearance 3-Close ATC Services"));
    ASSERT_EQ(tower.options.size(), 3u);
    EXPECT_EQ(tower.options[0], (MenuOption{1, "Tune S50 Ground Frequency"}));
    EXPECT_EQ(tower.Option("Request VFR Takeoff Clearance"), 2);
}

TEST(StationLines, TheAdvisoryMenuFollowsTheAnnouncement) {
    const StationLine own = Line(
        "Traffic, N123AB, 4 miles, south, 1500 ft, at S50 airport. Choose one of the following "
        "options for the Advisory frequency (CTAF - 122.9): 1-Announce Taxi to Runway 2-Announce "
        "Takeoff 3-Announce Position 4-Announce Landing 5-Announce Taxi to Gate or Parking 6-Close "
        "ATC Services");
    EXPECT_EQ(own.menuRadio, Radio::Advisory);
    EXPECT_EQ(own.Option("Announce Position"), 3);
    EXPECT_EQ(own.Option("Announce Taxi to Gate or Parking"), 5);
    EXPECT_EQ(own.Option("Close ATC Services"), 6);
    EXPECT_EQ(own.body, "N123AB, 4 miles, south, 1500 ft, at S50 airport");
}

TEST(StationLines, LinesWithoutAMenuHaveNoOptions) {
    const StationLine terminated =
        Line("N123AB, You were not cleared for take off. Tower Services terminated.");
    EXPECT_TRUE(terminated.options.empty());
    EXPECT_TRUE(ReadInstructions(terminated.body).terminated);
}

TEST(TaxiClearances, NameTheRunwayTheTaxiwaysAndTheTowerFrequency) {
    const Instructions said = Said(
        "N123AB, Taxi to and hold short runway 13R using taxiway A B . Contact tower on 120.6 when "
        "ready" +
        Menu("Ground"));
    ASSERT_TRUE(said.taxi);
    EXPECT_TRUE(said.taxi->toRunway);
    EXPECT_EQ(said.taxi->destination, "13R");
    EXPECT_EQ(said.taxi->taxiways, (std::vector<std::string>{"A", "B"}));
    ASSERT_TRUE(said.contact);
    EXPECT_EQ(said.contact->radio, Radio::Tower);
    EXPECT_EQ(said.contact->frequency, "120.6");

    // A runway driven along keeps its designation; a route-less clearance names no taxiway.
    EXPECT_EQ(Said("N123AB, Taxi to and hold short runway 16L using taxiway A RUNWAY 16R B . "
                   "Contact tower on 120.6 when ready" +
                   Menu("Ground"))
                  .taxi->taxiways,
              (std::vector<std::string>{"A", "RUNWAY 16R", "B"}));
    const Instructions direct =
        Said("N123AB, Taxi to and hold short runway 13R. Contact tower on 120.6 when ready" +
             Menu("Ground"));
    EXPECT_EQ(direct.taxi->destination, "13R");
    EXPECT_TRUE(direct.taxi->taxiways.empty());
    // A route made only of unnamed steps: " using taxiway" and one space.
    EXPECT_TRUE(Said("N123AB, Taxi to and hold short runway 13R using taxiway . Contact tower on "
                     "120.6 when ready" +
                     Menu("Ground"))
                    .taxi->taxiways.empty());
}

TEST(TaxiClearances, ToAGateNameThePlaceAndTheTaxiways) {
    const Instructions said = Said("N123AB, Taxi to GATE A 2 using taxiway B A " + Menu("Ground"));
    ASSERT_TRUE(said.taxi);
    EXPECT_FALSE(said.taxi->toRunway);
    EXPECT_EQ(said.taxi->destination, "GATE A 2");
    EXPECT_EQ(said.taxi->taxiways, (std::vector<std::string>{"B", "A"}));
    const Instructions direct = Said("N123AB, Taxi to PARKING 1" + Menu("Ground"));
    EXPECT_EQ(direct.taxi->destination, "PARKING 1");
    EXPECT_TRUE(direct.taxi->taxiways.empty());
}

TEST(GroundInstructions, HoldAndContinue) {
    const Instructions hold = Said("N123AB, Hold position, caution other traffic" + Menu("Ground"));
    EXPECT_TRUE(hold.holdPosition);
    EXPECT_FALSE(hold.continueTaxi);
    EXPECT_FALSE(hold.taxi);
    const Instructions go =
        Said("N123AB, Continue taxi. Report us when you are parked in the gate or parking" +
             Menu("Ground", "1-Report Parking 2-Close ATC Services"));
    EXPECT_TRUE(go.continueTaxi);
    EXPECT_TRUE(go.reportParked);
    EXPECT_FALSE(go.holdPosition);
}

TEST(TowerInstructions, TakeoffPatternLandingAndGoAround) {
    EXPECT_TRUE(Said("N123AB, KBFI Tower, Cleared for takeoff on runway 13R" + Menu("Tower"))
                    .clearedForTakeoff);
    const Instructions holdShort =
        Said("N123AB, KBFI Tower, Hold short on runway 13R" + Menu("Tower"));
    EXPECT_TRUE(holdShort.holdShort);
    EXPECT_FALSE(holdShort.clearedForTakeoff);

    const std::string menu = Menu("Tower");
    EXPECT_EQ(Said("N123AB, KBFI Tower, Enter left downwind runway 13R" + menu).pattern,
              PatternEntry::LeftDownwind);
    EXPECT_EQ(Said("N123AB, KBFI Tower, Enter right downwind runway 13R" + menu).pattern,
              PatternEntry::RightDownwind);
    EXPECT_EQ(Said("N123AB, KBFI Tower, Fly on base to runway 13R" + menu).pattern,
              PatternEntry::Base);
    EXPECT_EQ(Said("N123AB, KBFI Tower, Fly straight in runway 13R" + menu).pattern,
              PatternEntry::StraightIn);

    const Instructions land =
        Said("N123AB, You are cleared to land on runway 13R. Number 2 for landing" + menu);
    EXPECT_TRUE(land.clearedToLand);
    EXPECT_EQ(land.landingNumber, 2);

    const Instructions goAround =
        Said("N123AB, Go around. Contact Approach on 119.2. Good day" + menu);
    EXPECT_TRUE(goAround.goAround);
    ASSERT_TRUE(goAround.contact);
    EXPECT_EQ(goAround.contact->radio, Radio::Approach);
    EXPECT_EQ(goAround.contact->frequency, "119.2");

    EXPECT_TRUE(
        Said("N123AB, Exit runway when able" + Menu("Tower", "1-Close ATC Services")).exitRunway);
    EXPECT_TRUE(
        Said("N123AB, Roger landing cancel received" + Menu("Tower", "1-Close ATC Services"))
            .landingCancelled);
}

TEST(Handoffs, NameTheServiceAndItsFrequency) {
    struct Case {
        std::string line;
        Radio radio;
        std::string frequency;
    };
    const Case cases[] = {
        {"N123AB, Contact Departure on 119.2. Good day" + Menu("Tower"), Radio::Departure, "119.2"},
        {"N123AB, Contact ARTCC (128.5). Good day" + Menu("Tower"), Radio::Artcc, "128.5"},
        {"N123AB, Contact ARTCC (Air Route Traffic Control Center)" + Menu("Departure"),
         Radio::Artcc, "Air Route Traffic Control Center"},
        {"N123AB, Contact approach frequency on 119.2" + Menu("ARTCC"), Radio::Approach, "119.2"},
        {"N123AB, Contact Ground on 121.9. Good day" + Menu("Tower"), Radio::Ground, "121.9"},
    };
    for (const Case& c : cases) {
        const Instructions said = Said(c.line);
        ASSERT_TRUE(said.contact) << c.line;
        EXPECT_EQ(said.contact->radio, c.radio) << c.line;
        EXPECT_EQ(said.contact->frequency, c.frequency) << c.line;
    }
}

TEST(RadarInstructions, HeadingsAndAltitudes) {
    const Instructions vectors =
        Said("N123AB, Turn left heading 270. Descent and Maintain 3000 ft" + Menu("Approach"));
    EXPECT_EQ(vectors.heading, 270);
    EXPECT_EQ(vectors.turn, TurnSide::Left);
    EXPECT_EQ(vectors.altitudeFt, 3000);
    EXPECT_FALSE(vectors.clearedApproach);

    const Instructions first = Said(
        "N123AB, You are 12 miles, north, expect vectors for runway 13R approach. Turn right "
        "heading 45. Climb and Maintain 2018 ft" +
        Menu("Approach"));
    EXPECT_TRUE(first.expectVectors);
    EXPECT_EQ(first.heading, 45);
    EXPECT_EQ(first.turn, TurnSide::Right);
    EXPECT_EQ(first.altitudeFt, 2018);

    // A turn without an altitude change, and an altitude alone.
    const Instructions turn = Said("N123AB, Turn right heading 360" + Menu("ARTCC"));
    EXPECT_EQ(turn.heading, 360);
    EXPECT_FALSE(turn.altitudeFt);
    const Instructions descend = Said("N123AB, Descent and Maintain 4000 ft" + Menu("ARTCC"));
    EXPECT_FALSE(descend.heading);
    EXPECT_EQ(descend.altitudeFt, 4000);
}

TEST(RadarInstructions, TheApproachClearanceGivesHeadingAltitudeAndTower) {
    const Instructions ils = Said(
        "N123AB, Cleared for the ILS runway 13R approach. Maintain heading 310 and 2018 ft until "
        "established localizer. Contact Tower on 120.6. Good day" +
        Menu("Approach"));
    EXPECT_TRUE(ils.clearedApproach);
    EXPECT_TRUE(ils.ilsApproach);
    EXPECT_EQ(ils.approachHeading, 310);
    EXPECT_EQ(ils.approachAltitudeFt, 2018);
    ASSERT_TRUE(ils.contact);
    EXPECT_EQ(ils.contact->radio, Radio::Tower);
    EXPECT_EQ(ils.contact->frequency, "120.6");
    EXPECT_FALSE(ils.heading);  // not a vector

    const Instructions visual = Said(
        "N123AB, Cleared for the runway 13R approach. Maintain heading 130 and 2000 ft until you "
        "have runway in sight. Contact Tower on 120.6. Good day" +
        Menu("ARTCC"));
    EXPECT_TRUE(visual.clearedApproach);
    EXPECT_FALSE(visual.ilsApproach);
    EXPECT_EQ(visual.approachHeading, 130);
    EXPECT_EQ(visual.approachAltitudeFt, 2000);
}

TEST(RadarInstructions, OwnNavigationAndTraffic) {
    const Instructions climb = Said(
        "N123AB, Climb and maintain cruise altitude and assume own navigation" + Menu("Departure"));
    EXPECT_TRUE(climb.climbToCruise);
    EXPECT_TRUE(climb.ownNavigation);
    EXPECT_FALSE(climb.altitudeFt);  // "maintain cruise altitude" is no number
    const Instructions cruise =
        Said("N123AB, Maintain cruise altitude and assume own navigation" + Menu("ARTCC"));
    EXPECT_FALSE(cruise.climbToCruise);
    EXPECT_TRUE(cruise.ownNavigation);

    const StationLine alert = Line(
        "N123AB, TRAFFIC ALERT!, 1 miles, two o'clock, 2500 ft, type Cessna Skyhawk 172SP. Avoid "
        "traffic and report them" +
        Menu("Approach",
             "1-Report traffic in sight 2-Report traffic not in sight 3-Close ATC Services"));
    EXPECT_TRUE(ReadInstructions(alert.body).traffic);
    EXPECT_EQ(alert.Option("Report traffic in sight"), 1);
    EXPECT_TRUE(
        Said(
            "N123AB, Traffic is 4 miles, ten o'clock, 3000 ft, type Unknown. Report them in sight" +
            Menu("ARTCC",
                 "1-Report traffic in sight 2-Report traffic not in sight 3-Close ATC Services"))
            .traffic);
}

}  // namespace
}  // namespace corvane::fsim
