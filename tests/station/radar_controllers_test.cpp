#include "StationFixture.h"
#include "station/RadarControllers.h"

namespace corvane::station::testing {
namespace {

constexpr const char* kAppAck =
    " Choose one of the following options for the Approach frequency: 1-Acknowledge 2-Close ATC "
    "Services";

class Radar : public StationTest {
  protected:
    // A pilot `nm` out from the runway start on a true course, at a height above the field.
    TrafficRecord& Flying(const std::string& cs, int32_t id, uint8_t type,
                          const std::string& status, int16_t course, int16_t nm, int32_t aboveField,
                          int16_t heading = 310) {
        TrafficRecord& p = AddPilot(cs, id, course, nm, airport.FieldElevation + aboveField);
        p.atcActive = 1;
        p.flightType = type;
        p.frequency = airport.ApproachFreq;
        p.status = status;
        p.heading = heading;
        return p;
    }
    void Approach(TrafficRecord& p, int16_t nm, std::string word = "") {
        Locate(p, nm, word);
        RunApproachController(context, p);
    }
    void Center(TrafficRecord& p, int16_t nm, std::string word = "") {
        Locate(p, nm, word);
        RunCenterController(context, p);
    }
    void Locate(TrafficRecord& p, int16_t nm, const std::string& word) {
        tables.AirportDistanceNm = nm;
        tables.RefDistanceNm = nm;
        if (!word.empty()) {
            p.compassWord = word;
        }
    }
    GeoPoint Runway(int16_t course, int16_t nm) {
        return nav::PointAtNm(airport.RunwayLat, airport.RunwayLon, course, nm);
    }
    GeoPoint Mountain(double lat, double lon, int32_t ft) {
        return {"Montaña No1", "Mountain", lat, lon, ft};
    }
};

TEST(RadarPhrases, TurnAtExactlyReversedHeadingIsLeftAndLevelGivesNoAltitude) {
    EXPECT_EQ(TurnPhrase(90, 270), " Turn left heading 270.");
    EXPECT_EQ(TurnPhrase(90, 90), " Turn right heading 90.");  // straight on: right
    EXPECT_EQ(TurnPhrase(90, 89), " Turn left heading 89.");
    EXPECT_EQ(TurnPhrase(90, 269), " Turn right heading 269.");
    EXPECT_EQ(TurnPhrase(360, 180), " Turn left heading 180.");
    EXPECT_EQ(AltitudePhrase(3000, 3000), "");
    EXPECT_EQ(AltitudePhrase(2999, 3000), " Climb and Maintain 3000 ft.");
    EXPECT_EQ(AltitudePhrase(3001, 3000), " Descent and Maintain 3000 ft.");
    EXPECT_EQ(TextNumber("2018"), 2018);
    EXPECT_EQ(TextNumber(""), 0);
    EXPECT_EQ(TextNumber("12abc"), 12);
    EXPECT_EQ(TextNumber("abc"), 0);
    EXPECT_EQ(TextNumber("99999999999"), INT32_MAX);
}

TEST_F(Radar, AirspaceBoundsAreExclusive) {
    for (const auto& [above, nm] :
         {std::pair{300, 10}, std::pair{10000, 10}, std::pair{2000, 20}}) {
        tables.Traffic.clear();
        TrafficRecord& p = Flying("VFR", 1, 0, "", 130, 10, above);
        p.pendingMenu = "something";
        Approach(p, static_cast<int16_t>(nm));
        EXPECT_EQ(p.pendingMenu, "") << above << " " << nm;
        EXPECT_EQ(p.frequency, "") << above << " " << nm;
    }
    tables.Traffic.clear();
    TrafficRecord& dep = Flying("IFR", 2, 1, "Departure", 130, 10, 10000);
    dep.text2 = "90";
    Approach(dep, 10);
    EXPECT_EQ(dep.status, "En Route");
    EXPECT_EQ(dep.frequency, "128.5");
    EXPECT_EQ(dep.text2, "");
    TrafficRecord& tower = Flying("TWR", 3, 1, "Contact tower", 130, 20, 2000);
    Approach(tower, 20);
    EXPECT_EQ(tower.atcActive, 0);
    TrafficRecord& handed = Flying("HND", 4, 1, "Contact Approach", 130, 20, 2000);
    Approach(handed, 20);
    EXPECT_EQ(handed.status, "Contact Approach");
    EXPECT_EQ(handed.frequency, "119.2");
}

TEST_F(Radar, TrafficReportsByRoundedDistanceAndOncePerStay) {
    TrafficRecord& p = Flying("N1", 1, 1, "Approach", 130, 10, 5000, 360);
    p.vectorTarget.name.clear();
    const auto traffic = [&](double nmNorth, int32_t alt) -> TrafficRecord& {
        TrafficRecord& t = AddPilot("T" + std::to_string(tables.Traffic.size()), 50);
        t.latitude = p.latitude + nmNorth / 60.0;
        t.longitude = p.longitude;
        t.altitudeFt = alt;
        t.aircraftType = "Cessna";
        return t;
    };
    const int32_t alt = p.altitudeFt;
    traffic(4.6, alt);         // rounds to 5: not near enough
    traffic(4.4, alt + 3000);  // 3000 ft apart: not near enough
    TrafficRecord& near = traffic(4.4, alt + 2999);
    Approach(p, 10);
    EXPECT_EQ(p.pendingMenu,
              "N1, Traffic is 4 miles, twelve o'clock, " + std::to_string(alt + 2999) +
                  " ft, type Cessna. Report them in sight. Choose one of the following "
                  "options for the Approach frequency: 1-Report traffic in sight 2-Report "
                  "traffic not in sight 3-Close ATC Services");
    EXPECT_EQ(p.text1, near.callsign + ", ");
    p.pendingMenu = "kept";
    Approach(p, 10);  // reported once per stay
    EXPECT_NE(p.pendingMenu.find("kept"), std::string::npos);
    TrafficRecord& alert = traffic(1.4, alt);
    traffic(1.6, alt);
    Approach(p, 10);  // both qualify: the last report is the one left, both are marked
    EXPECT_EQ(p.pendingMenu.substr(0, 28), "N1, Traffic is 2 miles, twel");
    EXPECT_NE(p.text1.find(alert.callsign + ", "), std::string::npos);
    p.text1 = near.callsign + ", T5, ";
    Approach(p, 10);
    EXPECT_EQ(p.pendingMenu.substr(0, 24), "N1, TRAFFIC ALERT!, 1 mi");
    EXPECT_NE(
        p.pendingMenu.find(". Avoid traffic and report them. Choose one of the following options "
                           "for the Approach frequency:"),
        std::string::npos);
}

TEST_F(Radar, DeparturesClimbAndGoToTheCentre) {
    TrafficRecord& p = Flying("N1", 1, 1, "Departure", 130, 10, 5000);
    Approach(p, 10);
    EXPECT_EQ(p.pendingMenu,
              "N1, Climb and maintain cruise altitude and assume own navigation. Choose one of the "
              "following options for the Departure frequency: 1-Acknowledge 2-Close ATC Services");
    EXPECT_EQ(p.status, "Departure");
    Approach(p, 11);
    EXPECT_EQ(p.status, "Acknowledge contact ARTCC (EN ROUTE)");
    EXPECT_EQ(p.pendingMenu,
              "N1, Contact ARTCC (128.5). Choose one of the following options for the "
              "Departure frequency: 1-Acknowledge 2-Close ATC Services");
    p.choice = 1;
    Approach(p, 11);
    EXPECT_EQ(p.status, "Contact ARTCC (EN ROUTE)");
    p.choice = 1;
    Approach(p, 12);
    EXPECT_EQ(p.status, "En Route");
    EXPECT_EQ(p.frequency, "128.5");

    TrafficRecord& q = Flying("N2", 2, 1, "Departure", 130, 10, 5001);
    Approach(q, 10);
    EXPECT_EQ(q.status, "Acknowledge contact ARTCC (EN ROUTE)");
}

TEST_F(Radar, HandedBackByTheTowerBecomesMissedApproachInsideFifteen) {
    TrafficRecord& a = Flying("A", 1, 1, "Contact Approach", 310, 14, 2000);
    TrafficRecord& b = Flying("B", 2, 1, "Contact Approach", 310, 15, 2000);
    Approach(a, 14);
    Approach(b, 15);
    EXPECT_EQ(a.status, "Missed Approach");
    EXPECT_EQ(b.status, "Approach");
    // Next tick: the right-hand circuit, downwind point 30 NM out on runway heading + 135.
    Approach(a, 14, "south");
    EXPECT_EQ(a.vectorTarget.name, "Right Downwind Leg - south");
    const GeoPoint downwind = Runway(265, 30);
    EXPECT_DOUBLE_EQ(a.vectorTarget.latitude, downwind.latitude);
    EXPECT_DOUBLE_EQ(a.vectorTarget.longitude, downwind.longitude);
    EXPECT_EQ(tables.RightBasePoint.name, "Right Base Leg - south");
    EXPECT_EQ(a.pendingMenu.substr(0, 15), "A, Turn left he");  // back toward the south-west
}

TEST_F(Radar, NorthArrivalGetsTheLeftDownwindPlan) {
    TrafficRecord& p = Flying("N1", 1, 1, "Approach", 130, 12, 5000, 310);
    Approach(p, 12, "north");
    const GeoPoint downwind = Runway(355, 12), base = Runway(310, 6), final = Runway(310, 7);
    EXPECT_EQ(tables.LeftDownwindPoint.name, "Left Downwind Leg - north");
    EXPECT_EQ(tables.LeftDownwindPoint.label, "Waypoint");
    EXPECT_DOUBLE_EQ(tables.LeftDownwindPoint.latitude, downwind.latitude);
    EXPECT_DOUBLE_EQ(tables.LeftBasePoint.latitude, base.latitude);
    EXPECT_DOUBLE_EQ(tables.FinalPoint.longitude, final.longitude);
    EXPECT_EQ(p.vectorTarget, tables.LeftDownwindPoint);
    // Planar figures: from 12 NM out on 130 to 12 NM out on 355 is a course of about 333.
    const int heading = TextNumber(p.text2);
    EXPECT_GE(heading, 331);
    EXPECT_LE(heading, 335);
    EXPECT_EQ(p.text3, "2018");
    EXPECT_EQ(p.pendingMenu,
              "N1, You are 12 miles, north, expect vectors for runway 13R approach. Turn "
              "right heading " +
                  p.text2 + ". Descent and Maintain 2018 ft." + kAppAck);
    // The same plan is not made again while the aircraft flies the heading it was given.
    p.pendingMenu = "N1, roger heading " + p.text2 + ".";
    Approach(p, 12, "north");
    EXPECT_EQ(p.pendingMenu, "N1, roger heading " + p.text2 + ".");
}

TEST_F(Radar, TerrainFloorsAlongEachLeg) {
    // A mountain under the base-to-downwind leg and one under the final-to-base leg.
    const GeoPoint downwind = Runway(355, 12), base = Runway(310, 6), final = Runway(310, 7);
    // Base to downwind runs about 024, final to base 130 (toward the runway).
    const GeoPoint onBaseLeg = nav::PointAtNm(base.latitude, base.longitude, 20, 5);
    const GeoPoint onFinalLeg = nav::PointAtFeet(final.latitude, final.longitude, 130, 3000);
    const GeoPoint besideFinal = nav::PointAtNm(final.latitude, final.longitude, 220, 1);
    terrain.Mountains = {Mountain(onBaseLeg.latitude, onBaseLeg.longitude, 4000),
                         Mountain(onFinalLeg.latitude, onFinalLeg.longitude, 1500),
                         Mountain(besideFinal.latitude, besideFinal.longitude, 9000),
                         Mountain(downwind.latitude + 0.5, downwind.longitude, 12000)};
    TrafficRecord& p = Flying("N1", 1, 1, "Approach", 130, 12, 5000, 310);
    Approach(p, 12, "north");
    EXPECT_EQ(tables.FinalPoint.elevationFt, 1500);
    EXPECT_EQ(tables.LeftBasePoint.elevationFt, 4000);
    EXPECT_EQ(p.text3, "6000");  // the base floor under the downwind-to-aircraft leg, plus 2000
}

TEST_F(Radar, InterceptTwoThirdsBackAndBackOnTheLine) {
    TrafficRecord& p = Flying("N1", 1, 1, "Approach", 130, 12, 3000, 310);
    const GeoPoint target = Runway(310, 7);
    p.vectorTarget = {"Final Approach - south", "Waypoint", target.latitude, target.longitude, 0};
    p.text2 = "310";
    p.text3 = "2018";
    // 9 NM from the target on a bearing 20 degrees off the inbound line (which runs out along 130).
    const GeoPoint off = nav::PointAtNm(target.latitude, target.longitude, 150, 9);
    p.latitude = off.latitude;
    p.longitude = off.longitude;
    p.pendingMenu = "N1, Turn left heading 310." + std::string(kAppAck);
    p.compassWord = "upwind";  // a word that plans nothing
    tables.AirportDistanceNm = 12;
    RunApproachController(context, p);
    const GeoPoint q = nav::PointAtNm(target.latitude, target.longitude, 130, 9 - 3);
    const int16_t toQ =
        nav::MagneticBearing(terrain.MagVarGrid, p.latitude, p.longitude, q.latitude, q.longitude);
    EXPECT_EQ(p.pendingMenu,
              "N1," + TurnPhrase(310, toQ) + " Descent and Maintain 2018 ft." + kAppAck);
    EXPECT_EQ(p.text2, "310");  // the assigned heading stays

    // On the line again, with another heading pending: steer straight at the target.
    const GeoPoint on = nav::PointAtNm(target.latitude, target.longitude, 132, 9);
    p.latitude = on.latitude;
    p.longitude = on.longitude;
    RunApproachController(context, p);
    const int16_t toTarget = nav::MagneticBearing(terrain.MagVarGrid, p.latitude, p.longitude,
                                                  target.latitude, target.longitude);
    EXPECT_EQ(p.text2, std::to_string(toTarget));
    EXPECT_EQ(p.pendingMenu.substr(0, 3 + TurnPhrase(310, toTarget).size()),
              "N1," + TurnPhrase(310, toTarget));
}

TEST_F(Radar, TargetReachedWithinAMileOrOncePassed) {
    TrafficRecord& p = Flying("N1", 1, 1, "Missed Approach", 130, 12, 3000, 310);
    const GeoPoint target = Runway(310, 7);
    p.vectorTarget = {"Final Approach - south", "Waypoint", target.latitude, target.longitude, 0};
    p.text2 = "310";
    const GeoPoint passed = nav::PointAtNm(target.latitude, target.longitude, 310, 3);  // beyond it
    p.latitude = passed.latitude;
    p.longitude = passed.longitude;
    p.pendingMenu = "kept";
    tables.AirportDistanceNm = 10;
    RunApproachController(context, p);
    EXPECT_EQ(p.vectorTarget.name, "");
    EXPECT_EQ(p.status, "Approach");
    EXPECT_EQ(p.pendingMenu, "kept");
}

TEST_F(Radar, SouthFinalIsClearedOnlyInsideFifteen) {
    TrafficRecord& p = Flying("N1", 1, 1, "Approach", 310, 16, 3000, 130);
    p.pendingMenu = "N1, earlier";
    Approach(p, 16, "south");
    EXPECT_EQ(p.status, "Approach");
    EXPECT_EQ(p.vectorTarget.name, "Final Approach - south");
    Approach(p, 14, "south");
    EXPECT_EQ(p.status, "Acknowledge contact tower");
    EXPECT_EQ(p.vectorTarget.name, "");
    EXPECT_EQ(
        p.pendingMenu,
        "N1, Cleared for the runway 13R approach. Maintain heading " + p.text2 + " and " + p.text3 +
            " ft until you have runway in sight. Contact Tower on 120.6. Good day." + kAppAck);
    airport.RunwayHasIls = kTrue;
    p.status = "Approach";
    Approach(p, 14, "south");
    EXPECT_EQ(p.pendingMenu.substr(0, 35), "N1, Cleared for the ILS runway 13R ");
    EXPECT_NE(p.pendingMenu.find(" ft until established localizer. Contact Tower on 120.6."),
              std::string::npos);
    p.choice = 1;
    Approach(p, 14, "south");
    EXPECT_EQ(p.status, "Contact tower");
    p.choice = 1;
    Approach(p, 14, "south");
    EXPECT_EQ(p.status, "Approach");
    EXPECT_EQ(p.frequency, "120.6");
}

TEST_F(Radar, VfrMenusByDistance) {
    TrafficRecord& p = Flying("N1", 1, 0, "", 130, 15, 2000);
    p.pendingMenu = "whatever";
    Approach(p, 15);
    EXPECT_EQ(p.pendingMenu, "whatever");
    p.pendingMenu.clear();
    Approach(p, 14);
    EXPECT_EQ(p.pendingMenu,
              "N1. Choose one of the following options for the Approach frequency: 1-Tune "
              "KBFI Tower Frequency 2-Close ATC Services");
    Approach(p, 16);
    EXPECT_EQ(
        p.pendingMenu,
        "N1. Choose one of the following options for the Approach frequency: 1-Close ATC Services");
}

TEST_F(Radar, ALegPlanForOnePilotLeavesAnotherPilotsTarget) {
    TrafficRecord& a = Flying("A", 1, 1, "Approach", 130, 12, 5000);
    TrafficRecord& b = Flying("B", 2, 1, "Approach", 100, 16, 5000);
    Approach(a, 12, "north");
    const GeoPoint mine = a.vectorTarget;
    Approach(b, 16, "north");
    EXPECT_NE(tables.LeftDownwindPoint, mine);  // the shared point now belongs to B's plan
    EXPECT_EQ(a.vectorTarget, mine);
}

TEST_F(Radar, CentreClosesAt200AndAsksOnlyAirborneIfrPilots) {
    TrafficRecord& far = Flying("FAR", 1, 1, "En Route", 130, 10, 20000);
    Center(far, 199);
    EXPECT_EQ(far.atcActive, 1);
    Center(far, 200);
    EXPECT_EQ(far.atcActive, 0);
    TrafficRecord& low = Flying("LOW", 2, 1, "", 130, 50, 300);
    Center(low, 50);
    EXPECT_EQ(low.pendingMenu, "");
    low.altitudeFt += 1;
    Center(low, 50);
    EXPECT_EQ(
        low.pendingMenu,
        "LOW. What is your destination airport?: 1-KBFI 2-Another Airport 3-Close ATC Services");
    low.choice = 1;
    Center(low, 150);
    EXPECT_EQ(low.status, "Descent");
}

// An arrival asked for its destination while another aircraft flies a mile away: the traffic
// report that takes the question's place is made once, so the pilot's answer to the question
// counts on a later tick instead of being spent by the same report again and again.
TEST_F(Radar, TheDestinationAnswerCountsWithTrafficNearby) {
    for (const bool centre : {true, false}) {
        tables.Traffic.clear();
        Flying("N1", 1, 1, "", 130, 12, 5000, 360);
        TrafficRecord& other = AddPilot("T2", 2);
        other.latitude = tables.Traffic[0].latitude + 1.0 / 60.0;
        other.longitude = tables.Traffic[0].longitude;
        other.altitudeFt = tables.Traffic[0].altitudeFt;
        TrafficRecord& p = tables.Traffic[0];
        if (centre) {
            p.frequency = airport.CenterFreq;
        }
        const auto call = [&] { centre ? Center(p, 12) : Approach(p, 12); };
        const std::string question =
            "N1. What is your destination airport?: 1-KBFI 2-Another Airport 3-Close ATC Services";
        call();
        EXPECT_EQ(p.pendingMenu, question) << centre;
        EXPECT_EQ(p.text1, "T2, ") << centre;
        for (int tick = 0; tick < 3; ++tick) {
            call();  // nothing new to report: the question stands
            EXPECT_EQ(p.pendingMenu, question) << centre;
        }
        p.choice = 1;
        call();
        EXPECT_EQ(p.status, centre ? "Descent" : "Approach") << centre;
    }
}

TEST_F(Radar, CentreDescentThenApproachInsideAHundredMiles) {
    terrain.MinSafeAltitude = 16411;
    TrafficRecord& p = Flying("N1", 1, 1, "Descent", 130, 10, 30000);
    Center(p, 100);
    EXPECT_EQ(p.text3, "16411");
    EXPECT_EQ(p.pendingMenu,
              "N1, Descent and Maintain 16411 ft. Choose one of the following options for "
              "the ARTCC frequency: 1-Acknowledge 2-Close ATC Services");
    EXPECT_EQ(p.status, "Descent");
    Center(p, 99);
    EXPECT_EQ(p.status, "Approach");
    EXPECT_EQ(p.pendingMenu, "");
    EXPECT_EQ(p.text3, "");
}

TEST_F(Radar, CentreReleasesVfrPilotsIntoTheApproachAirspace) {
    TrafficRecord& p = Flying("N1", 1, 0, "", 130, 19, 500);
    p.frequency = airport.CenterFreq;
    Center(p, 19);
    EXPECT_EQ(p.frequency, "");
    EXPECT_EQ(p.pendingMenu, "");
    airport.ApproachFreq = "";
    p.frequency = airport.CenterFreq;
    Center(p, 19);
    EXPECT_EQ(p.frequency, "128.5");
    EXPECT_EQ(p.pendingMenu,
              "N1. Choose one of the following options for the ARTCC frequency: 1-Close ATC "
              "Services");
}

TEST_F(Radar, CentreHandsAnArrivalToApproachOnceThePlanIsInside) {
    TrafficRecord& p = Flying("N1", 1, 1, "Approach", 130, 18, 6000, 310);
    p.frequency = airport.CenterFreq;
    p.pendingMenu = "N1, earlier";
    Center(p, 18, "north");
    EXPECT_EQ(p.status, "Acknowledge contact approach");
    EXPECT_EQ(p.pendingMenu,
              "N1, Contact approach frequency on 119.2. Choose one of the following options "
              "for the ARTCC frequency: 1-Acknowledge 2-Close ATC Services");
    EXPECT_EQ(p.vectorTarget.name, "");
    p.choice = 1;
    Center(p, 18);
    EXPECT_EQ(p.status, "Contact approach");
    p.choice = 1;
    Center(p, 18);
    EXPECT_EQ(p.status, "Approach");
    EXPECT_EQ(p.frequency, "119.2");
}

}  // namespace
}  // namespace corvane::station::testing
