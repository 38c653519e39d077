#include "StationFixture.h"
#include "station/TaxiRouting.h"

namespace corvane::station::testing {
namespace {

// A small grid: x steps of 0.001 degree of longitude (about 250 ft here), y steps of 0.001 degree
// of latitude (about 365 ft).
class TaxiRouting : public StationTest {
  protected:
    int Node(double x, double y) {
        airport.TaxiNodes.push_back({0, 47.5 + y * 0.001, -122.3 + x * 0.001});
        return static_cast<int>(airport.TaxiNodes.size()) - 1;
    }
    void Path(int from, int to, const std::string& name, int32_t kind = 0) {
        airport.TaxiPaths.push_back({kind, from, to, name});
    }
    // A parking place at (x, y) reached by a kind-2 path from `node`.
    void Parking(const std::string& name, double x, double y, int node) {
        airport.ParkingSpots.push_back({name, 80, 47.5 + y * 0.001, -122.3 + x * 0.001, 0});
        Path(node, static_cast<int>(airport.ParkingSpots.size()) - 1, name, 2);
    }
    TrafficRecord& PilotAt(double x, double y) {
        TrafficRecord& p = AddPilot("N1", 11);
        p.latitude = 47.5 + y * 0.001;
        p.longitude = -122.3 + x * 0.001;
        return p;
    }
    GeoPoint Runway() {
        return {airport.RunwayName, kDestinationRunway, airport.RunwayLat, airport.RunwayLon, 0};
    }
    GeoPoint Gate(const std::string& name) { return {name, kDestinationParking, 0, 0, 0}; }
    static std::vector<std::pair<int, int>> Nodes(const std::vector<TaxiPath>& route) {
        std::vector<std::pair<int, int>> nodes;
        for (const auto& s : route) {
            nodes.emplace_back(s.startNode, s.endNode);
        }
        return nodes;
    }
    static constexpr const char* kMenu =
        " Choose one of the following options for the Ground frequency: 1-Acknowledge 2-Close ATC "
        "Services";
};

TEST_F(TaxiRouting, DeadEndIsRememberedAndTheNextWalkGoesAround) {
    const int s = Node(0, 0), e = Node(10, 0), d = Node(5, 0), a = Node(0, 5), b = Node(10, 5);
    Path(s, d, "A");  // straight at E, but stops short
    Path(s, a, "B");
    Path(a, b, "B");
    Path(e, b, "C");  // stored the other way round: driven backwards
    Parking("GATE A 1", 10.2, 0, e);
    const TrafficRecord& p = PilotAt(0, 0.1);
    const TaxiSearch r = SearchTaxiRoute(airport, p, Gate("gate a 1"));
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.walks, 2);
    EXPECT_EQ(Nodes(r.route), (std::vector<std::pair<int, int>>{{s, a}, {a, b}, {b, e}}));
    EXPECT_EQ(TaxiwayList(r.route), " B C ");
}

TEST_F(TaxiRouting, AStepOntoTheEndIsTakenEvenWhenItTurnsBack) {
    // Standing on the destination's own node: the only way is out and back over the same segment,
    // which the no-turning-back rule would forbid anywhere but onto the end node.
    const int n = Node(0, 0), x = Node(3, 0);
    Path(n, x, "A");
    Parking("PARKING 1", 0, 0.1, n);
    Parking("PARKING 2", 0, -0.1, n);
    const TrafficRecord& p = PilotAt(0, 0.1);  // on PARKING 1
    const TaxiSearch r = SearchTaxiRoute(airport, p, Gate("PARKING 2"));
    ASSERT_TRUE(r.found);
    EXPECT_EQ(Nodes(r.route), (std::vector<std::pair<int, int>>{{n, x}, {x, n}}));
}

TEST_F(TaxiRouting, OffTheRunwayATaxiPathBeatsANearerRunwayPath) {
    const int s = Node(0, 0), r1 = Node(3, 0), r2 = Node(6, 0), c = Node(3, 4), e = Node(8, 1);
    airport.RunwayName = "13R";
    Path(s, r1, "Runway 13R", 1);
    Path(r1, r2, "Runway 13R", 1);  // nearer to E
    Path(r1, c, "C");               // farther, but a taxi path
    Path(r2, e, "B");
    Path(c, e, "D");
    Parking("GATE B 2", 8, 1.1, e);
    const TaxiSearch r = SearchTaxiRoute(airport, PilotAt(0, 0), Gate("GATE B 2"));
    ASSERT_TRUE(r.found);
    EXPECT_EQ(Nodes(r.route), (std::vector<std::pair<int, int>>{{s, r1}, {r1, c}, {c, e}}));
    EXPECT_EQ(TaxiwayList(r.route), " RUNWAY 13R C D ");

    // Taxiing, the nearer end wins whatever the kind.
    airport.TaxiPaths[0].kind = 0;
    const TaxiSearch t = SearchTaxiRoute(airport, PilotAt(0, 0), Gate("GATE B 2"));
    EXPECT_EQ(Nodes(t.route), (std::vector<std::pair<int, int>>{{s, r1}, {r1, r2}, {r2, e}}));
}

TEST_F(TaxiRouting, EqualDistancesAtTheStartChooseNothing) {
    const int a = Node(-1, 0), b = Node(1, 0);
    Path(a, b, "A");
    Parking("GATE A 1", 1, 0.1, b);
    TrafficRecord& p = PilotAt(0, 0);
    EXPECT_EQ(SearchTaxiRoute(airport, p, Gate("GATE A 1")).startNode, -1);
    PlanTaxiRoute(context, p, Gate("GATE A 1"));
    EXPECT_EQ(p.pendingMenu, std::string("N1, Taxi to GATE A 1.") + kMenu);
    EXPECT_EQ(p.status, "Acknowledge taxi to gate");
    EXPECT_TRUE(tables.TaxiReservations.empty());

    // A later path with a strictly nearer end is chosen.
    const int c = Node(0, 1), d = Node(0, 4);
    Path(d, c, "B");
    EXPECT_EQ(SearchTaxiRoute(airport, p, Gate("GATE A 1")).startNode, c);
}

TEST_F(TaxiRouting, ParkedAircraftStartsFromItsParkingPath) {
    const int near = Node(0, 0), far = Node(0, 8), e = Node(5, 8);
    Path(near, far, "A");
    Path(far, e, "B");
    Parking("GATE A 1", 0.2, 0, far);  // the aircraft stands here; its path starts at `far`
    Parking("GATE B 1", 5, 8.2, e);
    const TaxiSearch r = SearchTaxiRoute(airport, PilotAt(0.2, 0), Gate("GATE B 1"));
    EXPECT_EQ(r.startNode, far);
    EXPECT_EQ(Nodes(r.route), (std::vector<std::pair<int, int>>{{far, e}}));
}

TEST_F(TaxiRouting, TwoSeparateNetworksGiveNoRouteAndStop) {
    const int s = Node(0, 0), a = Node(2, 0), b = Node(2, 2), e = Node(8, 8), f = Node(9, 8);
    Path(s, a, "A");
    Path(a, b, "A");
    Path(b, s, "B");  // a loop with no way out
    Path(e, f, "C");
    Parking("GATE C 1", 9, 8.2, f);
    TrafficRecord& p = PilotAt(0, 0);
    const TaxiSearch r = SearchTaxiRoute(airport, p, Gate("GATE C 1"));
    EXPECT_FALSE(r.found);
    EXPECT_LE(r.walks, 7);
    PlanTaxiRoute(context, p, Gate("GATE C 1"));
    EXPECT_EQ(p.pendingMenu, std::string("N1, Taxi to GATE C 1.") + kMenu);
    EXPECT_TRUE(tables.TaxiReservations.empty());
}

TEST_F(TaxiRouting, RunwayClearanceAndReservation) {
    airport.RunwayName = "13R";
    airport.TowerFreq = "120.6";
    const int s = Node(0, 0), e = Node(6, 0), r2 = Node(9, 0);
    Path(s, e, "a");
    Path(e, r2, "Runway 13R", 1);
    airport.RunwayLat = 47.5;
    airport.RunwayLon = -122.3 + 0.0059;  // the runway start lies at node e
    AddPilot("OTHER", 5);
    TrafficRecord& p = PilotAt(0, 0.1);
    p.choice = 1;
    PlanTaxiRoute(context, p, Runway());
    EXPECT_EQ(
        p.pendingMenu,
        std::string("N1, Taxi to and hold short runway 13R using taxiway A . Contact tower on "
                    "120.6 when ready.") +
            kMenu);
    EXPECT_EQ(p.status, "Acknowledge taxi to runway");
    EXPECT_EQ(p.choice, 0);
    ASSERT_EQ(tables.TaxiReservations.size(), 1u);
    const TaxiReservation& r = tables.TaxiReservations[0];
    EXPECT_EQ(r.callsign, "N1");
    EXPECT_EQ(r.trafficIndex, 1);
    EXPECT_EQ(r.destinationName, "13R");
    EXPECT_EQ(r.destinationKind, "Runway");
    EXPECT_EQ(r.route, (std::vector<TaxiPath>{{0, s, e, "a"}}));
}

TEST_F(TaxiRouting, NoRunwayPathOfThatNameGivesThePlainClearance) {
    airport.RunwayName = "31L";
    airport.TowerFreq = "120.6";
    const int s = Node(0, 0), e = Node(6, 0);
    Path(s, e, "Runway 13R", 1);
    TrafficRecord& p = PilotAt(0, 0.1);
    PlanTaxiRoute(context, p, Runway());
    EXPECT_EQ(
        p.pendingMenu,
        std::string("N1, Taxi to and hold short runway 31L. Contact tower on 120.6 when ready.") +
            kMenu);
    EXPECT_TRUE(tables.TaxiReservations.empty());
}

TEST_F(TaxiRouting, BrokenNodeNumbersAreNeverFollowed) {
    const int s = Node(0, 0), e = Node(4, 0);
    Path(s, 99, "X");
    Path(-3, s, "Y");
    Path(s, e, "A");
    Parking("GATE A 1", 4, 0.1, e);
    airport.TaxiPaths.push_back({2, 1234, 0, "BAD"});  // a parking path from nowhere
    const TaxiSearch r = SearchTaxiRoute(airport, PilotAt(0, 0.1), Gate("GATE A 1"));
    ASSERT_TRUE(r.found);
    EXPECT_EQ(TaxiwayList(r.route), " A ");
}

TEST(TaxiwayList, NamesOncePerRunUpperCaseAndTrailingBlank) {
    const auto route = [](std::vector<std::string> names) {
        std::vector<TaxiPath> r;
        for (auto& n : names) {
            r.push_back({0, 0, 0, n});
        }
        return r;
    };
    EXPECT_EQ(TaxiwayList(route({"b", "B"})), " B ");
    EXPECT_EQ(TaxiwayList(route({"B", "C", "B"})), " B C B ");
    EXPECT_EQ(TaxiwayList(route({"", " ", "A", "", "A"})), " A ");
    EXPECT_EQ(TaxiwayList(route({"", " "})), " ");
    EXPECT_EQ(TaxiwayList(route({"AB", "B"})), " AB B ");  // " AB" does not end with " B"
    EXPECT_EQ(TaxiwayList(route({"A", "Runway 16R", "B"})), " A RUNWAY 16R B ");
    EXPECT_EQ(TaxiwayList({}), " ");
}

}  // namespace
}  // namespace corvane::station::testing
