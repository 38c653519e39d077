// corvane-tool station against corvane-fsim, both as separate processes on 127.0.0.1, in a folder
// prepared as the demo's: the demo world's scenery, its database built as a first run builds it,
// the terrain file. The station joins, monitors and talks to simulated pilots; it stops by itself
// after --minutes, when the host removes it, and on Ctrl-C. Every wait is bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

#include "ChildProcess.h"
#include "DemoFolder.h"
#include "support/TempDir.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The text after a transcript line's time stamp and mark: "HH:MM:SS M rest".
struct TranscriptLine {
    char mark = 0;
    std::string rest;
};
std::optional<TranscriptLine> Parse(const std::string& line) {
    if (line.size() < 11 || line[2] != ':' || line[5] != ':' || line[8] != ' ' || line[10] != ' ') {
        return std::nullopt;
    }
    return TranscriptLine{line[9], line.substr(11)};
}

class StationTool : public ::testing::Test {
  protected:
    void SetUp() override {
        // The demo folder, as ./run prepares it for the headless station.
        ASSERT_EQ(PrepareDemoFolder(demo.Path()), "");
    }

    // corvane-fsim on a free port with these aircraft at the demo world's airports.
    void StartFsim(const std::vector<std::string>& aircraft) {
        std::vector<std::string> args{"--port",       "0",       "--name",
                                      "Station Test", "--world", demo.Path().string(),
                                      "--table",      "0"};
        for (const std::string& a : aircraft) {
            args.insert(args.end(), {"--aircraft", a});
        }
        fsim = std::make_unique<ChildProcess>(CORVANE_FSIM_PATH, args);
        ASSERT_TRUE(fsim->Started());
        const auto line = fsim->WaitForLine("listening on 127.0.0.1:", 10s);
        ASSERT_TRUE(line.has_value());
        address = line->substr(line->find("127.0.0.1:"));
    }

    void StartStation(std::vector<std::string> options) {
        std::vector<std::string> args{"station", "--airport", "KBFI", "--connect", address};
        args.insert(args.end(), options.begin(), options.end());
        station = std::make_unique<ChildProcess>(CORVANE_TOOL_PATH, args, demo.Path().string());
        ASSERT_TRUE(station->Started());
    }

    // The first transcript line with this mark whose text satisfies `match`, read for at most
    // `limit`.
    template <typename Match>
    std::optional<std::string> WaitForTranscript(char mark, Match match,
                                                 std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const auto line = station->WaitForLine(" ", std::max(left, 1ms));
            if (!line) {
                return std::nullopt;
            }
            const auto parsed = Parse(*line);
            if (parsed && parsed->mark == mark && match(parsed->rest)) {
                return parsed->rest;
            }
        }
        return std::nullopt;
    }
    std::optional<std::string> WaitForEvent(const std::string& text,
                                            std::chrono::milliseconds limit) {
        return WaitForTranscript(
            '*', [&](const std::string& rest) { return rest == text; }, limit);
    }
    // A line sent by the station to `pilot` (among others, perhaps) that reads `text`.
    std::optional<std::string> WaitForSent(const std::string& pilot, const std::string& text,
                                           std::chrono::milliseconds limit) {
        return WaitForTranscript(
            '>',
            [&](const std::string& rest) {
                const size_t colon = rest.find(": ");
                if (colon == std::string::npos || rest.substr(colon + 2) != text) {
                    return false;
                }
                const std::string to = ", " + rest.substr(0, colon) + ",";
                return to.find(", " + pilot + ",") != std::string::npos;
            },
            limit);
    }

    // The station's name as the host admitted it (the aircraft are admitted as well).
    std::optional<std::string> StationAdmitted(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (true) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const auto line = fsim->WaitForLine("admitted: ", std::max(left, 1ms));
            if (!line) {
                return std::nullopt;
            }
            const std::string name = line->substr(line->find("admitted: ") + 10);
            if (!name.starts_with("N")) {
                return name;
            }
        }
    }

    TempDir demo;
    std::string address;
    std::unique_ptr<ChildProcess> fsim;
    std::unique_ptr<ChildProcess> station;
};

