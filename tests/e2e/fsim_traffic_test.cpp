// corvane-fsim flying a simulated aircraft as a separate process: the aircraft joins the session
// over ENet on 127.0.0.1, reports its position, answers a roll call and the station's welcome, and
// the program prints what it hears and says. Every wait is bounded by a few seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ChildProcess.h"
#include "scenery/AirportDatabase.h"
#include "session/EnetSession.h"
#include "session/FsMessages.h"
#include "session/HostAddress.h"
#include "shell/Config.h"
#include "support/SimAirport.h"
#include "support/TempDir.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
using namespace session;

class FsimTraffic : public ::testing::Test {
  protected:
    FsimTraffic() { EXPECT_EQ(WriteSimWorld(world.Path()), ""); }

    void Start(std::vector<std::string> options) {
        options.insert(options.end(), {"--port", "0", "--name", "E2E Session", "--world",
                                       world.Path().string(), "--table", "0"});
        fsim = std::make_unique<ChildProcess>(CORVANE_FSIM_PATH, options);
        ASSERT_TRUE(fsim->Started());
        const auto line = fsim->WaitForLine("listening on 127.0.0.1:", 5s);
        ASSERT_TRUE(line.has_value());
        address = line->substr(line->find("127.0.0.1:"));
    }

    // The station's player in the session.
    void JoinAsStation() {
        ASSERT_TRUE(station.InitializeConnection({kTcpIpConnectionName, address}));
        const auto sessions = station.EnumerateSessions();
        ASSERT_TRUE(sessions && sessions->size() == 1);
        ASSERT_TRUE(station.Open(sessions->at(0), OpenMode::Join));
        const auto id = station.CreatePlayer("KBFI_Controller", "Player");
        ASSERT_TRUE(id);
        self = *id;
    }

    struct Seen {
        int32_t from;
        int32_t type;
        std::string text;  // chat text
    };
    // Reads what arrives for the station until `done` or a few seconds.
    template <typename Done>
    std::vector<Seen> ReadUntil(Done done, std::chrono::milliseconds limit = 5s) {
        std::vector<Seen> seen;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline && !done(seen)) {
            station.WaitForTraffic(20ms);
            while (auto r = station.Receive()) {
                if (r->from == kSystemSender) {
                    continue;
                }
                const auto header = ReadHeader(r->message);
                if (!header) {
                    continue;
                }
                Seen s{r->from, header->type, {}};
                if (header->type == kChatText && header->size > 1) {
                    s.text = DecodeChat(r->message, header->size).value_or("");
                }
                seen.push_back(s);
            }
        }
        return seen;
    }
    int32_t AircraftId() {
        for (int32_t id = 1; id < 10; ++id) {
            if (station.PlayerName(id) == "N123AB") {
                return id;
            }
        }
        return 0;
    }

    TempDir world;
    std::unique_ptr<ChildProcess> fsim;
    std::string address;
    EnetSession station;
    int32_t self = 0;
};

TEST_F(FsimTraffic, AnAircraftJoinsReportsItsPositionAndAnswersTheStation) {
    Start({"--aircraft", "vfr-departure N123AB @KBFI:GATE A 1 'Cessna 172'"});
    ASSERT_TRUE(fsim->WaitForLine("N123AB admitted by the host", 5s));
    JoinAsStation();
    int32_t aircraft = 0;
    ReadUntil([&](const std::vector<Seen>&) { return (aircraft = AircraftId()) != 0; });
    ASSERT_NE(aircraft, 0);

    // Position reports, about one a second.
    auto positions = [&](const std::vector<Seen>& seen) {
        return std::count_if(seen.begin(), seen.end(), [&](const Seen& s) {
            return s.from == aircraft && s.type == kPositionLong;
        });
    };
    EXPECT_GE(positions(ReadUntil([&](const auto& seen) { return positions(seen) >= 2; })), 2);

    // A roll call and the aircraft's title.
    SendRollCall(station, self);
    SendInformationRequest(station, self);
    const auto answers = ReadUntil([&](const std::vector<Seen>& seen) {
        bool present = false;
        bool information = false;
        for (const Seen& s : seen) {
            present |= s.from == aircraft && s.type == kPlayerPresent;
            information |= s.from == aircraft && s.type == kAircraftInformation;
        }
        return present && information;
    });
    EXPECT_TRUE(std::any_of(answers.begin(), answers.end(), [&](const Seen& s) {
        return s.from == aircraft && s.type == kAircraftInformation;
    }));

    // The welcome, answered by airport name after the pilot's moment of reading.
    ASSERT_TRUE(SendChatLine(station, self,
                             "N123AB. Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC "
                             "services at KBFI?: 1-Use ATC services",
                             {aircraft}));
    const auto chat = ReadUntil([&](const std::vector<Seen>& seen) {
        return std::any_of(seen.begin(), seen.end(),
                           [&](const Seen& s) { return s.from == aircraft && !s.text.empty(); });
    });
    std::string said;
    for (const Seen& s : chat) {
        if (s.from == aircraft && !s.text.empty()) {
            said = s.text;
        }
    }
    EXPECT_EQ(said, "BOEING FLD,1");
    EXPECT_TRUE(fsim->WaitForLine("N123AB hears: N123AB. Welcome to Corvane v1.1", 5s));
    EXPECT_TRUE(fsim->WaitForLine("N123AB says: BOEING FLD,1", 5s));

    fsim->Write("traffic\n");
    const auto row = fsim->WaitForLine("N123AB     vfr-departure", 5s);
    ASSERT_TRUE(row);
    EXPECT_NE(row->find("parked"), std::string::npos);

    fsim->Write("quit\n");
    EXPECT_TRUE(fsim->WaitForLine("N123AB left the session", 5s));
    EXPECT_TRUE(fsim->WaitForLine("stopped", 5s));
    EXPECT_EQ(fsim->Wait(5s), 0);
}

TEST_F(FsimTraffic, BadTrafficIsRefusedBeforeAnythingIsHosted) {
    ChildProcess badKind(CORVANE_FSIM_PATH, {"--port", "0", "--aircraft", "glider N1 @KBFI"});
    EXPECT_EQ(badKind.Wait(5s), 2);
    ChildProcess badFactor(CORVANE_FSIM_PATH, {"--port", "0", "--time-factor", "500"});
    EXPECT_EQ(badFactor.Wait(5s), 2);
    ChildProcess unknownPlace(CORVANE_FSIM_PATH, {"--port", "0", "--world", world.Path().string(),
                                                  "--aircraft", "vfr-departure N1 @KBFI:GATE Z 9"});
    EXPECT_EQ(unknownPlace.Wait(5s), 1);
    EXPECT_FALSE(unknownPlace.WaitForLine("listening", 100ms));
    TempDir empty;
    ChildProcess noWorld(CORVANE_FSIM_PATH, {"--port", "0", "--world", empty.Path().string(),
                                             "--aircraft", "vfr-departure N1 @KBFI"});
    EXPECT_EQ(noWorld.Wait(5s), 1);
}

}  // namespace
}  // namespace corvane::testing
