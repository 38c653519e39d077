// The simulator stand-in's session host, in-process over a LoopbackSession with a hand-moved
// clock.
#include <gtest/gtest.h>

#include <sstream>

#include "fsim/SessionHost.h"
#include "session/FsMessages.h"
#include "session/LoopbackSession.h"

namespace corvane::fsim {
namespace {

using namespace std::chrono_literals;
using namespace session;

class FsimHost : public ::testing::Test {
  protected:
    SessionHost& Start(JoinAnswer answer = JoinAnswer::Admit) {
        HostOptions options;
        options.sessionName = "Fly-in";
        options.address = "127.0.0.1:6073";
        options.joinAnswer = answer;
        options.interval = 5s;
        host = std::make_unique<SessionHost>(*hostLink, clock, options, log);
        EXPECT_TRUE(host->Start());
        return *host;
    }
    // A player that found the session and joined it.
    std::unique_ptr<LoopbackSession> Player(const std::string& name) {
        auto p = net.NewSession();
        EXPECT_TRUE(p->InitializeConnection({"This computer", "127.0.0.1:6073"}));
        const auto found = p->EnumerateSessions();
        EXPECT_EQ(found->size(), 1u);
        EXPECT_TRUE(p->Open(found->at(0), OpenMode::Join));
        EXPECT_TRUE(p->CreatePlayer(name, "Player").has_value());
        return p;
    }
    // The application messages waiting for `p`: type and, for 0x1003, the id it carries.
    static std::vector<std::pair<int32_t, int32_t>> Received(LoopbackSession& p) {
        std::vector<std::pair<int32_t, int32_t>> out;
        while (auto r = p.Receive()) {
            if (r->from == kSystemSender) {
                continue;
            }
            const auto header = ReadHeader(r->message);
            const int32_t carried =
                header->type == kPlayerPresent ? DecodePresentId(r->message).value_or(-1) : 0;
            out.emplace_back(header->type, carried);
        }
        return out;
    }

    LoopbackNetwork net;
    std::unique_ptr<LoopbackSession> hostLink = net.NewSession();
    ManualClock clock;
    std::ostringstream log;
    std::unique_ptr<SessionHost> host;
};

TEST_F(FsimHost, HostsANamedSessionWithItsOwnPlayer) {
    Start();
    const auto sessions = net.HostedSessions();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0], (SessionDescription{"Fly-in", 1, 16, "127.0.0.1:6073"}));
    EXPECT_EQ(hostLink->PlayerName(host->HostPlayerId()), "FS Host");
    // A second host cannot take the same address.
    auto other = net.NewSession();
    SessionHost second(*other, clock, {.address = "127.0.0.1:6073"}, log);
    EXPECT_FALSE(second.Start());
}

TEST_F(FsimHost, AdmitsAJoinRequestWithAPresenceCarryingTheNewPlayersId) {
    Start();
    auto pilot = Player("N123");
    auto station = Player("KBFI_Controller");
    host->Step();
    EXPECT_EQ(host->Players(),
              (std::map<int32_t, std::string>{{2, "N123"}, {3, "KBFI_Controller"}}));
    Received(*pilot);
    ASSERT_TRUE(SendJoinRequest(*station, 3));
    host->Step();
    EXPECT_EQ(Received(*station), (std::vector<std::pair<int32_t, int32_t>>{{kPlayerPresent, 3}}));
    // The request went to all, and so does the answer: the others ignore another player's id.
    EXPECT_EQ(Received(*pilot),
              (std::vector<std::pair<int32_t, int32_t>>{{kJoinRequest, 0}, {kPlayerPresent, 3}}));
    EXPECT_NE(log.str().find("admitted: KBFI_Controller"), std::string::npos);
}

TEST_F(FsimHost, RefusesEveryJoinWhenToldTo) {
    Start(JoinAnswer::Refuse);
    auto pilot = Player("N123");
    auto station = Player("KBFI_Controller");
    ASSERT_TRUE(SendJoinRequest(*station, 3));
    host->Step();
    EXPECT_EQ(Received(*station), (std::vector<std::pair<int32_t, int32_t>>{{kJoinRefused, 0}}));
    // The refusal goes to the one who asked.
    EXPECT_EQ(Received(*pilot), (std::vector<std::pair<int32_t, int32_t>>{{kJoinRequest, 0}}));
}

TEST_F(FsimHost, ASilentHostNeverAnswersButNotesTheRepeats) {
    Start(JoinAnswer::Silent);
    auto station = Player("KBFI_Controller");
    SendJoinRequest(*station, 2);
    SendRequestRepeatNotice(*station, 2);
    SendJoinRequest(*station, 2);
    host->Step();
    EXPECT_TRUE(Received(*station).empty());
    EXPECT_NE(log.str().find("repeat notice from KBFI_Controller"), std::string::npos);
}

TEST_F(FsimHost, SendsHostAliveAndRollCallAtEachInterval) {
    Start();
    auto station = Player("KBFI_Controller");
    clock.Advance(4999ms);
    host->Step();
    EXPECT_TRUE(Received(*station).empty());
    clock.Advance(1ms);
    host->Step();
    const std::vector<std::pair<int32_t, int32_t>> notices{{kHostAlive, 0}, {kRollCall, 0}};
    EXPECT_EQ(Received(*station), notices);
    clock.Advance(4s);
    host->Step();
    EXPECT_TRUE(Received(*station).empty());
    clock.Advance(1s);
    host->Step();
    EXPECT_EQ(Received(*station), notices);
}

TEST_F(FsimHost, AnswersARollCallWithItsOwnPresence) {
    Start();
    auto station = Player("KBFI_Controller");
    SendRollCall(*station, 2);
    host->Step();
    EXPECT_EQ(Received(*station), (std::vector<std::pair<int32_t, int32_t>>{{kPlayerPresent, 1}}));
}

TEST_F(FsimHost, RemovesANamedPlayerOnATypedCommand) {
    Start();
    auto pilot = Player("N123");
    auto station = Player("KBFI_Controller");
    host->Step();
    EXPECT_EQ(host->Command("  remove KBFI_Controller "), CommandResult::Done);
    EXPECT_EQ(Received(*station), (std::vector<std::pair<int32_t, int32_t>>{{kRemovedByHost, 0}}));
    EXPECT_TRUE(Received(*pilot).empty());
    EXPECT_EQ(host->Command("remove nobody"), CommandResult::Done);
    EXPECT_NE(log.str().find("no player named nobody"), std::string::npos);
    EXPECT_FALSE(host->RemovePlayer("kbfi_controller"));  // names match exactly
    EXPECT_EQ(host->Command("players"), CommandResult::Done);
    EXPECT_NE(log.str().find("player 2: N123"), std::string::npos);
    EXPECT_EQ(host->Command("fly"), CommandResult::Unknown);
    EXPECT_EQ(host->Command("quit"), CommandResult::Quit);
    // A player that left is forgotten.
    station.reset();
    host->Step();
    EXPECT_EQ(host->Players(), (std::map<int32_t, std::string>{{2, "N123"}}));
}

TEST_F(FsimHost, StoppingEndsTheSessionForEveryone) {
    Start();
    auto station = Player("KBFI_Controller");
    host->Stop();
    EXPECT_TRUE(net.HostedSessions().empty());
    EXPECT_FALSE(SendRollCall(*station, 2));
}

}  // namespace
}  // namespace corvane::fsim
