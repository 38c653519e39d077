#include <algorithm>
#include <cmath>

#include "StationFixture.h"
#include "station/Dispatcher.h"
#include "station/GroundController.h"
#include "station/RunwayOccupancy.h"
#include "station/TaxiRouting.h"

namespace corvane::station::testing {
namespace {

constexpr const char* kGround = "Choose one of the following options for the Ground frequency: ";

class Ground : public StationTest {
  protected:
    // Grid positions: x in steps of 0.001 degree of longitude, y of latitude, from the field.
    double Lat(double y) const { return airport.AirportLat + y * 0.001; }
    double Lon(double x) const { return airport.AirportLon + x * 0.001; }
    int Node(double x, double y) {
        airport.TaxiNodes.push_back({0, Lat(y), Lon(x)});
        return static_cast<int>(airport.TaxiNodes.size()) - 1;
    }
    void Path(int from, int to, const std::string& name, int32_t kind = 0) {
        airport.TaxiPaths.push_back({kind, from, to, name});
    }
    void Spot(const std::string& name, double x, double y, int node) {
        airport.ParkingSpots.push_back({name, 60, Lat(y), Lon(x), 0});
        if (node >= 0) {
            Path(node, static_cast<int>(airport.ParkingSpots.size()) - 1, name, 2);
        }
    }
    // A small apron: a taxiway A from the west to the east with two gates and a parking place.
    void Apron() {
        const int w = Node(-6, 2), m = Node(0, 2), e = Node(6, 2);
        Path(w, m, "A");
        Path(m, e, "A");
        Spot("GATE A 1", -6, 3, w);
        Spot("GATE A 2", 0, 3, m);
        Spot("PARKING 1", 6, 3, e);
    }
    TrafficRecord& OnGround(const std::string& cs, int32_t id, double x, double y,
                            uint8_t type = 0) {
        TrafficRecord& p = AddPilot(cs, id);
        p.latitude = Lat(y);
        p.longitude = Lon(x);
        p.atcActive = 1;
        p.flightType = type;
        p.frequency = airport.GroundFreq;
        p.pendingMenu = cs + ". " + kGround + "1-Close ATC Services";
        return p;
    }
    std::vector<SentLine> Pass() {
        DispatchPilotDialogue(context, chat);
        return chat.TakeAll();
    }
    std::string Menu(const std::string& cs, const std::string& options) {
        return cs + ". " + kGround + options;
    }
};

TEST_F(Ground, InitialMenuOffersOnlyWhatIsFree) {
    Apron();
    TrafficRecord& p = OnGround("N1", 1, 0, -5);
    Pass();
    EXPECT_EQ(p.pendingMenu, Menu("N1",
                                  "1-Request Taxi to Runway 2-Request Taxi to Gate "
                                  "3-Request Taxi to Parking 4-Close ATC Services"));
    // An aircraft on the parking place takes it away.
    OnGround("N2", 2, 6, 3);
    Pass();
    EXPECT_EQ(p.pendingMenu,
              Menu("N1", "1-Request Taxi to Runway 2-Request Taxi to Gate 3-Close ATC Services"));
    // Both gates: one named by a reservation, the other not reached by any parking path.
    tables.TaxiReservations.push_back({"N3", 0, {}, "gate a 1", kDestinationParking, 0, 0});
    airport.TaxiPaths[3].kind = 0;  // GATE A 2's parking path is no parking path any more
    Pass();
    EXPECT_EQ(p.pendingMenu, Menu("N1", "1-Request Taxi to Runway 2-Close ATC Services"));
    EXPECT_EQ(airport.ParkingSpots[0].unavailable, 1);
    EXPECT_EQ(airport.ParkingSpots[1].unavailable, 1);
    EXPECT_EQ(airport.ParkingSpots[2].unavailable, 1);
}

TEST_F(Ground, APlaceFreedOrTakenEarlierInAPassCountsForTheNextPilot) {
    // GATE A 2 has an aircraft on it; GATE A 1 is N1's, who reports parked on his turn. N2's
    // turn comes later in the same pass and is offered the gate N1 has just given up.
    Apron();
    OnGround("N9", 9, 0, 3).frequency.clear();  // on GATE A 2, not on the ground frequency
    TrafficRecord& n1 = OnGround("N1", 1, -6, -6);
    n1.status = "Taxiing to gate";
    n1.pendingMenu = "N1, Report us when you are parked in the gate or parking. " +
                     std::string(kGround) + "1-Report Parking 2-Close ATC Services";
    n1.choice = 1;
    tables.TaxiReservations.push_back({"N1", 0, {}, "GATE A 1", kDestinationParking, 0, 0, 7});
    TrafficRecord& n2 = OnGround("N2", 2, 6, -6);
    Pass();
    EXPECT_TRUE(tables.TaxiReservations.empty());
    EXPECT_EQ(n2.pendingMenu, Menu("N2",
                                   "1-Request Taxi to Runway 2-Request Taxi to Gate "
                                   "3-Request Taxi to Parking 4-Close ATC Services"));

    // Next pass: N2 asks for the gate and gets GATE A 1; N3, later in the table, is not offered
    // a gate any more in that same pass.
    TrafficRecord& n3 = OnGround("N3", 3, 3, -6);
    n2.choice = 2;
    Pass();
    ASSERT_EQ(tables.TaxiReservations.size(), 1u);
    EXPECT_EQ(tables.TaxiReservations[0].destinationName, "GATE A 1");
    EXPECT_EQ(
        n3.pendingMenu,
        Menu("N3", "1-Request Taxi to Runway 2-Request Taxi to Parking 3-Close ATC Services"));
}

TEST_F(Ground, DepartureWithoutANetworkToTheTower) {
    TrafficRecord& p = OnGround("N1", 1, 0, -5);
    Pass();
    EXPECT_EQ(p.pendingMenu, Menu("N1", "1-Request Taxi to Runway 2-Close ATC Services"));
    p.choice = 1;
    Pass();
    EXPECT_EQ(p.pendingMenu,
              "N1, Taxi to and hold short runway 13R. Contact tower on 120.6 when ready. " +
                  std::string(kGround) + "1-Acknowledge 2-Close ATC Services");
    EXPECT_EQ(p.status, "Acknowledge taxi to runway");
    EXPECT_TRUE(Pass().empty());  // nothing changes without an answer
    p.choice = 1;
    Pass();
    EXPECT_EQ(p.pendingMenu, Menu("N1", "1-Tune KBFI Tower Frequency 2-Close ATC Services"));
    EXPECT_EQ(p.status, "Taxiing to runway");
    p.choice = 1;
    const auto sent = Pass();
    EXPECT_EQ(p.frequency, "120.6");
    EXPECT_EQ(
        p.pendingMenu,
        "N1. Choose one of the following options for the Tower frequency: 1-Close ATC Services");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].recipients, (std::vector<int32_t>{1}));  // now on the tower frequency
}

