#ifdef CORVANE_HAVE_ENET

#include "session/EnetSession.h"

#include <enet/enet.h>

#include <algorithm>
#include <limits>
#include <type_traits>

#include "shared/Text.h"

namespace corvane::session {

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

// ENet refuses larger packets before it allocates them; anything between kMaxFrameBytes and this
// is allocated by ENet, then dropped and counted here.
constexpr size_t kEnetPacketLimit = 64 * 1024;
constexpr size_t kEnetWaitingLimit = 256 * 1024;
constexpr std::chrono::milliseconds kDisconnectGrace{300};
constexpr enet_uint32 kServiceSliceMs = 50;
constexpr size_t kSparePeers = 8;  // searches and players still joining
constexpr int32_t kDefaultPeerPlayers = 64;

bool EnetReady() {
    // ENet keeps no state of its own on this platform; initialising once is all it asks.
    static const bool ready = enet_initialize() == 0;
    return ready;
}

void ApplyLimits(ENetHost* host) {
    host->maximumPacketSize = kEnetPacketLimit;
    host->maximumWaitingData = kEnetWaitingLimit;
}

std::optional<ENetAddress> Resolve(const HostAddress& address) {
    ENetAddress out{};
    if (enet_address_set_host(&out, address.host.c_str()) != 0) {
        return std::nullopt;
    }
    out.port = address.port;
    return out;
}

// A client socket for a loopback target is bound to 127.0.0.1 only.
ENetHost* CreateClientHost(const ENetAddress& target) {
    ENetAddress local{};
    local.host = ENET_HOST_ANY;
    local.port = 0;
    if ((target.host & 0xFF) == 127) {  // network byte order: the first octet is the lowest byte
        enet_address_set_host_ip(&local, "127.0.0.1");
    }
    ENetHost* host = enet_host_create(&local, 1, 1, 0, 0);
    if (host) {
        ApplyLimits(host);
    }
    return host;
}

enet_uint32 MillisecondsLeft(SteadyTime deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() <= 0 ? 0 : static_cast<enet_uint32>(left.count());
}

std::chrono::milliseconds TimeLeft(SteadyTime deadline) {
    return std::chrono::milliseconds(MillisecondsLeft(deadline));
}

bool SendBytes(ENetPeer* peer, const std::vector<uint8_t>& bytes) {
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE);
    if (!packet) {
        return false;
    }
    if (enet_peer_send(peer, 0, packet) < 0) {
        enet_packet_destroy(packet);
        return false;
    }
    return true;
}

bool NameFits(std::string_view utf8) {
    return Utf8ToCp1252(utf8).size() <= wire::kMaxNameBytes;
}

}  // namespace

EnetSession::EnetSession(AddressPrompt* prompt, EnetLimits limits)
    : prompt_(prompt), limits_(limits) {}

EnetSession::~EnetSession() {
    Close();
    Teardown();
}

std::optional<std::vector<Connection>> EnetSession::EnumerateConnections() {
    if (!EnetReady()) {
        return std::nullopt;
    }
    return StandardConnections();
}

bool EnetSession::InitializeConnection(const Connection& connection) {
    if (role_ != Role::None || (connection.address.empty() && !AsksForAddress(connection))) {
        return false;
    }
    connection_ = connection;
    return true;
}

