#include "StationFixture.h"
#include "station/TowerController.h"

namespace corvane::station::testing {
namespace {

constexpr const char* kTower = ". Choose one of the following options for the Tower frequency: ";

class TowerTest : public StationTest {
  protected:
    TrafficRecord& OnTower(const std::string& cs, int32_t id, uint8_t type,
                           const std::string& status, int32_t heightAboveField) {
        TrafficRecord& p = AddPilot(cs, id);
        p.atcActive = 1;
        p.flightType = type;
        p.frequency = airport.TowerFreq;
        p.status = status;
        p.altitudeFt = airport.FieldElevation + heightAboveField;
        p.heading = 130;
        return p;
    }
    // One call for the pilot, located as UpdateCompassPosition would have left him.
    void Call(TrafficRecord& p, int16_t airportNm = 3, int16_t refNm = 3, std::string word = "") {
        tables.AirportDistanceNm = airportNm;
        tables.RefDistanceNm = refNm;
        if (!word.empty()) {
            p.compassWord = word;
        }
        RunTowerController(context, p);
    }
    std::string Ack(const std::string& cs, const std::string& body) {
        return cs + body + kTower + "1-Acknowledge 2-Close ATC Services";
    }
    std::string Land(const std::string& cs, int n) {
        return Ack(cs, ", You are cleared to land on runway 13R. Number " + std::to_string(n) +
                           " for landing");
    }
};

TEST_F(TowerTest, FifteenMilesIsTheBoundary) {
    TrafficRecord& p = OnTower("N1", 1, 0, "", 2000);
    p.pendingMenu = "before";
    Call(p, 15);
    EXPECT_EQ(p.pendingMenu, "before");
    EXPECT_EQ(p.frequency, "120.6");
    Call(p, 14);
    EXPECT_EQ(p.pendingMenu,
              std::string("N1") + kTower +
                  "1-Request Full Stop Landing 2-Tune Approach Frequency 3-Close ATC Services");
    airport.ApproachFreq = "";
    Call(p, 14);
    EXPECT_EQ(p.pendingMenu,
              std::string("N1") + kTower +
                  "1-Request Full Stop Landing 2-Tune ARTCC Frequency 3-Close ATC Services");
    Call(p, 16);  // a VFR pilot leaves the tower silently
    EXPECT_EQ(p.pendingMenu, "");
    EXPECT_EQ(p.frequency, "");
    EXPECT_EQ(p.atcActive, 1);
}

TEST_F(TowerTest, TakeoffQueueClearsInOrder) {
    TrafficRecord& a = OnTower("A", 1, 0, "Taxiing to runway", 0);
    TrafficRecord& b = OnTower("B", 2, 0, "Taxiing to runway", 0);
    Call(a);
    EXPECT_EQ(
        a.pendingMenu,
        std::string("A") + kTower +
            "1-Tune KBFI Ground Frequency 2-Request VFR Takeoff Clearance 3-Close ATC Services");
    a.choice = 2;
    Call(a);
    EXPECT_EQ(a.pendingMenu, Ack("A", ", KBFI Tower, Cleared for takeoff on runway 13R"));
    EXPECT_EQ(a.status, "Acknowledge Takeoff");
    b.pendingMenu =
        std::string("B") + kTower +
        "1-Tune KBFI Ground Frequency 2-Request VFR Takeoff Clearance 3-Close ATC Services";
    b.choice = 2;
    Call(b);
    EXPECT_EQ(b.pendingMenu, Ack("B", ", KBFI Tower, Hold short on runway 13R"));
    EXPECT_EQ(b.status, "Acknowledge Hold short");
    EXPECT_EQ(tables.TakeoffQueue, (std::vector<std::string>{"A", "B"}));
    b.choice = 1;
    Call(b);
    EXPECT_EQ(b.status, "Holding short in runway");
    Call(b);  // A is still at the head
    EXPECT_EQ(b.pendingMenu, std::string("B") + kTower + "1-Close ATC Services");
    a.choice = 1;
    Call(a);
    EXPECT_EQ(a.status, "Takingoff");
    a.altitudeFt = airport.FieldElevation + 301;
    Call(a);
    EXPECT_EQ(a.status, "");
    EXPECT_EQ(a.pendingMenu, std::string("A") + kTower + "1-Close ATC Services");
    EXPECT_EQ(tables.TakeoffQueue, (std::vector<std::string>{"B"}));
    EnqueueLanding(tables, "ARR");  // somebody cleared to land: B keeps holding
    Call(b);
    EXPECT_EQ(b.status, "Holding short in runway");
    DequeueLanding(tables, "ARR");
    Call(b);
    EXPECT_EQ(b.status, "Acknowledge Takeoff");
    EXPECT_EQ(b.pendingMenu, Ack("B", ", KBFI Tower, Cleared for takeoff on runway 13R"));
    EXPECT_EQ(tables.TakeoffQueue, (std::vector<std::string>{"B"}));  // not queued twice
}

TEST_F(TowerTest, TakeoffWithoutClearanceIsTerminated) {
    TrafficRecord& vfr = OnTower("VFR", 1, 0, "Taxiing to runway", 301);
    TrafficRecord& ifr = OnTower("IFR", 2, 1, "Taxiing to runway", 301);
    TrafficRecord& held = OnTower("HELD", 3, 0, "Holding short in runway", 301);
    EnqueueTakeoff(tables, "HELD");
    Call(vfr);
    Call(ifr);
    Call(held);
    EXPECT_EQ(vfr.pendingMenu,
              "VFR, You were not cleared for take off. Tower Services terminated.");
    EXPECT_EQ(
        ifr.pendingMenu,
        "IFR, You were not cleared for take off. Canceling IFR and turning to VFR. Tower Services "
        "terminated.");
    EXPECT_EQ(ifr.flightType, 0);
    EXPECT_EQ(ifr.frequency, "");
    EXPECT_EQ(held.pendingMenu,
              "HELD, You were not cleared for take off. Tower Services terminated.");
    EXPECT_TRUE(tables.TakeoffQueue.empty());
}

TEST_F(TowerTest, PatternEntryBySide) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"north", " Tower, Enter left downwind runway "},
        {"northwest", " Tower, Enter left downwind runway "},
        {"west", " Tower, Enter left downwind runway "},
        {"northeast", " Tower, Enter right downwind runway "},
        {"east", " Tower, Enter right downwind runway "},
        {"southeast", " Tower, Fly on base to runway "},
        {"southwest", " Tower, Fly on base to runway "},
        {"south", " Tower, Fly straight in runway "}};
    for (const auto& [word, piece] : cases) {
        tables.Traffic.clear();
        TrafficRecord& p = OnTower("N1", 1, 0, "", 1500);
        p.pendingMenu =
            std::string("N1") + kTower +
            "1-Request Full Stop Landing 2-Tune Approach Frequency 3-Close ATC Services";
        p.choice = 1;
        Call(p, 8, 8, word);
        EXPECT_EQ(p.pendingMenu, Ack("N1", ", KBFI" + piece + "13R")) << word;
        EXPECT_EQ(p.status, "Acknowledge enter traffic pattern") << word;
    }
    tables.Traffic.clear();
    TrafficRecord& p = OnTower("N1", 1, 0, "", 1500);
    p.pendingMenu = std::string("N1") + kTower + "1-Request Full Stop Landing 3-Close ATC Services";
    p.choice = 1;
    p.compassWord = "";
    Call(p, 8, 8);
    EXPECT_EQ(p.choice, 1);  // waits for a known side
    EXPECT_EQ(p.status, "");
}