TEST_F(Ground, AnAnswerIsReadAgainstTheMenuLastStored) {
    TrafficRecord& p = OnGround("N1", 1, 0, -5);
    Pass();
    p.choice = 2;  // "2-Close ATC Services" in this menu
    Pass();
    EXPECT_EQ(p.atcActive, 0);
    EXPECT_EQ(p.frequency, "");
}

TEST_F(Ground, TakingOffWithoutClearance) {
    TrafficRecord& vfr = OnGround("VFR", 1, 0, 0);
    TrafficRecord& ifr = OnGround("IFR", 2, 0, 0, 1);
    TrafficRecord& level = OnGround("LEVEL", 3, 0, 0);
    vfr.altitudeFt = ifr.altitudeFt = airport.FieldElevation + 301;
    level.altitudeFt = airport.FieldElevation + 300;
    level.pendingMenu = "unchanged";
    tables.TaxiReservations.push_back({"VFR", 0, {}, "13R", kDestinationRunway, 0, 0});
    Pass();
    EXPECT_EQ(vfr.pendingMenu,
              "VFR, You were not cleared for takeoff. Ground Services terminated.");
    EXPECT_EQ(vfr.frequency, "");
    EXPECT_EQ(vfr.atcActive, 1);
    EXPECT_TRUE(tables.TaxiReservations.empty());
    EXPECT_EQ(ifr.atcActive, 0);  // closed without a word
    EXPECT_EQ(ifr.pendingMenu, "");
    EXPECT_EQ(level.pendingMenu, "unchanged");
}

