// EnetSession on 127.0.0.1: a host on its own thread (ENet objects are used by one thread each),
// players on the test's thread. Every wait is bounded.
#ifdef CORVANE_HAVE_ENET

#include <enet/enet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "session/EnetSession.h"
#include "session/FsMessages.h"
#include "session/SessionFrames.h"

namespace corvane::session {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class FixedPrompt final : public AddressPrompt {
  public:
    explicit FixedPrompt(std::optional<std::string> answer) : answer_(std::move(answer)) {}
    std::optional<std::string> AskHostAddress() override { return answer_; }

  private:
    std::optional<std::string> answer_;
};

// A session host serving from its own thread. The handler sees every application message.
class HostThread {
  public:
    using Handler = std::function<void(EnetSession&, int32_t self, ReceivedMessage&)>;

    HostThread(std::string name, int32_t maxPlayers, Handler handler)
        : handler_(std::move(handler)) {
        ok_ = session_.InitializeConnection({"This computer", "127.0.0.1:0"}) &&
              session_.Open({std::move(name), 0, maxPlayers, ""}, OpenMode::Create);
        id_ = session_.CreatePlayer("FS Host", "Player").value_or(0);
        port_ = session_.Port();
        thread_ = std::thread([this] { Serve(); });
    }
    ~HostThread() { Stop(); }

    bool Ok() const { return ok_ && id_ != 0 && port_ != 0; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    uint16_t Port() const { return port_; }
    // Stops serving; the session may then be used from the test's thread.
    EnetSession& Stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        return session_;
    }
    std::vector<std::pair<int32_t, int32_t>> SystemMessages() {
        std::lock_guard lock(mutex_);
        return system_;
    }

  private:
    void Serve() {
        while (!stop_) {
            session_.WaitForTraffic(5ms);
            const auto count = session_.GetMessageCount(id_);
            for (int32_t i = 0; count && i < *count; ++i) {
                auto r = session_.Receive();
                if (!r) {
                    break;
                }
                if (r->from == kSystemSender) {
                    const auto code = r->message.ReadLong();
                    const auto player = r->message.ReadLong();
                    std::lock_guard lock(mutex_);
                    system_.emplace_back(code.value_or(-1), player.value_or(-1));
                } else if (handler_) {
                    handler_(session_, id_, *r);
                }
            }
        }
    }

    EnetSession session_;
    Handler handler_;
    bool ok_ = false;
    int32_t id_ = 0;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::pair<int32_t, int32_t>> system_;
    std::thread thread_;
};

void Echo(EnetSession& s, int32_t self, ReceivedMessage& r) {
    s.Send(self, r.from, r.message);
}

// The next message for `player` (system messages too when asked), or nullopt after `limit`.
std::optional<ReceivedMessage> NextMessage(EnetSession& s, int32_t player, bool system = false,
                                           std::chrono::milliseconds limit = 3000ms) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        s.WaitForTraffic(10ms);
        while (s.GetMessageCount(player).value_or(0) > 0) {
            auto r = s.Receive();
            if (r && (system || r->from != kSystemSender)) {
                return r;
            }
        }
    }
    return std::nullopt;
}

// Finds, joins and creates a player; the player's id or 0.
int32_t JoinAs(EnetSession& s, const std::string& address, const std::string& name) {
    if (!s.InitializeConnection({"This computer", address})) {
        return 0;
    }
    const auto found = s.EnumerateSessions();
    if (!found || found->size() != 1 || !s.Open(found->front(), OpenMode::Join)) {
        return 0;
    }
    return s.CreatePlayer(name, "Player").value_or(0);
}

