// The session link over ENet on 127.0.0.1, across processes: a session host and a pilot run as
// child processes (they end with this program, and by themselves after ten minutes at most), and
// the station joins from here.
//
// - PositionReports/direct: the host sends N position reports (0x1018) to the station.
// - PositionReports/relayed: the pilot sends them; the host relays them, as in a real session.
//   The station decodes each. The real load is 64 aircraft reporting once a second: 64/s.
// - ChatRoundTrip/direct, /relayed: one chat line to the host (or the pilot), echoed back.
#ifdef CORVANE_HAVE_ENET

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/EnetSession.h"
#include "session/FsMessages.h"

namespace {

using namespace corvane;
using namespace corvane::session;
using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr auto kChildLifetime = 10min;
constexpr auto kWaitLimit = 5s;

// Answers the station: an information request whose `size` is N gets N position reports and a
// roll call to mark their end; a chat line is echoed.
[[noreturn]] void Serve(EnetSession& link, int32_t self, pid_t parent) {
    const auto deadline = SteadyClock::now() + kChildLifetime;
    while (getppid() == parent && SteadyClock::now() < deadline) {
        link.WaitForTraffic(5ms);
        for (int32_t n = link.GetMessageCount(self).value_or(0); n > 0; --n) {
            auto r = link.Receive();
            if (!r || r->from == kSystemSender) {
                continue;
            }
            const auto header = ReadHeader(r->message);
            if (!header) {
                continue;
            }
            if (header->type == kInformationRequest) {
                const Message report =
                    EncodePosition(kPositionShort, {AttitudeWordFor(135), LatitudeWord(47.53),
                                                    LongitudeWord(-122.30), AltitudeWord(3500)});
                for (int32_t i = 0; i < header->size; ++i) {
                    link.Send(self, r->from, report);
                }
                link.Send(self, r->from, EncodeRollCall());
            } else if (header->type == kChatText) {
                link.Send(self, r->from, r->message);
            }
        }
    }
    link.Close();
    _exit(0);
}

pid_t SpawnChild(int& readEnd, const std::function<void(int writeEnd, pid_t parent)>& body) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        body(fds[1], parent);
        _exit(1);
    }
    close(fds[1]);
    readEnd = fds[0];
    return pid;
}

// Reads one line the child writes (its port, or "ready").
std::string ReadLine(int fd) {
    std::string line;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(fd);
    return line;
}

class World {
  public:
    static World& Get() {
        static World world;
        return world;
    }
    bool Ok() const { return stationId_ != 0; }
    EnetSession& Station() { return station_; }
    int32_t StationId() const { return stationId_; }
    int32_t HostId() const { return 1; }
    int32_t PilotId() const { return 2; }

    ~World() {
        station_.Close();
        for (pid_t pid : children_) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }

  private:
    World() {
        int fd = -1;
        const pid_t host = SpawnChild(fd, [](int out, pid_t parent) {
            EnetSession link;
            if (!link.InitializeConnection({"This computer", "127.0.0.1:0"}) ||
                !link.Open({"Bench", 0, 8, ""}, OpenMode::Create)) {
                return;
            }
            const int32_t self = link.CreatePlayer("Bench Host", "Player").value_or(0);
            dprintf(out, "%u\n", static_cast<unsigned>(link.Port()));
            close(out);
            Serve(link, self, parent);
        });
        if (host < 0) {
            return;
        }
        children_.push_back(host);
        const std::string address = "127.0.0.1:" + ReadLine(fd);

        const pid_t pilot = SpawnChild(fd, [&](int out, pid_t parent) {
            EnetSession link;
            const int32_t self = Join(link, address, "N123");
            dprintf(out, "%s\n", self != 0 ? "ready" : "failed");
            close(out);
            if (self != 0) {
                Serve(link, self, parent);
            }
        });
        if (pilot < 0) {
            return;
        }
        children_.push_back(pilot);
        if (ReadLine(fd) != "ready") {
            return;
        }
        stationId_ = Join(station_, address, "KBFI_Controller");
        if (station_.PlayerName(PilotId()) != "N123") {
            stationId_ = 0;
        }
    }

