// corvane-tool station: the program's whole chain without its windows, in the current folder. The
// start-up files are checked, the airport is chosen as "Next" chooses it and its mountains are
// read, the session at HOST[:PORT] is searched for and joined through the connection window's logic
// (the simulator host's handshake included), and the station monitors the traffic with the same
// one-second tick as its window, its chat transcript printed as it happens.
//
// It stops cleanly (the station closed as its close button closes it, exit status 0) on Ctrl-C or
// SIGTERM, after --minutes, when the station finds the link lost or is removed by the host (the
// station's message is printed). Bad arguments or files: status 2; a session that cannot be found
// or joined: status 1.
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>
#include <variant>

#include "Commands.h"
#include "StationTranscript.h"
#include "replay/AirportLoading.h"
#include "session/ConnectionWindowLogic.h"
#include "session/EnetSession.h"
#include "session/HostAddress.h"
#include "shell/Config.h"
#include "shell/Startup.h"
#include "station/StationMonitor.h"

namespace corvane::tool {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kStationUsage =
    "usage: corvane-tool station --airport IDENT --connect HOST[:PORT] [--session NAME]\n"
    "                            [--callsign CALLSIGN] [--minutes M]\n"
    "  --airport IDENT     the airport to control, as chosen in the airport list\n"
    "  --connect HOST[:PORT]  where the session's host answers (port 47624 by default)\n"
    "  --session NAME      the session to join (default: the first one found)\n"
    "  --callsign CALLSIGN the station's name in the session (default: the airport's name\n"
    "                      followed by _Controller)\n"
    "  --minutes M         stop after M minutes (fractions allowed, such as 0.5)\n"
    "Runs in the current folder like the program (corvane.cfg, world_airports.dat,\n"
    "world_terrain.db). Prints the station's chat as it happens: '>' lines to pilots, '<' lines\n"
    "from pilots, '*' events. Stops on Ctrl-C, after M minutes, on a lost link or on removal.\n";

constexpr double kMaxMinutes = 525600.0;  // a year

volatile std::sig_atomic_t gStopSignal = 0;

void OnStopSignal(int signal) {
    gStopSignal = signal;
}

struct StationOptions {
    std::string airport;
    session::HostAddress address;
    std::optional<std::string> sessionName;
    std::optional<std::string> callsign;
    std::optional<double> minutes;
};

int Usage(const std::string& problem) {
    std::cerr << "corvane-tool: " << problem << "\n" << kStationUsage;
    return 2;
}

// The options, or the reason they are not usable.
std::variant<StationOptions, std::string> ParseOptions(const Args& args) {
    StationOptions options;
    bool hasAddress = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) {
            return "unknown option or missing value: " + a;
        }
        const std::string& value = args[++i];
        if (a == "--airport") {
            if (value.empty()) {
                return std::string("the airport's ident is empty");
            }
            options.airport = value;
        } else if (a == "--connect") {
            const auto address = session::ParseHostAddress(value);
            if (!address || address->port == 0) {
                return "bad host address (HOST or HOST:PORT, port 1 to 65535): " + value;
            }
            options.address = *address;
            hasAddress = true;
        } else if (a == "--session") {
            options.sessionName = value;
        } else if (a == "--callsign") {
            if (value.empty()) {
                return std::string("the callsign is empty");
            }
            options.callsign = value;
        } else if (a == "--minutes") {
            char* end = nullptr;
            const double minutes = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(minutes > 0.0 && minutes <= kMaxMinutes)) {
                return "bad number of minutes (more than 0, such as 0.5 or 5): " + value;
            }
            options.minutes = minutes;
        } else {
            return "unknown option: " + a;
        }
    }
    if (options.airport.empty()) {
        return std::string("--airport is missing");
    }
    if (!hasAddress) {
        return std::string("--connect is missing");
    }
    return options;
}

