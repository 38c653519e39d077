// corvane-fsim: stands in for the simulator on this computer. Hosts a named session on
// 127.0.0.1, admits (or refuses, or ignores) joining players with the simulator's handshake,
// sends host-alive notices and roll calls, answers roll calls, and takes commands typed at its
// terminal ("remove NAME", "players", "traffic", "quit"). With --aircraft or --traffic it also
// flies simulated aircraft: each joins the session as a player of its own, and its pilot talks
// to the station in the chat. Their chat and phases are printed as they happen, with a table of
// all of them now and then. Stops cleanly on Ctrl-C and at the end of its standard input.
//
// The host runs on the main thread and the aircraft on a second one, each with its own session
// objects: an aircraft joining waits for the host's answer, which the host must be free to give.
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fsim/AirportWorld.h"
#include "fsim/ScaledClock.h"
#include "fsim/SessionHost.h"
#include "fsim/TrafficEntry.h"
#include "fsim/TrafficFleet.h"
#include "session/EnetSession.h"

namespace {

using namespace corvane::fsim;

constexpr const char* kUsage =
    "usage: corvane-fsim [--port N] [--name TEXT] [--host-name TEXT] [--max-players N]\n"
    "                    [--interval SECONDS] [--refuse | --silent]\n"
    "                    [--world DIR] [--airport IDENT] [--aircraft AIRCRAFT]... [--traffic "
    "FILE]\n"
    "                    [--time-factor X] [--table SECONDS] [--quiet]\n"
    "  --port N          port on 127.0.0.1 (default 47624; 0 takes any free port)\n"
    "  --name TEXT       session name (default \"FS2002 Multiplayer\")\n"
    "  --host-name TEXT  the host's own player (default \"FS Host\")\n"
    "  --max-players N   1..1000 (default 16)\n"
    "  --interval S      seconds between host-alive notices and roll calls (default 10)\n"
    "  --refuse          refuse every join request (0x1005)\n"
    "  --silent          never answer a join request\n"
    "  --world DIR       Corvane's working folder: its corvane.cfg and world_airports.dat give\n"
    "                    the airports the aircraft fly at (default: the current folder)\n"
    "  --airport IDENT   the airport of aircraft that start in the air (default: the first\n"
    "                    @IDENT of the aircraft)\n"
    "  --aircraft AIRCRAFT   one simulated aircraft, KIND CALLSIGN START ['TITLE'], such as\n"
    "                    \"vfr-pattern N123AB @KBFI:GATE A 1 'Cessna 172'\" or\n"
    "                    \"ifr-arrival N456CD 40nm north 8000ft 'Boeing 737-800'\"; KIND is\n"
    "                    vfr-pattern, vfr-departure, vfr-arrival, ifr-departure, ifr-arrival\n"
    "                    or ctaf; START is @IDENT:PLACE, @IDENT (a free place) or\n"
    "                    DISTANCEnm SECTOR [ALTITUDEft] from the runway's threshold\n"
    "  --traffic FILE    aircraft from a file, one AIRCRAFT a line (# starts a comment line)\n"
    "  --time-factor X   the aircraft fly X times faster than real time (0.1 to 20; default 1)\n"
    "  --table SECONDS   print the aircraft table every SECONDS (default 30; 0: never)\n"
    "  --quiet           print no chat lines or phases, only the table and the host's events\n"
    "Commands on standard input: remove NAME, players, traffic, quit.\n";

// Set from the signal handler; both threads read it. A lock-free atomic is safe there.
std::atomic<bool> gStop{false};

void OnSignal(int) {
    gStop.store(true);
}

int Usage(const std::string& problem) {
    std::cerr << "corvane-fsim: " << problem << "\n" << kUsage;
    return 2;
}

bool ParseLong(const std::string& text, long low, long high, long& out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool ParseDouble(const std::string& text, double low, double high, double& out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= low && value <= high)) {
        return false;
    }
    out = value;
    return true;
}

// Lines from both threads, whole lines at a time.
class Printer {
  public:
    void Line(const std::string& text) {
        std::lock_guard lock(mutex_);
        std::cout << text << '\n' << std::flush;
    }
    void Text(const std::string& text) {
        if (text.empty()) {
            return;
        }
        std::lock_guard lock(mutex_);
        std::cout << text << std::flush;
    }

  private:
    std::mutex mutex_;
};

struct TrafficOptions {
    std::string world = ".";
    std::string airport;
    std::vector<std::string> entries;  // as given, for error messages
    std::vector<TrafficEntry> parsed;
    double timeFactor = 1.0;
    double tableSeconds = 30.0;
    bool quiet = false;
};