    static int32_t Join(EnetSession& link, const std::string& address, const char* name) {
        if (!link.InitializeConnection({"This computer", address})) {
            return 0;
        }
        const auto found = link.EnumerateSessions();
        if (!found || found->empty() || !link.Open(found->front(), OpenMode::Join)) {
            return 0;
        }
        return link.CreatePlayer(name, "Player").value_or(0);
    }

    EnetSession station_;
    int32_t stationId_ = 0;
    std::vector<pid_t> children_;
};

// Waits for the next application message, up to kWaitLimit.
std::optional<ReceivedMessage> Next(EnetSession& link, int32_t self,
                                    SteadyClock::time_point deadline) {
    while (SteadyClock::now() < deadline) {
        if (link.GetMessageCount(self).value_or(0) > 0) {
            auto r = link.Receive();
            if (r && r->from != kSystemSender) {
                return r;
            }
            continue;
        }
        link.WaitForTraffic(5ms);
    }
    return std::nullopt;
}

void BM_PositionReports(benchmark::State& state, bool relayed) {
    World& world = World::Get();
    if (!world.Ok()) {
        state.SkipWithError("the session could not be set up");
        return;
    }
    EnetSession& station = world.Station();
    const int32_t self = world.StationId();
    const int32_t sender = relayed ? world.PilotId() : world.HostId();
    const auto batch = static_cast<int32_t>(state.range(0));
    const MagneticVariationGrid grid{};
    Message request;
    request.WriteLong(kInformationRequest);
    request.WriteLong(batch);
    int64_t received = 0;
    for (auto _ : state) {
        station.Send(self, sender, request);
        const auto deadline = SteadyClock::now() + kWaitLimit;
        int32_t got = 0;
        while (true) {
            auto r = Next(station, self, deadline);
            if (!r) {
                state.SkipWithError("the reports stopped coming");
                return;
            }
            const auto header = ReadHeader(r->message);
            if (header && header->type == kRollCall) {
                break;
            }
            TrafficRecord aircraft;
            if (header && DecodePosition(r->message, header->type, grid, aircraft)) {
                ++got;
            }
        }
        if (got != batch) {
            state.SkipWithError("reports were lost");
            return;
        }
        received += got;
    }
    state.SetItemsProcessed(received);
    state.counters["x_real_load"] =
        benchmark::Counter(static_cast<double>(received) / 64.0, benchmark::Counter::kIsRate);
    state.counters["dropped"] = static_cast<double>(station.Drops().Total());
}
BENCHMARK_CAPTURE(BM_PositionReports, direct, false)->Arg(1000)->UseRealTime();
BENCHMARK_CAPTURE(BM_PositionReports, relayed, true)->Arg(1000)->UseRealTime();

void BM_ChatRoundTrip(benchmark::State& state, bool relayed) {
    World& world = World::Get();
    if (!world.Ok()) {
        state.SkipWithError("the session could not be set up");
        return;
    }
    EnetSession& station = world.Station();
    const int32_t self = world.StationId();
    const int32_t to = relayed ? world.PilotId() : world.HostId();
    const Message line = EncodeChatLine(
        "N123, Boeing Field Tower, runway 13R, cleared for take-off. Choose one of the following "
        "options for the Tower frequency: 1-Acknowledge 2-Close ATC Services");
    for (auto _ : state) {
        station.Send(self, to, line);
        const auto echo = Next(station, self, SteadyClock::now() + kWaitLimit);
        if (!echo || !(echo->message == line)) {
            state.SkipWithError("the chat line did not come back");
            return;
        }
    }
}
BENCHMARK_CAPTURE(BM_ChatRoundTrip, direct, false)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ChatRoundTrip, relayed, true)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

#endif  // CORVANE_HAVE_ENET
