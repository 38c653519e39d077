#pragma once
// The station and a simulator host in one process over a LoopbackSession, on a hand-moved clock:
// what whole-flight tests and the soak run fly their simulated aircraft against.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "fsim/AirportChart.h"
#include "fsim/SessionHost.h"
#include "fsim/TrafficFleet.h"
#include "session/LoopbackSession.h"
#include "session/SessionObjects.h"
#include "shared/Clock.h"
#include "shared/MessageBoxes.h"
#include "station/StationMonitor.h"

namespace corvane::testing {

class StationOnLoopback {
  protected:
    explicit StationOnLoopback(ChosenAirport chosen) : airport(std::move(chosen)) {}

    // Hosts the session, joins the station as the program would name it, loads and starts its
    // monitoring, and charts the airport for the aircraft. Fails the test when any of it fails.
    void StartStation(const fsim::HostOptions& options) {
        host = std::make_unique<fsim::SessionHost>(*hostLink, clock, options, hostLog);
        ASSERT_TRUE(host->Start());
        session.DirectPlayObject = net.NewSession();
        ASSERT_TRUE(
            session.DirectPlayObject->Open(net.HostedSessions()[0], session::OpenMode::Join));
        session.LocalPlayerId =
            session.DirectPlayObject->CreatePlayer(airport.AirportName + "_Controller", "Player")
                .value_or(0);
        ASSERT_NE(session.LocalPlayerId, 0);
        monitor.Load();
        monitor.Start();
        chart = fsim::ChartFromAirport(airport, terrain.MagVarGrid);
    }

    // One second: the aircraft fly it in quarter seconds, the host works, then the station ticks.
    station::StationNext FlySecond(fsim::TrafficFleet& fleet) {
        for (int q = 0; q < 4; ++q) {
            clock.Advance(std::chrono::milliseconds(250));
            host->Step();
            fleet.Step();
        }
        return monitor.Tick();
    }

    ChosenAirport airport;
    Terrain terrain;
    StationTables tables;
    session::LoopbackNetwork net;
    std::unique_ptr<session::LoopbackSession> hostLink = net.NewSession();
    ManualClock clock;
    std::ostringstream hostLog;
    std::unique_ptr<fsim::SessionHost> host;
    session::SessionObjects session;
    RecordedMessageBoxes boxes;
    station::StationMonitor monitor{airport, terrain, tables, session, boxes};
    fsim::AirportChart chart;
};

}  // namespace corvane::testing