TEST_F(StationTool, WelcomesAPilotHearsHisAnswerAndStopsWhenTheTimeIsUp) {
    StartFsim({"vfr-pattern N123AB @KBFI", "ifr-departure N456CD @KBFI"});
    const auto started = std::chrono::steady_clock::now();
    StartStation({"--minutes", "0.3"});

    // The handshake, then the station's window opened and monitoring.
    EXPECT_TRUE(WaitForEvent("Connected to FS Session!", 15s).has_value());
    EXPECT_TRUE(WaitForEvent("MONITORING TRAFFIC", 5s).has_value());
    // The opening dialogue: the welcome, the pilot's answer with the airport's name before the
    // number (he is not in service yet), and the question that answer leads to.
    EXPECT_TRUE(WaitForSent("N123AB",
                            "N123AB. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC "
                            "services at KBFI?: 1-Use ATC services",
                            15s)
                    .has_value());
    const auto answer = WaitForTranscript(
        '<', [](const std::string& rest) { return rest.starts_with("N123AB: "); }, 10s);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(Lower(*answer), "n123ab: boeing fld,1");
    EXPECT_TRUE(WaitForSent("N123AB",
                            "N123AB. What type of flight you want to fly?: 1-VFR 2-IFR 3-Close "
                            "ATC Services",
                            10s)
                    .has_value());

    // Its default name is the airport's name followed by "_Controller".
    const auto callsign = StationAdmitted(5s);
    ASSERT_TRUE(callsign.has_value());
    EXPECT_EQ(Lower(*callsign), "boeing fld_controller");

    // 0.3 minutes after it started, it leaves the session and ends by itself.
    ASSERT_EQ(station->Wait(40s), 0);
    const auto ran = std::chrono::steady_clock::now() - started;
    EXPECT_GE(ran, 17s);
    EXPECT_TRUE(fsim->WaitForLine("left: " + *callsign, 5s).has_value());
}

TEST_F(StationTool, EndsCleanlyWhenTheHostRemovesIt) {
    StartFsim({"vfr-pattern N123AB @KBFI"});
    StartStation({"--callsign", "KBFI Tower", "--minutes", "1"});
    ASSERT_TRUE(WaitForEvent("MONITORING TRAFFIC", 20s).has_value());
    ASSERT_EQ(StationAdmitted(5s), "KBFI Tower");
    fsim->Write("remove KBFI Tower\n");
    EXPECT_TRUE(WaitForEvent("The host had removed you from the multiplayer session, Corvane "
                             "closes multiplayer session.",
                             10s)
                    .has_value());
    EXPECT_EQ(station->Wait(10s), 0);
    EXPECT_TRUE(fsim->WaitForLine("left: KBFI Tower", 5s).has_value());
}

TEST_F(StationTool, CtrlCLeavesTheSessionAndEndsWithStatusZero) {
    StartFsim({"vfr-pattern N123AB @KBFI"});
    StartStation({});
    ASSERT_TRUE(WaitForEvent("MONITORING TRAFFIC", 20s).has_value());
    const auto callsign = StationAdmitted(5s);
    ASSERT_TRUE(callsign.has_value());
    station->Signal(SIGINT);
    EXPECT_EQ(station->Wait(10s), 0);
    EXPECT_TRUE(fsim->WaitForLine("left: " + *callsign, 5s).has_value());
}

TEST_F(StationTool, NoSuchSessionOrAirportIsAnErrorNotAHang) {
    StartFsim({});
    StartStation({"--session", "Another Session"});
    EXPECT_EQ(station->Wait(20s), 1);
    StartStation({"--airport", "ZZZZ"});  // the last --airport wins
    EXPECT_EQ(station->Wait(20s), 2);
    EXPECT_FALSE(StationAdmitted(1s).has_value());
}

}  // namespace
}  // namespace corvane::testing
