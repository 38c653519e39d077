// A whole IFR departure across two processes: corvane-fsim hosts the session on 127.0.0.1 and
// flies the aircraft twenty times faster than real time; this process is the station, joined
// over EnetSession, its monitoring tick run every 50 ms of real time (one simulated second). The
// flight takes about 20 seconds; every wait is bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ChildProcess.h"
#include "session/EnetSession.h"
#include "session/HostAddress.h"
#include "session/SessionObjects.h"
#include "shared/MessageBoxes.h"
#include "station/StationMonitor.h"
#include "station/StationState.h"
#include "support/Passages.h"
#include "support/SimAirport.h"
#include "support/TempDir.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;

TEST(FlightOverEnet, AnIfrDepartureFromAnotherProcessEndsEnRouteOnTheCentre) {
    TempDir world;
    ASSERT_EQ(WriteSimWorld(world.Path()), "");
    ChildProcess fsim(CORVANE_FSIM_PATH,
                      {"--port", "0", "--name", "E2E Flight", "--interval", "0.5", "--world",
                       world.Path().string(), "--time-factor", "20", "--table", "0", "--quiet",
                       "--aircraft", "ifr-departure N3 @KBFI:PARKING 1"});
    ASSERT_TRUE(fsim.Started());
    const auto listening = fsim.WaitForLine("listening on 127.0.0.1:", 5s);
    ASSERT_TRUE(listening);
    const std::string address = listening->substr(listening->find("127.0.0.1:"));

    ChosenAirport airport = SimAirport();
    Terrain terrain;
    StationTables tables;
    RecordedMessageBoxes boxes;
    session::SessionObjects objects;
    objects.DirectPlayObject = std::make_unique<session::EnetSession>();
    session::DirectPlay& link = *objects.DirectPlayObject;
    ASSERT_TRUE(link.InitializeConnection({session::kTcpIpConnectionName, address}));
    const auto sessions = link.EnumerateSessions();
    ASSERT_TRUE(sessions && sessions->size() == 1);
    ASSERT_TRUE(link.Open(sessions->at(0), session::OpenMode::Join));
    objects.LocalPlayerId = link.CreatePlayer("BOEING FLD_Controller", "Player").value_or(0);
    ASSERT_NE(objects.LocalPlayerId, 0);
    station::StationMonitor monitor(airport, terrain, tables, objects, boxes);
    monitor.Load();
    monitor.Start();

    std::vector<Passage> history;
    const auto deadline = std::chrono::steady_clock::now() + 50s;
    while (std::chrono::steady_clock::now() < deadline) {
        ASSERT_EQ(monitor.Tick(), station::StationNext::Stay);
        const int i = station::FindTraffic(tables, "N3");
        if (i >= 0) {
            const TrafficRecord& r = tables.Traffic[static_cast<size_t>(i)];
            const Passage now{r.status, r.frequency};
            if (history.empty() || !(history.back() == now)) {
                history.push_back(now);
            }
            if (r.status == "En Route") {
                break;
            }
        }
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(history, (std::vector<Passage>{{"", ""},
                                             {"", "121.9"},
                                             {"Acknowledge taxi to runway", "121.9"},
                                             {"Taxiing to runway", "121.9"},
                                             {"Taxiing to runway", "120.6"},
                                             {"Acknowledge Takeoff", "120.6"},
                                             {"Takingoff", "120.6"},
                                             {"Acknowledge contact departure", "120.6"},
                                             {"Contact Departure", "120.6"},
                                             {"Contact Departure", "119.2"},
                                             {"Departure", "119.2"},
                                             {"Acknowledge contact ARTCC (EN ROUTE)", "119.2"},
                                             {"Contact ARTCC (EN ROUTE)", "119.2"},
                                             {"En Route", "128.5"}}));
    EXPECT_TRUE(boxes.shown.empty());
    const int i = station::FindTraffic(tables, "N3");
    ASSERT_GE(i, 0);
    EXPECT_EQ(tables.Traffic[static_cast<size_t>(i)].aircraftType, "Boeing 737-800");
    fsim.Write("quit\n");
    EXPECT_EQ(fsim.Wait(5s), 0);
}

}  // namespace
}  // namespace corvane::testing
