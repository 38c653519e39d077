// Ground networks (groundnet.xml) read and turned into an airport description's taxiway network,
// and that network written as BGL and decoded back as the first run decodes it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "scenery-writer/Description.h"
#include "scenery-writer/GroundnetImport.h"
#include "scenery-writer/World.h"
#include "scenery/BglDecoder.h"
#include "support/SourceFile.h"

namespace corvane::writer {
namespace {

namespace fs = std::filesystem;
using corvane::testing::SourceFile;

std::string Document(const std::string& parkings, const std::string& nodes,
                     const std::string& arcs) {
    return "<?xml version=\"1.0\"?>\n<groundnet>\n  <version>1</version>\n  <parkingList>\n" +
           parkings + "  </parkingList>\n  <TaxiNodes>\n" + nodes +
           "  </TaxiNodes>\n  <TaxiWaySegments>\n" + arcs + "  </TaxiWaySegments>\n</groundnet>\n";
}

std::string ErrorOf(const std::string& xml) {
    try {
        ParseGroundnet(xml);
    } catch (const GroundnetError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(GroundnetPosition, HemisphereDegreesAndDecimalMinutes) {
    double d = 0;
    ASSERT_TRUE(ParseGroundnetPosition("N47 31.189332", true, d));
    EXPECT_NEAR(d, 47.5198222, 1e-9);
    ASSERT_TRUE(ParseGroundnetPosition("W122 17.782185", false, d));
    EXPECT_NEAR(d, -122.29636975, 1e-9);
    ASSERT_TRUE(ParseGroundnetPosition("S33 52.5", true, d));
    EXPECT_DOUBLE_EQ(d, -33.875);
    ASSERT_TRUE(ParseGroundnetPosition("E8 0.6", false, d));
    EXPECT_DOUBLE_EQ(d, 8.01);
    ASSERT_TRUE(ParseGroundnetPosition(" -122.25 ", false, d));
    EXPECT_DOUBLE_EQ(d, -122.25);

    for (const char* bad : {"", "N47", "N47 60", "N47 -1", "N91 0", "N90 30", "E10 0", "N47 3x",
                            "N-5 3", "Nnan 1", "nan", "95"}) {
        EXPECT_FALSE(ParseGroundnetPosition(bad, true, d)) << bad;
    }
    for (const char* bad : {"N8 0", "W181 0", "-180.5", "W12 1e400"}) {
        EXPECT_FALSE(ParseGroundnetPosition(bad, false, d)) << bad;
    }
}

TEST(GroundnetFile, ReadsParkingPlacesNodesAndArcs) {
    const Groundnet net = ParseGroundnet(Document(
        R"(    <Parking index="0" type="gate" name="A1" lat="N47 26.526525" lon="W122 18.134375"
             heading="538.97" radius="10" pushBackRoute="2" airlineCodes=""/>
    <Parking index="1" type="ga" name="GA_1" lat="47.5" lon="-122.5" radius="8.5"/>
)",
        R"(    <node index="2" lat="N47 26.507479" lon="W122 18.153688" isOnRunway="0"
          holdPointType="PushBack"/>
    <node index="3" lat="47.45" lon="-122.3" isOnRunway="1" holdPointType="none"/>
)",
        R"(    <arc begin="0" end="2" isPushBackRoute="1" name="A1"/>
    <arc begin="2" end="3" isPushBackRoute="0" name="*"/>
)"));
    ASSERT_EQ(net.parkings.size(), 2u);
    EXPECT_EQ(net.parkings[0].index, 0);
    EXPECT_EQ(net.parkings[0].type, "gate");
    EXPECT_EQ(net.parkings[0].name, "A1");
    EXPECT_NEAR(net.parkings[0].lat, 47.44210875, 1e-9);
    EXPECT_NEAR(net.parkings[0].lon, -122.30223958, 1e-8);
    EXPECT_EQ(net.parkings[0].radiusM, 10.0);
    EXPECT_EQ(net.parkings[0].pushBackRoute, 2);
    EXPECT_EQ(net.parkings[1].radiusM, 8.5);
    EXPECT_EQ(net.parkings[1].pushBackRoute, -1);  // none given
    ASSERT_EQ(net.nodes.size(), 2u);
    EXPECT_EQ(net.nodes[0].index, 2);
    EXPECT_FALSE(net.nodes[0].onRunway);
    EXPECT_TRUE(net.nodes[1].onRunway);
    ASSERT_EQ(net.arcs.size(), 2u);
    EXPECT_TRUE(net.arcs[0].pushBack);
    EXPECT_EQ(net.arcs[1].begin, 2);
    EXPECT_EQ(net.arcs[1].end, 3);
    EXPECT_FALSE(net.arcs[1].pushBack);
    EXPECT_EQ(net.arcs[1].name, "*");
}

TEST(GroundnetFile, DamageIsReportedWithItsLine) {
    const std::string node = "    <node index=\"5\" lat=\"47.5\" lon=\"-122.3\"/>\n";
    EXPECT_NE(ErrorOf("<groundnet><TaxiNodes><node index=\"1\"</TaxiNodes></groundnet>")
                  .find("not well-formed XML"),
              std::string::npos);
    EXPECT_EQ(ErrorOf("<groundnet>\n<TaxiNodes>\n</groundnet>").rfind("line 3: ", 0), 0u);
    EXPECT_EQ(ErrorOf(""), "line 1: not well-formed XML (No document element found)");
    EXPECT_EQ(ErrorOf("<airport/>"), "the root element is <airport>, not <groundnet>");
    // The document's lines: 1 declaration, 2 <groundnet>, 3 version, 4 <parkingList>, then the
    // parking places; the nodes come after "</parkingList>" and "<TaxiNodes>".
    EXPECT_EQ(ErrorOf(Document("", "    <node index=\"5\" lat=\"47.5\"/>\n", "")),
              "line 7: <node> has no valid lon");
    EXPECT_EQ(ErrorOf(Document("", node + "    <node index=\"5\" lat=\"1\" lon=\"2\"/>\n", "")),
              "line 8: <node> repeats index 5");
    EXPECT_EQ(
        ErrorOf(Document("    <Parking index=\"5\" lat=\"47.5\" lon=\"-122.3\" radius=\"10\"/>\n",
                         node, "")),
        "line 8: <node> repeats index 5");
    for (const char* radius : {"0", "-3", "abc", "", "1e9", "inf"}) {
        EXPECT_EQ(
            ErrorOf(Document("    <Parking index=\"1\" lat=\"47.5\" lon=\"-122.3\" radius=\"" +
                                 std::string(radius) + "\"/>\n",
                             "", "")),
            "line 5: <Parking> has no valid radius (metres, above 0 and at most 1000)")
            << radius;
    }
    EXPECT_EQ(ErrorOf(Document("    <Parking index=\"1\" lat=\"47.5\" lon=\"-122.3\" radius=\"9\" "
                               "pushBackRoute=\"x\"/>\n",
                               "", "")),
              "line 5: <Parking> has no valid pushBackRoute");
    for (const char* index : {"-1", "x", "2147483648", "1.5"}) {
        EXPECT_EQ(ErrorOf(Document("",
                                   "    <node index=\"" + std::string(index) +
                                       "\" lat=\"47.5\" lon=\"-122.3\"/>\n",
                                   "")),
                  "line 7: <node> has no valid index")
            << index;
    }
    EXPECT_EQ(ErrorOf(Document("", node, "    <arc begin=\"5\"/>\n")),
              "line 10: <arc> has no valid end");
}

// A runway 9/27 along latitude 47.5 from 122.30 W to 122.28 W (about 1.5 km), and a small
// network beside it:
//
//   lat 47.5020  20 (A1's pushback node)      21 (helper of GA_NE_1's pushback path)
//                 |  LONGTAXIWAY, one way      |
//   lat 47.5010  13 ----- "*" / "A" --------- 14 ---- D ---- 15 (47.5015, marked on a runway,
//                 |                            |                but 167 m from it)
//               A1 (two ways)                  B (two ways, one arc repeated)
//                 |                            |
//   lat 47.5000  10 -- C --- 12 ------------- 11      the runway's nodes, listed 10, 11, 12
//             122.295 W    122.290 W       122.285 W
//
// 22 has no arc; 30 and 31 are an island that the parking place "Lonely" leads to; arc 99 -> 10
// names no place and 13 -> 13 goes nowhere.
class GroundnetImportTest : public ::testing::Test {
  protected:
    static std::string Xml() {
        return Document(
            R"(<Parking index="0" type="gate" name="A1" lat="47.5021" lon="-122.2951" radius="10" pushBackRoute="20"/>
<Parking index="1" type="ga" name="GA_NE_1" lat="47.5022" lon="-122.2852" radius="8" pushBackRoute="21"/>
<Parking index="2" type="gate" name="Lonely" lat="47.504" lon="-122.302" radius="10" pushBackRoute="31"/>
)",
            R"(<node index="10" lat="47.5" lon="-122.295" isOnRunway="1"/>
<node index="11" lat="47.5" lon="-122.285" isOnRunway="1"/>
<node index="12" lat="47.5" lon="-122.29" isOnRunway="1"/>
<node index="13" lat="47.501" lon="-122.295"/>
<node index="14" lat="47.501" lon="-122.285"/>
<node index="15" lat="47.5015" lon="-122.29" isOnRunway="1"/>
<node index="20" lat="47.502" lon="-122.295"/>
<node index="21" lat="47.5021" lon="-122.2851"/>
<node index="22" lat="47.6" lon="-122.0"/>
<node index="30" lat="47.503" lon="-122.30"/>
<node index="31" lat="47.503" lon="-122.301"/>
)",
            R"(<arc begin="10" end="13" isPushBackRoute="0" name="A1"/>
<arc begin="13" end="10" isPushBackRoute="0" name="A1"/>
<arc begin="13" end="14" isPushBackRoute="0" name="*"/>
<arc begin="14" end="13" isPushBackRoute="0" name="A"/>
<arc begin="14" end="11" isPushBackRoute="0" name="B"/>
<arc begin="11" end="14" isPushBackRoute="0" name="B"/>
<arc begin="14" end="11" isPushBackRoute="0" name="B"/>
<arc begin="13" end="20" isPushBackRoute="0" name="LONGTAXIWAY"/>
<arc begin="10" end="12" isPushBackRoute="0" name="C"/>
<arc begin="12" end="10" isPushBackRoute="0" name="C"/>
<arc begin="14" end="15" isPushBackRoute="0" name="D"/>
<arc begin="15" end="14" isPushBackRoute="0" name="D"/>
<arc begin="30" end="31" isPushBackRoute="0" name="E"/>
<arc begin="31" end="30" isPushBackRoute="0" name="E"/>
<arc begin="0" end="20" isPushBackRoute="1" name="A1"/>
<arc begin="1" end="21" isPushBackRoute="1" name="GA_NE_1"/>
<arc begin="21" end="14" isPushBackRoute="1" name="GA_NE_1"/>
<arc begin="21" end="1" isPushBackRoute="1" name="GA_NE_1"/>
<arc begin="2" end="31" isPushBackRoute="1" name="Lonely"/>
<arc begin="99" end="10" isPushBackRoute="0" name="X"/>
<arc begin="13" end="13" isPushBackRoute="0" name="Y"/>
)");
    }