std::optional<std::vector<SessionDescription>> EnetSession::EnumerateSessions() {
    if (!connection_ || !EnetReady()) {
        return std::nullopt;
    }
    std::string text = connection_->address;
    if (AsksForAddress(*connection_)) {
        std::optional<std::string> typed = prompt_ ? prompt_->AskHostAddress() : std::nullopt;
        if (!typed) {
            return std::nullopt;
        }
        text = *typed;
    }
    std::vector<SessionDescription> found;
    const auto address = ParseHostAddress(text);
    const auto target = address ? Resolve(*address) : std::nullopt;
    if (!target) {
        return found;  // nobody can answer at an address that does not exist
    }
    ENetHost* probe = CreateClientHost(*target);
    if (!probe) {
        return found;
    }
    ENetPeer* peer = enet_host_connect(probe, &*target, 1, 0);
    const SteadyTime deadline = std::chrono::steady_clock::now() + limits_.searchTimeout;
    bool done = peer == nullptr;
    while (!done) {
        const enet_uint32 left = MillisecondsLeft(deadline);
        if (left == 0) {
            break;
        }
        ENetEvent event;
        const int got = enet_host_service(probe, &event, std::min(left, kServiceSliceMs));
        if (got < 0) {
            break;
        }
        if (got == 0) {
            continue;
        }
        switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT:
                SendBytes(peer, wire::EncodeFrame(wire::EnumRequest{}));
                enet_host_flush(probe);
                break;
            case ENET_EVENT_TYPE_RECEIVE: {
                const auto frame = wire::DecodeFrame(
                    std::span<const uint8_t>(event.packet->data, event.packet->dataLength));
                if (!frame) {
                    ++drops_.malformedFrames;
                } else if (const auto* reply = std::get_if<wire::EnumReply>(&*frame)) {
                    found.push_back({reply->sessionName, reply->currentPlayers, reply->maxPlayers,
                                     address->ToString()});
                    done = true;
                } else {
                    ++drops_.unexpectedFrames;
                }
                enet_packet_destroy(event.packet);
                break;
            }
            case ENET_EVENT_TYPE_DISCONNECT:
                peer = nullptr;
                done = true;
                break;
            case ENET_EVENT_TYPE_NONE:
                break;
        }
    }
    if (peer) {
        enet_peer_disconnect_now(peer, 0);
    }
    enet_host_destroy(probe);
    return found;
}

bool EnetSession::Open(const SessionDescription& session, OpenMode mode) {
    if (role_ != Role::None || !EnetReady()) {
        return false;
    }
    if (mode == OpenMode::Create) {
        if (!connection_ || connection_->address.empty()) {
            return false;
        }
        const auto address = ParseHostAddress(connection_->address);
        const auto bindTo = address ? Resolve(*address) : std::nullopt;
        if (!bindTo) {
            return false;
        }
        const int32_t players = session.maxPlayers > 0 ? session.maxPlayers : kDefaultPeerPlayers;
        const size_t peerCount = std::min<size_t>(static_cast<size_t>(players) + kSparePeers,
                                                  ENET_PROTOCOL_MAXIMUM_PEER_ID);
        host_ = enet_host_create(&*bindTo, peerCount, 1, 0, 0);
        if (!host_) {
            return false;
        }
        ApplyLimits(host_);
        role_ = Role::Host;
        sessionName_ = session.name;
        maxPlayers_ = std::max(0, session.maxPlayers);
        nextId_ = 1;
        return true;
    }

    const auto address = ParseHostAddress(session.address);
    const auto target = address ? Resolve(*address) : std::nullopt;
    if (!target) {
        return false;
    }
    host_ = CreateClientHost(*target);
    if (!host_) {
        return false;
    }
    role_ = Role::Client;
    connected_ = false;
    openReply_.reset();
    server_ = enet_host_connect(host_, &*target, 1, 0);
    const SteadyTime deadline = std::chrono::steady_clock::now() + limits_.replyTimeout;
    if (!server_ || !WaitUntil([this] { return connected_; }, TimeLeft(deadline))) {
        Teardown();
        return false;
    }
    SendFrame(server_, wire::OpenRequest{});
    enet_host_flush(host_);
    if (!WaitUntil([this] { return openReply_.has_value(); }, TimeLeft(deadline)) ||
        !openReply_->accepted) {
        Teardown();
        return false;
    }
    sessionName_ = session.name;
    return true;
}

std::optional<int32_t> EnetSession::CreatePlayer(std::string_view shortName,
                                                 std::string_view longName) {
    if (role_ == Role::None || localPlayer_ != 0 || !NameFits(shortName) || !NameFits(longName)) {
        return std::nullopt;
    }
    if (role_ == Role::Host) {
        if (SessionFull() || nextId_ == std::numeric_limits<int32_t>::max()) {
            return std::nullopt;
        }
        const int32_t id = nextId_++;
        localPlayer_ = id;
        AddPlayer(id, std::string(shortName), nullptr, true);
        enet_host_flush(host_);
        return id;
    }
    if (!server_) {
        return std::nullopt;
    }
    createReply_.reset();
    if (!SendFrame(server_,
                   wire::CreatePlayerRequest{std::string(shortName), std::string(longName)})) {
        return std::nullopt;
    }
    enet_host_flush(host_);
    if (!WaitUntil([this] { return createReply_.has_value() || !server_; }, limits_.replyTimeout) ||
        !createReply_ || createReply_->playerId == 0) {
        return std::nullopt;
    }
    const int32_t id = createReply_->playerId;
    players_[id] = Player{std::string(shortName), nullptr};
    localPlayer_ = id;
    return id;
}