// The start-up files, as the splash checks them, without deleting anything: an empty string when
// the program could go straight to its airport list, else what to do.
std::string CheckStartupFiles(const fs::path& folder) {
    std::error_code ec;
    if (!fs::exists(folder / shell::kTerrainFileName, ec)) {
        return std::string(shell::kTerrainMissingText) + " (no " + shell::kTerrainFileName +
               " in " + folder.string() + ")";
    }
    const bool config = fs::exists(folder / shell::kConfigFileName, ec);
    const bool database = fs::exists(folder / shell::kAirportsFileName, ec);
    if (!config || !database) {
        return std::string("no airport database in ") + folder.string() + " (" +
               (config ? shell::kAirportsFileName : shell::kConfigFileName) +
               " is missing): run Corvane once in this folder to build it, or run "
               "corvane-tool build-db --fs FS2002_FOLDER here";
    }
    return {};
}

// The TCP/IP connection asks for the host's address: the one given on the command line.
class GivenAddress final : public session::AddressPrompt {
  public:
    explicit GivenAddress(std::string address) : address_(std::move(address)) {}
    std::optional<std::string> AskHostAddress() override { return address_; }

  private:
    std::string address_;
};

// When the run must end: a signal, or the time given.
class StopWatch {
  public:
    explicit StopWatch(std::optional<double> minutes) {
        if (minutes) {
            deadline_ = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long long>(*minutes * 60000.0));
        }
    }
    // Why the run must end now, or empty.
    std::string Reason() const {
        if (gStopSignal != 0) {
            return gStopSignal == SIGINT ? "interrupted (Ctrl-C)" : "terminated";
        }
        if (deadline_ && std::chrono::steady_clock::now() >= *deadline_) {
            return "the time given is up";
        }
        return {};
    }

  private:
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

// Lets the network work until `next`, or until the run must end.
void WaitUntil(session::SessionObjects& objects, std::chrono::steady_clock::time_point next,
               const StopWatch& stop) {
    while (stop.Reason().empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            next - std::chrono::steady_clock::now());
        if (left <= 0ms) {
            return;
        }
        const auto slice = std::min<std::chrono::milliseconds>(left, 100ms);
        if (auto* link = dynamic_cast<TranscriptLink*>(objects.DirectPlayObject.get())) {
            link->WaitForTraffic(slice);
        } else {
            std::this_thread::sleep_for(slice);
        }
    }
}