TEST_F(TowerTest, LowBeforeClearanceThenClearedInTheSameCall) {
    TrafficRecord& p = OnTower("N1", 1, 0, "Flying traffic pattern", 300);
    Call(p, 5, 5, "north");
    EXPECT_EQ(p.status, "Flying traffic pattern");  // exactly 300 ft: nothing
    EXPECT_EQ(p.pendingMenu, std::string("N1") + kTower + "1-Cancel Landing 2-Close ATC Services");
    p.altitudeFt -= 1;
    Call(p, 5, 5, "north");
    EXPECT_EQ(p.pendingMenu, "N1, You were not cleared for land. Tower Services terminated.");
    EXPECT_EQ(p.frequency, "");
    p.status = "Flying traffic pattern";
    p.frequency = airport.TowerFreq;
    Call(p, 5, 5, "south");  // terminated, then cleared to land by the same call
    EXPECT_EQ(p.pendingMenu, Land("N1", 1));
    EXPECT_EQ(p.status, "Acknowledge Landing");
    EXPECT_EQ(p.frequency, "");
    EXPECT_EQ(tables.LandingQueue, (std::vector<std::string>{"N1"}));
}

TEST_F(TowerTest, SequenceNumbersAndBothArrivalsLand) {
    TrafficRecord& a = OnTower("A", 1, 0, "Flying traffic pattern", 1000);
    TrafficRecord& b = OnTower("B", 2, 0, "Flying traffic pattern", 1500);
    Call(a, 4, 4, "south");
    Call(b, 8, 8, "south");
    EXPECT_EQ(a.pendingMenu, Land("A", 1));
    EXPECT_EQ(b.pendingMenu, Land("B", 2));
    for (TrafficRecord* p : {&a, &b}) {
        p->choice = 1;
        Call(*p, 4, 4);
        EXPECT_EQ(p->status, "Landing");
        EXPECT_EQ(p->pendingMenu, p->callsign + kTower +
                                      "1-Cancel Landing 2-Report Go Around 3-Close ATC Services");
    }
    // A, first in the sequence, reaches the runway while B, behind him, is landing too.
    a.altitudeFt = airport.FieldElevation;
    Call(a, 1, 1);
    EXPECT_EQ(a.pendingMenu,
              std::string("A, Exit runway when able") + kTower + "1-Close ATC Services");
    a.heading = 145;  // turned off the runway axis
    Call(a, 1, 1);
    EXPECT_EQ(a.pendingMenu, Ack("A", ", Contact Ground on 121.9. Good day"));
    EXPECT_EQ(a.status, "Acknowledge contact ground");
    EXPECT_EQ(tables.LandingQueue, (std::vector<std::string>{"B"}));
    // Now B comes within 2 NM: nobody ahead of him, so he lands as well.
    b.altitudeFt = airport.FieldElevation + 200;
    Call(b, 1, 1);
    EXPECT_EQ(b.status, "Landing");
    EXPECT_EQ(b.pendingMenu,
              std::string("B, Exit runway when able") + kTower + "1-Close ATC Services");
}

