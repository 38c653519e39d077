#include "session/LoopbackSession.h"

#include <algorithm>
#include <utility>

#include "session/HostAddress.h"

namespace corvane::session {

LoopbackNetwork::LoopbackNetwork() : LoopbackNetwork(StandardConnections()) {}

LoopbackNetwork::LoopbackNetwork(std::vector<Connection> connections)
    : connections_(std::move(connections)) {}

LoopbackNetwork::~LoopbackNetwork() {
    for (LoopbackSession* endpoint : endpoints_) {
        endpoint->Detach();
    }
}

std::unique_ptr<LoopbackSession> LoopbackNetwork::NewSession(AddressPrompt* prompt) {
    std::unique_ptr<LoopbackSession> session(new LoopbackSession(*this, prompt));
    endpoints_.insert(session.get());
    return session;
}

std::vector<SessionDescription> LoopbackNetwork::HostedSessions() const {
    std::vector<SessionDescription> out;
    for (const auto& [key, hosted] : sessions_) {
        SessionDescription d = hosted.description;
        d.currentPlayers = static_cast<int32_t>(hosted.players.size());
        out.push_back(d);
    }
    return out;
}

bool LoopbackNetwork::TakeFailure(LoopbackCall call) {
    const auto it = failures_.find(call);
    if (it == failures_.end()) {
        return false;
    }
    failures_.erase(it);
    return true;
}

LoopbackSession::LoopbackSession(LoopbackNetwork& network, AddressPrompt* prompt)
    : network_(&network), prompt_(prompt) {}

LoopbackSession::~LoopbackSession() {
    if (network_) {
        Leave();
        network_->endpoints_.erase(this);
    }
}

void LoopbackSession::Detach() {
    network_ = nullptr;
    sessionKey_.clear();
}

LoopbackNetwork::Hosted* LoopbackSession::Session() {
    if (!network_ || sessionKey_.empty()) {
        return nullptr;
    }
    const auto it = network_->sessions_.find(sessionKey_);
    return it == network_->sessions_.end() ? nullptr : &it->second;
}

std::optional<std::vector<Connection>> LoopbackSession::EnumerateConnections() {
    if (!network_ || network_->TakeFailure(LoopbackCall::EnumerateConnections)) {
        return std::nullopt;
    }
    return network_->connections_;
}

bool LoopbackSession::InitializeConnection(const Connection& connection) {
    if (!network_ || network_->TakeFailure(LoopbackCall::InitializeConnection)) {
        return false;
    }
    if (connection.address.empty() && !AsksForAddress(connection)) {
        return false;  // the reserved entry
    }
    connection_ = connection;
    return true;
}

std::optional<std::vector<SessionDescription>> LoopbackSession::EnumerateSessions() {
    if (!network_ || !connection_ || network_->TakeFailure(LoopbackCall::EnumerateSessions)) {
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
    if (const auto address = ParseHostAddress(text)) {
        const auto it = network_->sessions_.find(address->ToString());
        if (it != network_->sessions_.end()) {
            SessionDescription d = it->second.description;
            d.currentPlayers = static_cast<int32_t>(it->second.players.size());
            found.push_back(d);
        }
    }
    return found;
}

bool LoopbackSession::Open(const SessionDescription& session, OpenMode mode) {
    if (!network_ || !sessionKey_.empty() || network_->TakeFailure(LoopbackCall::Open)) {
        return false;
    }
    if (mode == OpenMode::Join) {
        const auto it = network_->sessions_.find(session.address);
        if (it == network_->sessions_.end()) {
            return false;
        }
        it->second.members.push_back(this);
        sessionKey_ = session.address;
        playerId_ = 0;  // a player of a session that was lost is gone with it
        return true;
    }
    if (!connection_) {
        return false;
    }
    const auto address = ParseHostAddress(connection_->address);
    if (!address || network_->sessions_.count(address->ToString())) {
        return false;
    }
    LoopbackNetwork::Hosted hosted;
    hosted.description = session;
    hosted.description.address = address->ToString();
    hosted.description.currentPlayers = 0;
    hosted.host = this;
    hosted.members.push_back(this);
    sessionKey_ = address->ToString();
    playerId_ = 0;
    network_->sessions_.emplace(sessionKey_, std::move(hosted));
    return true;
}

std::optional<int32_t> LoopbackSession::CreatePlayer(std::string_view shortName,
                                                     std::string_view /*longName*/) {
    LoopbackNetwork::Hosted* s = Session();
    if (!s || playerId_ != 0 || network_->TakeFailure(LoopbackCall::CreatePlayer)) {
        return std::nullopt;
    }
    if (s->description.maxPlayers > 0 &&
        static_cast<int32_t>(s->players.size()) >= s->description.maxPlayers) {
        return std::nullopt;
    }
    const auto taken = [s](int32_t id) { return s->byId.count(id) != 0; };
    int32_t id = 0;
    if (network_->assignedId_) {
        id = *std::exchange(network_->assignedId_, std::nullopt);
        if (id == 0 || taken(id)) {
            return std::nullopt;
        }
    } else {
        while (s->nextId == 0 || taken(s->nextId)) {
            ++s->nextId;
        }
        id = s->nextId++;
    }
    playerId_ = id;
    s->byId[playerId_] = s->players.size();
    s->players.push_back({playerId_, std::string(shortName), this});
    for (LoopbackSession* member : s->members) {
        if (member != this && member->playerId_ != 0) {
            member->DeliverSystem(kSystemCreatePlayer, playerId_);
        }
    }
    return playerId_;
}

bool LoopbackSession::DestroyPlayer(int32_t playerId) {
    LoopbackNetwork::Hosted* s = Session();
    if (!s || playerId == 0 || playerId != playerId_ ||
        network_->TakeFailure(LoopbackCall::DestroyPlayer)) {
        return false;
    }
    RemoveOwnPlayer(*s);
    return true;
}

void LoopbackSession::RemoveOwnPlayer(LoopbackNetwork::Hosted& s) {
    const int32_t id = playerId_;
    std::erase_if(s.players, [&](const auto& p) { return p.id == id; });
    s.byId.clear();
    for (size_t i = 0; i < s.players.size(); ++i) {
        s.byId[s.players[i].id] = i;
    }
    playerId_ = 0;
    for (LoopbackSession* member : s.members) {
        if (member != this && member->playerId_ != 0) {
            member->DeliverSystem(kSystemDestroyPlayer, id);
        }
    }
}

bool LoopbackSession::Send(int32_t from, int32_t to, const Message& message) {
    LoopbackNetwork::Hosted* s = Session();
    if (!s || from == 0 || from != playerId_ || to == from ||
        network_->TakeFailure(LoopbackCall::Send)) {
        return false;
    }
    if (to == kAllPlayers) {
        for (const auto& p : s->players) {
            if (p.id != from) {
                p.owner->Deliver(from, message);
            }
        }
        return true;
    }
    const auto it = s->byId.find(to);
    if (it == s->byId.end()) {
        return false;
    }
    s->players[it->second].owner->Deliver(from, message);
    return true;
}

std::optional<int32_t> LoopbackSession::GetMessageCount(int32_t playerId) {
    if (!network_ || playerId == 0 || playerId != playerId_ ||
        network_->TakeFailure(LoopbackCall::GetMessageCount)) {
        return std::nullopt;
    }
    return static_cast<int32_t>(queue_.size());
}

std::optional<ReceivedMessage> LoopbackSession::Receive() {
    if (!network_ || queue_.empty() || network_->TakeFailure(LoopbackCall::Receive)) {
        return std::nullopt;
    }
    ReceivedMessage next = std::move(queue_.front());
    queue_.pop_front();
    return next;
}

std::optional<std::string> LoopbackSession::PlayerName(int32_t playerId) {
    LoopbackNetwork::Hosted* s = Session();
    if (!s || network_->TakeFailure(LoopbackCall::PlayerName)) {
        return std::nullopt;
    }
    const auto it = s->byId.find(playerId);
    if (it == s->byId.end()) {
        return std::nullopt;
    }
    return s->players[it->second].name;
}

bool LoopbackSession::Close() {
    if (!Session() || network_->TakeFailure(LoopbackCall::Close)) {
        return false;
    }
    Leave();
    return true;
}

void LoopbackSession::Deliver(int32_t from, const Message& message) {
    queue_.push_back({from, playerId_, message});
}

void LoopbackSession::DeliverSystem(int32_t code, int32_t playerId) {
    Message m;
    m.WriteLong(code);
    m.WriteLong(playerId);
    queue_.push_back({kSystemSender, playerId_, std::move(m)});
}

void LoopbackSession::Leave() {
    LoopbackNetwork::Hosted* s = Session();
    if (!s) {
        return;
    }
    if (s->host == this) {
        // The host takes the session with it.
        const std::string key = sessionKey_;
        for (LoopbackSession* member : s->members) {
            if (member != this) {
                member->sessionKey_.clear();
                if (member->playerId_ != 0) {
                    member->DeliverSystem(kSystemSessionLost, 0);
                }
            }
        }
        network_->sessions_.erase(key);
    } else {
        if (playerId_ != 0) {
            RemoveOwnPlayer(*s);
        }
        std::erase(s->members, this);
    }
    sessionKey_.clear();
    playerId_ = 0;
}

}  // namespace corvane::session
