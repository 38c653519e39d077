// The monitoring tick over an in-process session: a host, the station and pilots, each with a
// DirectPlay object of its own.
#include "station/StationMonitor.h"

#include <gtest/gtest.h>

#include "StationFixture.h"
#include "session/FsMessages.h"
#include "session/LoopbackSession.h"
#include "support/LoopbackHost.h"

namespace corvane::station::testing {
namespace {

using namespace session;
using corvane::testing::LoopbackHost;

const char* const kWelcomeTail =
    ". Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at KBFI?: 1-Use ATC "
    "services";

struct Pilot {
    std::unique_ptr<LoopbackSession> link;
    int32_t id = 0;
};

class Monitor : public StationTest {
  protected:
    Monitor() {
        objects.DirectPlayObject = net.NewSession();
        EXPECT_TRUE(host.Ok());
        EXPECT_TRUE(objects.DirectPlayObject->Open(net.HostedSessions()[0], OpenMode::Join));
        objects.LocalPlayerId =
            objects.DirectPlayObject->CreatePlayer("BOEING FLD_Controller", "Player").value_or(0);
        host.SystemMessages();
        monitor.Load();
    }

    Pilot& Join(const std::string& callsign) {
        Pilot p{net.NewSession(), 0};
        EXPECT_TRUE(p.link->Open(net.HostedSessions()[0], OpenMode::Join));
        p.id = p.link->CreatePlayer(callsign, "Player").value_or(0);
        pilots[callsign] = std::move(p);
        return pilots[callsign];
    }
    int32_t Station() const { return objects.LocalPlayerId; }
    void From(const std::string& callsign, const Message& m) {
        Pilot& p = pilots.at(callsign);
        ASSERT_TRUE(p.link->Send(p.id, Station(), m));
    }
    void Present(const std::string& callsign) {
        From(callsign, EncodePresent(pilots.at(callsign).id));
    }
    void Chat(const std::string& callsign, const std::string& text) {
        From(callsign, EncodeChatLine(text));
    }
    void Position(const std::string& callsign, double lat, double lon, int32_t feet) {
        From(callsign, EncodePosition(kPositionLong, {AttitudeWordFor(90), LatitudeWord(lat),
                                                      LongitudeWord(lon), AltitudeWord(feet)}));
    }
    // The chat lines a pilot has received since the last call (the empty chat left out).
    std::vector<std::string> Heard(const std::string& callsign) {
        std::vector<std::string> lines;
        while (auto r = pilots.at(callsign).link->Receive()) {
            const auto header = ReadHeader(r->message);
            if (r->from == Station() && header && header->type == kChatText && header->size > 1) {
                lines.push_back(DecodeChat(r->message, header->size).value_or("?"));
            }
        }
        return lines;
    }
    // The application message types the host has received since the last call.
    std::vector<int32_t> HostGot() { return host.ReceivedTypes(); }
    const TrafficRecord* Record(const std::string& callsign) {
        const int i = FindTraffic(tables, callsign);
        return i < 0 ? nullptr : &tables.Traffic[static_cast<size_t>(i)];
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(monitor.Tick(), StationNext::Stay) << "tick " << i + 1;
        }
    }