    static constexpr const char* kAirport = R"({"ident": "TEST", "name": "Test Field",
        "lat": 47.5, "lon": -122.29, "runways": [
        {"designation": "9", "lengthFt": 4000, "widthFt": 150, "starts": [
            {"designation": "9", "lat": 47.5, "lon": -122.30},
            {"designation": "27", "lat": 47.5, "lon": -122.28}]},
        {"designation": "18", "lengthFt": 2000, "widthFt": 75, "starts": [
            {"designation": "18", "lat": 47.52, "lon": -122.35},
            {"designation": "36", "lat": 47.51, "lon": -122.35}]}])";

    void SetUp() override {
        airport = ParseAirportDescription(std::string(kAirport) + "}");
        imported = ImportGroundnet(ParseGroundnet(Xml()), airport.runways);
    }

    Airport airport;
    GroundnetImport imported;
};

TEST_F(GroundnetImportTest, ArcsBecomeOneSegmentPerLinkAndRunwayNodesJoinAlongTheRunway) {
    // The points: the main network's nodes in file order (10 11 12 13 14 15 20).
    ASSERT_EQ(imported.taxi.points.size(), 7u);
    EXPECT_EQ(imported.taxi.points[1].lon, -122.285);
    EXPECT_EQ(imported.taxi.points[6].lat, 47.502);
    const std::vector<ImportedSegment> expected = {
        {0, 0, 3, "A1", 0},
        {0, 3, 4, "A", 0},         // the name of the second arc, the first had none
        {0, 4, 1, "B", 0},         // three arcs
        {0, 3, 6, "LONGTAXI", 0},  // one way; eight characters
        {1, 0, 2, "", 0},          // C lies on runway 9 from end to end
        {0, 4, 5, "D", 0},         // 15 is too far from every runway to be on one
        {1, 2, 1, "", 0},          // runway 9 continues from 12 to 11
        {2, 6, 0, "", 0},          // A1 from its pushback node 20
        {2, 4, 1, "", 0},          // GA_NE_1 along its pushback path 21 to 14
    };
    EXPECT_EQ(imported.taxi.segments, expected);

    const GroundnetReport& r = imported.report;
    EXPECT_EQ(r.twoWayPairs, 6);
    EXPECT_EQ(r.oneWayArcs, 1);
    EXPECT_EQ(r.repeatedArcs, 1);
    EXPECT_EQ(r.arcsIgnored, 2);
    EXPECT_EQ(r.parkingPathArcs, 5);
    EXPECT_EQ(r.taxiSegments, 5);
    EXPECT_EQ(r.runwaySegments, 2);
    EXPECT_EQ(r.parkingSegments, 2);
    EXPECT_EQ(r.runwayNodes, (std::vector<int32_t>{3, 0}));
    EXPECT_EQ(r.runwayNodesOffRunways, (std::vector<int32_t>{15}));
    EXPECT_EQ(r.taxiwayNames, (std::vector<NameChange>{{"*", ""}, {"LONGTAXIWAY", "LONGTAXI"}}));
}