TEST_F(TowerTest, GoAroundForTrafficAheadTakingOffOrOnTheRunway) {
    TrafficRecord& a = OnTower("A", 1, 0, "Landing", 600);
    TrafficRecord& b = OnTower("B", 2, 0, "Landing", 900);
    EnqueueLanding(tables, "A");
    EnqueueLanding(tables, "B");
    a.pendingMenu = "A landing";
    Call(a, 1, 1);  // B is behind: no go-around for A
    EXPECT_EQ(a.status, "Landing");
    Call(b, 1, 1);  // A is ahead and still landing: B goes around
    EXPECT_EQ(b.pendingMenu, Ack("B", ", Go around"));
    EXPECT_EQ(b.status, "Acknowledge going around");
    EXPECT_EQ(tables.LandingQueue, (std::vector<std::string>{"A"}));
    OnTower("DEP", 3, 0, "Takingoff", 0);
    Call(a, 1, 1);
    EXPECT_EQ(a.status, "Acknowledge going around");
    EXPECT_TRUE(tables.LandingQueue.empty());
    // Farther than 2 NM nobody is sent around.
    a.status = "Landing";
    Call(a, 3, 2);
    EXPECT_EQ(a.status, "Landing");
}

TEST_F(TowerTest, IfrGoAroundAndMissedApproachGoToApproachOrCentre) {
    TrafficRecord& p = OnTower("N1", 1, 1, "Landing", 600);
    OnTower("DEP", 2, 0, "Takingoff", 0);
    EnqueueLanding(tables, "N1");
    Call(p, 1, 1);
    EXPECT_EQ(p.pendingMenu, Ack("N1", ", Go around. Contact Approach on 119.2. Good day"));
    EXPECT_EQ(p.status, "Acknowledge contact approach");
    p.choice = 1;
    Call(p, 3, 3);
    EXPECT_EQ(p.status, "Contact Approach");
    p.choice = 1;
    Call(p, 3, 3);
    EXPECT_EQ(p.frequency, "119.2");
    EXPECT_EQ(
        p.pendingMenu,
        "N1. Choose one of the following options for the Approach frequency: 1-Close ATC Services");

    airport.ApproachFreq = "";
    TrafficRecord& q = OnTower("N2", 3, 1, "Landing", 600);
    q.pendingMenu = std::string("N2") + kTower + "1-Declare Missed Approach 2-Close ATC Services";
    q.choice = 1;
    Call(q, 5, 5);
    EXPECT_EQ(q.pendingMenu, Ack("N2", ", Roger. Contact ARTCC (128.5). Good day"));
    EXPECT_EQ(q.status, "Acknowledge contact ARTCC (GO AROUND)");
    q.choice = 1;
    Call(q, 5, 5);
    q.choice = 1;
    Call(q, 5, 5);
    EXPECT_EQ(q.status, "Missed Approach");
    EXPECT_EQ(q.frequency, "128.5");
    EXPECT_EQ(q.pendingMenu, "");
}