TEST_F(Ground, LandedIfrPilotContinuesAsVfrWithGatesAndParking) {
    Apron();
    TrafficRecord& p = OnGround("N1", 1, 0, -5, 1);
    p.status = "Contact Ground";
    p.pendingMenu = "from the tower";
    Pass();
    EXPECT_EQ(p.flightType, 0);
    EXPECT_EQ(p.status, "");
    EXPECT_EQ(p.pendingMenu, "");
    Pass();
    EXPECT_EQ(p.pendingMenu, Menu("N1",
                                  "1-Request Taxi to Runway 2-Request Taxi to Gate "
                                  "3-Request Taxi to Parking 4-Close ATC Services"));
    p.choice = 2;
    Pass();
    EXPECT_EQ(p.status, "Acknowledge taxi to gate");
    EXPECT_EQ(p.pendingMenu.substr(0, 23), "N1, Taxi to GATE A 1 us");
}

TEST_F(Ground, AGateTakenBeforeTheAnswerCausesTheMenuAgain) {
    const int w = Node(-6, 2), e = Node(6, 2);
    Path(w, e, "A");
    Spot("GATE A 1", -6, 3, w);
    TrafficRecord& p = OnGround("N1", 1, 0, -5);
    Pass();
    ASSERT_EQ(p.pendingMenu,
              Menu("N1", "1-Request Taxi to Runway 2-Request Taxi to Gate 3-Close ATC Services"));
    OnGround("N2", 2, -6, 3);  // somebody rolls onto the gate
    p.choice = 2;
    const auto sent = Pass();
    EXPECT_EQ(p.choice, 0);
    EXPECT_EQ(p.status, "");
    EXPECT_EQ(p.pendingMenu, Menu("N1", "1-Request Taxi to Runway 2-Close ATC Services"));
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].text, p.pendingMenu);
    EXPECT_TRUE(tables.TaxiReservations.empty());
}

// Two aircraft taxiing toward junction J from the west and from the south.
class Junction : public Ground {
  protected:
    void Build(double southY) {
        const int a0 = Node(-8, 0), a1 = Node(-4, 0), j = Node(0, 0), g = Node(4, 0);
        const int b0 = Node(0, southY * 2), b1 = Node(0, southY);
        Path(a0, a1, "A");
        Path(a1, j, "A");
        Path(j, g, "B");
        Path(b0, b1, "C");
        Path(b1, j, "C");
        Spot("GATE B 1", 4, 1, g);
        routeA = {{0, a0, a1, "A"}, {0, a1, j, "A"}, {0, j, g, "B"}};
        routeB = {{0, b0, b1, "C"}, {0, b1, j, "C"}, {0, j, g, "B"}};
        nodeB1Y = southY;
    }
    TrafficRecord& Taxiing(const std::string& cs, int32_t id, double x, double y,
                           const std::vector<TaxiPath>& route) {
        TrafficRecord& p = OnGround(cs, id, x, y);
        p.status = "Taxiing to gate";
        p.pendingMenu = cs + ", Report us when you are parked in the gate or parking. " + kGround +
                        "1-Report Parking 2-Close ATC Services";
        tables.TaxiReservations.push_back({cs, 0, route, "GATE B 1", kDestinationParking, 0, 0});
        return p;
    }
    std::string HoldText(const std::string& cs) {
        return cs + ", Hold position, caution other traffic. " + kGround +
               "1-Acknowledge 2-Close ATC Services";
    }
    std::vector<TaxiPath> routeA, routeB;
    double nodeB1Y = 0;
};

