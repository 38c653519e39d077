// One monitoring tick of the station over an in-process session: the queue drained (a position
// report from every pilot, menu answers from a quarter of them, the roll-call answers that are
// due) and the dispatcher's pass with the controllers, chat lines going out through the session.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TaxiGrid.h"
#include "nav/Geometry.h"
#include "session/FsMessages.h"
#include "session/HostAddress.h"
#include "session/LoopbackSession.h"
#include "station/Dispatcher.h"
#include "station/StationMonitor.h"
#include "station/StationState.h"
#include "station/TaxiRouting.h"
#include "support/BoeingField.h"

namespace corvane::station {
namespace {

using namespace session;

ChosenAirport Airport() {
    ChosenAirport a = testing::BoeingField();
    a.RunwayLength = 10000;
    a.RunwayWidth = 200;
    bench::Grid(a, 20);  // a gate at the end of every row
    return a;
}

struct Pilot {
    std::unique_ptr<LoopbackSession> link;
    int32_t id = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    int32_t altitudeFt = 0;
    int16_t heading = 0;
};

// A session with the station and `count` pilots in service: four in ten on no frequency yet
// (the frequency menu), two on the tower, two on approach, one on the centre and one taxiing on
// the ground frequency with a route to a gate.
class Session {
  public:
    explicit Session(int count) {
        host_ = network_.NewSession();
        host_->InitializeConnection({kThisComputerConnectionName, "127.0.0.1:47624"});
        host_->Open({"Bench", 0, 0, ""}, OpenMode::Create);
        objects_.DirectPlayObject = network_.NewSession();
        objects_.DirectPlayObject->Open(network_.HostedSessions()[0], OpenMode::Join);
        objects_.LocalPlayerId =
            *objects_.DirectPlayObject->CreatePlayer("BOEING FLD_Controller", "Player");

        std::mt19937 random(7);
        std::uniform_real_distribution<double> lat(45.9, 49.1), lon(-124.7, -119.9),
            ft(3000, 14400);
        for (int i = 0; i < 300; ++i) {
            terrain_.Mountains.push_back({"Montaña No" + std::to_string(i + 1), "Mountain",
                                          lat(random), lon(random),
                                          static_cast<int32_t>(ft(random))});
        }
        terrain_.MinSafeAltitude = 16400;
        monitor_.Load();

        const char* towerPhases[] = {"Holding short in runway",
                                     "Flying traffic pattern",
                                     "Landing",
                                     "Going Around",
                                     "Taxiing to runway",
                                     ""};
        for (int i = 0; i < count; ++i) {
            const std::string callsign = "N" + std::to_string(100 + i);
            Pilot p;
            p.link = network_.NewSession();
            p.link->Open(network_.HostedSessions()[0], OpenMode::Join);
            p.id = *p.link->CreatePlayer(callsign, "Player");

            TrafficRecord r = BlankTrafficRecord();
            r.callsign = callsign;
            r.playerId = p.id;
            r.present = kTrue;
            r.atcActive = 1;
            r.flightType = static_cast<uint8_t>(i % 2);
            int16_t course = static_cast<int16_t>((i * 47) % 360);
            int16_t nm = 0;
            p.altitudeFt = 18;
            switch (i % 10) {
                case 0:
                case 1:
                case 2:
                case 3:  // choosing a frequency
                    r.pendingMenu = callsign +
                                    ". Choose one of the following options: 1-Close "
                                    "ATC Services";
                    nm = static_cast<int16_t>(5 + i % 55);
                    p.altitudeFt = 2000 + 500 * (i % 14);
                    break;
                case 4:
                case 5: {
                    const std::string phase = towerPhases[(i / 10) % 6];
                    const bool ground =
                        phase == "Holding short in runway" || phase == "Taxiing to runway";
                    r.frequency = "120.6";
                    r.status = phase;
                    nm = static_cast<int16_t>(1 + i % 12);
                    p.altitudeFt = ground ? 18 : 1500;
                    if (phase == "Holding short in runway") {
                        EnqueueTakeoff(tables_, callsign);
                    } else if (phase == "Landing") {
                        EnqueueLanding(tables_, callsign);
                    }
                    break;
                }
                case 6:
                case 7:
                    r.frequency = "119.2";
                    r.status = "Approach";
                    r.flightType = 1;
                    nm = static_cast<int16_t>(8 + i % 10);
                    p.altitudeFt = 9000;
                    break;
                case 8:
                    r.frequency = "128.5";
                    r.status = "Approach";
                    r.flightType = 1;
                    nm = static_cast<int16_t>(30 + i % 60);
                    p.altitudeFt = 9000;
                    break;
                case 9: {
                    r.frequency = "121.9";
                    const TaxiNode& start = airport_.TaxiNodes[static_cast<size_t>((i * 37) % 400)];
                    p.latitude = start.lat;
                    p.longitude = start.lon;
                    break;
                }
            }
            if (i % 10 != 9) {
                const GeoPoint at =
                    nav::PointAtNm(airport_.AirportLat, airport_.AirportLon, course, nm);
                p.latitude = at.latitude;
                p.longitude = at.longitude;
            }
            p.heading = static_cast<int16_t>((course + 180) % 360);
            r.latitude = p.latitude;
            r.longitude = p.longitude;
            r.altitudeFt = p.altitudeFt;
            tables_.Traffic.push_back(r);
            if (i % 10 == 9) {
                const ParkingSpot& spot = airport_.ParkingSpots[static_cast<size_t>(i % 20)];
                StationContext context{airport_, terrain_, tables_};
                PlanTaxiRoute(context, tables_.Traffic.back(),
                              {spot.name, kDestinationParking, spot.lat, spot.lon, 0});
                tables_.Traffic.back().status = "Taxiing to gate";
            }
            pilots_.push_back(std::move(p));
        }
        monitor_.Start();
    }

