#include <gtest/gtest.h>

#include <array>

#include "scenery/AirportChoice.h"

namespace corvane::scenery {
namespace {

AirportRecord Airport(const std::string& ident, double lat, double lon, const std::string& ground,
                      const std::string& tower, const std::string& approach,
                      const std::string& center) {
    AirportRecord r;
    r.ident = ident;
    r.name = ident + " FIELD";
    r.lat = lat;
    r.lon = lon;
    r.groundFreq = ground;
    r.towerFreq = tower;
    r.approachFreq = approach;
    r.centerFreq = center;
    return r;
}

// Loads the first airport of `list` as "Next" does.
ChosenAirport Choose(const std::vector<AirportRecord>& list, size_t index = 0) {
    ChosenAirport chosen;
    SearchBox box;
    LoadChosenAirport(list[index], list, chosen, box);
    return chosen;
}

TEST(SearchBox, TwoHundredMilesEachWayOnGreatCircles) {
    // On the equator 200 NM is 200 minutes of arc both ways.
    EXPECT_EQ(ComputeSearchBox(0.0, 0.0), (SearchBox{3.33333, -3.33333, -3.33333, 3.33333}));
    // Farther north the east and west points lie lower and the longitudes spread.
    const SearchBox box = ComputeSearchBox(47.4, -121.9);
    EXPECT_DOUBLE_EQ(box.SearchNorth, 50.73333);
    EXPECT_DOUBLE_EQ(box.SearchSouth, 44.06667);
    EXPECT_DOUBLE_EQ(box.SearchEast, -116.98197);
    EXPECT_DOUBLE_EQ(box.SearchWest, -126.81803);
}

TEST(SearchBox, ThePointsOnItsEdgesAreOutside) {
    const SearchBox box = ComputeSearchBox(0.0, 0.0);
    EXPECT_TRUE(box.StrictlyInside(3.33332, 0.0));
    EXPECT_FALSE(box.StrictlyInside(box.SearchNorth, 0.0));
    EXPECT_FALSE(box.StrictlyInside(box.SearchSouth, 0.0));
    EXPECT_FALSE(box.StrictlyInside(0.0, box.SearchEast));
    EXPECT_FALSE(box.StrictlyInside(0.0, box.SearchWest));
}

TEST(Frequencies, GroundAndTowerStandInForEachOther) {
    struct Case {
        const char *ground, *tower, *approach;  // as the record has them
        const char *groundOut, *towerOut, *approachOut;
    };
    const Case cases[] = {
        {"121.9", "", "", "121.9 (GNDCON)", "121.9 (CT)", ""},                 // ground only
        {"", "118.5", "", "118.5 (GNDCON)", "118.5 (CT)", ""},                 // tower only
        {"118.3", "118.3", "118.3", "118.3 (GNDCON)", "118.3 (CT)", "118.3"},  // all equal
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ground) + "/" + c.tower + "/" + c.approach);
        const ChosenAirport a =
            Choose({Airport("AAAA", 0, 0, c.ground, c.tower, c.approach, "125.1")});
        EXPECT_EQ(a.GroundFreq, c.groundOut);
        EXPECT_EQ(a.TowerFreq, c.towerOut);
        EXPECT_EQ(a.ApproachFreq, c.approachOut);  // the labelled ones no longer equal it
        EXPECT_EQ(a.CenterFreq, "125.1");
    }
}

TEST(Frequencies, WithoutGroundAndTowerThereIsNoControlledService) {
    const std::vector<AirportRecord> list = {
        Airport("AAAA", 0, 0, "", "", "124.2", "125.1"), Airport("BBBB", 0, 0, "", "", "124.2", ""),
        Airport("CCCC", 1, 1, "121.7", "119.1", "", "127.3"),  // a neighbour with a centre
    };
    const ChosenAirport a = Choose(list, 0);
    EXPECT_EQ(a.GroundFreq, "");
    EXPECT_EQ(a.TowerFreq, "");
    EXPECT_EQ(a.ApproachFreq, "");
    EXPECT_EQ(a.CenterFreq, "125.1");
    // No neighbour is asked either: the centre stays as the record has it.
    EXPECT_EQ(Choose(list, 1).CenterFreq, "");
}

TEST(Frequencies, TowerGroundAndApproachAllEqual) {
    const ChosenAirport a = Choose({Airport("AAAA", 0, 0, "118.3", "118.3", "118.3", "125.1")});
    EXPECT_EQ(a.TowerFreq, "118.3 (CT)");
    EXPECT_EQ(a.GroundFreq, "118.3 (GNDCON)");
    EXPECT_EQ(a.ApproachFreq, "118.3");  // the labelled ones no longer equal it
    EXPECT_EQ(a.CenterFreq, "125.1");
}

TEST(Frequencies, CentreFallsBackWhenNoNeighbourInTheBoxHasOne) {
    const std::vector<AirportRecord> list = {
        Airport("AAAA", 0, 0, "121.9", "118.3", "", ""),
        Airport("BBBB", 1, 1, "121.7", "", "", ""),        // in the box, no centre
        Airport("CCCC", 3.4, 0, "", "", "", "127.3"),      // outside the box
        Airport("DDDD", 3.33333, 0, "", "", "", "128.8"),  // on its northern edge
        Airport("AAAA", 0.5, 0.5, "", "", "", "126.4"),    // the same ident does not count
    };
    const ChosenAirport a = Choose(list);
    EXPECT_EQ(a.CenterFreq, "Air Route Traffic Control Center");
    EXPECT_EQ(a.TowerFreq, "118.3");
    EXPECT_EQ(a.GroundFreq, "121.9");
}

