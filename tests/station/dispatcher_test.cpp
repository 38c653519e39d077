#include "station/Dispatcher.h"
#include "StationFixture.h"

namespace corvane::station::testing {
namespace {

class Dispatcher : public StationTest {
  protected:
    std::vector<SentLine> Pass() {
        DispatchPilotDialogue(context, chat);
        return chat.TakeAll();
    }
    // Brings a pilot into service with the given flight type, through the opening dialogue.
    void IntoService(size_t index, uint8_t type) {
        TrafficRecord& p = tables.Traffic[index];
        p.atcActive = 1;
        p.flightType = type;
        p.pendingMenu = p.callsign + ". Choose one of the following options: 1-Close ATC Services";
    }
    static std::string Welcome(const std::string& cs) {
        return cs +
               ". Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at KBFI?: "
               "1-Use ATC services";
    }
    static std::string Base(const std::string& cs) {
        return cs + ". Choose one of the following options: 1-Close ATC Services";
    }
};

TEST_F(Dispatcher, WelcomeOnceAndHeardByEveryoneWithoutAFrequency) {
    AddPilot("N1", 11);
    EXPECT_EQ(Pass(), (std::vector<SentLine>{{Welcome("N1"), {11}}}));
    EXPECT_TRUE(Pass().empty());  // not repeated
    AddPilot("N2", 12);
    EXPECT_EQ(Pass(), (std::vector<SentLine>{{Welcome("N2"), {11, 12}}}));
}

TEST_F(Dispatcher, NoWelcomeWithoutAPlayerIdOrCallsign) {
    AddPilot("N1", 0);
    AddPilot("N2", -5);
    AddPilot("", 9);
    EXPECT_TRUE(Pass().empty());
}

TEST_F(Dispatcher, OpeningDialogueToTheFrequencyMenu) {
    TrafficRecord& p = AddPilot("N1", 11);  // on the ground at the field
    Pass();
    p.choice = 1;  // "Use ATC services"
    EXPECT_EQ(
        Pass(),
        (std::vector<SentLine>{
            {"N1. What type of flight you want to fly?: 1-VFR 2-IFR 3-Close ATC Services", {11}}}));
    p.choice = 2;  // IFR
    EXPECT_EQ(Pass(), (std::vector<SentLine>{{Base("N1"), {11}}}));
    EXPECT_EQ(p.atcActive, 1);
    EXPECT_EQ(p.flightType, 1);
    EXPECT_EQ(Pass(),
              (std::vector<SentLine>{{Base("N1") + " 2-Tune KBFI Ground Frequency", {11}}}));
    EXPECT_TRUE(Pass().empty());  // rebuilt every pass, sent only when it changes
}

TEST_F(Dispatcher, UnmatchedAnswerStaysWaiting) {
    TrafficRecord& p = AddPilot("N1", 11);
    Pass();
    p.choice = 4;
    EXPECT_TRUE(Pass().empty());
    EXPECT_EQ(p.choice, 4);
    EXPECT_EQ(p.pendingMenu, Welcome("N1"));
}

TEST_F(Dispatcher, FrequencyMenuFollowsTheAircraft) {
    AddPilot("VFR", 1, 180, 10, 2018);  // 2000 ft above the field, 10 NM out
    AddPilot("IFR", 2, 180, 10, 2018);
    AddPilot("FAR", 3, 180, 250, 5000);
    AddPilot("EXACT", 4, 180, 3, 318);  // exactly 300 ft above the field
    IntoService(0, 0);
    IntoService(1, 1);
    IntoService(2, 0);
    IntoService(3, 0);
    Pass();
    EXPECT_EQ(tables.Traffic[0].pendingMenu,
              Base("VFR") + " 2-Tune Approach Frequency 3-Tune KBFI Tower Frequency");
    EXPECT_EQ(tables.Traffic[1].pendingMenu, Base("IFR") + " 2-Tune Approach Frequency");
    EXPECT_EQ(tables.Traffic[2].pendingMenu, Base("FAR"));
    EXPECT_EQ(tables.Traffic[3].pendingMenu, Base("EXACT"));

    airport.ApproachFreq = "";
    Pass();
    EXPECT_EQ(tables.Traffic[0].pendingMenu,
              Base("VFR") + " 2-Tune ARTCC Frequency 3-Tune KBFI Tower Frequency");
    EXPECT_EQ(tables.Traffic[1].pendingMenu, Base("IFR") + " 2-Tune ARTCC Frequency");
}

TEST_F(Dispatcher, VfrLowAndCloseGetsTowerAsOptionTwoThenGround) {
    // 200 ft above the field is below the airborne threshold; 400 ft within 15 NM is airborne.
    AddPilot("LOW", 1, 90, 5, 218);
    AddPilot("CLIMB", 2, 90, 5, 418);
    IntoService(0, 0);
    IntoService(1, 0);
    airport.ApproachFreq = "";
    airport.CenterFreq = "128.5";
    Pass();
    EXPECT_EQ(tables.Traffic[0].pendingMenu, Base("LOW") + " 2-Tune KBFI Ground Frequency");
    EXPECT_EQ(tables.Traffic[1].pendingMenu,
              Base("CLIMB") + " 2-Tune ARTCC Frequency 3-Tune KBFI Tower Frequency");
}

TEST_F(Dispatcher, TuningHandsThePilotToTheService) {
    TrafficRecord& p = AddPilot("N1", 11, 180, 10, 2018);
    AddPilot("ONTOWER", 12).frequency = "120.6";
    IntoService(0, 0);
    Pass();
    p.choice = 3;  // "Tune KBFI Tower Frequency"
    const auto sent = Pass();
    EXPECT_EQ(p.frequency, "120.6");
    EXPECT_EQ(p.choice, 0);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (SentLine{"N1. Choose one of the following options for the Tower frequency: "
                                 "1-Close ATC Services",
                                 {11, 12}}));
}

TEST_F(Dispatcher, IfrCannotTuneTheTower) {
    TrafficRecord& p = AddPilot("N1", 11, 180, 10, 2018);
    IntoService(0, 1);
    Pass();
    p.pendingMenu += " 3-Tune KBFI Tower Frequency";  // as if an old VFR menu were pending
    p.choice = 3;
    Pass();
    EXPECT_EQ(p.frequency, "");
    EXPECT_EQ(p.choice, 3);  // stays waiting
}

TEST_F(Dispatcher, CloseThenWelcomeAgain) {
    TrafficRecord& p = AddPilot("N1", 11);
    IntoService(0, 0);
    Pass();
    p.choice = 1;
    EXPECT_TRUE(Pass().empty());  // services closed: nothing to send
    EXPECT_EQ(p.atcActive, 0);
    EXPECT_EQ(p.pendingMenu, "");
    EXPECT_EQ(Pass(), (std::vector<SentLine>{{Welcome("N1"), {11}}}));
}

TEST_F(Dispatcher, SayAgainRepeatsTheLastMessageUnchanged) {
    TrafficRecord& p = AddPilot("N1", 11);
    IntoService(0, 0);
    Pass();
    const std::string last = p.pendingMenu;
    p.pendingMenu += " (Say Again)";
    EXPECT_EQ(Pass(), (std::vector<SentLine>{{last, {11}}}));
    EXPECT_EQ(p.pendingMenu, last);
}

TEST_F(Dispatcher, PilotsWithAControllerFrequencyAreLeftToTheirController) {
    TrafficRecord& p = AddPilot("N1", 11);
    IntoService(0, 0);
    p.frequency = "999.9";  // no service has it
    p.pendingMenu = "kept";
    EXPECT_TRUE(Pass().empty());
    EXPECT_EQ(p.pendingMenu, "kept");
    EXPECT_EQ(ServiceOfFrequency(airport, "121.9"), Service::Ground);
    EXPECT_EQ(ServiceOfFrequency(airport, "120.6"), Service::Tower);
    airport.TowerFreq = airport.GroundFreq;  // the earlier test wins
    EXPECT_EQ(ServiceOfFrequency(airport, "121.9"), Service::Ground);
    EXPECT_EQ(ServiceOfFrequency(airport, "999.9"), Service::None);
}

TEST_F(Dispatcher, AirportWithoutGroundFrequencyUsesTheAdvisoryFrequency) {
    airport.GroundFreq = "";
    airport.CtafFreq = "122.9";
    AddPilot("N1", 11);
    IntoService(0, 0);
    const auto sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text,
              "N1. Choose one of the following options for the Advisory frequency (CTAF - 122.9): "
              "1-Announce Taxi to Runway 2-Announce Takeoff 3-Announce Position 4-Announce Landing "
              "5-Announce Taxi to Gate or Parking 6-Close ATC Services");
}

