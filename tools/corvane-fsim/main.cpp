// corvane-fsim: stands in for the simulator's session host on this computer. Hosts a named
// session on 127.0.0.1, admits (or refuses, or ignores) joining players with the simulator's
// handshake, sends host-alive notices and roll calls, answers roll calls, and takes commands
// typed at its terminal ("remove NAME", "players", "quit"). Stops cleanly on Ctrl-C and at the
// end of its standard input.
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "fsim/SessionHost.h"
#include "session/EnetSession.h"

namespace {

using corvane::fsim::CommandResult;
using corvane::fsim::HostOptions;
using corvane::fsim::JoinAnswer;

constexpr const char* kUsage =
    "usage: corvane-fsim [--port N] [--name TEXT] [--host-name TEXT] [--max-players N]\n"
    "                    [--interval SECONDS] [--refuse | --silent]\n"
    "  --port N          port on 127.0.0.1 (default 47624; 0 takes any free port)\n"
    "  --name TEXT       session name (default \"FS2002 Multiplayer\")\n"
    "  --host-name TEXT  the host's own player (default \"FS Host\")\n"
    "  --max-players N   1..1000 (default 16)\n"
    "  --interval S      seconds between host-alive notices and roll calls (default 10)\n"
    "  --refuse          refuse every join request (0x1005)\n"
    "  --silent          never answer a join request\n"
    "Commands on standard input: remove NAME, players, quit.\n";

// Set from the signal handler only; the loop reads it.
volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
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

}  // namespace

int main(int argc, char* argv[]) {
    HostOptions options;
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
            char* end = nullptr;
            const double seconds = std::strtod(args[++i].c_str(), &end);
            if (*end != '\0' || !(seconds >= 0.05 && seconds <= 3600.0)) {
                return Usage("bad interval (0.05 to 3600 seconds): " + args[i]);
            }
            options.interval = std::chrono::milliseconds(static_cast<long>(seconds * 1000.0));
        } else {
            return Usage("unknown option: " + a);
        }
    }
    options.address = "127.0.0.1:" + std::to_string(port);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    corvane::SteadyClock clock;
    corvane::session::EnetSession link;
    corvane::fsim::SessionHost host(link, clock, options, std::cout);
    if (!host.Start()) {
        return 1;
    }
    std::cout << "listening on 127.0.0.1:" << link.Port() << std::endl;

    std::string pending;
    bool running = true;
    while (running && !gStop) {
        host.Step();
        std::cout.flush();
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
            running = host.Command(line) != CommandResult::Quit;
        }
        if (pending.size() > 4096) {
            pending.clear();  // a line that long is no command
        }
    }
    host.Stop();
    std::cout << "stopped" << std::endl;
    return 0;
}