TEST(Frequencies, TheEarlierNeighbourWins) {
    const std::vector<AirportRecord> list = {
        Airport("BBBB", -2, 2, "", "", "", "132.6"),
        Airport("AAAA", 0, 0, "121.9", "118.3", "", ""),
        Airport("CCCC", 1, 1, "", "", "", "127.3"),
    };
    EXPECT_EQ(Choose(list, 1).CenterFreq, "132.6");
}

TEST(Frequencies, SharedFrequenciesAreLabelledInTheirFixedOrder) {
    // The pairs are compared in a fixed order (1 ground = tower, 2 approach = tower, 3 approach =
    // ground, 4 tower = centre, 5 ground = centre, 6 approach = centre), each on the values as
    // the pairs before it left them. Fields: ground, tower, approach, centre.
    using Four = std::array<std::string, 4>;
    const std::pair<Four, Four> cases[] = {
        // 1 labels ground and tower, so 2 to 5 no longer match; 6 still does.
        {{"118.3", "118.3", "118.3", "118.3"},
         {"118.3 (GNDCON)", "118.3 (CT)", "118.3 (TRACON)", "118.3 (ARTCC)"}},
        // 2: approach = tower; 5: ground = centre.
        {{"121.7", "120.1", "120.1", "121.7"},
         {"121.7 (GNDCON)", "120.1 (CT)", "120.1 (TRACON)", "121.7 (ARTCC)"}},
        // 3: approach = ground; 4: tower = centre.
        {{"121.7", "126.5", "121.7", "126.5"},
         {"121.7 (GNDCON)", "126.5 (CT)", "121.7 (TRACON)", "126.5 (ARTCC)"}},
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(in[0] + "/" + in[1] + "/" + in[2] + "/" + in[3]);
        ChosenAirport a;
        a.GroundFreq = in[0];
        a.TowerFreq = in[1];
        a.ApproachFreq = in[2];
        a.CenterFreq = in[3];
        LabelSharedFrequencies(a);
        EXPECT_EQ((Four{a.GroundFreq, a.TowerFreq, a.ApproachFreq, a.CenterFreq}), out);
    }
}

TEST(ChosenAirportCopy, FieldsAndArraysAsTheStationNeedsThem) {
    AirportRecord r = Airport("KBFI", 47.53, -122.3, "121.9", "120.6", "", "");
    r.ctafFreq = "122.9";
    r.runwayName = "13R";
    r.runwayLat = 47.54;
    r.runwayLon = -122.31;
    r.fieldElevation = 21;
    r.runwayLength = 10000;
    r.runwayWidth = 200;
    r.runwayHeading = 134;
    r.runwayHasIls = kTrue;
    r.taxiNodes = std::vector<TaxiNode>{{2, 47.5, -122.25}, {0, 47.51, -122.26}};
    r.taxiNodeCount = 2;
    r.parking = std::vector<ParkingSpot>{{"GATE A 1", 50, 1, 2, 0}};
    r.parkingCount = 0;  // the count decides: this airport has no parking
    r.taxiPaths = std::nullopt;
    r.taxiPathCount = 3;  // damaged: a count without its array

    ChosenAirport a;
    CopyChosenAirport(r, a);
    EXPECT_EQ(a.AirportIdent, "KBFI");
    EXPECT_EQ(a.AirportName, "KBFI FIELD");
    EXPECT_EQ(a.AirportLat, 47.53);
    EXPECT_EQ(a.AirportLon, -122.3);
    EXPECT_EQ(a.CtafFreq, "122.9");
    EXPECT_EQ(a.RunwayName, "13R");
    EXPECT_EQ(a.RunwayLat, 47.54);
    EXPECT_EQ(a.RunwayLon, -122.31);
    EXPECT_EQ(a.FieldElevation, 21);
    EXPECT_EQ(a.RunwayLength, 10000);
    EXPECT_EQ(a.RunwayWidth, 200);
    EXPECT_EQ(a.RunwayHeading, 134);
    EXPECT_EQ(a.RunwayHasIls, kTrue);
    EXPECT_EQ(a.TaxiNodes, *r.taxiNodes);
    EXPECT_EQ(a.ParkingSpots, std::vector<ParkingSpot>(1));
    EXPECT_EQ(a.TaxiPaths, std::vector<TaxiPath>(1));
}

TEST(ChosenAirportCopy, NoTaxiDataGivesOneBlankElementEach) {
    ChosenAirport a;
    CopyChosenAirport(Airport("KXYZ", 0, 0, "", "", "", ""), a);
    ASSERT_EQ(a.TaxiNodes.size(), 1u);
    EXPECT_EQ(a.TaxiNodes[0], TaxiNode{});
    ASSERT_EQ(a.ParkingSpots.size(), 1u);
    EXPECT_EQ(a.ParkingSpots[0].name, "");
    ASSERT_EQ(a.TaxiPaths.size(), 1u);
    EXPECT_EQ(a.TaxiPaths[0], TaxiPath{});
}

TEST(ChosenAirportCopy, TheLastRecordWithTheLineWins) {
    std::vector<AirportRecord> list = {
        Airport("KAAA", 0, 0, "121.9", "", "", "125.1"),
        Airport("KBBB", 1, 1, "121.8", "", "", "125.2"),
        Airport("KAAA", 2, 2, "121.7", "", "", "125.3"),
    };
    EXPECT_EQ(LastRecordWithLine(list, "KAAA (KAAA FIELD)"), 2);
    EXPECT_EQ(LastRecordWithLine(list, "KBBB (KBBB FIELD)"), 1);
    EXPECT_EQ(LastRecordWithLine(list, "kaaa (KAAA FIELD)"), -1);  // case counts
    EXPECT_EQ(LastRecordWithLine(list, "KAAA"), -1);
}

}  // namespace
}  // namespace corvane::scenery
