#include <gtest/gtest.h>

#include "session/FsMessages.h"
#include "session/LoopbackSession.h"
#include "support/LoopbackHost.h"

namespace corvane::session {
namespace {

using testing::LoopbackHost;

class TypedPrompt final : public AddressPrompt {
  public:
    explicit TypedPrompt(std::optional<std::string> answer) : answer_(std::move(answer)) {}
    std::optional<std::string> AskHostAddress() override {
        ++asked;
        return answer_;
    }
    int asked = 0;

  private:
    std::optional<std::string> answer_;
};

std::unique_ptr<LoopbackSession> Joined(LoopbackNetwork& net, const std::string& name) {
    auto s = net.NewSession();
    EXPECT_TRUE(s->InitializeConnection(net.Connections()[2]));
    const auto found = s->EnumerateSessions();
    EXPECT_TRUE(found && found->size() == 1);
    EXPECT_TRUE(s->Open(found->at(0), OpenMode::Join));
    EXPECT_TRUE(s->CreatePlayer(name, "Player").has_value());
    return s;
}

TEST(LoopbackSession, ASearchFindsTheHostedSessionWithItsPlayerCounts) {
    LoopbackNetwork net;
    LoopbackHost host(net, "Seattle", 16);
    ASSERT_TRUE(host.Ok());
    auto s = net.NewSession();
    EXPECT_FALSE(s->EnumerateSessions().has_value());  // no connection initialised
    ASSERT_TRUE(s->InitializeConnection(net.Connections()[2]));
    const auto found = s->EnumerateSessions();
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->at(0), (SessionDescription{"Seattle", 1, 16, "127.0.0.1:47624"}));
}

TEST(LoopbackSession, TheTcpIpConnectionAsksForTheAddressAtEverySearch) {
    LoopbackNetwork net;
    LoopbackHost host(net);
    TypedPrompt here("127.0.0.1:47624");
    auto s = net.NewSession(&here);
    ASSERT_TRUE(s->InitializeConnection(net.Connections()[1]));
    EXPECT_EQ(s->EnumerateSessions()->size(), 1u);
    EXPECT_EQ(s->EnumerateSessions()->size(), 1u);
    EXPECT_EQ(here.asked, 2);

    TypedPrompt elsewhere("127.0.0.1:5000");
    auto t = net.NewSession(&elsewhere);
    t->InitializeConnection(net.Connections()[1]);
    EXPECT_TRUE(t->EnumerateSessions()->empty());

    TypedPrompt cancel(std::nullopt);
    auto u = net.NewSession(&cancel);
    u->InitializeConnection(net.Connections()[1]);
    EXPECT_FALSE(u->EnumerateSessions().has_value());
    auto v = net.NewSession();  // no prompt at all: as if cancelled
    v->InitializeConnection(net.Connections()[1]);
    EXPECT_FALSE(v->EnumerateSessions().has_value());
}

TEST(LoopbackSession, TheReservedConnectionCannotBeInitialised) {
    LoopbackNetwork net;
    auto s = net.NewSession();
    EXPECT_FALSE(s->InitializeConnection(net.Connections()[0]));
}

TEST(LoopbackSession, PlayersGetIdsInOrderAndLearnEachOthersNames) {
    LoopbackNetwork net;
    LoopbackHost host(net);
    auto a = Joined(net, "N123");
    auto b = Joined(net, "KSEA_Controller");
    EXPECT_EQ(host.Id(), 1);
    EXPECT_EQ(a->LocalPlayer(), 2);
    EXPECT_EQ(b->LocalPlayer(), 3);
    EXPECT_EQ(b->PlayerName(1), "FS Host");
    EXPECT_EQ(b->PlayerName(2), "N123");
    EXPECT_EQ(a->PlayerName(3), "KSEA_Controller");
    EXPECT_FALSE(a->PlayerName(4).has_value());
    // Those already there hear of each newcomer from sender 0.
    EXPECT_EQ(host.SystemMessages(), (std::vector<std::pair<int32_t, int32_t>>{
                                         {kSystemCreatePlayer, 2}, {kSystemCreatePlayer, 3}}));
    EXPECT_EQ(a->GetMessageCount(2), 1);
    EXPECT_EQ(b->GetMessageCount(3), 0);
}

TEST(LoopbackSession, AnAssignedIdIsUsedOnceAndNumberingSkipsTakenIds) {
    LoopbackNetwork net;
    LoopbackHost host(net);  // player 1
    net.AssignNextPlayerId(3);
    auto a = Joined(net, "N1");
    EXPECT_EQ(a->LocalPlayer(), 3);
    auto b = Joined(net, "N2");
    EXPECT_EQ(b->LocalPlayer(), 2);
    auto c = Joined(net, "N3");
    EXPECT_EQ(c->LocalPlayer(), 4);  // 3 is taken
    net.AssignNextPlayerId(-7);      // any id but 0
    auto d = Joined(net, "N4");
    EXPECT_EQ(d->LocalPlayer(), -7);
    EXPECT_EQ(a->PlayerName(-7), "N4");

    for (int32_t id : {3, 0}) {
        net.AssignNextPlayerId(id);
        auto e = net.NewSession();
        ASSERT_TRUE(e->Open(net.HostedSessions()[0], OpenMode::Join));
        EXPECT_FALSE(e->CreatePlayer("N5", "Player").has_value()) << id;
    }
}

TEST(LoopbackSession, MessagesGoToOneOrToEveryOtherPlayerInOrder) {
    LoopbackNetwork net;
    LoopbackHost host(net);
    auto a = Joined(net, "N1");
    auto b = Joined(net, "N2");
    host.SystemMessages();
    while (a->Receive()) {
    }
    ASSERT_TRUE(a->Send(2, kAllPlayers, EncodeRollCall()));
    ASSERT_TRUE(a->Send(2, 3, EncodeChatLine("hi")));
    ASSERT_TRUE(a->Send(2, 1, EncodeHostAlive()));
    EXPECT_EQ(host.ReceivedTypes(), (std::vector<int32_t>{kRollCall, kHostAlive}));
    EXPECT_EQ(a->GetMessageCount(2), 0);  // never to the sender itself
    ASSERT_EQ(b->GetMessageCount(3), 2);
    const auto first = b->Receive();
    EXPECT_EQ(first->from, 2);
    EXPECT_EQ(first->to, 3);
    EXPECT_EQ(first->message, EncodeRollCall());
    EXPECT_EQ(b->Receive()->message, EncodeChatLine("hi"));
    EXPECT_FALSE(b->Receive().has_value());
}

TEST(LoopbackSession, BadSendsAndCountsFail) {
    LoopbackNetwork net;
    LoopbackHost host(net);
    auto a = Joined(net, "N1");
    EXPECT_FALSE(a->Send(1, kAllPlayers, EncodeRollCall()));  // not our player
    EXPECT_FALSE(a->Send(2, 99, EncodeRollCall()));           // nobody
    EXPECT_FALSE(a->Send(2, 2, EncodeRollCall()));            // ourselves
    EXPECT_FALSE(a->GetMessageCount(1).has_value());
    EXPECT_FALSE(a->GetMessageCount(0).has_value());
    EXPECT_FALSE(a->CreatePlayer("again", "Player").has_value());  // one player per object
    auto lone = net.NewSession();
    EXPECT_FALSE(lone->CreatePlayer("x", "Player").has_value());  // no session open
    EXPECT_FALSE(lone->Close());
    EXPECT_FALSE(lone->Open({"none", 0, 0, "127.0.0.1:1"}, OpenMode::Join));
}

TEST(LoopbackSession, AFullSessionRefusesAnotherPlayer) {
    LoopbackNetwork net;
    LoopbackHost host(net, "Small", 2);
    auto a = Joined(net, "N1");
    auto b = net.NewSession();
    ASSERT_TRUE(b->Open(net.HostedSessions()[0], OpenMode::Join));
    EXPECT_FALSE(b->CreatePlayer("N2", "Player").has_value());
}

TEST(LoopbackSession, LeavingIsAnnouncedAndTheHostTakesTheSessionWithIt) {
    LoopbackNetwork net;
    auto host = std::make_unique<LoopbackHost>(net);
    auto a = Joined(net, "N1");
    {
        auto b = Joined(net, "N2");
        host->SystemMessages();
        while (a->Receive()) {
        }
    }  // b's object is released
    EXPECT_EQ(host->SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{kSystemDestroyPlayer, 3}}));
    EXPECT_FALSE(a->PlayerName(3).has_value());
    EXPECT_EQ(a->GetMessageCount(2), 1);
    a->Receive();

    host.reset();
    ASSERT_EQ(a->GetMessageCount(2), 1);
    auto lost = a->Receive();
    EXPECT_EQ(lost->from, kSystemSender);
    EXPECT_EQ(lost->message.ReadLong(), kSystemSessionLost);
    EXPECT_FALSE(a->Send(2, kAllPlayers, EncodeRollCall()));
    EXPECT_TRUE(net.HostedSessions().empty());
}