TEST_F(GroundnetImportTest, WhatTheNetworkLeavesUnconnectedIsLeftOutAndCounted) {
    const GroundnetReport& r = imported.report;
    EXPECT_EQ(r.nodes, 11);
    EXPECT_EQ(r.parkings, 3);
    EXPECT_EQ(r.arcs, 21);
    EXPECT_EQ(r.nodesWithoutArcs, 1);         // 22
    EXPECT_EQ(r.nodesOnParkingPathsOnly, 1);  // 21
    EXPECT_EQ(r.nodesOffNetwork, 2);          // 30 and 31
    EXPECT_EQ(r.parkingsLeftOut, (std::vector<std::string>{"Lonely"}));
    ASSERT_EQ(imported.taxi.parking.size(), 2u);
    const ImportedParking& a1 = imported.taxi.parking[0];
    EXPECT_EQ(a1, (ImportedParking{47.5021, -122.2951, 10.0, "Gate A", 1, "A1"}));
    EXPECT_EQ(imported.taxi.parking[1].name, "NE Parking");
    EXPECT_EQ(r.parkingNames,
              (std::vector<NameChange>{{"A1", "GATE A 1"}, {"GA_NE_1", "NE PARKING 1"}}));
}

TEST_F(GroundnetImportTest, TheWrittenBglDecodesIntoTheSameNetwork) {
    const Airport withTaxi = ParseAirportDescription(std::string(kAirport) + R"(, "taxi": )" +
                                                     TaxiDescriptionJson(imported.taxi) + "}");
    std::vector<AirportRecord> decoded;
    const MagneticVariationGrid grid{};
    const scenery::BglReport report = scenery::ScanBglHeader(WriteBgl({{withTaxi}}), grid, decoded);
    ASSERT_TRUE(report.Clean());
    ASSERT_EQ(decoded.size(), 1u);
    const AirportRecord& a = decoded[0];
    ASSERT_EQ(a.taxiNodeCount, 7);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_NEAR((*a.taxiNodes)[i].lat, imported.taxi.points[i].lat, 1e-6) << i;
        EXPECT_NEAR((*a.taxiNodes)[i].lon, imported.taxi.points[i].lon, 1e-6) << i;
    }
    ASSERT_EQ(a.taxiPathCount, 9);
    const std::vector<TaxiPath>& paths = *a.taxiPaths;
    EXPECT_EQ(paths[0], (TaxiPath{0, 0, 3, "A1"}));
    EXPECT_EQ(paths[1], (TaxiPath{0, 3, 4, "A"}));
    EXPECT_EQ(paths[3], (TaxiPath{0, 3, 6, "LONGTAXI"}));
    EXPECT_EQ(paths[4], (TaxiPath{1, 0, 2, "Runway 9"}));
    EXPECT_EQ(paths[5], (TaxiPath{0, 4, 5, "D"}));
    EXPECT_EQ(paths[6], (TaxiPath{1, 2, 1, "Runway 9"}));
    EXPECT_EQ(paths[7].kind, 2);
    EXPECT_EQ(paths[7].startNode, 6);
    EXPECT_EQ(paths[7].endNode, 0);
    ASSERT_EQ(a.parkingCount, 2);
    EXPECT_EQ((*a.parking)[0].name, "GATE A 1");
    EXPECT_EQ((*a.parking)[0].radiusFt, 33);  // 10 m
    EXPECT_EQ((*a.parking)[1].name, "NE PARKING 1");
    EXPECT_EQ((*a.parking)[1].radiusFt, 26);  // 8 m
    EXPECT_NEAR((*a.parking)[1].lat, 47.5022, 1e-6);
    EXPECT_NEAR((*a.parking)[1].lon, -122.2852, 1e-6);
}