bool EnetSession::DestroyPlayer(int32_t playerId) {
    if (role_ == Role::None || playerId == 0 || playerId != localPlayer_) {
        return false;
    }
    if (role_ == Role::Host) {
        RemovePlayer(playerId);
    } else {
        if (server_) {
            SendFrame(server_, wire::DestroyPlayerRequest{playerId});
        }
        players_.erase(playerId);
    }
    localPlayer_ = 0;
    enet_host_flush(host_);
    return true;
}

bool EnetSession::Send(int32_t from, int32_t to, const Message& message) {
    if (role_ == Role::None || from == 0 || from != localPlayer_ || to == from ||
        message.Size() > wire::kMaxFrameBytes - 10 ||
        (to != kAllPlayers && players_.count(to) == 0)) {
        return false;
    }
    if (role_ == Role::Host) {
        Route(from, to, message.Bytes());
        enet_host_flush(host_);
        return true;
    }
    if (!server_ || !SendFrame(server_, wire::AppMessage{from, to, message.Bytes()})) {
        return false;
    }
    enet_host_flush(host_);
    return true;
}

std::optional<int32_t> EnetSession::GetMessageCount(int32_t playerId) {
    if (playerId == 0 || playerId != localPlayer_) {
        return std::nullopt;
    }
    Pump();
    return static_cast<int32_t>(queue_.size());
}

std::optional<ReceivedMessage> EnetSession::Receive() {
    if (queue_.empty()) {
        Pump();
    }
    if (queue_.empty()) {
        return std::nullopt;
    }
    ReceivedMessage next = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= next.message.Size();
    return next;
}

std::optional<std::string> EnetSession::PlayerName(int32_t playerId) {
    const auto it = players_.find(playerId);
    if (role_ == Role::None || it == players_.end()) {
        return std::nullopt;
    }
    return it->second.name;
}

bool EnetSession::Close() {
    if (role_ == Role::None) {
        return false;
    }
    if (role_ == Role::Client && server_) {
        enet_peer_disconnect(server_, 0);
        WaitUntil([this] { return server_ == nullptr; }, kDisconnectGrace);
    } else if (role_ == Role::Host && !peers_.empty()) {
        for (const auto& [peer, state] : peers_) {
            enet_peer_disconnect(peer, 0);
        }
        WaitUntil([this] { return peers_.empty(); }, kDisconnectGrace);
    }
    Teardown();
    return true;
}

void EnetSession::WaitForTraffic(std::chrono::milliseconds timeout) {
    if (!host_) {
        return;
    }
    ENetEvent event;
    const auto ms = static_cast<enet_uint32>(std::clamp<int64_t>(timeout.count(), 0, 60000));
    if (enet_host_service(host_, &event, ms) > 0) {
        HandleEvent(event);
    }
    Pump();
}

uint16_t EnetSession::Port() const {
    return role_ == Role::Host && host_ ? host_->address.port : 0;
}

void EnetSession::Pump() {
    if (!host_) {
        return;
    }
    // Bounded, so a flood cannot keep the caller here: what is left waits for the next call.
    const size_t budget = limits_.maxQueuedMessages * 2 + 64;
    ENetEvent event;
    for (size_t n = 0; n < budget && host_ && enet_host_service(host_, &event, 0) > 0; ++n) {
        HandleEvent(event);
    }
    if (host_) {
        enet_host_flush(host_);
    }
}

template <typename Done>
bool EnetSession::WaitUntil(Done done, std::chrono::milliseconds timeout) {
    const SteadyTime deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (!host_ || (role_ == Role::Client && !server_)) {
            return done();
        }
        const enet_uint32 left = MillisecondsLeft(deadline);
        if (left == 0) {
            return false;
        }
        ENetEvent event;
        const int got = enet_host_service(host_, &event, std::min(left, kServiceSliceMs));
        if (got < 0) {
            return false;
        }
        if (got > 0) {
            HandleEvent(event);
        }
    }
    return true;
}