TEST(EnetSession, FindsJoinsLearnsNamesAndExchangesMessages) {
    HostThread host("Seattle Fly-in", 4, Echo);
    ASSERT_TRUE(host.Ok());
    FixedPrompt prompt(host.Address());
    EnetSession station(&prompt);
    const auto connections = station.EnumerateConnections();
    ASSERT_TRUE(connections.has_value());
    ASSERT_TRUE(station.InitializeConnection(connections->at(1)));  // TCP/IP: asks the prompt
    const auto found = station.EnumerateSessions();
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front(), (SessionDescription{"Seattle Fly-in", 1, 4, host.Address()}));
    ASSERT_TRUE(station.Open(found->front(), OpenMode::Join));
    const auto id = station.CreatePlayer("Montaña_Controller", "Player");
    ASSERT_EQ(id, 2);
    EXPECT_EQ(station.PlayerName(1), "FS Host");
    EXPECT_EQ(station.PlayerName(2), "Montaña_Controller");

    ASSERT_TRUE(station.Send(2, kAllPlayers, EncodeChatLine("hello")));
    ASSERT_TRUE(station.Send(2, 1, EncodeRollCall()));
    const auto first = NextMessage(station, 2);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->from, 1);
    EXPECT_EQ(first->to, 2);
    EXPECT_EQ(first->message, EncodeChatLine("hello"));
    const auto second = NextMessage(station, 2);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->message, EncodeRollCall());

    host.Stop();
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{kSystemCreatePlayer, 2}}));
    EXPECT_EQ(station.Drops().Total(), 0u);
}

TEST(EnetSession, PlayersHearEachOtherThroughTheHostAndSeeArrivalsAndDepartures) {
    HostThread host("FS", 8, nullptr);
    ASSERT_TRUE(host.Ok());
    EnetSession a;
    ASSERT_EQ(JoinAs(a, host.Address(), "N1"), 2);
    {
        EnetSession b;
        ASSERT_EQ(JoinAs(b, host.Address(), "N2"), 3);
        EXPECT_EQ(b.PlayerName(2), "N1");  // known on arrival, without a notice
        const auto arrival = NextMessage(a, 2, true);
        ASSERT_TRUE(arrival.has_value());
        EXPECT_EQ(arrival->from, kSystemSender);
        Message m = arrival->message;
        EXPECT_EQ(m.ReadLong(), kSystemCreatePlayer);
        EXPECT_EQ(m.ReadLong(), 3);
        EXPECT_EQ(a.PlayerName(3), "N2");

        ASSERT_TRUE(a.Send(2, kAllPlayers, EncodeRollCall()));
        ASSERT_TRUE(a.Send(2, 3, EncodeChatLine("N2 only")));
        const auto r1 = NextMessage(b, 3);
        const auto r2 = NextMessage(b, 3);
        ASSERT_TRUE(r1 && r2);
        EXPECT_EQ(r1->from, 2);
        EXPECT_EQ(r1->message, EncodeRollCall());
        EXPECT_EQ(r2->message, EncodeChatLine("N2 only"));
    }  // b leaves
    const auto departure = NextMessage(a, 2, true);
    ASSERT_TRUE(departure.has_value());
    Message m = departure->message;
    EXPECT_EQ(m.ReadLong(), kSystemDestroyPlayer);
    EXPECT_EQ(m.ReadLong(), 3);
    EXPECT_FALSE(a.PlayerName(3).has_value());
    EXPECT_FALSE(a.Send(2, 3, EncodeRollCall()));
}

TEST(EnetSession, AHostThatIsNotThereIsFoundNowhereWithinAFewSeconds) {
    uint16_t port = 0;
    {
        HostThread gone("gone", 2, nullptr);
        ASSERT_TRUE(gone.Ok());
        port = gone.Port();
    }  // the port is free again
    EnetSession station;
    ASSERT_TRUE(
        station.InitializeConnection({"This computer", "127.0.0.1:" + std::to_string(port)}));
    const auto start = Clock::now();
    const auto found = station.EnumerateSessions();
    const auto took = Clock::now() - start;
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(found->empty());
    EXPECT_LT(took, 4s);
    EXPECT_FALSE(station.Open({"gone", 1, 2, "127.0.0.1:" + std::to_string(port)}, OpenMode::Join));
    EXPECT_LT(Clock::now() - start, 9s);
}

TEST(EnetSession, ACancelledPromptFailsTheSearchAndTheReservedEntryCannotBeUsed) {
    FixedPrompt cancel(std::nullopt);
    EnetSession station(&cancel);
    const auto connections = station.EnumerateConnections();
    EXPECT_FALSE(station.InitializeConnection(connections->at(0)));
    ASSERT_TRUE(station.InitializeConnection(connections->at(1)));
    EXPECT_FALSE(station.EnumerateSessions().has_value());
    FixedPrompt nonsense("no such host:x");
    EnetSession other(&nonsense);
    ASSERT_TRUE(other.InitializeConnection(connections->at(1)));
    EXPECT_TRUE(other.EnumerateSessions()->empty());
}