TEST(GroundnetImport, ANetworkWithoutTaxiLinksIsRefused) {
    const Groundnet net = ParseGroundnet(Document(
        "<Parking index=\"0\" lat=\"47.5\" lon=\"-122.3\" radius=\"9\" pushBackRoute=\"1\"/>\n",
        "<node index=\"1\" lat=\"47.5\" lon=\"-122.3\"/>\n",
        "<arc begin=\"0\" end=\"1\" isPushBackRoute=\"1\"/>\n"));
    EXPECT_THROW(ImportGroundnet(net, {}), GroundnetError);
}

TEST(GroundnetImport, OfTwoPartsAsLargeTheOneListedFirstIsKept) {
    const GroundnetImport g = ImportGroundnet(
        ParseGroundnet(Document("",
                                "<node index=\"3\" lat=\"47.6\" lon=\"-122.3\"/>\n"
                                "<node index=\"4\" lat=\"47.6\" lon=\"-122.301\"/>\n"
                                "<node index=\"1\" lat=\"47.5\" lon=\"-122.3\"/>\n"
                                "<node index=\"2\" lat=\"47.5\" lon=\"-122.301\"/>\n",
                                "<arc begin=\"1\" end=\"2\" name=\"A\"/>\n"
                                "<arc begin=\"3\" end=\"4\" name=\"B\"/>\n")),
        {});
    ASSERT_EQ(g.taxi.segments.size(), 1u);
    EXPECT_EQ(g.taxi.segments[0].taxiway, "B");
    EXPECT_EQ(g.taxi.points[0].lat, 47.6);
    EXPECT_EQ(g.report.nodesOffNetwork, 2);
}

