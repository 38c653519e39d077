// Whatever the other players send, the station's monitoring tick must not fail: the bytes become
// messages from three players (one known pilot in service, one known not in service, one
// unknown) and the station ticks over them, the dispatcher included.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "session/FsMessages.h"
#include "session/HostAddress.h"
#include "session/LoopbackSession.h"
#include "station/StationMonitor.h"
#include "station/StationState.h"
#include "support/BoeingField.h"

namespace {

using namespace corvane;
using namespace corvane::session;

void Check(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoopbackNetwork network;
    auto host = network.NewSession();
    host->InitializeConnection({kThisComputerConnectionName, "127.0.0.1:47624"});
    host->Open({"Fuzz", 0, 0, ""}, OpenMode::Create);
    SessionObjects objects;
    objects.DirectPlayObject = network.NewSession();
    objects.DirectPlayObject->Open(network.HostedSessions()[0], OpenMode::Join);
    objects.LocalPlayerId = *objects.DirectPlayObject->CreatePlayer("KBFI_Controller", "Player");
    std::vector<std::unique_ptr<LoopbackSession>> players;
    std::vector<int32_t> ids;
    for (const char* name : {"N1", "N2", "N3"}) {
        players.push_back(network.NewSession());
        players.back()->Open(network.HostedSessions()[0], OpenMode::Join);
        ids.push_back(*players.back()->CreatePlayer(name, "Player"));
    }

    ChosenAirport airport = testing::BoeingField();
    airport.RunwayLength = 10000;
    airport.RunwayWidth = 200;
    Terrain terrain;
    StationTables tables;
    RecordedMessageBoxes boxes;
    station::StationMonitor monitor(airport, terrain, tables, objects, boxes);
    monitor.Load();
    for (size_t i = 0; i < 2; ++i) {
        TrafficRecord r = station::BlankTrafficRecord();
        r.callsign = i == 0 ? "N1" : "N2";
        r.playerId = ids[i];
        r.present = kTrue;
        r.atcActive = i == 0 ? 1 : 0;
        r.pendingMenu = r.callsign + ". Choose one of the following options: 1-Close ATC Services";
        tables.Traffic.push_back(r);
    }
    monitor.Start();

    // Chunks: a length byte, a sender byte, then that many bytes of message; a tick after every
    // fourth message.
    size_t at = 0;
    int sent = 0;
    while (at + 2 <= size && sent < 64 && !monitor.Closed()) {
        const size_t length = data[at];
        const size_t sender = data[at + 1] % players.size();
        at += 2;
        const size_t take = std::min(length, size - at);
        players[sender]->Send(ids[sender], objects.LocalPlayerId,
                              Message(std::span<const uint8_t>(data + at, take)));
        at += take;
        if (++sent % 4 == 0) {
            monitor.Tick();
        }
    }
    monitor.Tick();
    Check(tables.Traffic.size() <= 3);
    for (const TrafficRecord& r : tables.Traffic) {
        Check(!r.callsign.empty());
    }
    return 0;
}