TEST(EnetSession, AFullSessionRefusesToOpen) {
    HostThread host("Small", 2, nullptr);
    ASSERT_TRUE(host.Ok());
    EnetSession a;
    ASSERT_EQ(JoinAs(a, host.Address(), "N1"), 2);
    EnetSession b;
    ASSERT_TRUE(b.InitializeConnection({"This computer", host.Address()}));
    const auto found = b.EnumerateSessions();
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front().currentPlayers, 2);
    EXPECT_FALSE(b.Open(found->front(), OpenMode::Join));
}

TEST(EnetSession, WhenTheHostEndsThePlayersLearnItAndCanSendNoMore) {
    HostThread host("FS", 4, nullptr);
    ASSERT_TRUE(host.Ok());
    EnetSession a;
    ASSERT_EQ(JoinAs(a, host.Address(), "N1"), 2);
    EXPECT_TRUE(host.Stop().Close());
    const auto lost = NextMessage(a, 2, true);
    ASSERT_TRUE(lost.has_value());
    Message m = lost->message;
    EXPECT_EQ(m.ReadLong(), kSystemSessionLost);
    EXPECT_FALSE(a.Send(2, kAllPlayers, EncodeRollCall()));
}

TEST(EnetSession, MessagesTooLargeToSendAreRefusedHere) {
    HostThread host("FS", 4, nullptr);
    ASSERT_TRUE(host.Ok());
    EnetSession a;
    ASSERT_EQ(JoinAs(a, host.Address(), "N1"), 2);
    Message big;
    big.WriteZeros(wire::kMaxFrameBytes);
    EXPECT_FALSE(a.Send(2, kAllPlayers, big));
    EXPECT_FALSE(a.CreatePlayer("second", "Player").has_value());
}

TEST(EnetSession, TheWaitingQueueIsCappedInCountAndBytes) {
    // Asked with a chat line, the host answers with 20 roll calls (8 bytes each).
    HostThread host("FS", 4, [](EnetSession& s, int32_t self, ReceivedMessage& r) {
        for (int i = 0; i < 20; ++i) {
            s.Send(self, r.from, EncodeRollCall());
        }
    });
    ASSERT_TRUE(host.Ok());
    for (const auto& [limits, kept] :
         {std::pair{EnetLimits{8, 1 << 20}, 8}, std::pair{EnetLimits{100, 44}, 5}}) {
        EnetSession a(nullptr, limits);
        const int32_t id = JoinAs(a, host.Address(), "N1");
        ASSERT_NE(id, 0);
        ASSERT_TRUE(a.Send(id, 1, EncodeChatLine("flood")));
        const auto deadline = Clock::now() + 3s;
        while (Clock::now() < deadline &&
               a.GetMessageCount(id).value_or(0) + a.Drops().queueOverflows < 20) {
            a.WaitForTraffic(10ms);
        }
        EXPECT_EQ(a.GetMessageCount(id), kept);
        EXPECT_EQ(a.Drops().queueOverflows, 20u - kept);
    }
}

// A peer that speaks the frame protocol badly, straight over ENet.
class RawPeer {
  public:
    explicit RawPeer(uint16_t port) {
        ENetAddress local{};
        enet_address_set_host_ip(&local, "127.0.0.1");
        local.port = 0;
        host_ = enet_host_create(&local, 1, 1, 0, 0);
        ENetAddress target{};
        enet_address_set_host_ip(&target, "127.0.0.1");
        target.port = port;
        peer_ = host_ ? enet_host_connect(host_, &target, 1, 0) : nullptr;
        connected_ = peer_ && Await(ENET_EVENT_TYPE_CONNECT).has_value();
    }
    ~RawPeer() {
        if (host_) {
            if (peer_) {
                enet_peer_disconnect_now(peer_, 0);
            }
            enet_host_destroy(host_);
        }
    }
    bool Connected() const { return connected_; }
    void Send(const std::vector<uint8_t>& bytes) {
        enet_peer_send(peer_, 0,
                       enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(host_);
    }
    // The next frame that arrives, decoded.
    std::optional<wire::Frame> NextFrame() {
        auto bytes = Await(ENET_EVENT_TYPE_RECEIVE);
        return bytes ? wire::DecodeFrame(*bytes) : std::nullopt;
    }

  private:
    std::optional<std::vector<uint8_t>> Await(ENetEventType type) {
        const auto deadline = Clock::now() + 3s;
        while (Clock::now() < deadline) {
            ENetEvent event;
            if (enet_host_service(host_, &event, 20) <= 0) {
                continue;
            }
            std::vector<uint8_t> bytes;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                bytes.assign(event.packet->data, event.packet->data + event.packet->dataLength);
                enet_packet_destroy(event.packet);
            }
            if (event.type == type) {
                return bytes;
            }
        }
        return std::nullopt;
    }

