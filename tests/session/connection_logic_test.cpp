#include <gtest/gtest.h>

#include "session/ConnectionWindowLogic.h"
#include "session/FsMessages.h"
#include "session/LoopbackSession.h"
#include "support/LoopbackHost.h"

namespace corvane::session {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackHost;

class Prompt final : public AddressPrompt {
  public:
    std::optional<std::string> AskHostAddress() override { return answer; }
    std::optional<std::string> answer = "127.0.0.1";
};

class ConnectionLogic : public ::testing::Test {
  protected:
    ConnectionLogic() {
        airport.AirportName = "BOEING FLD";
        objects.DirectX = [this] { return net.NewSession(&prompt); };
    }

    // Load, pick "This computer" (row 1 = connection 3), search.
    void LoadAndSearch() {
        logic.Load();
        logic.SelectConnection(1);
        logic.Search();
    }
    void JoinFirstSession() {
        logic.State().List2Index = 0;
        logic.Join();
    }
    std::vector<std::string> Trail() const { return logic.StatusTrail(); }

    LoopbackNetwork net;
    Prompt prompt;
    SessionObjects objects;
    ChosenAirport airport;
    RecordedMessageBoxes boxes;
    ManualClock clock;
    ConnectionWindowLogic logic{objects, airport, boxes, clock};
};

TEST_F(ConnectionLogic, LoadOffersEveryConnectionButTheFirstAndTheDefaultCallsign) {
    logic.Load();
    EXPECT_EQ(logic.State().Text2, "BOEING FLD_Controller");
    EXPECT_EQ(logic.State().List1,
              (std::vector<std::string>{"Internet TCP/IP Connection", "This computer"}));
    EXPECT_EQ(logic.State().Label6, "Disconnected");
    EXPECT_FALSE(logic.State().Timer1Enabled);
    ASSERT_TRUE(objects.ConnectionList.has_value());
    EXPECT_EQ(objects.ConnectionList->size(), 3u);
}

TEST_F(ConnectionLogic, ASuccessfulJoinPassesThroughEveryStatusInOrder) {
    LoopbackHost host(net, "FS Session", 8);
    LoadAndSearch();
    EXPECT_EQ(logic.State().List2, (std::vector<std::string>{"FS Session (1/8)"}));
    JoinFirstSession();
    EXPECT_TRUE(logic.State().Timer1Enabled);
    EXPECT_EQ(logic.State().RequestCountdown, 30);
    EXPECT_EQ(objects.LocalPlayerId, 2);
    EXPECT_EQ(host.ReceivedTypes(), (std::vector<int32_t>{kJoinRequest}));
    EXPECT_EQ(host.Link().PlayerName(2), "BOEING FLD_Controller");

    clock.Advance(30s);
    EXPECT_EQ(logic.Tick(), ConnectionNext::Stay);
    EXPECT_EQ(host.ReceivedTypes(), (std::vector<int32_t>{kRequestRepeatNotice, kJoinRequest}));
    host.SendTo(2, EncodePresent(2));
    clock.Advance(1s);
    EXPECT_EQ(logic.Tick(), ConnectionNext::StationWindow);

    EXPECT_EQ(Trail(), (std::vector<std::string>{
                           "Disconnected", "Disconnected", "Searching for FS Multiplayer Sessions",
                           "Done", "Creating Player", "Player created", "First Request Sent",
                           "Resending Request", "Request Resent", "Connected to Session"}));
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));
    EXPECT_FALSE(logic.State().Timer1Enabled);
    // The session now belongs to the station: the close box releases nothing.
    logic.CloseBox();
    ASSERT_NE(objects.DirectPlayObject, nullptr);
    EXPECT_TRUE(objects.DirectPlayObject->Send(2, host.Id(), EncodeRollCall()));
}

TEST_F(ConnectionLogic, ALateTickRepeatsOnceAndCountsFromThen) {
    LoopbackHost host(net);
    LoadAndSearch();
    JoinFirstSession();
    host.ReceivedTypes();
    clock.Advance(12500ms);
    logic.Tick();
    EXPECT_EQ(logic.State().RequestCountdown, 18);  // whole seconds left
    clock.Advance(62500ms);                         // the timer could not run for a while
    logic.Tick();
    EXPECT_EQ(host.ReceivedTypes(), (std::vector<int32_t>{kRequestRepeatNotice, kJoinRequest}));
    EXPECT_EQ(logic.State().RequestCountdown, 30);
    clock.Advance(29s);
    logic.Tick();
    EXPECT_TRUE(host.ReceivedTypes().empty());
    EXPECT_EQ(logic.State().RequestCountdown, 1);
}