TEST(GroundnetImport, ARunwayAcrossTheDateLineTakesItsNodes) {
    Runway r;
    r.number = 9;
    r.starts = {{9, 0, 1, -17.0, 179.995, 0, 90}, {27, 0, 1, -17.0, -179.995, 0, 270}};
    const GroundnetImport g =
        ImportGroundnet(ParseGroundnet(Document(
                            "",
                            "<node index=\"1\" lat=\"-17\" lon=\"179.999\" isOnRunway=\"1\"/>\n"
                            "<node index=\"2\" lat=\"-17\" lon=\"-179.999\" isOnRunway=\"1\"/>\n"
                            "<node index=\"3\" lat=\"-17.001\" lon=\"180\"/>\n",
                            "<arc begin=\"1\" end=\"3\" name=\"A\"/>\n"
                            "<arc begin=\"3\" end=\"2\" name=\"A\"/>\n")),
                        {r});
    EXPECT_EQ(g.report.runwayNodes, (std::vector<int32_t>{2}));
    EXPECT_EQ(g.report.runwaySegments, 1);
}

TEST(GroundnetParkingNames, GatesByLetterAndNumberOthersByCompassPoint) {
    const struct {
        const char* name;
        const char* type;
        ParkingName expected;
    } cases[] = {
        {"A1", "gate", {"Gate A", 1}},
        {"S16a", "gate", {"Gate S", 16}},
        {"Boeing_S_4", "gate", {"Gate S", 4}},
        {"Boeing_N1_Heavy", "gate", {"Gate N", 1}},
        {"Museum_of_Flight", "gate", {"Gate M", 0}},
        {"Delivery_Center_East_1", "GATE", {"Gate D", 1}},
        {"hold_16L", "gate", {"Gate H", 16}},
        {"123", "gate", {"Gate", 123}},
        {"", "gate", {"Gate", 0}},
        {"GA_NE_1", "ga", {"NE Parking", 1}},
        {"East_Ramp_2", "ga", {"E Parking", 2}},
        {"GA_SW", "ga", {"SW Parking", 0}},
        {"GA_C1", "ga", {"Parking", 1}},
        {"Stand_007", "tie-down", {"Parking", 7}},
        {"Ramp_0", "ga", {"Parking", 0}},
        {"Ramp_8001", "ga", {"Parking", 0}},  // beyond what the flags hold
        {"Ramp_99999", "ga", {"Parking", 0}},
        {"UPS_Cargo", "ga", {"Parking", 0}},  // "UPS" is no compass point
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MapParkingName(c.name, c.type), c.expected) << c.name;
    }
}

