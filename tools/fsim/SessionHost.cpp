#include "fsim/SessionHost.h"

#include "session/FsMessages.h"
#include "session/HostAddress.h"
#include "shared/Text.h"

namespace corvane::fsim {

using namespace session;

SessionHost::SessionHost(DirectPlay& link, const Clock& clock, HostOptions options,
                         std::ostream& log)
    : link_(link), clock_(clock), options_(std::move(options)), log_(log) {}

bool SessionHost::Start() {
    const Connection here{kTcpIpConnectionName, options_.address};
    if (!link_.InitializeConnection(here) ||
        !link_.Open({options_.sessionName, 0, options_.maxPlayers, ""}, OpenMode::Create)) {
        log_ << "cannot host a session at " << options_.address << "\n";
        return false;
    }
    const auto id = link_.CreatePlayer(options_.hostName, "Player");
    if (!id) {
        log_ << "cannot create the host's player\n";
        link_.Close();
        return false;
    }
    self_ = *id;
    nextNotice_ = clock_.Now() + options_.interval;
    log_ << "hosting \"" << options_.sessionName << "\" as " << options_.hostName << " (player "
         << self_ << ")\n";
    return true;
}

void SessionHost::Step() {
    if (self_ == 0) {
        return;
    }
    const auto now = clock_.Now();
    if (now >= nextNotice_) {
        link_.Send(self_, kAllPlayers, EncodeHostAlive());
        SendRollCall(link_, self_);
        nextNotice_ = now + options_.interval;
    }
    const auto count = link_.GetMessageCount(self_);
    for (int32_t i = 0; count && i < *count; ++i) {
        auto received = link_.Receive();
        if (!received) {
            break;
        }
        if (received->from == kSystemSender) {
            HandleSystem(received->message);
            continue;
        }
        const auto header = ReadHeader(received->message);
        if (!header) {
            continue;  // too short to be anything
        }
        switch (header->type) {
            case kJoinRequest:
                HandleJoinRequest(received->from);
                break;
            case kRollCall:
                SendPresent(link_, self_);
                break;
            case kRequestRepeatNotice:
                log_ << "repeat notice from " << NameOf(received->from) << "\n";
                break;
            case kChatText:
                if (header->size > 1) {
                    if (const auto text = DecodeChat(received->message, header->size)) {
                        log_ << NameOf(received->from) << " says: " << *text << "\n";
                    }
                }
                break;
            default:
                break;
        }
    }
}

void SessionHost::HandleSystem(Message& message) {
    const auto code = message.ReadLong();
    const auto id = message.ReadLong();
    if (!code || !id) {
        return;
    }
    if (*code == kSystemCreatePlayer) {
        const std::string name = link_.PlayerName(*id).value_or("");
        players_[*id] = name;
        log_ << "joined: " << name << " (player " << *id << ")\n";
    } else if (*code == kSystemDestroyPlayer) {
        log_ << "left: " << NameOf(*id) << "\n";
        players_.erase(*id);
    }
}

void SessionHost::HandleJoinRequest(int32_t from) {
    const std::string name = NameOf(from);
    switch (options_.joinAnswer) {
        case JoinAnswer::Admit:
            link_.Send(self_, kAllPlayers, EncodePresent(from));
            log_ << "admitted: " << name << "\n";
            break;
        case JoinAnswer::Refuse:
            link_.Send(self_, from, EncodeJoinRefused());
            log_ << "refused: " << name << "\n";
            break;
        case JoinAnswer::Silent:
            log_ << "not answering: " << name << "\n";
            break;
    }
}

CommandResult SessionHost::Command(std::string_view line) {
    const std::string_view text = TrimBlanks(line);
    if (text.empty()) {
        return CommandResult::Done;
    }
    if (text == "quit" || text == "exit") {
        return CommandResult::Quit;
    }
    if (text == "players") {
        for (const auto& [id, name] : players_) {
            log_ << "player " << id << ": " << name << "\n";
        }
        return CommandResult::Done;
    }
    if (text.substr(0, 7) == "remove ") {
        const std::string_view name = TrimBlanks(text.substr(7));
        if (!RemovePlayer(name)) {
            log_ << "no player named " << name << "\n";
        }
        return CommandResult::Done;
    }
    log_ << "unknown command: " << text << " (remove NAME, players, quit)\n";
    return CommandResult::Unknown;
}

bool SessionHost::RemovePlayer(std::string_view name) {
    for (const auto& [id, known] : players_) {
        if (known == name) {
            const bool sent = link_.Send(self_, id, EncodeRemovedByHost());
            log_ << (sent ? "removed: " : "could not remove: ") << known << "\n";
            return sent;
        }
    }
    return false;
}

void SessionHost::Stop() {
    if (self_ != 0) {
        link_.Close();
        self_ = 0;
        players_.clear();
        log_ << "session closed\n";
    }
}

std::string SessionHost::NameOf(int32_t id) const {
    const auto it = players_.find(id);
    return it != players_.end() ? it->second : "player " + std::to_string(id);
}

}  // namespace corvane::fsim