TEST_F(ConnectionLogic, ThePromptIsAskedForTheTcpIpConnection) {
    LoopbackHost host(net);
    logic.Load();
    logic.SelectConnection(0);
    logic.Search();
    EXPECT_EQ(logic.State().List2.size(), 1u);
    EXPECT_EQ(logic.State().Label6, "Done");

    prompt.answer.reset();
    logic.Search();
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "User Canceled Connection."}}));
    EXPECT_TRUE(logic.State().List2.empty());
    EXPECT_EQ(logic.State().Label6, "Disconnected");
    EXPECT_EQ(logic.State().List1Index, 0);  // the connection stays selected
}

TEST_F(ConnectionLogic, FailedOpenAndCreatePlayerAreReportedAndReset) {
    LoopbackHost host(net);
    LoadAndSearch();
    net.FailNext(LoopbackCall::Open);
    JoinFirstSession();
    EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{{BoxIcon::Exclamation, "Failed to Join Game."}}));
    EXPECT_TRUE(logic.State().List2.empty());
    EXPECT_EQ(logic.State().Label6, "Disconnected");

    boxes.shown.clear();
    logic.Search();
    net.FailNext(LoopbackCall::CreatePlayer);
    JoinFirstSession();
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Exclamation, "Failed to Create Player."}}));
    EXPECT_EQ(Trail().back(), "Disconnected");
    EXPECT_EQ(Trail()[Trail().size() - 2], "Creating Player");
    // Releasing the object ended the open session: the host sees nobody join.
    EXPECT_EQ(net.HostedSessions().at(0).currentPlayers, 1);
}

TEST_F(ConnectionLogic, FailuresWithoutABoxOfTheirOwnAreReportedToo) {
    LoopbackHost host(net);
    LoadAndSearch();
    net.FailNext(LoopbackCall::Send);
    JoinFirstSession();
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Exclamation, "Failed to Send Join Request."}}));
    EXPECT_FALSE(logic.State().Timer1Enabled);

    boxes.shown.clear();
    net.FailNext(LoopbackCall::InitializeConnection);
    logic.Search();
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Exclamation, "Failed to Initialize Connection."}}));

    boxes.shown.clear();
    logic.Search();
    JoinFirstSession();
    ASSERT_TRUE(logic.State().Timer1Enabled);
    clock.Advance(30s);
    net.FailNext(LoopbackCall::Send);
    logic.Tick();
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Exclamation, "Failed to Send Join Request."}}));
    EXPECT_FALSE(logic.State().Timer1Enabled);
    EXPECT_EQ(logic.State().Label6, "Disconnected");
}

TEST_F(ConnectionLogic, AFailedReadEndsTheTickQuietlyAndTheNextOneGoesOn) {
    LoopbackHost host(net);
    LoadAndSearch();
    JoinFirstSession();
    Message cut;
    cut.WriteLong(kPlayerPresent);  // no size, no id
    host.SendTo(2, cut);
    host.SendTo(2, EncodePresent(2));
    EXPECT_EQ(logic.Tick(), ConnectionNext::Stay);
    EXPECT_TRUE(logic.State().Timer1Enabled);
    EXPECT_EQ(logic.Tick(), ConnectionNext::StationWindow);
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));
}

TEST_F(ConnectionLogic, AFailedCountEndsTheTickQuietly) {
    LoopbackHost host(net);
    LoadAndSearch();
    JoinFirstSession();
    host.SendTo(2, EncodeJoinRefused());
    net.FailNext(LoopbackCall::GetMessageCount);
    logic.Tick();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(logic.State().Timer1Enabled);
    logic.Tick();
    EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{{BoxIcon::Exclamation, "Connection Refused"}}));
}

TEST_F(ConnectionLogic, TheCloseButtonReleasesEverythingAndEndsTheProgram) {
    LoopbackHost host(net);
    LoadAndSearch();
    JoinFirstSession();
    host.SystemMessages();
    EXPECT_EQ(logic.CloseButton(), ConnectionNext::EndProgram);
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{kSystemDestroyPlayer, 2}}));
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    EXPECT_FALSE(objects.ConnectionList.has_value());
    EXPECT_FALSE(objects.SessionList.has_value());
    EXPECT_EQ(logic.State().Label6, "Disconnected");
    EXPECT_FALSE(logic.State().Timer1Enabled);
}

TEST_F(ConnectionLogic, CloseStillEndsWhenTheSessionCallsFail) {
    LoopbackHost host(net);
    LoadAndSearch();
    JoinFirstSession();
    net.FailNext(LoopbackCall::DestroyPlayer);
    net.FailNext(LoopbackCall::Close);
    EXPECT_EQ(logic.CloseButton(), ConnectionNext::EndProgram);
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    // Releasing the object took the player along anyway.
    EXPECT_EQ(net.HostedSessions().at(0).currentPlayers, 1);
}

TEST_F(ConnectionLogic, WithoutDirectPlayTheWindowSaysSoAndOffersNothing) {
    objects.DirectX = nullptr;
    logic.Load();
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Exclamation, "Failed to Open DirectPlay."}}));
    EXPECT_TRUE(logic.State().List1.empty());
}

}  // namespace
}  // namespace corvane::session