    // What the pilots send before tick `t`: every pilot a position a little further along, a
    // quarter of them an answer ("r" to hear the message again, or an option no menu has), and
    // those whose turn it is their roll-call answer.
    void Feed(int t) {
        const int32_t station = objects_.LocalPlayerId;
        for (size_t i = 0; i < pilots_.size(); ++i) {
            Pilot& p = pilots_[i];
            const double drift = 0.0001 * ((t % 30) - 15);
            p.link->Send(
                p.id, station,
                EncodePosition(kPositionLong,
                               {AttitudeWordFor(p.heading), LatitudeWord(p.latitude + drift),
                                LongitudeWord(p.longitude + drift), AltitudeWord(p.altitudeFt)}));
            if (static_cast<int>(i % 4) == t % 4) {
                p.link->Send(p.id, station, EncodeChatLine((t / 4 + i) % 2 == 0 ? "r" : "8"));
            }
            if ((static_cast<int>(i) + t) % 30 == 0) {
                p.link->Send(p.id, station, EncodePresent(p.id));
            }
        }
    }

    // The roll call of the first tick and the first messages; returns the next tick's number.
    int WarmUp() {
        int t = 0;
        for (; t < 3; ++t) {
            Feed(t);
            monitor_.Tick();
            DrainPilots();
        }
        return t;
    }

    // Reads away what the station sent; returns the number of messages.
    size_t DrainPilots() {
        size_t n = 0;
        for (Pilot& p : pilots_) {
            while (p.link->Receive()) {
                ++n;
            }
        }
        return n;
    }

    StationMonitor& Monitor() { return monitor_; }
    StationTables& Tables() { return tables_; }
    StationContext Context() { return {airport_, terrain_, tables_}; }
    SessionChat Chat() { return SessionChat(*objects_.DirectPlayObject, objects_.LocalPlayerId); }

  private:
    LoopbackNetwork network_;
    std::unique_ptr<LoopbackSession> host_;
    SessionObjects objects_;
    ChosenAirport airport_ = Airport();
    Terrain terrain_;
    StationTables tables_;
    RecordedMessageBoxes boxes_;
    StationMonitor monitor_{airport_, terrain_, tables_, objects_, boxes_};
    std::vector<Pilot> pilots_;
};

// 10 to 250 pilots, and how the time grows with them.
void PilotCounts(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(50)->Arg(100)->Arg(250)->Unit(benchmark::kMicrosecond)->Complexity();
}

void BM_MonitoringTick(benchmark::State& state) {
    Session s(static_cast<int>(state.range(0)));
    int t = s.WarmUp();
    size_t sent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.Feed(t++);
        state.ResumeTiming();
        if (s.Monitor().Tick() != StationNext::Stay) {
            state.SkipWithError("the station closed");
            break;
        }
        state.PauseTiming();
        sent += s.DrainPilots();
        state.ResumeTiming();
    }
    state.counters["pilots"] = static_cast<double>(s.Tables().Traffic.size());
    state.counters["sent/tick"] =
        benchmark::Counter(static_cast<double>(sent), benchmark::Counter::kAvgIterations);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MonitoringTick)->Apply(PilotCounts);

// The dispatcher's pass alone over the same session (positions as the last tick left them).
void BM_DispatchPass(benchmark::State& state) {
    Session s(static_cast<int>(state.range(0)));
    s.WarmUp();
    StationContext context = s.Context();
    SessionChat chat = s.Chat();
    size_t sent = 0;
    for (auto _ : state) {
        DispatchPilotDialogue(context, chat);
        state.PauseTiming();
        sent += s.DrainPilots();
        state.ResumeTiming();
    }
    state.counters["sent/pass"] =
        benchmark::Counter(static_cast<double>(sent), benchmark::Counter::kAvgIterations);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DispatchPass)->Apply(PilotCounts);

// The same pass with the chat lines counted instead of sent: what the controllers cost without the
// session's fan-out of every changed message to each pilot on its frequency.
class CountingChat final : public ChatSender {
  public:
    void SendChatLine(const std::string&, const std::vector<int32_t>& recipients) override {
        lines += recipients.size();
    }
    size_t lines = 0;
};

void BM_DispatchPassUnsent(benchmark::State& state) {
    Session s(static_cast<int>(state.range(0)));
    s.WarmUp();
    StationContext context = s.Context();
    CountingChat chat;
    for (auto _ : state) {
        DispatchPilotDialogue(context, chat);
    }
    state.counters["lines/pass"] =
        benchmark::Counter(static_cast<double>(chat.lines), benchmark::Counter::kAvgIterations);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DispatchPassUnsent)->Apply(PilotCounts);

}  // namespace
}  // namespace corvane::station