void EnetSession::HandleEvent(const ENetEvent& event) {
    switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            if (role_ == Role::Host) {
                peers_[event.peer] = PeerState{};
            } else if (event.peer == server_) {
                connected_ = true;
            }
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            HandlePacket(event.peer, event.packet);
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (role_ == Role::Host) {
                PeerGone(event.peer);
            } else if (event.peer == server_) {
                server_ = nullptr;
                connected_ = false;
                if (localPlayer_ != 0) {
                    EnqueueSystem(kSystemSessionLost, 0);
                }
            }
            break;
        case ENET_EVENT_TYPE_NONE:
            break;
    }
}

void EnetSession::HandlePacket(ENetPeer* peer, const ENetPacket* packet) {
    auto frame = wire::DecodeFrame(std::span<const uint8_t>(packet->data, packet->dataLength));
    if (!frame) {
        ++drops_.malformedFrames;
        return;
    }
    if (role_ == Role::Host) {
        HandleHostFrame(peer, std::move(*frame));
    } else if (peer == server_) {
        HandleClientFrame(std::move(*frame));
    } else {
        ++drops_.unexpectedFrames;
    }
}

void EnetSession::HandleHostFrame(ENetPeer* peer, wire::Frame frame) {
    PeerState& state = peers_[peer];
    if (std::holds_alternative<wire::EnumRequest>(frame)) {
        SendFrame(peer, wire::EnumReply{sessionName_, static_cast<int32_t>(players_.size()),
                                        maxPlayers_});
    } else if (std::holds_alternative<wire::OpenRequest>(frame)) {
        if (state.opened) {
            ++drops_.unexpectedFrames;
        } else if (SessionFull()) {
            SendFrame(peer, wire::OpenReply{false});
        } else {
            // The newcomer learns who is there before it hears from any of them.
            for (const auto& [id, player] : players_) {
                SendFrame(peer, wire::PlayerJoined{id, player.name, false});
            }
            SendFrame(peer, wire::OpenReply{true});
            state.opened = true;
        }
    } else if (auto* create = std::get_if<wire::CreatePlayerRequest>(&frame)) {
        if (!state.opened || state.playerId != 0) {
            ++drops_.unexpectedFrames;
            SendFrame(peer, wire::CreatePlayerReply{0});
        } else if (SessionFull() || nextId_ == std::numeric_limits<int32_t>::max()) {
            SendFrame(peer, wire::CreatePlayerReply{0});
        } else {
            const int32_t id = nextId_++;
            state.playerId = id;
            SendFrame(peer, wire::CreatePlayerReply{id});
            AddPlayer(id, std::move(create->shortName), peer, true);
        }
    } else if (const auto* destroy = std::get_if<wire::DestroyPlayerRequest>(&frame)) {
        if (state.playerId == 0 || destroy->playerId != state.playerId) {
            ++drops_.unexpectedFrames;
        } else {
            state.playerId = 0;
            RemovePlayer(destroy->playerId);
        }
    } else if (const auto* app = std::get_if<wire::AppMessage>(&frame)) {
        // A player speaks only for itself.
        if (state.playerId == 0 || app->from != state.playerId || app->to == app->from) {
            ++drops_.unexpectedFrames;
        } else {
            Route(app->from, app->to, app->body);
        }
    } else {
        ++drops_.unexpectedFrames;
    }
}

void EnetSession::HandleClientFrame(wire::Frame frame) {
    if (const auto* open = std::get_if<wire::OpenReply>(&frame)) {
        openReply_ = *open;
    } else if (const auto* created = std::get_if<wire::CreatePlayerReply>(&frame)) {
        createReply_ = *created;
    } else if (auto* joined = std::get_if<wire::PlayerJoined>(&frame)) {
        const bool known = players_.count(joined->playerId) != 0;
        if (!known && players_.size() >= limits_.maxPlayers) {
            ++drops_.unexpectedFrames;
            return;
        }
        players_[joined->playerId] = Player{std::move(joined->name), nullptr};
        if (joined->announce && !known && localPlayer_ != 0 && joined->playerId != localPlayer_) {
            EnqueueSystem(kSystemCreatePlayer, joined->playerId);
        }
    } else if (const auto* left = std::get_if<wire::PlayerLeft>(&frame)) {
        if (left->playerId != localPlayer_ && players_.erase(left->playerId) != 0 &&
            localPlayer_ != 0) {
            EnqueueSystem(kSystemDestroyPlayer, left->playerId);
        }
    } else if (auto* app = std::get_if<wire::AppMessage>(&frame)) {
        if (localPlayer_ == 0) {
            return;  // our player is gone; what was on its way to it goes too
        }
        if (app->to != kAllPlayers && app->to != localPlayer_) {
            ++drops_.unexpectedFrames;
            return;
        }
        Enqueue(app->from, std::move(app->body));
    } else {
        ++drops_.unexpectedFrames;
    }
}

