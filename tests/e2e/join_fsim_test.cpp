// corvane-fsim as a separate process on 127.0.0.1, joined through EnetSession with the connection
// window's logic. Every wait is bounded by a few seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "ChildProcess.h"
#include "session/ConnectionWindowLogic.h"
#include "session/EnetSession.h"
#include "session/FsMessages.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
using namespace session;

class TypedAddress final : public AddressPrompt {
  public:
    std::optional<std::string> AskHostAddress() override { return address; }
    std::string address;
};

class FsimProcess : public ::testing::Test {
  protected:
    FsimProcess() {
        airport.AirportName = "BOEING FLD";
        objects.DirectX = [this] { return std::make_unique<EnetSession>(&prompt); };
    }
    ~FsimProcess() override { objects = {}; }

    // Starts corvane-fsim on a free port with these options and learns its address.
    void StartFsim(std::vector<std::string> options) {
        options.insert(options.end(), {"--port", "0", "--name", "E2E Session"});
        fsim = std::make_unique<ChildProcess>(CORVANE_FSIM_PATH, options);
        ASSERT_TRUE(fsim->Started());
        const auto line = fsim->WaitForLine("listening on 127.0.0.1:", 5s);
        ASSERT_TRUE(line.has_value());
        prompt.address = line->substr(line->find("127.0.0.1:"));
    }
    // The connection window: "Internet TCP/IP Connection", search, first session, join.
    void SearchAndJoin() {
        logic.Load();
        ASSERT_EQ(logic.State().List1.at(0), "Internet TCP/IP Connection");
        logic.SelectConnection(0);
        logic.Search();
        ASSERT_EQ(logic.State().List2, std::vector<std::string>{"E2E Session (1/16)"});
        EXPECT_EQ(logic.State().Label6, "Done");
        logic.State().List2Index = 0;
        logic.Join();
        ASSERT_EQ(logic.State().Label6, "First Request Sent");
    }
    // Timer1 ticks until the host has answered, at most ~5 seconds of them.
    ConnectionNext TickUntilAnswered() {
        ConnectionNext next = ConnectionNext::Stay;
        for (int i = 0; i < 500 && next == ConnectionNext::Stay && logic.State().Timer1Enabled;
             ++i) {
            std::this_thread::sleep_for(10ms);
            next = logic.Tick();
        }
        return next;
    }

    TypedAddress prompt;
    SessionObjects objects;
    ChosenAirport airport;
    RecordedMessageBoxes boxes;
    ManualClock clock;  // the handshake's 30-second repeat only moves when a test says so
    ConnectionWindowLogic logic{objects, airport, boxes, clock};
    std::unique_ptr<ChildProcess> fsim;
};

TEST_F(FsimProcess, TheStationIsFoundJoinedAndAccepted) {
    StartFsim({"--interval", "0.2"});
    SearchAndJoin();
    EXPECT_EQ(TickUntilAnswered(), ConnectionNext::StationWindow);
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));
    EXPECT_EQ(logic.State().Label6, "Connected to Session");
    EXPECT_TRUE(fsim->WaitForLine("admitted: BOEING FLD_Controller", 3s).has_value());

    // The session is the station's now: the host's notices arrive, and a removal typed at the
    // host's terminal reaches it.
    DirectPlay& link = *objects.DirectPlayObject;
    const int32_t self = objects.LocalPlayerId;
    fsim->Write("remove BOEING FLD_Controller\n");
    std::vector<int32_t> seen;
    auto saw = [&](int32_t type) {
        return std::find(seen.begin(), seen.end(), type) != seen.end();
    };
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline &&
           !(saw(kHostAlive) && saw(kRollCall) && saw(kRemovedByHost))) {
        std::this_thread::sleep_for(10ms);
        for (int32_t n = link.GetMessageCount(self).value_or(0); n > 0; --n) {
            auto r = link.Receive();
            if (r && r->from != kSystemSender) {
                seen.push_back(ReadHeader(r->message)->type);
            }
        }
    }
    EXPECT_TRUE(saw(kHostAlive));
    EXPECT_TRUE(saw(kRollCall));
    EXPECT_TRUE(saw(kRemovedByHost));

    // End of its input stops the host cleanly.
    fsim->CloseInput();
    EXPECT_EQ(fsim->Wait(5s), 0);
    EXPECT_TRUE(fsim->WaitForLine("stopped", 2s).has_value());
}

TEST_F(FsimProcess, ARefusingHostIsReportedAndTheWindowReset) {
    StartFsim({"--refuse"});
    SearchAndJoin();
    EXPECT_EQ(TickUntilAnswered(), ConnectionNext::Stay);
    EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{{BoxIcon::Exclamation, "Connection Refused"}}));
    EXPECT_EQ(logic.State().Label6, "Disconnected");
    EXPECT_FALSE(logic.State().Timer1Enabled);
    EXPECT_TRUE(fsim->WaitForLine("refused: BOEING FLD_Controller", 3s).has_value());
    // The reset released our player: the host sees it leave.
    EXPECT_TRUE(fsim->WaitForLine("left: BOEING FLD_Controller", 3s).has_value());
}

TEST_F(FsimProcess, ASilentHostHearsTheRepeatedRequestAndStopsOnCtrlC) {
    StartFsim({"--silent"});
    SearchAndJoin();
    clock.Advance(30s);
    logic.Tick();
    EXPECT_EQ(logic.State().Label6, "Request Resent");
    EXPECT_TRUE(fsim->WaitForLine("repeat notice from BOEING FLD_Controller", 3s).has_value());
    EXPECT_TRUE(fsim->WaitForLine("not answering: BOEING FLD_Controller", 3s).has_value());
    EXPECT_TRUE(boxes.shown.empty());
    fsim->Signal(SIGINT);
    EXPECT_EQ(fsim->Wait(5s), 0);
}

TEST_F(FsimProcess, NoHostNoSessionWithinAFewSeconds) {
    StartFsim({});
    fsim->CloseInput();
    ASSERT_EQ(fsim->Wait(5s), 0);  // gone: its port answers no more
    logic.Load();
    logic.SelectConnection(0);
    const auto start = std::chrono::steady_clock::now();
    logic.Search();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    EXPECT_TRUE(logic.State().List2.empty());
    EXPECT_EQ(logic.State().Label6, "Disconnected");
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace corvane::testing