TEST_F(Junction, TheFartherAircraftHoldsUntilTheNearerHasPassed_HeldPilotSecond) {
    Build(-6);  // B's leg is longer: B is farther from J
    TrafficRecord& a = Taxiing("A", 1, -4, 0, routeA);
    TrafficRecord& b = Taxiing("B", 2, 0, -6, routeB);
    auto sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (SentLine{HoldText("B"), {1, 2}}));
    EXPECT_EQ(b.status, "Acknowledge hold position");
    EXPECT_EQ(a.status, "Taxiing to gate");
    EXPECT_TRUE(Pass().empty());  // said once

    a.longitude = Lon(2);  // A is past the junction, on B-taxiway toward the gate
    sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text,
              "B, Continue taxi. Report us when you are parked in the gate or parking. " +
                  std::string(kGround) + "1-Report Parking 2-Close ATC Services");
    EXPECT_EQ(b.status, "Taxiing to gate");
    EXPECT_EQ(tables.TaxiReservations[0].route[0].startNode, -1);
    EXPECT_EQ(tables.TaxiReservations[0].route[1].endNode, -1);
    EXPECT_NE(tables.TaxiReservations[0].route[2].startNode, -1);
}

TEST_F(Junction, TheHoldReachesTheHeldPilotWhenHeComesFirst) {
    Build(-6);
    TrafficRecord& b = Taxiing("B", 2, 0, -6, routeB);
    Taxiing("A", 1, -4, 0, routeA);
    const auto sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (SentLine{HoldText("B"), {2, 1}}));
    EXPECT_EQ(b.status, "Acknowledge hold position");
}

TEST_F(Junction, TheHoldOfAPilotLaterInTheTableIsSentInTheSamePass) {
    Build(-6);
    // A third pilot first in the table triggers the bookkeeping before either of them.
    OnGround("C", 3, 10, -10);
    Taxiing("A", 1, -4, 0, routeA);
    Taxiing("B", 2, 0, -6, routeB);
    const auto sent = Pass();
    std::vector<std::string> texts;
    for (const auto& s : sent) {
        texts.push_back(s.text);
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{Menu("C", "1-Request Taxi to Runway 2-Close ATC Services"),
                                        HoldText("B")}));
}

TEST_F(Junction, EqualDistancesHoldNobody) {
    // B comes from the east along the same line: the same distance to J.
    const int a0 = Node(-8, 0), a1 = Node(-4, 0), j = Node(0, 0), b0 = Node(8, 0), b1 = Node(4, 0);
    Path(a0, a1, "A");
    Path(a1, j, "A");
    Path(b0, b1, "C");
    Path(b1, j, "C");
    Spot("GATE B 1", 0, 1, j);
    TrafficRecord& a = Taxiing("A", 1, -4, 0, {{0, a0, a1, "A"}, {0, a1, j, "A"}});
    TrafficRecord& b = Taxiing("B", 2, 4, 0, {{0, b0, b1, "C"}, {0, b1, j, "C"}});
    EXPECT_TRUE(Pass().empty());
    EXPECT_EQ(a.status, "Taxiing to gate");
    EXPECT_EQ(b.status, "Taxiing to gate");
}

