// A simulated aircraft as a player of a session over a LoopbackSession, with a hand-moved clock:
// how it joins, and the FS messages it answers and sends, read back with the station's decoders.
#include <gtest/gtest.h>

#include <sstream>

#include "fsim/SessionHost.h"
#include "fsim/SimAircraft.h"
#include "session/FsMessages.h"
#include "session/LoopbackSession.h"
#include "support/SimAirport.h"

namespace corvane::fsim {
namespace {

using namespace std::chrono_literals;
using namespace session;
using testing::SimAirport;
using testing::SimRunwayPoint;

constexpr const char* kAddress = "127.0.0.1:6073";

struct Received {
    int32_t from = 0;
    int32_t type = 0;
    int32_t size = 0;
    Message message;  // read position after the header
};

class Aircraft : public ::testing::Test {
  protected:
    Aircraft() {
        host = std::make_unique<SessionHost>(
            *hostLink, clock,
            HostOptions{.sessionName = "Fly-in", .address = kAddress, .interval = 600s}, log);
        EXPECT_TRUE(host->Start());
        EXPECT_TRUE(station->InitializeConnection({"This computer", kAddress}));
        const auto found = station->EnumerateSessions();
        EXPECT_TRUE(station->Open(found->at(0), OpenMode::Join));
        stationId = *station->CreatePlayer("KBFI_Controller", "Player");
    }

    SimAircraft& Make(AircraftSetup setup) {
        aircraft =
            std::make_unique<SimAircraft>(*aircraftLink, clock, std::move(setup), chart,
                                          [this](const TrafficNote& n) { notes.push_back(n); });
        return *aircraft;
    }

    static AircraftSetup Parked(const std::string& callsign) {
        AircraftSetup setup;
        setup.pilot.callsign = callsign;
        setup.pilot.kind = FlightKind::VfrDeparture;
        setup.title = "Cessna Skyhawk 172SP";
        const ParkingSpot gate = SimAirport().ParkingSpots[0];
        setup.start.position = {gate.lat, gate.lon};
        setup.start.trueHeading = 40.0;
        return setup;
    }

    // Advances the clock in steps of `step`, letting host and aircraft work after each.
    void Run(std::chrono::milliseconds total, std::chrono::milliseconds step = 250ms) {
        for (auto t = 0ms; t < total; t += step) {
            clock.Advance(step);
            host->Step();
            aircraft->Step();
        }
    }

    // Every application message waiting for the station.
    std::vector<Received> StationInbox() {
        std::vector<Received> out;
        while (auto r = station->Receive()) {
            if (r->from == kSystemSender) {
                continue;
            }
            Received item;
            item.from = r->from;
            item.message = r->message;
            const auto header = ReadHeader(item.message);
            item.type = header->type;
            item.size = header->size;
            out.push_back(std::move(item));
        }
        return out;
    }
    std::vector<Received> OfType(int32_t type) {
        std::vector<Received> out;
        for (Received& r : StationInbox()) {
            if (r.type == type) {
                out.push_back(std::move(r));
            }
        }
        return out;
    }

