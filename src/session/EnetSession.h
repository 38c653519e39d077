#pragma once
// A real session across processes over ENet (reliable, ordered packets over UDP). One object
// hosts the session (Open with OpenMode::Create at the initialised connection's address); the
// others find it by asking that address, never by broadcast, join it and create their player.
// The host keeps the player table and relays every application message, so a message to all
// reaches every other player exactly once and in order.
//
// Outside bytes are never trusted: a frame that does not decode, is larger than
// wire::kMaxFrameBytes, comes from a peer that has no business sending it, or claims another
// sender's id is dropped and counted. ENet itself refuses packets above 64 KiB before it
// allocates them, and the queue of waiting messages is capped in count and bytes, so a peer
// cannot make this object allocate without bound.
//
// Every call returns within its bound: a search gives up after searchTimeout, Open and
// CreatePlayer after replyTimeout. Only the thread that made the object may use it.

#ifdef CORVANE_HAVE_ENET

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/DirectPlay.h"
#include "session/HostAddress.h"
#include "session/SessionFrames.h"

struct _ENetHost;
struct _ENetPeer;
struct _ENetPacket;
struct _ENetEvent;

namespace corvane::session {

struct EnetLimits {
    size_t maxQueuedMessages = 4096;
    size_t maxQueuedBytes = 4 * 1024 * 1024;
    size_t maxPlayers = 1024;  // a client's player table
    std::chrono::milliseconds searchTimeout{2000};
    std::chrono::milliseconds replyTimeout{3000};
};

struct EnetDropCounts {
    uint64_t malformedFrames = 0;   // did not decode, or too large
    uint64_t unexpectedFrames = 0;  // well formed but not allowed from that peer now
    uint64_t queueOverflows = 0;    // messages dropped because the queue was full
    uint64_t Total() const { return malformedFrames + unexpectedFrames + queueOverflows; }
};

class EnetSession final : public DirectPlay {
  public:
    // The TCP/IP connection asks `prompt` for the host's address; no prompt counts as cancelled.
    explicit EnetSession(AddressPrompt* prompt = nullptr, EnetLimits limits = {});
    ~EnetSession() override;
    EnetSession(const EnetSession&) = delete;
    EnetSession& operator=(const EnetSession&) = delete;

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

    // Services the network until something arrives or `timeout` has passed; for loops that have
    // nothing else to wait on (the session host tool, benchmarks).
    void WaitForTraffic(std::chrono::milliseconds timeout);
    // The port a hosting object listens on (the one the system chose when asked for port 0).
    uint16_t Port() const;
    const EnetDropCounts& Drops() const { return drops_; }
    bool Hosting() const { return role_ == Role::Host; }

  private:
    enum class Role { None, Client, Host };
    struct Player {
        std::string name;
        _ENetPeer* peer = nullptr;  // the host's view: the peer that owns the player; null if local
    };
    struct PeerState {
        bool opened = false;
        int32_t playerId = 0;
    };

    void Pump();
    void HandleEvent(const _ENetEvent& event);
    void HandlePacket(_ENetPeer* peer, const _ENetPacket* packet);
    void HandleHostFrame(_ENetPeer* peer, wire::Frame frame);
    void HandleClientFrame(wire::Frame frame);
    void PeerGone(_ENetPeer* peer);
    bool SendFrame(_ENetPeer* peer, const wire::Frame& frame);
    void SendToOpenedPeers(const wire::Frame& frame, _ENetPeer* except);
    void Route(int32_t from, int32_t to, const std::vector<uint8_t>& body);
    void Enqueue(int32_t from, std::vector<uint8_t> body);
    void EnqueueSystem(int32_t code, int32_t playerId);
    void AddPlayer(int32_t id, std::string name, _ENetPeer* peer, bool announce);
    void RemovePlayer(int32_t id);
    template <typename Done>
    bool WaitUntil(Done done, std::chrono::milliseconds timeout);
    bool SessionFull() const;
    void Teardown();

    AddressPrompt* prompt_;
    EnetLimits limits_;
    std::optional<Connection> connection_;
    Role role_ = Role::None;
    _ENetHost* host_ = nullptr;
    _ENetPeer* server_ = nullptr;  // a client's link to the host; null once lost
    bool connected_ = false;
    std::string sessionName_;
    int32_t maxPlayers_ = 0;
    int32_t nextId_ = 1;
    std::map<int32_t, Player> players_;
    std::map<_ENetPeer*, PeerState> peers_;  // the host's view of its peers
    int32_t localPlayer_ = 0;
    std::deque<ReceivedMessage> queue_;
    size_t queuedBytes_ = 0;
    std::optional<wire::OpenReply> openReply_;
    std::optional<wire::CreatePlayerReply> createReply_;
    EnetDropCounts drops_;
};

}  // namespace corvane::session

#endif  // CORVANE_HAVE_ENET