// Who stands on the runway is worked out once per pass, but each pilot's question still leaves
// out the pilot himself.
TEST_F(Dispatcher, TheRunwayCheckOfAPassLeavesOutTheAskingPilot) {
    airport.RunwayLength = 10000;
    airport.RunwayWidth = 200;
    const std::string menu =
        ". Choose one of the following options for the Tower frequency: 1-Tune KBFI Ground "
        "Frequency 2-Request VFR Takeoff Clearance 3-Close ATC Services";
    const auto onTower = [&](const std::string& cs, int32_t id, bool onRunway, bool asks) {
        TrafficRecord& p = AddPilot(cs, id);
        const GeoPoint at = onRunway
                                ? nav::PointAtFeet(airport.RunwayLat, airport.RunwayLon, 130, 3000)
                                : nav::PointAtFeet(airport.RunwayLat, airport.RunwayLon, 0, 3000);
        p.latitude = at.latitude;
        p.longitude = at.longitude;
        p.heading = 130;
        p.atcActive = 1;
        p.frequency = airport.TowerFreq;
        p.status = "Taxiing to runway";
        p.pendingMenu = cs + menu;
        p.choice = asks ? 2 : 0;
    };
    // The pilot on the runway asks after one who is not: nobody else is on it.
    onTower("APRON", 1, false, false);
    onTower("LINEDUP", 2, true, true);
    Pass();
    EXPECT_EQ(tables.Traffic[1].status, "Acknowledge Takeoff");

    // The pilot off the runway asks after one who is on it: he must hold short.
    tables.Traffic.clear();
    tables.TakeoffQueue.clear();
    onTower("LINEDUP", 2, true, false);
    onTower("APRON", 1, false, true);
    Pass();
    EXPECT_EQ(tables.Traffic[1].status, "Acknowledge Hold short");
    EXPECT_FALSE(tables.RunwayCheck.inPass);  // outside a pass every question is answered afresh
}

}  // namespace
}  // namespace corvane::station::testing
