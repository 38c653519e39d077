// The pilot's charts: taxi routes over the named taxiways, the hold-short point, runway exits.
#include <gtest/gtest.h>

#include <cmath>

#include "fsim/AirportChart.h"
#include "support/SimAirport.h"

namespace corvane::fsim {
namespace {

using testing::SimAirport;
using testing::SimRunwayPoint;

class Chart : public ::testing::Test {
  protected:
    ChosenAirport airport = SimAirport();
    MagneticVariationGrid grid{};
    AirportChart chart = ChartFromAirport(airport, grid);

    // Where a point lies, in feet, rounded to the foot: (along, across).
    std::pair<long, long> Feet(LatLon p) const {
        const TrackOffset o = chart.RunwayOffsetFeet(p);
        return {std::lround(o.along), std::lround(o.cross)};
    }
    LatLon Gate1() const {
        const ParkingSpot* spot = chart.Spot("gate a 1");
        return {spot->lat, spot->lon};
    }
};

TEST_F(Chart, KnowsTheRunwayAndThePlaces) {
    EXPECT_EQ(chart.ident, "KBFI");
    EXPECT_EQ(chart.name, "BOEING FLD");
    EXPECT_DOUBLE_EQ(chart.runwayTrueCourse, 130.0);  // no variation in an empty grid
    EXPECT_TRUE(chart.HasTaxiNetwork());
    EXPECT_EQ(Feet(chart.RunwayPoint(2000, -600)), (std::pair<long, long>{2000, -600}));
    ASSERT_NE(chart.SpotAt(Gate1()), nullptr);
    EXPECT_EQ(chart.SpotAt(Gate1())->name, "GATE A 1");
    EXPECT_EQ(chart.SpotAt(SimRunwayPoint(3700, -1150)), nullptr);  // 100 ft out: not in it
    EXPECT_EQ(chart.Spot("GATE Z 9"), nullptr);
}

TEST_F(Chart, TaxiToTheRunwayFollowsTheNamedTaxiwaysAndHoldsShort) {
    const TaxiPlan plan = PlanTaxiToRunway(chart, Gate1(), {"B", "A", "C0"});
    ASSERT_TRUE(plan.followsNetwork);
    // Out of the gate to P1, along the apron to P2, B to A2, A to A0, then C0 toward the runway,
    // stopping 150 ft beyond the runway's edge: 225 ft from the centre line.
    std::vector<std::pair<long, long>> feet;
    for (const LatLon& p : plan.points) {
        feet.push_back(Feet(p));
    }
    EXPECT_EQ(feet,
              (std::vector<std::pair<long, long>>{
                  {3700, -1100}, {4000, -1100}, {4000, -600}, {2000, -600}, {0, -600}, {0, -225}}));
    EXPECT_EQ(plan.taxiways, (std::vector<std::string>{"B", "A", "C0"}));
}

TEST_F(Chart, TaxiRoutesKeepToTheTaxiwaysTheyAreGiven) {
    // From A4 at the far end with A and C0 named, the route stays on A to A0, never on the
    // runway by C4 (as long a way).
    const TaxiPlan onA = PlanTaxiToRunway(chart, SimRunwayPoint(8000, -600), {"A", "C0"});
    EXPECT_EQ(onA.taxiways, (std::vector<std::string>{"A", "C0"}));
    // Names that lead nowhere: any taxiway, but no runway.
    const TaxiPlan lost = PlanTaxiToRunway(chart, SimRunwayPoint(8000, -600), {"Q"});
    ASSERT_TRUE(lost.followsNetwork);
    for (const std::string& t : lost.taxiways) {
        EXPECT_NE(t, "RUNWAY 13R");
    }
    // No names at all: the shortest way, whatever it is called.
    EXPECT_TRUE(PlanTaxiToRunway(chart, SimRunwayPoint(8000, -600), {}).followsNetwork);
}

TEST_F(Chart, TaxiToAGateEndsInIt) {
    const ParkingSpot& gate2 = *chart.Spot("GATE A 2");
    const TaxiPlan plan = PlanTaxiToSpot(chart, SimRunwayPoint(4000, -600), gate2, {"B"});
    ASSERT_FALSE(plan.points.empty());
    EXPECT_EQ(Feet(plan.points.front()), (std::pair<long, long>{4000, -1100}));
    EXPECT_EQ(Feet(plan.points.back()), (std::pair<long, long>{4000, -1250}));
    EXPECT_EQ(plan.taxiways, (std::vector<std::string>{"B"}));
}

TEST_F(Chart, WithoutANetworkTheAircraftGoesStraightAcross) {
    airport.TaxiNodes = {TaxiNode{}};
    airport.TaxiPaths = {TaxiPath{}};
    const AirportChart bare = ChartFromAirport(airport, grid);
    EXPECT_FALSE(bare.HasTaxiNetwork());
    const TaxiPlan plan = PlanTaxiToRunway(bare, SimRunwayPoint(3000, -900), {});
    EXPECT_FALSE(plan.followsNetwork);
    ASSERT_EQ(plan.points.size(), 1u);
    EXPECT_EQ(Feet(plan.points[0]), (std::pair<long, long>{0, -225}));
    // A turn off to the right after landing, well off the runway axis.
    const RunwayExit exit = FindRunwayExit(bare, 2500);
    EXPECT_EQ(Feet(exit.turnOff), (std::pair<long, long>{2500, 0}));
    EXPECT_GT(std::fabs(TurnAngle(130.0, TrueCourse(exit.turnOff, exit.clear))), 10.0);
}

TEST_F(Chart, TheRunwayExitIsTheFirstTaxiwayAheadThatLeavesIt) {
    // Slowed down at 1500 ft: C1 at 2000 ft, to A1.
    const RunwayExit first = FindRunwayExit(chart, 1500);
    EXPECT_EQ(Feet(first.turnOff), (std::pair<long, long>{2000, 0}));
    EXPECT_EQ(Feet(first.clear), (std::pair<long, long>{2000, -600}));
    // Past C3 already: C4 at the far end.
    EXPECT_EQ(Feet(FindRunwayExit(chart, 6100).turnOff), (std::pair<long, long>{8000, 0}));
    // Past the last one: the last one.
    EXPECT_EQ(Feet(FindRunwayExit(chart, 9000).turnOff), (std::pair<long, long>{8000, 0}));
}

TEST_F(Chart, AParkingPlaceOfHisOwn) {
    ASSERT_NE(ChooseOwnParking(chart, "GATE A 2"), nullptr);
    EXPECT_EQ(ChooseOwnParking(chart, "GATE A 2")->name, "GATE A 2");
    EXPECT_EQ(ChooseOwnParking(chart, "")->name, "PARKING 1");
    EXPECT_EQ(ChooseOwnParking(chart, "GATE Z 9")->name, "PARKING 1");
}

}  // namespace
}  // namespace corvane::fsim