    LoopbackNetwork net;
    LoopbackHost host{net};
    SessionObjects objects;
    RecordedMessageBoxes boxes;
    StationMonitor monitor{airport, terrain, tables, objects, boxes};
    std::map<std::string, Pilot> pilots;
};

TEST_F(Monitor, LoadStartAndStopShowTheirStateAndKeepTheTable) {
    terrain.Mountains = {{"Montaña No1", "Mountain", 47.0, -121.0, 14000}};
    tables.Traffic.push_back(BlankTrafficRecord());
    EnqueueLanding(tables, "N9");
    monitor.Load();
    EXPECT_TRUE(terrain.MountainIndex.Usable(1));
    EXPECT_TRUE(tables.Traffic.empty());
    EXPECT_TRUE(tables.LandingQueue.empty());
    EXPECT_EQ(monitor.State(), StationWindowState{});
    EXPECT_EQ(monitor.State().Label1, "NOT MONITORING TRAFFIC");
    EXPECT_EQ(monitor.LinkWatchdog(), 60);
    // Runway heading 130: H, H + 45, H - 45, H + 90, H - 90, H - 180, H + 135, H - 135.
    EXPECT_EQ(tables.CompassCentre, (std::array<int16_t, 8>{130, 175, 85, 220, 40, 310, 265, 355}));
    Join("N1");
    Present("N1");
    EXPECT_EQ(monitor.Tick(), StationNext::Stay);  // not monitoring: nothing is read or sent
    EXPECT_TRUE(HostGot().empty());
    EXPECT_EQ(tables.TrafficCount(), 0);

    monitor.Start();
    StationWindowState on;
    on.Label1 = "MONITORING TRAFFIC";
    on.Label1Colour = 128;
    on.Shape2 = LampFill::Solid;
    on.Shape3 = LampFill::DiagonalCross;
    on.Command1Enabled = true;
    on.Command2Enabled = false;
    on.PlayerTimerEnabled = true;
    EXPECT_EQ(monitor.State(), on);
    Ticks(1);
    ASSERT_NE(Record("N1"), nullptr);
    HostGot();

    monitor.Stop();
    EXPECT_EQ(monitor.State(), StationWindowState{});  // green "NOT MONITORING TRAFFIC"
    EXPECT_EQ(monitor.Tick(), StationNext::Stay);
    EXPECT_TRUE(HostGot().empty());
    monitor.Start();
    EXPECT_EQ(tables.TrafficCount(), 1);  // Stop and Start keep the table
    Ticks(1);
    EXPECT_EQ(HostGot(), (std::vector<int32_t>{kRollCall, kInformationRequest, kChatText}));
}

TEST_F(Monitor, TheFirstTickHoldsARollCallAndEveryThirtiethTickAfterIt) {
    monitor.Start();
    Ticks(1);
    EXPECT_EQ(HostGot(), (std::vector<int32_t>{kRollCall, kInformationRequest, kChatText}));
    EXPECT_EQ(monitor.RollCallCountdown(), 30);
    Ticks(29);
    EXPECT_EQ(HostGot(), std::vector<int32_t>(29, kChatText));
    Ticks(1);
    EXPECT_EQ(HostGot(), (std::vector<int32_t>{kRollCall, kInformationRequest, kChatText}));
}

TEST_F(Monitor, PresenceCreatesTheRecordAndAKnownPilotsAnswerDoesNotStopTheDraining) {
    Join("N1");
    Join("N2");
    Join("N3");
    Position("N2", 1.0, 1.0, 100);  // nobody has a record yet: dropped
    Present("N1");
    From("N1", EncodeInformation(0, "Cessna Skyhawk"));
    Present("N3");
    Present("N1");                       // already known: present again, and the draining goes on
    Position("N1", 47.6, -122.3, 1500);  // so this is read in the same tick
    monitor.Start();
    Ticks(1);

    ASSERT_EQ(tables.TrafficCount(), 2);
    const TrafficRecord& n1 = tables.Traffic[0];
    EXPECT_EQ(n1.callsign, "N1");
    EXPECT_EQ(n1.playerId, pilots["N1"].id);  // the sender's id
    EXPECT_EQ(n1.present, kTrue);
    EXPECT_EQ(n1.aircraftType, "Cessna Skyhawk");
    EXPECT_DOUBLE_EQ(n1.latitude, 47.6);
    EXPECT_DOUBLE_EQ(n1.longitude, -122.3);
    EXPECT_EQ(n1.altitudeFt, 1499);  // 1500 ft went out as 457 m; 457 / 0.3048 = 1499.3
    EXPECT_EQ(n1.heading, 90);       // no variation loaded
    const TrafficRecord& n3 = tables.Traffic[1];
    EXPECT_EQ(n3.callsign, "N3");
    EXPECT_EQ(n3.aircraftType, "Unknown");
    EXPECT_EQ(Record("N2"), nullptr);
}

TEST_F(Monitor, APilotSilentForTwoRollCallsIsPurgedWithHisQueuesAndReservations) {
    Join("N1");
    Join("N2");
    Present("N1");
    Present("N2");
    monitor.Start();
    Ticks(1);  // roll call on an empty table, then both records
    ASSERT_EQ(tables.TrafficCount(), 2);
    EnqueueTakeoff(tables, "N2");
    EnqueueLanding(tables, "N2");
    EnqueueTakeoff(tables, "N1");
    tables.TaxiReservations.push_back({"N2", 1, {}, "13R", "Runway", 0, 0});

    Ticks(30);  // tick 31: second roll call; both were present, both marked absent
    EXPECT_EQ(tables.TrafficCount(), 2);
    EXPECT_EQ(Record("N1")->present, kFalse);
    Present("N1");
    Ticks(29);  // up to tick 60: nobody is removed between roll calls
    EXPECT_EQ(tables.TrafficCount(), 2);
    Ticks(1);  // tick 61: N2 has not answered since tick 1
    ASSERT_EQ(tables.TrafficCount(), 1);
    EXPECT_EQ(tables.Traffic[0].callsign, "N1");
    EXPECT_EQ(tables.TakeoffQueue, std::vector<std::string>{"N1"});
    EXPECT_TRUE(tables.LandingQueue.empty());
    EXPECT_TRUE(tables.TaxiReservations.empty());
}

TEST_F(Monitor, SixtyTicksWithoutPresenceOrHostAliveLoseTheLink) {
    monitor.Start();
    Ticks(29);
    ASSERT_TRUE(host.SendTo(Station(), EncodeHostAlive()));  // read in tick 30: back to 60
    Ticks(60);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(monitor.LinkWatchdog(), 1);
    EXPECT_EQ(monitor.Tick(), StationNext::EndProgram);  // tick 90
    EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{{BoxIcon::Information,
                                                   "The multiplayer connection is lost, Corvane "
                                                   "closes multiplayer session."}}));
    EXPECT_TRUE(monitor.Closed());
    EXPECT_EQ(monitor.State().Label1, "PLEASE WAIT...");
    EXPECT_FALSE(monitor.State().PlayerTimerEnabled);
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{kSystemDestroyPlayer, 2}}));
}