TEST_F(TowerTest, IfrDepartureHandOffs) {
    TrafficRecord& p = OnTower("N1", 1, 1, "Takingoff", 301);
    EnqueueTakeoff(tables, "N1");
    Call(p);
    EXPECT_EQ(p.pendingMenu, Ack("N1", ", Contact Departure on 119.2. Good day"));
    EXPECT_EQ(p.status, "Acknowledge contact departure");
    EXPECT_TRUE(tables.TakeoffQueue.empty());
    Call(p, 16);  // beyond 15 NM before acknowledging: handed over all the same
    EXPECT_EQ(p.status, "Contact Departure");
    EXPECT_EQ(p.frequency, "119.2");
    EXPECT_EQ(p.pendingMenu,
              "N1. Choose one of the following options for the Departure frequency: 1-Close ATC "
              "Services");

    airport.ApproachFreq = "";
    TrafficRecord& q = OnTower("N2", 2, 1, "Takingoff", 301);
    Call(q);
    EXPECT_EQ(q.pendingMenu, Ack("N2", ", Contact ARTCC (128.5). Good day"));
    Call(q, 20);
    EXPECT_EQ(q.status, "Departure");
    EXPECT_EQ(q.frequency, "128.5");
}

TEST_F(TowerTest, IfrFarRules) {
    TrafficRecord& approach = OnTower("A", 1, 1, "Approach", 3000);
    TrafficRecord& takingOff = OnTower("T", 2, 1, "Takingoff", 3000);
    TrafficRecord& ground = OnTower("G", 3, 1, "Contact Ground", 3000);
    takingOff.pendingMenu = "kept";
    Call(approach, 16);
    Call(takingOff, 16);
    Call(ground, 16);
    EXPECT_EQ(approach.atcActive, 0);
    EXPECT_EQ(takingOff.pendingMenu, "kept");
    EXPECT_EQ(takingOff.atcActive, 1);
    EXPECT_EQ(ground.atcActive, 0);
}

TEST_F(TowerTest, CloseIsTestedLastAndEndsTheService) {
    TrafficRecord& p = OnTower("N1", 1, 0, "Acknowledge Takeoff", 0);
    EnqueueTakeoff(tables, "N1");
    Call(p);
    EXPECT_EQ(p.pendingMenu, Ack("N1", ", KBFI Tower, Cleared for takeoff on runway 13R"));
    p.choice = 2;
    Call(p);
    EXPECT_EQ(p.atcActive, 0);
    EXPECT_TRUE(tables.TakeoffQueue.empty());
}

}  // namespace
}  // namespace corvane::station::testing
