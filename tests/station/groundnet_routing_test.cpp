// The station's taxi routing on the demo world's real ground networks: data/demo-world.json written
// as BGL files, decoded as the first run decodes them, and chosen as "Next" chooses an airport.
// Every parking place gets a route to the runway in use, and the runway start a route to every
// parking place: a clearance naming the taxiways and a reservation of a route that drives the
// airport's own paths from where the aircraft stands to where it is sent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "nav/Geometry.h"
#include "scenery-writer/Description.h"
#include "scenery-writer/World.h"
#include "scenery/AirportChoice.h"
#include "shared/Text.h"
#include "station/StationState.h"
#include "station/TaxiRouting.h"

namespace corvane::station {
namespace {

const std::vector<AirportRecord>& DemoAirports() {
    static const std::vector<AirportRecord> airports = [] {
        const char* root = std::getenv("CORVANE_SOURCE_DIR");
        std::ifstream in(std::filesystem::path(root ? root : ".") / "data/demo-world.json");
        std::ostringstream text;
        text << in.rdbuf();
        return writer::DecodedAirports(writer::ParseWorldDescription(text.str()));
    }();
    return airports;
}

struct Field {
    const char* ident;
    const char* runway;  // the longest
    size_t parking;      // the places joined to the network
    const char* towerFreq;
};

// KBFI leaves out the 33 of its 108 parking places that its network does not reach.
const Field kFields[] = {{"KBFI", "13R", 75, "120.6"},
                         {"KSEA", "16L", 87, "119.9"},
                         {"KPAE", "16R", 24, "120.2"},
                         {"KRNT", "16", 56, "124.7"}};

void PrintTo(const Field& field, std::ostream* os) {
    *os << field.ident;
}

constexpr const char* kMenu =
    " Choose one of the following options for the Ground frequency: 1-Acknowledge 2-Close ATC "
    "Services";

class GroundnetRouting : public ::testing::TestWithParam<Field> {
  protected:
    void SetUp() override {
        const auto& all = DemoAirports();
        const auto found = std::find_if(all.begin(), all.end(), [](const AirportRecord& a) {
            return a.ident == GetParam().ident;
        });
        ASSERT_NE(found, all.end());
        scenery::SearchBox box;
        scenery::LoadChosenAirport(*found, all, airport, box);
        ASSERT_EQ(airport.RunwayName, GetParam().runway);
        ASSERT_EQ(airport.ParkingSpots.size(), GetParam().parking);
        ASSERT_EQ(airport.TowerFreq, GetParam().towerFreq);
        for (const TaxiPath& p : airport.TaxiPaths) {
            if (p.kind == 1 && p.name == "Runway " + airport.RunwayName) {
                runwayNodes.insert(p.startNode);
                runwayNodes.insert(p.endNode);
            }
        }
        ASSERT_FALSE(runwayNodes.empty());
    }

    // A pilot on the ground frequency at a position, as the only traffic of the station.
    TrafficRecord& PilotAt(double lat, double lon) {
        tables.TaxiReservations.clear();
        tables.Traffic.clear();
        TrafficRecord p = BlankTrafficRecord();
        p.callsign = "N1";
        p.latitude = lat;
        p.longitude = lon;
        p.altitudeFt = airport.FieldElevation;
        p.frequency = airport.GroundFreq;
        tables.Traffic.push_back(p);
        return tables.Traffic.back();
    }

    // The nodes of the parking paths to places within whose radius the point lies.
    std::set<int32_t> ParkingNodesAt(double lat, double lon) const {
        std::set<int32_t> nodes;
        for (const TaxiPath& p : airport.TaxiPaths) {
            if (p.kind != 2) {
                continue;
            }
            const ParkingSpot& spot = airport.ParkingSpots.at(static_cast<size_t>(p.endNode));
            if (nav::DistanceFeet(lat, lon, spot.lat, spot.lon) < spot.radiusFt) {
                nodes.insert(p.startNode);
            }
        }
        return nodes;
    }