TEST_F(Monitor, RemovalByTheHostClosesTheStationAndEndsTheTick) {
    Join("N1");
    Present("N1");
    monitor.Start();
    Ticks(1);
    Heard("N1");
    ASSERT_TRUE(host.SendTo(Station(), EncodeRemovedByHost()));
    Present("N1");
    EXPECT_EQ(monitor.Tick(), StationNext::EndProgram);
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information,
                                      "The host had removed you from the multiplayer session, "
                                      "Corvane closes multiplayer session."}}));
    EXPECT_EQ(monitor.LinkWatchdog(), 0);
    EXPECT_TRUE(monitor.Closed());
    EXPECT_EQ(tables.TrafficCount(), 0);
    EXPECT_EQ(airport.AirportIdent, "");
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    EXPECT_EQ(objects.LocalPlayerId, 0);
    EXPECT_TRUE(Heard("N1").empty());
    EXPECT_EQ(monitor.Tick(), StationNext::Stay);  // closed: no more ticks
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(Monitor, CloseButtonLeavesTheSessionAndClearsAirportAndStation) {
    airport.AirportName = "BOEING FLD";
    airport.CtafFreq = "122.9";
    airport.RunwayLength = 10000;
    airport.RunwayWidth = 200;
    airport.RunwayHasIls = kTrue;
    airport.TaxiNodes = {{1, 47.5, -122.3}, {1, 47.6, -122.3}};
    airport.TaxiPaths = {{0, 0, 1, "A"}};
    airport.ParkingSpots = {{"GATE A 1", 50, 47.5, -122.3, 0}};
    terrain.Mountains = {{"Montaña No1", "Mountain", 47.0, -121.0, 14000}};
    terrain.MinSafeAltitude = 16000;
    nav::IndexMountains(terrain);
    Join("N1");
    Present("N1");
    monitor.Start();
    Ticks(1);
    EnqueueTakeoff(tables, "N1");
    tables.FinalPoint = {"Final", "", 47.4, -122.2, 2000};
    std::vector<std::string> labels;
    monitor.SetStateObserver([&] { labels.push_back(monitor.State().Label1); });

    EXPECT_EQ(monitor.CloseButton(), StationNext::EndProgram);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), "PLEASE WAIT...");  // shown before the session is left
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{kSystemCreatePlayer, pilots["N1"].id},
                                                        {kSystemDestroyPlayer, 2}}));
    EXPECT_EQ(objects.DirectPlayObject, nullptr);

    ChosenAirport cleared;
    cleared.AirportLat = 47.53;  // the airport position and runway width are not cleared
    cleared.AirportLon = -122.30;
    cleared.RunwayWidth = 200;
    cleared.TaxiNodes = {TaxiNode{}};
    cleared.TaxiPaths = {TaxiPath{}};
    cleared.ParkingSpots = {ParkingSpot{}};
    EXPECT_EQ(airport, cleared);
    EXPECT_TRUE(terrain.Mountains.empty());
    EXPECT_EQ(terrain.MinSafeAltitude, 16000);
    EXPECT_EQ(
        nav::HighestTerrainOnPath(terrain, 0, {"", "", 47.5, -122.3, 0}, {"", "", 46.5, -119.7, 0}),
        0);
    EXPECT_TRUE(tables.Traffic.empty());
    EXPECT_TRUE(tables.TakeoffQueue.empty());
    EXPECT_EQ(tables.FinalPoint, GeoPoint{});
    EXPECT_FALSE(monitor.State().PlayerTimerEnabled);

    monitor.Start();  // every button is dead now
    EXPECT_FALSE(monitor.State().PlayerTimerEnabled);
    EXPECT_EQ(monitor.CloseButton(), StationNext::Stay);
}