TEST_F(Junction, AnAircraftThatHoldsMakesNobodyElseHold) {
    // B is nearer to J but must wait before the active runway beyond it; A, farther, goes on.
    const int a0 = Node(-8, 0), a1 = Node(-4, 0), j = Node(0, 0), b0 = Node(8, 0), b1 = Node(3, 0),
              r = Node(0, -4);
    Path(a0, a1, "A");
    Path(a1, j, "A");
    Path(b0, b1, "C");
    Path(b1, j, "C");
    Path(j, r, "Runway 13R", 1);
    Spot("GATE B 1", 0, 1, j);
    EnqueueTakeoff(tables, "DEP");
    TrafficRecord& a = Taxiing("A", 1, -4, 0, {{0, a0, a1, "A"}, {0, a1, j, "A"}});
    TrafficRecord& b =
        Taxiing("B", 2, 3, 0, {{0, b0, b1, "C"}, {0, b1, j, "C"}, {1, j, r, "Runway 13R"}});
    Pass();
    EXPECT_EQ(b.status, "Acknowledge hold position");
    EXPECT_EQ(a.status, "Taxiing to gate");
    Pass();
    EXPECT_EQ(a.status, "Taxiing to gate");
    // Once B may go, A is the farther one and waits for him.
    DequeueTakeoff(tables, "DEP");
    Pass();
    EXPECT_EQ(b.status, "Taxiing to gate");
    EXPECT_EQ(a.status, "Acknowledge hold position");
}

TEST_F(Junction, AircraftWaitingOnEachOtherInARingAreToldOnce) {
    // A gives way to B at X, B to C at Y, C to A at Z. Judged one after the other on every ground
    // pilot's turn, the ring would flip between hold and continue on each turn. Taken round after
    // round (A holds, B holds, C goes; A goes, C holds; B goes; A holds, B and C go), the fourth
    // round stands: A waits and the others taxi on, and that stays so.
    const int x = Node(9, -1), y = Node(5, 7), z = Node(1, -1);
    const int ax = Node(9, -2), az = Node(0, -2), bx = Node(8, -2), by = Node(5, 6),
              cy = Node(4, 6), cz = Node(1, -2);
    Spot("GATE B 1", 20, 20, x);
    TrafficRecord& a = Taxiing("A", 1, 0, 0, {{0, ax, x, "A"}, {0, az, z, "A"}});
    TrafficRecord& b = Taxiing("B", 2, 10, 0, {{0, bx, x, "B"}, {0, by, y, "B"}});
    TrafficRecord& c = Taxiing("C", 3, 5, 8, {{0, cy, y, "C"}, {0, cz, z, "C"}});

    const auto sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], (SentLine{HoldText("A"), {1, 2, 3}}));
    for (int pass = 0; pass < 5; ++pass) {
        EXPECT_TRUE(Pass().empty()) << "pass " << pass;
    }
    EXPECT_EQ(a.status, "Acknowledge hold position");
    EXPECT_EQ(b.status, "Taxiing to gate");
    EXPECT_EQ(c.status, "Taxiing to gate");
}

TEST_F(Junction, RingsOfWaitingAircraftTellEachAtMostOnceAPass) {
    // n aircraft on a circle, each giving way to the next at a node beside it.
    for (int n = 3; n <= 7; ++n) {
        airport.TaxiNodes.clear();
        airport.TaxiPaths.clear();
        airport.ParkingSpots.clear();
        tables.Traffic.clear();
        tables.TaxiReservations.clear();
        tables.Ground = {};
        Spot("GATE B 1", 40, 40, -1);
        std::vector<double> px, py;
        for (int i = 0; i < n; ++i) {
            const double angle = 2 * nav::kPi * i / n;
            px.push_back(10 * std::cos(angle));
            py.push_back(10 * std::sin(angle));
        }
        std::vector<std::vector<TaxiPath>> routes(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const int next = (i + 1) % n;
            const double ox = px[next] / 10, oy = py[next] / 10;  // outward
            const int junction = Node(px[next] + ox, py[next] + oy);
            const int fromFar = Node(px[next] + 2 * ox - 0.3 * oy, py[next] + 2 * oy + 0.3 * ox);
            const int fromNear = Node(px[next] + 2 * ox + 0.3 * oy, py[next] + 2 * oy - 0.3 * ox);
            routes[static_cast<size_t>(i)].push_back({0, fromFar, junction, "A"});
            routes[static_cast<size_t>(next)].push_back({0, fromNear, junction, "B"});
        }
        for (int i = 0; i < n; ++i) {
            Taxiing("R" + std::to_string(i), 100 + i, px[static_cast<size_t>(i)],
                    py[static_cast<size_t>(i)], routes[static_cast<size_t>(i)]);
        }
        int lines = 0;
        for (int pass = 0; pass < 8; ++pass) {
            std::vector<std::string> told;
            for (const auto& line : Pass()) {
                const std::string who = line.text.substr(0, line.text.find(','));
                EXPECT_EQ(std::count(told.begin(), told.end(), who), 0)
                    << who << " twice in pass " << pass << " of a ring of " << n;
                told.push_back(who);
                ++lines;
            }
        }
        EXPECT_GT(lines, 0) << "a ring of " << n;
    }
}