// The aircraft's thread: builds the fleet, joins it to the session and flies it until told to
// stop. The latest table is left in `table` for the "traffic" command.
class TrafficThread {
  public:
    TrafficThread(const TrafficOptions& options, std::vector<AirportChart> charts,
                  std::vector<AircraftSetup> setups, std::vector<size_t> chartOf,
                  std::string address, std::string sessionName, Printer& printer)
        : options_(options),
          charts_(std::move(charts)),
          setups_(std::move(setups)),
          chartOf_(std::move(chartOf)),
          address_(std::move(address)),
          sessionName_(std::move(sessionName)),
          printer_(printer) {}

    void Start() {
        thread_ = std::thread([this] { Run(); });
    }
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    std::string Table() {
        std::lock_guard lock(tableMutex_);
        return table_;
    }

  private:
    void Run() {
        corvane::SteadyClock wall;
        ScaledClock clock(wall, options_.timeFactor);
        const double start = static_cast<double>(clock.Now().count()) / 1000.0;
        TrafficNotes notes;
        if (!options_.quiet) {
            notes = [&](const TrafficNote& n) {
                const double t = static_cast<double>(clock.Now().count()) / 1000.0 - start;
                printer_.Line(FormatNote(t, n));
            };
        }
        TrafficFleet fleet(
            clock, [] { return std::make_unique<corvane::session::EnetSession>(); }, notes);
        for (size_t i = 0; i < setups_.size(); ++i) {
            AircraftSetup setup = setups_[i];
            setup.reportSeconds = options_.timeFactor;  // one report a second of real time
            fleet.Add(std::move(setup), charts_[chartOf_[i]]);
        }
        const int failed = fleet.JoinAll(address_, sessionName_);
        if (failed > 0) {
            printer_.Line(std::to_string(failed) + " aircraft could not join the session");
        }
        auto nextTable = std::chrono::steady_clock::now();
        while (!gStop.load()) {
            fleet.Step();
            const auto rows = fleet.Status();
            {
                std::lock_guard lock(tableMutex_);
                table_ = FormatStatusTable(rows);
            }
            if (options_.tableSeconds > 0 && std::chrono::steady_clock::now() >= nextTable) {
                printer_.Text(Table());
                nextTable += std::chrono::milliseconds(
                    static_cast<long long>(options_.tableSeconds * 1000.0));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        for (size_t i = 0; i < fleet.Size(); ++i) {
            fleet.At(i).Leave();
        }
    }

    const TrafficOptions& options_;
    std::vector<AirportChart> charts_;
    std::vector<AircraftSetup> setups_;
    std::vector<size_t> chartOf_;
    std::string address_;
    std::string sessionName_;
    Printer& printer_;
    std::thread thread_;
    std::mutex tableMutex_;
    std::string table_;
};

// Reads the world and builds every aircraft's setup; false (with the reason printed) on error.
bool PrepareTraffic(const TrafficOptions& options, std::vector<AirportChart>& charts,
                    std::vector<AircraftSetup>& setups, std::vector<size_t>& chartOf) {
    const AirportWorld world = LoadAirportWorld(options.world);
    if (!world.error.empty()) {
        std::cerr << "corvane-fsim: " << world.error << "\n";
        return false;
    }
    for (const std::string& w : world.warnings) {
        std::cout << "corvane-fsim: " << w << "\n";
    }
    std::map<std::string, size_t> chartIndex;
    std::map<std::string, std::set<std::string>> taken;
    std::string fallback = options.airport;
    for (const TrafficEntry& entry : options.parsed) {
        if (fallback.empty() && !entry.airport.empty()) {
            fallback = entry.airport;
        }
    }
    std::set<std::string> callsigns;
    for (const TrafficEntry& entry : options.parsed) {
        const std::string ident = entry.airport.empty() ? fallback : entry.airport;
        if (ident.empty()) {
            std::cerr << "corvane-fsim: " << entry.callsign
                      << " starts in the air: name its airport with --airport\n";
            return false;
        }
        if (!callsigns.insert(entry.callsign).second) {
            std::cerr << "corvane-fsim: two aircraft are called " << entry.callsign << "\n";
            return false;
        }
        if (!chartIndex.count(ident)) {
            auto chart = ChartFor(world, ident);
            if (!chart) {
                std::cerr << "corvane-fsim: no airport " << ident << " in " << options.world
                          << "\n";
                return false;
            }
            chartIndex[ident] = charts.size();
            charts.push_back(std::move(*chart));
        }
        const size_t c = chartIndex[ident];
        auto setup = SetupFor(entry, charts[c], taken[ident]);
        if (auto* error = std::get_if<std::string>(&setup)) {
            std::cerr << "corvane-fsim: " << entry.callsign << ": " << *error << "\n";
            return false;
        }
        setups.push_back(std::get<AircraftSetup>(std::move(setup)));
        chartOf.push_back(c);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    HostOptions options;
    TrafficOptions traffic;
    long port = 47624;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        long number = 0;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--refuse") {
            options.joinAnswer = JoinAnswer::Refuse;
        } else if (a == "--silent") {
            options.joinAnswer = JoinAnswer::Silent;
        } else if (a == "--quiet") {
            traffic.quiet = true;
        } else if (!hasValue) {
            return Usage("unknown option or missing value: " + a);
        } else if (a == "--port") {
            if (!ParseLong(args[++i], 0, 65535, port)) {
                return Usage("bad port: " + args[i]);
            }
        } else if (a == "--name") {
            options.sessionName = args[++i];
        } else if (a == "--host-name") {
            options.hostName = args[++i];
        } else if (a == "--max-players") {
            if (!ParseLong(args[++i], 1, 1000, number)) {
                return Usage("bad player count: " + args[i]);
            }
            options.maxPlayers = static_cast<int32_t>(number);
        } else if (a == "--interval") {
            double seconds = 0.0;
            if (!ParseDouble(args[++i], 0.05, 3600.0, seconds)) {
                return Usage("bad interval (0.05 to 3600 seconds): " + args[i]);
            }
            options.interval = std::chrono::milliseconds(static_cast<long>(seconds * 1000.0));
        } else if (a == "--world") {
            traffic.world = args[++i];
        } else if (a == "--airport") {
            traffic.airport = args[++i];
        } else if (a == "--aircraft") {
            auto entry = ParseTrafficEntry(args[++i]);
            if (auto* error = std::get_if<std::string>(&entry)) {
                return Usage("bad aircraft \"" + args[i] + "\": " + *error);
            }
            traffic.parsed.push_back(std::get<TrafficEntry>(std::move(entry)));
        } else if (a == "--traffic") {
            std::ifstream in(args[++i], std::ios::binary);
            if (!in) {
                return Usage("cannot read " + args[i]);
            }
            std::stringstream text;
            text << in.rdbuf();
            const TrafficFile file = ParseTrafficFile(text.str());
            if (!file.errors.empty()) {
                return Usage(args[i] + ": " + file.errors.front());
            }
            traffic.parsed.insert(traffic.parsed.end(), file.entries.begin(), file.entries.end());
        } else if (a == "--time-factor") {
            if (!ParseDouble(args[++i], 0.1, 20.0, traffic.timeFactor)) {
                return Usage("bad time factor (0.1 to 20): " + args[i]);
            }
        } else if (a == "--table") {
            if (!ParseDouble(args[++i], 0.0, 3600.0, traffic.tableSeconds)) {
                return Usage("bad table interval (0 to 3600 seconds): " + args[i]);
            }
        } else {
            return Usage("unknown option: " + a);
        }
    }
    options.address = "127.0.0.1:" + std::to_string(port);

    std::vector<AirportChart> charts;
    std::vector<AircraftSetup> setups;
    std::vector<size_t> chartOf;
    if (!traffic.parsed.empty() && !PrepareTraffic(traffic, charts, setups, chartOf)) {
        return 1;
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Printer printer;
    std::ostringstream hostLog;
    auto flushHostLog = [&] {
        printer.Text(hostLog.str());
        hostLog.str({});
    };
    corvane::SteadyClock clock;
    corvane::session::EnetSession link;
    SessionHost host(link, clock, options, hostLog);
    if (!host.Start()) {
        flushHostLog();
        return 1;
    }
    flushHostLog();
    printer.Line("listening on 127.0.0.1:" + std::to_string(link.Port()));

    std::unique_ptr<TrafficThread> flying;
    if (!setups.empty()) {
        std::ostringstream factor;
        factor << traffic.timeFactor;
        printer.Line("flying " + std::to_string(setups.size()) + " aircraft at " + factor.str() +
                     " times real time");
        flying = std::make_unique<TrafficThread>(
            traffic, std::move(charts), std::move(setups), std::move(chartOf),
            "127.0.0.1:" + std::to_string(link.Port()), options.sessionName, printer);
        flying->Start();
    }

    std::string pending;
    bool running = true;
    while (running && !gStop.load()) {
        host.Step();
        flushHostLog();
        link.WaitForTraffic(std::chrono::milliseconds(10));
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 0) <= 0 || (input.revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            continue;
        }
        char buffer[512];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            break;  // end of input (or it is gone): stop as on "quit"
        }
        pending.append(buffer, static_cast<size_t>(got));
        size_t newline;
        while (running && (newline = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            if (line == "traffic") {
                printer.Text(flying ? flying->Table() : "no simulated aircraft\n");
                continue;
            }
            running = host.Command(line) != CommandResult::Quit;
            flushHostLog();
        }
        if (pending.size() > 4096) {
            pending.clear();  // a line that long is no command
        }
    }
    gStop.store(true);
    if (flying) {
        flying->Join();  // the aircraft leave the session first
    }
    host.Stop();
    flushHostLog();
    printer.Line("stopped");
    return 0;
}