    LoopbackNetwork net;
    std::unique_ptr<LoopbackSession> hostLink = net.NewSession();
    std::unique_ptr<LoopbackSession> station = net.NewSession();
    std::unique_ptr<LoopbackSession> aircraftLink = net.NewSession();
    ManualClock clock;
    std::ostringstream log;
    std::unique_ptr<SessionHost> host;
    int32_t stationId = 0;
    ChosenAirport airport = SimAirport();
    MagneticVariationGrid grid{};
    AirportChart chart = ChartFromAirport(airport, grid);
    std::unique_ptr<SimAircraft> aircraft;
    std::vector<TrafficNote> notes;
};

TEST_F(Aircraft, JoinsAsAPlayerNamedByItsCallsignAndIsAdmittedByTheHost) {
    SimAircraft& a = Make(Parked("N123AB"));
    ASSERT_TRUE(a.Join(kAddress, "Fly-in"));
    EXPECT_EQ(a.Link(), LinkState::Joining);
    EXPECT_EQ(station->PlayerName(a.PlayerId()), "N123AB");
    Run(250ms);
    EXPECT_EQ(a.Link(), LinkState::Admitted);
    EXPECT_EQ(host->Players().at(a.PlayerId()), "N123AB");
    // The station saw its join request, the host's admission and its own presence, 0x1003 from
    // itself carrying its id.
    const auto inbox = StationInbox();
    std::vector<int32_t> types;
    for (const Received& r : inbox) {
        types.push_back(r.type);
    }
    EXPECT_NE(std::find(types.begin(), types.end(), kJoinRequest), types.end());
    bool announced = false;
    for (Received r : inbox) {
        if (r.type == kPlayerPresent && r.from == a.PlayerId()) {
            EXPECT_EQ(r.size, 4);
            EXPECT_EQ(DecodePresentId(r.message), a.PlayerId());
            announced = true;
        }
    }
    EXPECT_TRUE(announced);
}

TEST_F(Aircraft, ARefusedOrMissingSessionIsReported) {
    SimAircraft& a = Make(Parked("N123AB"));
    EXPECT_FALSE(a.Join("127.0.0.1:9", ""));
    EXPECT_EQ(a.Link(), LinkState::Lost);

    auto refusingLink = net.NewSession();
    SessionHost refusing(*refusingLink, clock,
                         {.address = "127.0.0.1:6074", .joinAnswer = JoinAnswer::Refuse}, log);
    ASSERT_TRUE(refusing.Start());
    auto otherLink = net.NewSession();
    SimAircraft b(*otherLink, clock, Parked("N456CD"), chart);
    ASSERT_TRUE(b.Join("127.0.0.1:6074", ""));
    refusing.Step();
    b.Step();
    EXPECT_EQ(b.Link(), LinkState::Refused);
}

TEST_F(Aircraft, AnswersRollCallsAndInformationRequests) {
    SimAircraft& a = Make(Parked("N123AB"));
    ASSERT_TRUE(a.Join(kAddress, ""));
    Run(250ms);
    StationInbox();
    // Before any roll call it says nothing of its own but its position.
    Run(250ms);
    for (const Received& r : OfType(kPlayerPresent)) {
        EXPECT_NE(r.from, a.PlayerId());
    }

    SendRollCall(*station, stationId);
    SendInformationRequest(*station, stationId);
    Run(250ms);
    int presences = 0;
    int informations = 0;
    for (Received& r : StationInbox()) {
        if (r.type == kPlayerPresent && r.from == a.PlayerId()) {  // the host answers as well
            ++presences;
            EXPECT_EQ(DecodePresentId(r.message), a.PlayerId());
        } else if (r.type == kAircraftInformation) {
            ++informations;
            EXPECT_EQ(r.from, a.PlayerId());
            EXPECT_EQ(r.size, 20);  // "Cessna Skyhawk 172SP"
            EXPECT_EQ(DecodeInformation(r.message, r.size), "Cessna Skyhawk 172SP");
        }
    }
    EXPECT_EQ(presences, 1);
    EXPECT_EQ(informations, 1);
}

TEST_F(Aircraft, ReportsItsPositionOnceASecondAsTheStationDecodesIt) {
    AircraftSetup setup;
    setup.pilot.callsign = "N123AB";
    setup.pilot.kind = FlightKind::VfrArrival;
    const LatLon start = SimRunwayPoint(-6076.12 * 8, 0);  // 8 NM out on final
    setup.start = {start, 2518.0, 130.0, 110.0, 0.0, false};
    SimAircraft& a = Make(setup);
    ASSERT_TRUE(a.Join(kAddress, ""));
    Run(250ms);
    StationInbox();
    Run(4750ms);  // to second 5, when the last report goes out
    auto reports = OfType(kPositionLong);
    EXPECT_EQ(reports.size(), 5u);  // seconds 1 to 5
    ASSERT_FALSE(reports.empty());
    Received& last = reports.back();
    EXPECT_EQ(last.from, a.PlayerId());
    EXPECT_EQ(last.message.Size(), 58u);
    const auto fix = DecodePosition(last.message, kPositionLong, grid);
    ASSERT_TRUE(fix);
    const AircraftState& s = a.Model().State();
    EXPECT_NEAR(fix->latitude, s.position.lat, 0.00001);
    EXPECT_NEAR(fix->longitude, s.position.lon, 0.00001);
    // Altitude goes in whole metres: 2518 ft is 767.5 m, sent as 767 m, read as 2516 ft.
    EXPECT_NEAR(fix->altitudeFt, s.altitudeFt, 0.5 / 0.3048 + 0.5);
    EXPECT_NEAR(fix->heading, s.trueHeading, 1.0);  // no variation: magnetic is true
    EXPECT_EQ(a.PositionReportsSent(), 6u);         // the first at joining time
}

TEST_F(Aircraft, ItsPilotAnswersTheStationInTheChat) {
    SimAircraft& a = Make(Parked("N123AB"));
    ASSERT_TRUE(a.Join(kAddress, ""));
    Run(250ms);
    StationInbox();
    SendChatLine(*station, stationId,
                 "N123AB. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at "
                 "KBFI?: 1-Use ATC services",
                 {a.PlayerId()});
    Run(1000ms);
    EXPECT_TRUE(OfType(kChatText).empty());  // still thinking
    Run(2000ms);
    auto chat = OfType(kChatText);
    ASSERT_EQ(chat.size(), 1u);
    EXPECT_EQ(chat[0].from, a.PlayerId());
    EXPECT_EQ(DecodeChat(chat[0].message, chat[0].size), "BOEING FLD,1");
    // The live view heard the line and what was said.
    bool heard = false;
    bool said = false;
    for (const TrafficNote& n : notes) {
        heard |= n.kind == TrafficNote::Kind::Heard && n.callsign == "N123AB";
        said |= n.kind == TrafficNote::Kind::Said && n.text == "BOEING FLD,1";
    }
    EXPECT_TRUE(heard);
    EXPECT_TRUE(said);
    // A line for somebody else is not answered.
    SendChatLine(*station, stationId,
                 "N99. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at "
                 "KBFI?: 1-Use ATC services",
                 {a.PlayerId()});
    Run(5000ms);
    EXPECT_TRUE(OfType(kChatText).empty());
}

TEST_F(Aircraft, LeavesWhenTheHostRemovesIt) {
    SimAircraft& a = Make(Parked("N123AB"));
    ASSERT_TRUE(a.Join(kAddress, ""));
    Run(250ms);
    ASSERT_TRUE(host->RemovePlayer("N123AB"));
    Run(250ms);
    EXPECT_EQ(a.Link(), LinkState::Removed);
    const uint64_t sent = a.PositionReportsSent();
    Run(3000ms);
    EXPECT_EQ(a.PositionReportsSent(), sent);  // silent from then on
}

}  // namespace
}  // namespace corvane::fsim