TEST_F(Monitor, EveryRecordWithTheSendersCallsignTakesHisMessages) {
    Join("N1");
    Join("N2");
    AddPilot("N1", pilots["N1"].id);
    AddPilot("N2", pilots["N2"].id);
    AddPilot("N1", pilots["N1"].id);  // a second record under the same name, set up by hand
    monitor.Start();
    Position("N1", 12.0, 13.0, 1000);
    Position("N2", 22.0, 23.0, 1000);
    Present("N1");
    Ticks(1);
    ASSERT_EQ(tables.TrafficCount(), 3);  // the known name makes no new record
    EXPECT_DOUBLE_EQ(tables.Traffic[0].latitude, 12.0);
    EXPECT_DOUBLE_EQ(tables.Traffic[1].latitude, 22.0);
    EXPECT_DOUBLE_EQ(tables.Traffic[2].latitude, 12.0);
    EXPECT_EQ(tables.Traffic[0].present, kTrue);  // the first of them answers the roll call
    EXPECT_EQ(tables.Traffic[2].present, kFalse);
}

TEST_F(Monitor, AFailedSendAtTheStartOfATickSkipsTheSessionWorkButNotTheDispatcher) {
    Join("N1");
    Join("N9");
    TrafficRecord& n9 = AddPilot("N9", pilots["N9"].id);
    Present("N1");
    monitor.Start();
    net.FailNext(LoopbackCall::Send);  // the roll call
    Ticks(1);
    EXPECT_TRUE(HostGot().empty());    // no information request, no empty chat
    EXPECT_EQ(Record("N1"), nullptr);  // nothing was read
    EXPECT_EQ(n9.present, kTrue);      // nobody was marked absent
    EXPECT_EQ(Heard("N9"), std::vector<std::string>{"N9" + std::string(kWelcomeTail)});
    EXPECT_EQ(monitor.RollCallCountdown(), 0);
    Ticks(1);  // the roll call is held again
    EXPECT_EQ(HostGot(), (std::vector<int32_t>{kRollCall, kInformationRequest, kChatText}));
    EXPECT_NE(Record("N1"), nullptr);
}

TEST_F(Monitor, AFailedReadEndsTheDrainingAndTheRestWaitsForTheNextTick) {
    Join("N1");
    Join("N2");
    Present("N1");
    Present("N2");
    monitor.Start();
    Ticks(1);
    tables.Traffic[0].atcActive = 1;
    tables.Traffic[0].choice = 7;

    Chat("N1", "#");  // below "9" but no number
    Position("N1", 10.0, 10.0, 1000);
    Ticks(1);
    EXPECT_EQ(Record("N1")->choice, 7);
    EXPECT_EQ(Record("N1")->latitude, 0.0);
    Ticks(1);
    EXPECT_DOUBLE_EQ(Record("N1")->latitude, 10.0);

    Message shortPosition;
    shortPosition.WriteLong(kPositionShort);
    shortPosition.WriteLong(0);
    From("N1", shortPosition);
    Position("N1", 20.0, 20.0, 1000);
    Ticks(1);
    EXPECT_DOUBLE_EQ(Record("N1")->latitude, 10.0);
    Ticks(1);
    EXPECT_DOUBLE_EQ(Record("N1")->latitude, 20.0);

    Position("N2", 30.0, 30.0, 1000);
    pilots["N2"].link.reset();  // gone before his report is read: his name cannot be asked
    Position("N1", 40.0, 40.0, 1000);
    Ticks(1);
    EXPECT_DOUBLE_EQ(Record("N1")->latitude, 20.0);
    EXPECT_EQ(Record("N2")->latitude, 0.0);
    Ticks(1);
    EXPECT_DOUBLE_EQ(Record("N1")->latitude, 40.0);
}