TEST(GroundnetParkingNames, EachPlaceKeepsItsNumberUnlessAnEarlierOneTookIt) {
    std::string parkings;
    std::string nodes =
        "<node index=\"90\" lat=\"47.5\" lon=\"-122.3\"/>\n"
        "<node index=\"91\" lat=\"47.5\" lon=\"-122.301\"/>\n";
    int index = 0;
    for (const char* name : {"GA_NE_1", "GA_NE_1", "GA_NE_2", "GA_NE", "GA_NE_1", "B2", "B_2"}) {
        parkings += "<Parking index=\"" + std::to_string(index++) + "\" type=\"" +
                    (name[0] == 'B' ? "gate" : "ga") + "\" name=\"" + name +
                    "\" lat=\"47.5\" lon=\"-122.3\" radius=\"9\" pushBackRoute=\"90\"/>\n";
    }
    const GroundnetImport g = ImportGroundnet(
        ParseGroundnet(Document(
            parkings, nodes, "<arc begin=\"90\" end=\"91\" isPushBackRoute=\"0\" name=\"A\"/>\n")),
        {});
    std::vector<std::string> names;
    for (const NameChange& c : g.report.parkingNames) {
        names.push_back(c.to);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"NE PARKING 1", "NE PARKING 3", "NE PARKING 2",
                                        "NE PARKING 4", "NE PARKING 5", "GATE B 2", "GATE B 1"}));
}