void EnetSession::PeerGone(ENetPeer* peer) {
    const auto it = peers_.find(peer);
    if (it == peers_.end()) {
        return;
    }
    const int32_t playerId = it->second.playerId;
    peers_.erase(it);
    if (playerId != 0) {
        RemovePlayer(playerId);
    }
}

bool EnetSession::SendFrame(ENetPeer* peer, const wire::Frame& frame) {
    return SendBytes(peer, wire::EncodeFrame(frame));
}

void EnetSession::SendToOpenedPeers(const wire::Frame& frame, ENetPeer* except) {
    const std::vector<uint8_t> bytes = wire::EncodeFrame(frame);
    for (const auto& [peer, state] : peers_) {
        if (peer != except && state.opened) {
            SendBytes(peer, bytes);
        }
    }
}

void EnetSession::Route(int32_t from, int32_t to, const std::vector<uint8_t>& body) {
    if (to == kAllPlayers) {
        std::vector<uint8_t> bytes;
        for (const auto& [id, player] : players_) {
            if (id == from) {
                continue;
            }
            if (!player.peer) {
                Enqueue(from, body);
            } else {
                if (bytes.empty()) {
                    bytes = wire::EncodeFrame(wire::AppMessage{from, kAllPlayers, body});
                }
                SendBytes(player.peer, bytes);
            }
        }
        return;
    }
    const auto it = players_.find(to);
    if (it == players_.end()) {
        return;  // gone meanwhile
    }
    if (!it->second.peer) {
        Enqueue(from, body);
    } else {
        SendFrame(it->second.peer, wire::AppMessage{from, to, body});
    }
}

void EnetSession::Enqueue(int32_t from, std::vector<uint8_t> body) {
    if (queue_.size() >= limits_.maxQueuedMessages ||
        queuedBytes_ + body.size() > limits_.maxQueuedBytes) {
        ++drops_.queueOverflows;
        return;
    }
    queuedBytes_ += body.size();
    queue_.push_back({from, localPlayer_, Message(body)});
}

void EnetSession::EnqueueSystem(int32_t code, int32_t playerId) {
    Message m;
    m.WriteLong(code);
    m.WriteLong(playerId);
    Enqueue(kSystemSender, m.Bytes());
}

void EnetSession::AddPlayer(int32_t id, std::string name, ENetPeer* peer, bool announce) {
    players_[id] = Player{name, peer};
    SendToOpenedPeers(wire::PlayerJoined{id, std::move(name), announce}, peer);
    if (localPlayer_ != 0 && id != localPlayer_) {
        EnqueueSystem(kSystemCreatePlayer, id);
    }
}

void EnetSession::RemovePlayer(int32_t id) {
    const auto it = players_.find(id);
    if (it == players_.end()) {
        return;
    }
    ENetPeer* owner = it->second.peer;
    players_.erase(it);
    SendToOpenedPeers(wire::PlayerLeft{id}, owner);
    if (localPlayer_ != 0 && id != localPlayer_) {
        EnqueueSystem(kSystemDestroyPlayer, id);
    }
}

bool EnetSession::SessionFull() const {
    return maxPlayers_ > 0 && players_.size() >= static_cast<size_t>(maxPlayers_);
}

void EnetSession::Teardown() {
    if (host_) {
        if (server_) {
            enet_peer_disconnect_now(server_, 0);
        }
        for (const auto& [peer, state] : peers_) {
            enet_peer_disconnect_now(peer, 0);
        }
        enet_host_destroy(host_);
    }
    host_ = nullptr;
    server_ = nullptr;
    connected_ = false;
    role_ = Role::None;
    sessionName_.clear();
    maxPlayers_ = 0;
    nextId_ = 1;
    players_.clear();
    peers_.clear();
    localPlayer_ = 0;
    queue_.clear();
    queuedBytes_ = 0;
    openReply_.reset();
    createReply_.reset();
}

}  // namespace corvane::session

#endif  // CORVANE_HAVE_ENET