    ENetHost* host_ = nullptr;
    ENetPeer* peer_ = nullptr;
    bool connected_ = false;
};

TEST(EnetSession, MalformedAndUnwantedFramesAreDroppedAndCounted) {
    std::atomic<int> heard{0};
    HostThread host("FS", 8, [&](EnetSession&, int32_t, ReceivedMessage&) { ++heard; });
    ASSERT_TRUE(host.Ok());
    {
        RawPeer raw(host.Port());
        ASSERT_TRUE(raw.Connected());
        raw.Send({0xFF});                           // malformed: no version
        raw.Send({10, 2, 1, 0, 0, 0, 0, 0, 0, 0});  // malformed: version 2
        std::vector<uint8_t> oversized = wire::EncodeFrame(wire::AppMessage{1, 0, {}});
        oversized.resize(wire::kMaxFrameBytes + 1, 0x41);
        raw.Send(oversized);                                          // malformed: too large
        raw.Send(wire::EncodeFrame(wire::AppMessage{5, 0, {1, 2}}));  // unexpected: no player yet
        raw.Send(wire::EncodeFrame(wire::PlayerJoined{5, "me", true}));  // unexpected: host's own
        raw.Send(wire::EncodeFrame(wire::OpenRequest{}));
        raw.Send(wire::EncodeFrame(wire::CreatePlayerRequest{"Raw", "Player"}));
        const int32_t hostId = 1;
        // Speaking for the host: unexpected.
        raw.Send(wire::EncodeFrame(wire::AppMessage{hostId, 0, EncodeRollCall().Bytes()}));
        raw.Send(wire::EncodeFrame(wire::EnumRequest{}));
        // Frames come back in order: the host's table, the open and create replies, then the
        // enumeration reply once everything before it was handled.
        std::optional<wire::Frame> frame;
        for (int i = 0; i < 6 && !(frame && std::holds_alternative<wire::EnumReply>(*frame)); ++i) {
            frame = raw.NextFrame();
        }
        ASSERT_TRUE(frame && std::holds_alternative<wire::EnumReply>(*frame));
        EXPECT_EQ(std::get<wire::EnumReply>(*frame).currentPlayers, 2);
    }
    // A proper player is still served.
    EnetSession a;
    EXPECT_NE(JoinAs(a, host.Address(), "N1"), 0);
    ASSERT_TRUE(a.Send(3, 1, EncodeRollCall()));
    const auto deadline = Clock::now() + 3s;
    while (heard == 0 && Clock::now() < deadline) {
        a.WaitForTraffic(10ms);
    }
    EXPECT_EQ(heard, 1);
    const EnetDropCounts drops = host.Stop().Drops();
    EXPECT_EQ(drops.malformedFrames, 3u);
    EXPECT_EQ(drops.unexpectedFrames, 3u);
}

TEST(EnetSession, APacketAboveTheNetworkLimitIsNeverTakenIn) {
    HostThread host("FS", 8, nullptr);
    ASSERT_TRUE(host.Ok());
    {
        RawPeer raw(host.Port());
        ASSERT_TRUE(raw.Connected());
        raw.Send(std::vector<uint8_t>(200 * 1024, 0x41));
        raw.Send(wire::EncodeFrame(wire::EnumRequest{}));
        // The host refuses the big packet's fragments, and this peer's link stalls behind them.
        EXPECT_FALSE(raw.NextFrame().has_value());
    }
    EnetSession a;
    EXPECT_NE(JoinAs(a, host.Address(), "N1"), 0);
    EXPECT_EQ(host.Stop().Drops().Total(), 0u);
}

}  // namespace
}  // namespace corvane::session

#endif  // CORVANE_HAVE_ENET