TEST_F(Ground, RouteOverTheActiveRunwayHoldsWhileItIsBusy) {
    const int s = Node(-6, -2), r1 = Node(-2, -2), r2 = Node(2, -2), g = Node(6, -2);
    Path(s, r1, "A");
    Path(r1, r2, "Runway 13R", 1);
    Path(r2, g, "B");
    Spot("GATE B 1", 6, -1, g);
    TrafficRecord& p = OnGround("N1", 1, -6, -2);
    p.status = "Taxiing to gate";
    p.pendingMenu = "N1, Report us when you are parked in the gate or parking. " +
                    std::string(kGround) + "1-Report Parking 2-Close ATC Services";
    tables.TaxiReservations.push_back(
        {"N1",
         0,
         {{0, s, r1, "A"}, {1, r1, r2, "Runway 13R"}, {0, r2, g, "B"}},
         "GATE B 1",
         kDestinationParking,
         0,
         0});
    EXPECT_TRUE(Pass().empty());
    EnqueueTakeoff(tables, "DEP");
    Pass();
    EXPECT_EQ(p.status, "Acknowledge hold position");
    DequeueTakeoff(tables, "DEP");
    EnqueueLanding(tables, "ARR");
    Pass();
    EXPECT_EQ(p.status, "Acknowledge hold position");
    DequeueLanding(tables, "ARR");
    Pass();
    EXPECT_EQ(p.status, "Taxiing to gate");
    EXPECT_EQ(p.pendingMenu.substr(0, 20), "N1, Continue taxi. R");
}

TEST_F(Ground, RunwayOccupiedAlongTheTrueCourseWithStrongVariation) {
    // 20 degrees east: magnetic 130 is true 150 at the runway start.
    terrain.MagVarGrid[(48 + 90) + 181 * 238] = 3641;
    airport.RunwayLength = 8000;
    airport.RunwayWidth = 150;
    TrafficRecord& self = AddPilot("SELF", 1);
    const auto onRunway = [&](int16_t trueCourse, int16_t feet, int32_t alt) {
        const GeoPoint p = nav::PointAtFeet(airport.RunwayLat, airport.RunwayLon, trueCourse, feet);
        tables.Traffic.resize(1);
        TrafficRecord& other = AddPilot("OTHER", 2);
        other.latitude = p.latitude;
        other.longitude = p.longitude;
        other.altitudeFt = alt;
        return RunwayOccupied(context, self);
    };
    EXPECT_TRUE(onRunway(150, 3000, 18));  // on the centre line, well past 600 ft
    EXPECT_TRUE(onRunway(150, 7900, 18));
    EXPECT_FALSE(onRunway(150, 3000, 318));  // 300 ft above the field: flying, not on it
    EXPECT_FALSE(onRunway(153, 3000, 18));   // about 157 ft off the centre line
    EXPECT_FALSE(onRunway(130, 3000, 18));   // the magnetic course taken as true is off the runway
    // The pilot himself never occupies it.
    tables.Traffic.resize(1);
    const GeoPoint p = nav::PointAtFeet(airport.RunwayLat, airport.RunwayLon, 150, 3000);
    self.latitude = p.latitude;
    self.longitude = p.longitude;
    EXPECT_FALSE(RunwayOccupied(context, self));
}

}  // namespace
}  // namespace corvane::station::testing
