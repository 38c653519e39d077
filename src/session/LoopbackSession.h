#pragma once
// Sessions inside one process: every DirectPlay object made by one LoopbackNetwork sees the
// sessions hosted by the others. Delivery is immediate and in call order, so a test (or a replay)
// that makes the same calls always sees the same messages. Player ids are handed out 1, 2, 3, ...
// per session in the order the players are created.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "session/DirectPlay.h"

namespace corvane::session {

class LoopbackSession;

// The operations a test can make fail once (FailNext).
enum class LoopbackCall {
    EnumerateConnections,
    InitializeConnection,
    EnumerateSessions,
    Open,
    CreatePlayer,
    DestroyPlayer,
    Send,
    GetMessageCount,
    Receive,
    PlayerName,
    Close,
};

class LoopbackNetwork {
  public:
    // Offers the standard connection types (HostAddress.h).
    LoopbackNetwork();
    explicit LoopbackNetwork(std::vector<Connection> connections);
    LoopbackNetwork(const LoopbackNetwork&) = delete;
    LoopbackNetwork& operator=(const LoopbackNetwork&) = delete;
    ~LoopbackNetwork();

    // A new DirectPlay object on this network; the TCP/IP connection asks `prompt` for the host's
    // address (no prompt counts as a cancelled one). The network must outlive the object.
    std::unique_ptr<LoopbackSession> NewSession(AddressPrompt* prompt = nullptr);

    // The next call of `call`, on whichever object of this network, fails once.
    void FailNext(LoopbackCall call) { failures_.insert(call); }

    // The next player created on this network gets `id` (any value but 0) instead of the
    // session's next number, for a replay that names its players' ids. That CreatePlayer fails
    // when the session already has a player with the id.
    void AssignNextPlayerId(int32_t id) { assignedId_ = id; }

    const std::vector<Connection>& Connections() const { return connections_; }
    // The sessions hosted now, by host address.
    std::vector<SessionDescription> HostedSessions() const;

  private:
    friend class LoopbackSession;

    struct Player {
        int32_t id;
        std::string name;
        LoopbackSession* owner;
    };
    struct Hosted {
        SessionDescription description;
        LoopbackSession* host = nullptr;
        std::vector<LoopbackSession*> members;  // the host included
        std::vector<Player> players;            // in the order they were created
        std::map<int32_t, size_t> byId;         // index into players
        int32_t nextId = 1;
    };

    bool TakeFailure(LoopbackCall call);

    std::vector<Connection> connections_;
    std::map<std::string, Hosted> sessions_;  // by "host:port"
    std::multiset<LoopbackCall> failures_;
    std::optional<int32_t> assignedId_;
    std::set<LoopbackSession*> endpoints_;
};

class LoopbackSession final : public DirectPlay {
  public:
    ~LoopbackSession() override;

    std::optional<std::vector<Connection>> EnumerateConnections() override;
    bool InitializeConnection(const Connection& connection) override;
    std::optional<std::vector<SessionDescription>> EnumerateSessions() override;
    bool Open(const SessionDescription& session, OpenMode mode) override;
    std::optional<int32_t> CreatePlayer(std::string_view shortName,
                                        std::string_view longName) override;
    bool DestroyPlayer(int32_t playerId) override;
    bool Send(int32_t from, int32_t to, const Message& message) override;
    std::optional<int32_t> GetMessageCount(int32_t playerId) override;
    std::optional<ReceivedMessage> Receive() override;
    std::optional<std::string> PlayerName(int32_t playerId) override;
    bool Close() override;

    int32_t LocalPlayer() const { return playerId_; }

  private:
    friend class LoopbackNetwork;
    LoopbackSession(LoopbackNetwork& network, AddressPrompt* prompt);

    LoopbackNetwork::Hosted* Session();
    void Deliver(int32_t from, const Message& message);
    void DeliverSystem(int32_t code, int32_t playerId);
    void RemoveOwnPlayer(LoopbackNetwork::Hosted& session);
    void Leave();
    void Detach();  // the network is gone

    LoopbackNetwork* network_;
    AddressPrompt* prompt_;
    std::optional<Connection> connection_;
    std::string sessionKey_;  // the session joined or hosted; empty when none
    int32_t playerId_ = 0;
    std::deque<ReceivedMessage> queue_;
};

}  // namespace corvane::session