TEST(LoopbackSession, DestroyPlayerThenCloseLeavesCleanly) {
    LoopbackNetwork net;
    LoopbackHost host(net);
    auto a = Joined(net, "N1");
    host.SystemMessages();
    EXPECT_FALSE(a->DestroyPlayer(1));
    EXPECT_TRUE(a->DestroyPlayer(2));
    EXPECT_TRUE(a->Close());
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{kSystemDestroyPlayer, 2}}));
    EXPECT_EQ(net.HostedSessions().at(0).currentPlayers, 1);
}

TEST(LoopbackSession, AnInjectedFailureHappensOnce) {
    LoopbackNetwork net;
    LoopbackHost host(net);
    auto a = Joined(net, "N1");
    net.FailNext(LoopbackCall::Send);
    EXPECT_FALSE(a->Send(2, 1, EncodeRollCall()));
    EXPECT_TRUE(a->Send(2, 1, EncodeRollCall()));
    EXPECT_EQ(host.ReceivedTypes(), (std::vector<int32_t>{kRollCall}));
}

TEST(LoopbackSession, ObjectsMayOutliveTheirNetwork) {
    std::unique_ptr<LoopbackSession> survivor;
    {
        LoopbackNetwork net;
        LoopbackHost host(net);
        survivor = Joined(net, "N1");
    }
    EXPECT_FALSE(survivor->Send(2, kAllPlayers, EncodeRollCall()));
    EXPECT_FALSE(survivor->EnumerateConnections().has_value());
}

}  // namespace
}  // namespace corvane::session