// The four real networks against what their README says of them.
TEST(GroundnetDemoFiles, QuirksOfTheRealNetworks) {
    const auto import = [](const char* ident) {
        const std::string world = SourceFile("data/demo-world.json");
        for (const auto& area : ParseWorldDescription(world).areas) {
            for (const auto& file : area.files) {
                for (const Airport& a : file.content.airports) {
                    if (a.ident == ident) {
                        return ImportGroundnet(
                            ParseGroundnet(SourceFile(std::string("data/groundnets/") + ident +
                                                      ".groundnet.xml")),
                            a.runways);
                    }
                }
            }
        }
        ADD_FAILURE() << ident << " missing from the demo world";
        return GroundnetImport{};
    };
    const GroundnetImport kbfi = import("KBFI");
    EXPECT_EQ(kbfi.report.nodes, 358);
    EXPECT_EQ(kbfi.report.parkings, 108);
    EXPECT_EQ(kbfi.report.arcs, 770);
    EXPECT_EQ(kbfi.report.nodesWithoutArcs, 70);
    EXPECT_EQ(kbfi.report.parkingsLeftOut.size(), 33u);
    EXPECT_EQ(kbfi.report.repeatedArcs, 2);  // one arc pair listed twice
    EXPECT_EQ(kbfi.taxi.parking.size(), 75u);

    const GroundnetImport ksea = import("KSEA");
    EXPECT_EQ(ksea.report.oneWayArcs, 31);
    EXPECT_EQ(ksea.report.nodesWithoutArcs, 1);  // runway node 220
    EXPECT_EQ(ksea.taxi.parking.size(), 87u);
    EXPECT_EQ(ksea.report.parkingNames[6], (NameChange{"A1", "GATE A 1"}));
    // Three runways; every node on one of them is placed on it.
    EXPECT_EQ(ksea.report.runwayNodes.size(), 3u);
    EXPECT_TRUE(ksea.report.runwayNodesOffRunways.empty());

    const GroundnetImport kpae = import("KPAE");
    EXPECT_EQ(kpae.report.oneWayArcs, 3);  // K6
    EXPECT_TRUE(kpae.report.runwayNodesOffRunways.empty());
    const GroundnetImport krnt = import("KRNT");
    EXPECT_EQ(krnt.taxi.parking.size(), 56u);
    EXPECT_TRUE(krnt.report.runwayNodesOffRunways.empty());
}

// data/demo-world.json carries the networks as the import makes them now
// (scripts/demo-world.py writes it).
TEST(GroundnetDemoFiles, TheDemoWorldHoldsTheImportedNetworks) {
    const auto world = nlohmann::json::parse(SourceFile("data/demo-world.json"));
    int found = 0;
    for (const auto& area : world["sceneryCfg"]["areas"]) {
        for (const auto& file : area.value("files", nlohmann::json::array())) {
            for (const auto& a : file["airports"]) {
                const std::string ident = a["ident"];
                if (!a.contains("taxi")) {
                    continue;
                }
                SCOPED_TRACE(ident);
                ++found;
                const Airport airport = ParseAirportDescription(a.dump());
                const GroundnetImport g = ImportGroundnet(
                    ParseGroundnet(SourceFile("data/groundnets/" + ident + ".groundnet.xml")),
                    airport.runways);
                EXPECT_EQ(a["taxi"], nlohmann::json::parse(TaxiDescriptionJson(g.taxi)))
                    << "run scripts/demo-world.py to bring data/demo-world.json up to date";
            }
        }
    }
    EXPECT_EQ(found, 4);
}

}  // namespace
}  // namespace corvane::writer