    // The one reservation, whose route runs over the airport's taxi and runway paths, step after
    // step, from one of `from` to one of `to`; the clearance between `head` and `tail` names every
    // taxiway of the route. Returns the number of steps.
    size_t ExpectRoute(const TrafficRecord& pilot, const std::set<int32_t>& from,
                       const std::set<int32_t>& to, const std::string& head,
                       const std::string& tail) {
        EXPECT_EQ(pilot.choice, 0);
        if (tables.TaxiReservations.size() != 1) {
            ADD_FAILURE() << "no reservation; the clearance reads: " << pilot.pendingMenu;
            return 0;
        }
        const TaxiReservation& r = tables.TaxiReservations[0];
        EXPECT_EQ(r.callsign, "N1");
        EXPECT_EQ(r.trafficIndex, 0);
        if (r.route.empty()) {
            ADD_FAILURE() << "an empty route";
            return 0;
        }
        EXPECT_TRUE(from.count(r.route.front().startNode)) << r.route.front().startNode;
        EXPECT_TRUE(to.count(r.route.back().endNode)) << r.route.back().endNode;
        for (size_t k = 0; k < r.route.size(); ++k) {
            const TaxiPath& step = r.route[k];
            if (k > 0) {
                EXPECT_EQ(step.startNode, r.route[k - 1].endNode) << "step " << k;
            }
            const bool drivable =
                std::any_of(airport.TaxiPaths.begin(), airport.TaxiPaths.end(), [&](const auto& p) {
                    return (p.kind == 0 || p.kind == 1) && p.kind == step.kind &&
                           p.name == step.name &&
                           ((p.startNode == step.startNode && p.endNode == step.endNode) ||
                            (p.startNode == step.endNode && p.endNode == step.startNode));
                });
            EXPECT_TRUE(drivable) << "step " << k << " is no path of the airport";
        }
        const std::string& menu = pilot.pendingMenu;
        if (menu.size() < head.size() + tail.size() || menu.rfind(head, 0) != 0 ||
            menu.compare(menu.size() - tail.size(), tail.size(), tail) != 0) {
            ADD_FAILURE() << "the clearance reads: " << menu;
            return r.route.size();
        }
        // " A B10 RUNWAY 13R ": each name with a blank before and after it.
        const std::string names = menu.substr(head.size(), menu.size() - head.size() - tail.size());
        EXPECT_NE(TrimBlanks(names), "") << menu;
        for (const TaxiPath& step : r.route) {
            if (!step.name.empty()) {
                EXPECT_NE(names.find(" " + AsciiUpper(step.name) + " "), std::string::npos)
                    << step.name << " missing from: " << menu;
            }
        }
        return r.route.size();
    }

    ChosenAirport airport;
    Terrain terrain;
    StationTables tables;
    StationContext context{airport, terrain, tables};
    std::set<int32_t> runwayNodes;  // the ends of the runway in use's paths
};

TEST_P(GroundnetRouting, EveryParkingPlaceToTheRunwayInUse) {
    const GeoPoint runway{airport.RunwayName, kDestinationRunway, airport.RunwayLat,
                          airport.RunwayLon, airport.FieldElevation};
    for (const ParkingSpot& spot : airport.ParkingSpots) {
        SCOPED_TRACE(spot.name);
        TrafficRecord& pilot = PilotAt(spot.lat, spot.lon);
        PlanTaxiRoute(context, pilot, runway);
        EXPECT_EQ(pilot.status, "Acknowledge taxi to runway");
        const TaxiReservation* r =
            tables.TaxiReservations.empty() ? nullptr : &tables.TaxiReservations[0];
        if (r) {
            EXPECT_EQ(r->destinationKind, "Runway");
            EXPECT_EQ(r->destinationName, airport.RunwayName);
        }
        ExpectRoute(pilot, ParkingNodesAt(spot.lat, spot.lon), runwayNodes,
                    "N1, Taxi to and hold short runway " + airport.RunwayName + " using taxiway",
                    ". Contact tower on " + airport.TowerFreq + " when ready." + kMenu);
    }
}

TEST_P(GroundnetRouting, FromTheRunwayStartToEveryParkingPlace) {
    std::set<std::string> names;
    for (size_t i = 0; i < airport.ParkingSpots.size(); ++i) {
        const ParkingSpot& spot = airport.ParkingSpots[i];
        SCOPED_TRACE(spot.name);
        // A place is found by its name: no two may share one.
        EXPECT_TRUE(names.insert(spot.name).second);
        std::set<int32_t> spotNodes;
        for (const TaxiPath& p : airport.TaxiPaths) {
            if (p.kind == 2 && p.endNode == static_cast<int32_t>(i)) {
                spotNodes.insert(p.startNode);
            }
        }
        TrafficRecord& pilot = PilotAt(airport.RunwayLat, airport.RunwayLon);
        PlanTaxiRoute(context, pilot, {spot.name, kDestinationParking, spot.lat, spot.lon, 0});
        EXPECT_EQ(pilot.status, "Acknowledge taxi to gate");
        // From the end of a taxi or runway path nearest the runway start.
        std::set<int32_t> starts;
        for (const TaxiPath& p : airport.TaxiPaths) {
            if (p.kind == 0 || p.kind == 1) {
                starts.insert(p.startNode);
                starts.insert(p.endNode);
            }
        }
        ExpectRoute(pilot, starts, spotNodes, "N1, Taxi to " + spot.name + " using taxiway",
                    "." + std::string(kMenu));
    }
}

INSTANTIATE_TEST_SUITE_P(DemoWorld, GroundnetRouting, ::testing::ValuesIn(kFields),
                         [](const auto& info) { return std::string(info.param.ident); });

}  // namespace
}  // namespace corvane::station
