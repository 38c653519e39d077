// The scenery writer's encodings against the decoder's conversions, its description format, and
// the demo world built and scanned end to end without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "scenery-writer/Description.h"
#include "scenery-writer/World.h"
#include "scenery/BglDecoder.h"
#include "scenery/FirstRunBuild.h"
#include "scenery/MagneticVariation.h"
#include "shell/Config.h"
#include "support/SourceFile.h"
#include "support/TempDir.h"

namespace corvane::writer {
namespace {

namespace fs = std::filesystem;
using corvane::testing::SourceFile;

TEST(WriterEncodings, WordsTheDecoderReadsBack) {
    EXPECT_EQ(FrequencyWord("121.95"), 0x01219500u);
    EXPECT_EQ(FrequencyWord("118.3"), 0x01183000u);
    EXPECT_EQ(FrequencyWord("122"), 0x01220000u);
    EXPECT_THROW(FrequencyWord("12x.5"), std::invalid_argument);
    EXPECT_THROW(FrequencyWord("118.12345"), std::invalid_argument);
    EXPECT_EQ(ParseDesignation("16L"), std::make_pair(16, 1));
    EXPECT_EQ(ParseDesignation("9"), std::make_pair(9, 0));
    EXPECT_EQ(ParseDesignation("36c"), std::make_pair(36, 3));
    EXPECT_EQ(ParseDesignation("2H"), std::make_pair(2, 4));
    EXPECT_THROW(ParseDesignation("37"), std::invalid_argument);
    EXPECT_THROW(ParseDesignation("L"), std::invalid_argument);
    EXPECT_THROW(ParseDesignation("16X"), std::invalid_argument);
    EXPECT_EQ(ParkingFlags("SE Parking", 14) & 0xFFFFF, 0x705u);
    EXPECT_EQ(ParkingFlags("gate c", 14) & 0xFFFFF, 128u * 14 + 14);
    EXPECT_THROW(ParkingFlags("Hangar", 1), std::invalid_argument);
    EXPECT_EQ(LatitudeWord(45.0), 5000875);
    EXPECT_EQ(LongitudeWord(-45.0), -536870912);
    EXPECT_EQ(LongitudeWord(180.0), INT32_MIN);  // 2^31 wraps to the word for -180
    EXPECT_EQ(HeadingWord(90.0), 1 << 30);
    EXPECT_EQ(HeadingWord(270.0), -(1 << 30));
}

TEST(WriterEncodings, OffsetsComeBackAsThePositionsTheyWereMadeFrom) {
    const double refLat = 47.53;
    const double refLon = -122.301944;
    for (const auto& [lat, lon] : std::vector<std::pair<double, double>>{
             {47.54139, -122.31194}, {47.51806, -122.29056}, {47.53, -122.301944}}) {
        const auto [east, north] = OffsetMeters(refLat, refLon, lat, lon);
        const double backLon =
            east == 0 ? refLon
                      : scenery::PointAtMeters(refLat, refLon, east > 0 ? 90 : 270, east).longitude;
        const double backLat =
            north == 0
                ? refLat
                : scenery::PointAtMeters(refLat, refLon, north > 0 ? 0 : 180, north).latitude;
        EXPECT_NEAR(backLat, lat, 1.5e-6);
        EXPECT_NEAR(backLon, lon, 1.5e-6);
    }
}

TEST(WriterMagdec, TheTableReadsBackAndTheSmoothFieldHasEastAndWest) {
    const MagneticVariationGrid grid = MagdecGrid({});
    MagneticVariationGrid read{};
    ASSERT_EQ(scenery::ParseMagdec(WriteMagdec(grid), read).status, scenery::MagdecStatus::Read);
    EXPECT_EQ(read, grid);
    // -35 sin(2 (238 - 260)) cos 47 = 16.6 degrees east at Seattle; 40 N 285 E gives 20.5 west.
    EXPECT_NEAR(SmoothVariationDeg(47, 238), 16.58, 0.01);
    EXPECT_NEAR(SmoothVariationDeg(40, -75), -20.54, 0.01);
    EXPECT_EQ(grid[(47 + 90) + 181 * 238], 3019);  // 16.5815 * 65536 / 360 = 3018.56
}

TEST(WriterDescription, ErrorsNameWhatIsWrong) {
    const auto error = [](const std::string& json) {
        try {
            ParseWorldDescription(json);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(error("{").find("not a JSON text"), std::string::npos);
    EXPECT_NE(error("{}").find("sceneryCfg"), std::string::npos);
    const std::string area =
        R"({"sceneryCfg": {"areas": [{"header": "[Area.001]", "lines": [], "files": [{"name":
        "A.BGL", "airports": [)";
    EXPECT_NE(error(area + R"({"ident": "KSEA", "lat": 1}]}]}]}})").find("\"lon\""),
              std::string::npos);
    EXPECT_NE(error(area + R"({"ident": "KSEA", "lat": 1, "lon": 2, "frequencies":
        [{"type": "tower", "mhz": "1x8.3"}]}]}]}]}})")
                  .find("not a frequency"),
              std::string::npos);
    EXPECT_NE(error(area + R"({"ident": "KSEA", "lat": 1, "lon": 2, "taxi": {"parking":
        [{"x": 0, "y": 0, "name": "Hangar", "number": 1}]}}]}]}]}})")
                  .find("Hangar"),
              std::string::npos);
}