// The first row of the session list with this name, or the first row when no name is given; -1
// when there is none.
int SessionRow(const session::SessionObjects& objects, const std::optional<std::string>& name) {
    if (!objects.SessionList) {
        return -1;
    }
    const auto& sessions = *objects.SessionList;
    for (size_t i = 0; i < sessions.size(); ++i) {
        if (!name || sessions[i].name == *name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int Run(const StationOptions& options) {
#ifndef CORVANE_HAVE_ENET
    (void)options;
    return Fail("this build has no network session (ENet was not found)");
#else
    const fs::path folder = fs::current_path();
    if (std::string problem = CheckStartupFiles(folder); !problem.empty()) {
        return Fail(problem);
    }

    Transcript transcript(std::cout);
    TranscriptBoxes boxes(transcript);

    // The settings window: the variation grid, the database, "Next", the mountains.
    ChosenAirport airport;
    Terrain terrain;
    RecordedMessageBoxes loadBoxes;
    if (std::string error =
            replay::LoadAirportFromWorkingFolder(options.airport, airport, terrain, loadBoxes);
        !error.empty()) {
        return Fail(error);
    }
    for (const ShownBox& box : loadBoxes.shown) {
        transcript.Event(box.text);
    }
    transcript.Event(airport.AirportIdent + " " + airport.AirportName + ": runway " +
                     airport.RunwayName + ", " + std::to_string(terrain.MountainCount()) +
                     " mountains around it");

    StopWatch stop(options.minutes);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // The connection window, on the TCP/IP connection to the address given.
    GivenAddress prompt(options.address.ToString());
    session::SessionObjects objects;
    objects.DirectX = [&]() -> std::unique_ptr<session::DirectPlay> {
        return std::make_unique<TranscriptLink>(
            std::make_unique<session::EnetSession>(&prompt), transcript,
            [](session::DirectPlay& inner, std::chrono::milliseconds timeout) {
                static_cast<session::EnetSession&>(inner).WaitForTraffic(timeout);
            });
    };
    SteadyClock clock;
    session::ConnectionWindowLogic connection(objects, airport, boxes, clock);
    connection.SetStatusObserver([&](const std::string& status) { transcript.Event(status); });
    connection.Load();
    const auto& types = connection.State().List1;
    const auto tcp = std::find(types.begin(), types.end(), session::kTcpIpConnectionName);
    if (tcp == types.end()) {
        return Fail("the session link offers no TCP/IP connection");
    }
    connection.SelectConnection(static_cast<int>(tcp - types.begin()));
    connection.Search();
    const int row = SessionRow(objects, options.sessionName);
    if (row < 0) {
        std::string found;
        for (const std::string& s : connection.State().List2) {
            found += (found.empty() ? "" : ", ") + s;
        }
        std::cerr << "corvane-tool: "
                  << (options.sessionName ? "no session called " + *options.sessionName
                                          : std::string("no session"))
                  << " at " << options.address.ToString()
                  << (found.empty() ? "" : " (found: " + found + ")") << "\n";
        connection.CloseButton();
        return 1;
    }
    connection.State().List2Index = row;
    if (options.callsign) {
        connection.State().Text2 = *options.callsign;
    }
    transcript.Event("Joining " + connection.State().List2.at(static_cast<size_t>(row)) + " as " +
                     connection.State().Text2);
    connection.Join();

    // The handshake timer, until the host answers.
    session::ConnectionNext next = session::ConnectionNext::Stay;
    auto tickAt = std::chrono::steady_clock::now() + 1s;
    while (connection.State().Timer1Enabled && next == session::ConnectionNext::Stay) {
        WaitUntil(objects, tickAt, stop);
        if (std::string why = stop.Reason(); !why.empty()) {
            transcript.Event("Stopped: " + why);
            connection.CloseButton();
            return 0;
        }
        tickAt = std::max(tickAt + 1s, std::chrono::steady_clock::now());
        next = connection.Tick();
    }
    if (next != session::ConnectionNext::StationWindow) {
        std::cerr << "corvane-tool: the station could not join the session ("
                  << connection.State().Label6 << ")\n";
        connection.CloseButton();
        return 1;
    }

    // The station window: loaded, "Start Monitoring Traffic", then its timer.
    StationTables tables;
    station::StationMonitor monitor(airport, terrain, tables, objects, boxes);
    monitor.Load();
    monitor.Start();
    transcript.Event(monitor.State().Label1);
    tickAt = std::chrono::steady_clock::now() + 1s;
    while (true) {
        WaitUntil(objects, tickAt, stop);
        if (std::string why = stop.Reason(); !why.empty()) {
            transcript.Event("Stopped: " + why);
            monitor.CloseButton();
            transcript.Event("Station closed");
            return 0;
        }
        // A late tick does not make the next ones come faster.
        tickAt = std::max(tickAt + 1s, std::chrono::steady_clock::now());
        const station::StationNext after = monitor.Tick();
        transcript.Flush();
        if (after == station::StationNext::EndProgram) {
            transcript.Event("Station closed");
            return 0;
        }
    }
#endif
}

}  // namespace

int RunStation(const Args& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kStationUsage;
        return 0;
    }
    auto parsed = ParseOptions(args);
    if (auto* problem = std::get_if<std::string>(&parsed)) {
        return Usage(*problem);
    }
    return Run(std::get<StationOptions>(parsed));
}

}  // namespace corvane::tool