TEST_F(Monitor, AnswersGoFromTheChatToTheDispatcherInTheSameTick) {
    airport.AirportName = "BOEING FLD";
    Join("N1");
    Present("N1");
    Position("N1", 47.53, -122.30, 18);
    monitor.Start();
    Ticks(1);
    EXPECT_EQ(Heard("N1"), std::vector<std::string>{"N1" + std::string(kWelcomeTail)});

    Chat("N1", "1");  // not in service: the airport name must come first
    Ticks(1);
    EXPECT_TRUE(Heard("N1").empty());
    EXPECT_EQ(Record("N1")->choice, 0);

    Chat("N1", "boeing fld,1");
    Ticks(1);
    EXPECT_EQ(Heard("N1"),
              std::vector<std::string>{
                  "N1. What type of flight you want to fly?: 1-VFR 2-IFR 3-Close ATC Services"});
    Chat("N1", "BOEING FLD,1");
    Ticks(1);
    const std::string base = "N1. Choose one of the following options: 1-Close ATC Services";
    EXPECT_EQ(Heard("N1"), std::vector<std::string>{base});
    Ticks(1);  // on the ground at the field
    EXPECT_EQ(Heard("N1"), std::vector<std::string>{base + " 2-Tune KBFI Ground Frequency"});
    Chat("N1", "r");
    Ticks(1);
    EXPECT_EQ(Heard("N1"), std::vector<std::string>{base + " 2-Tune KBFI Ground Frequency"});
    Ticks(1);
    EXPECT_TRUE(Heard("N1").empty());
}

TEST_F(Monitor, RollCallsFromOthersAreAnsweredWithTheStationsId) {
    monitor.Start();
    Ticks(1);
    HostGot();
    ASSERT_TRUE(host.SendTo(Station(), EncodeRollCall()));
    Ticks(1);
    std::vector<Message> got;
    while (auto r = host.Link().Receive()) {
        got.push_back(r->message);
    }
    EXPECT_EQ(got, (std::vector<Message>{EncodeEmptyChat(), EncodePresent(Station())}));
}

TEST_F(Monitor, ALineStillReachesThePilotsListedAfterOneWhoLeft) {
    Join("N1");
    Join("N2");
    Present("N1");
    Present("N2");
    monitor.Start();
    Ticks(1);
    Heard("N2");
    pilots["N1"].link.reset();  // left, but keeps his record until the purge
    Join("N3");
    Present("N3");
    Ticks(1);
    const std::vector<std::string> welcome{"N3" + std::string(kWelcomeTail)};
    EXPECT_EQ(Heard("N2"), welcome);
    EXPECT_EQ(Heard("N3"), welcome);
}

// A box that lets the timer fire underneath it, as a window's nested event loop would.
class ReenteringBoxes final : public MessageBoxes {
  public:
    void Show(BoxIcon icon, const std::string& text) override {
        shown.push_back({icon, text});
        timerWasOn.push_back(monitor->State().PlayerTimerEnabled);
        innerTick.push_back(monitor->Tick());
    }
    StationMonitor* monitor = nullptr;
    std::vector<ShownBox> shown;
    std::vector<bool> timerWasOn;
    std::vector<StationNext> innerTick;
};

TEST_F(Monitor, NoTickRunsUnderneathABox) {
    ReenteringBoxes reentering;
    StationMonitor guarded(airport, terrain, tables, objects, reentering);
    reentering.monitor = &guarded;
    guarded.Load();
    guarded.Start();
    ASSERT_TRUE(host.SendTo(Station(), EncodeRemovedByHost()));
    EXPECT_EQ(guarded.Tick(), StationNext::EndProgram);
    ASSERT_EQ(reentering.shown.size(), 1u);
    EXPECT_EQ(reentering.timerWasOn, std::vector<bool>{false});
    EXPECT_EQ(reentering.innerTick, std::vector<StationNext>{StationNext::Stay});
    // The inner call sent nothing: one roll call, one information request, one empty chat.
    EXPECT_EQ(HostGot(), (std::vector<int32_t>{kRollCall, kInformationRequest, kChatText}));
}

}  // namespace
}  // namespace corvane::station::testing