// The demo world written and scanned as on a first run, with its own magdec.bgl.
class DemoWorld : public ::testing::Test {
  protected:
    void SetUp() override {
        const WorldDescription world = ParseWorldDescription(SourceFile("data/demo-world.json"));
        ASSERT_EQ(WriteWorld(world, dir_.Path() / "FS2002"), "");
        ASSERT_EQ(scenery::ReadMagdec(dir_.Path() / "FS2002/Scenery/magdec.bgl", grid_).status,
                  scenery::MagdecStatus::Read);
        config_.FsMainFolder = (dir_.Path() / "FS2002").string();
        scenery::FirstRunBuild build(config_, grid_, [] { return std::vector<scenery::Volume>{}; });
        ASSERT_EQ(build.Start(boxes_), scenery::BuildState::Scanning);
        for (int i = 0; i < 100 && build.Tick(boxes_) != scenery::TickResult::AllScanned; ++i) {
        }
        ASSERT_EQ(build.State(), scenery::BuildState::AllScanned);
        EXPECT_TRUE(build.DamagedFiles().empty());
        for (const AirportRecord& a : build.Airports()) {
            airports_[a.ident] = a;
        }
    }

    testing::TempDir dir_;
    Config config_;
    MagneticVariationGrid grid_{};
    RecordedMessageBoxes boxes_;
    std::map<std::string, AirportRecord> airports_;
};

TEST_F(DemoWorld, FourToweredFieldsAndOneWithOnlyACtaf) {
    ASSERT_EQ(airports_.size(), 5u);
    // The Remote= area asks for the CD once.
    EXPECT_EQ(std::count(boxes_.shown.begin(), boxes_.shown.end(),
                         ShownBox{BoxIcon::Information, scenery::kInsertCdText}),
              1);
    const AirportRecord& kbfi = airports_["KBFI"];
    EXPECT_EQ(kbfi.name, "BOEING FLD");
    EXPECT_EQ(kbfi.runwayName, "13R");
    EXPECT_EQ(kbfi.runwayLength, 10000);
    EXPECT_EQ(kbfi.towerFreq, "120.6");
    EXPECT_EQ(kbfi.approachFreq, "126.5");  // the departure frequency came first

    const AirportRecord& ksea = airports_["KSEA"];
    EXPECT_EQ(ksea.runwayName, "16L");
    EXPECT_EQ(ksea.runwayLength, 11901);
    EXPECT_EQ(ksea.runwayHasIls, kTrue);
    // 16L points at a true 180; 16.6 degrees east truncate to 16.
    EXPECT_EQ(ksea.runwayHeading, 164);
    EXPECT_EQ(ksea.fieldElevation, 433);  // 132 m
    EXPECT_EQ(ksea.approachFreq, "119.2");
    EXPECT_EQ(ksea.centerFreq, "120.3");

    // The runways of each field, in record order; runway segments are named after them.
    const std::map<std::string, std::set<std::string>> runways = {
        {"KBFI", {"Runway 13R", "Runway 13L"}},
        {"KSEA", {"Runway 16L", "Runway 16C", "Runway 16R"}},
        {"KPAE", {"Runway 16R", "Runway 16L"}},
        {"KRNT", {"Runway 16"}}};
    for (const char* ident : {"KBFI", "KSEA", "KPAE", "KRNT"}) {
        const AirportRecord& a = airports_[ident];
        SCOPED_TRACE(ident);
        EXPECT_FALSE(a.towerFreq.empty());
        EXPECT_FALSE(a.groundFreq.empty());
        EXPECT_TRUE(a.ctafFreq.empty());
        ASSERT_TRUE(a.taxiPaths.has_value());
        const auto taxi = std::count_if(a.taxiPaths->begin(), a.taxiPaths->end(),
                                        [](const TaxiPath& p) { return p.kind == 0; });
        EXPECT_GE(taxi, 12);
        EXPECT_GE(a.parkingCount, 5);
        for (const TaxiPath& p : *a.taxiPaths) {
            if (p.kind == 1) {
                EXPECT_TRUE(runways.at(ident).count(p.name)) << p.name;
            }
            if (p.kind != 2) {
                EXPECT_LT(p.endNode, a.taxiNodeCount);
            } else {
                EXPECT_LT(p.endNode, a.parkingCount);
            }
        }
        // Every taxi point lies within 3 km of the airport.
        for (const TaxiNode& n : *a.taxiNodes) {
            EXPECT_NEAR(n.lat, a.lat, 0.03);
            EXPECT_NEAR(n.lon, a.lon, 0.045);
        }
    }
    // KSEA's first place is the pseudo-stand Exit_North_Ramp; its seventh is gate A1.
    EXPECT_EQ((*airports_["KSEA"].parking)[0].name, "GATE E 1");
    EXPECT_EQ((*airports_["KSEA"].parking)[6].name, "GATE A 1");

    const AirportRecord& s50 = airports_["S50"];
    EXPECT_EQ(s50.ctafFreq, "122.7");
    EXPECT_TRUE(s50.towerFreq.empty());
    EXPECT_TRUE(s50.groundFreq.empty());
    EXPECT_TRUE(s50.approachFreq.empty());
    EXPECT_TRUE(s50.centerFreq.empty());
    EXPECT_FALSE(s50.taxiNodes.has_value());
}

}  // namespace
}  // namespace corvane::writer
