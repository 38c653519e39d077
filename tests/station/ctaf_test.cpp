#include "station/Ctaf.h"
#include "StationFixture.h"
#include "station/Dispatcher.h"

namespace corvane::station::testing {
namespace {

class Ctaf : public StationTest {
  protected:
    Ctaf() {
        airport.TowerFreq = "";
        airport.GroundFreq = "";
        airport.AirportIdent = "S50";
        airport.RunwayName = "16";
        airport.CtafFreq = "122.9";
    }
    std::vector<SentLine> Pass() {
        DispatchPilotDialogue(context, chat);
        return chat.TakeAll();
    }
    TrafficRecord& InService(const std::string& cs, int32_t id, int16_t course, int16_t nm,
                             int32_t alt) {
        TrafficRecord& p = AddPilot(cs, id, course, nm, alt);
        p.atcActive = 1;
        p.pendingMenu = cs + ". Choose one of the following options: 1-Close ATC Services";
        return p;
    }
    static constexpr const char* kTail =
        " airport. Choose one of the following options for the Advisory frequency (CTAF - 122.9): "
        "1-Announce Taxi to Runway 2-Announce Takeoff 3-Announce Position 4-Announce Landing "
        "5-Announce Taxi to Gate or Parking 6-Close ATC Services";
};

TEST_F(Ctaf, MenuNamesTheFrequencyOnlyWhenThereIsOne) {
    TrafficRecord& p = InService("N1", 1, 0, 0, 18);
    RunCtafAdvisory(context, p);
    EXPECT_NE(p.pendingMenu.find("(CTAF - 122.9): 1-Announce"), std::string::npos);
    airport.CtafFreq = "";
    p.pendingMenu.clear();
    RunCtafAdvisory(context, p);
    EXPECT_NE(p.pendingMenu.find("(CTAF): 1-Announce"), std::string::npos);
}

TEST_F(Ctaf, AnnouncementsGoToEveryPilotOnTheFrequency) {
    TrafficRecord& p = InService("N1", 1, 0, 0, 18);
    InService("N2", 2, 90, 5, 3000);
    Pass();
    p.choice = 1;
    auto sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0],
              (SentLine{std::string("Traffic, N1, taxiing to runway 16 at S50") + kTail, {1, 2}}));
    p.choice = 2;
    sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text, std::string("Traffic, N1, takingoff, runway 16 at S50") + kTail);
    EXPECT_TRUE(Pass().empty());  // the announcement holds the marker: no menu rebuilt
    p.choice = 4;
    EXPECT_EQ(Pass()[0].text, std::string("Traffic, N1, landing, runway 16 at S50") + kTail);
    p.choice = 5;
    EXPECT_EQ(Pass()[0].text,
              std::string("Traffic, N1, taxiing to gate or parking at S50") + kTail);
}

TEST_F(Ctaf, PositionReportUsesDistanceWordAndAltitude) {
    // Runway heading 130 puts "south" around 310; 4 NM at true 310 from the field.
    TrafficRecord& p = InService("N1", 1, 310, 4, 1500);
    Pass();
    p.choice = 3;
    const auto sent = Pass();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text, std::string("Traffic, N1, 4 miles, south, 1500 ft, at S50") + kTail);
    p.choice = 3;  // the same text again is not sent again
    EXPECT_TRUE(Pass().empty());
    p.altitudeFt = 1400;
    p.choice = 3;
    EXPECT_EQ(Pass()[0].text, std::string("Traffic, N1, 4 miles, south, 1400 ft, at S50") + kTail);
}

TEST_F(Ctaf, CloseEndsTheServiceAndUnknownAnswersWait) {
    TrafficRecord& p = InService("N1", 1, 0, 0, 18);
    Pass();
    p.choice = 7;
    EXPECT_TRUE(Pass().empty());
    EXPECT_EQ(p.choice, 7);
    p.choice = 6;
    Pass();
    EXPECT_EQ(p.atcActive, 0);
    EXPECT_EQ(p.pendingMenu, "");
}

}  // namespace
}  // namespace corvane::station::testing
