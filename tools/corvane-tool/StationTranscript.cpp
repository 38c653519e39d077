#include "StationTranscript.h"

#include <ctime>
#include <thread>

#include "session/FsMessages.h"

namespace corvane::tool {

namespace {

using namespace session;

std::string LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// The text of a chat line with something in it; nullopt for anything else (the empty chat too).
std::optional<std::string> ChatText(Message message) {
    const auto header = ReadHeader(message);
    if (!header || header->type != kChatText || header->size <= 1) {
        return std::nullopt;
    }
    return DecodeChat(message, header->size);
}

}  // namespace

void Transcript::Line(char mark, const std::string& text) {
    out_ << LocalTime() << ' ' << mark << ' ' << text << '\n' << std::flush;
}

void Transcript::Event(const std::string& text) {
    Flush();
    Line('*', text);
}

void Transcript::Sent(const std::string& text, const std::string& recipient) {
    if (!pendingRecipients_.empty() && text != pendingText_) {
        Flush();
    }
    pendingText_ = text;
    pendingRecipients_.push_back(recipient);
}

void Transcript::Received(const std::string& sender, const std::string& text) {
    Flush();
    Line('<', sender + ": " + text);
}

void Transcript::Flush() {
    if (pendingRecipients_.empty()) {
        return;
    }
    std::string to;
    for (const std::string& r : pendingRecipients_) {
        to += (to.empty() ? "" : ", ") + r;
    }
    Line('>', to + ": " + pendingText_);
    pendingRecipients_.clear();
    pendingText_.clear();
}

void TranscriptBoxes::Show(BoxIcon, const std::string& text) {
    transcript_.Event(text);
}

TranscriptLink::TranscriptLink(std::unique_ptr<DirectPlay> inner, Transcript& transcript,
                               Service waitForTraffic)
    : inner_(std::move(inner)), transcript_(transcript), service_(std::move(waitForTraffic)) {}

std::optional<std::vector<Connection>> TranscriptLink::EnumerateConnections() {
    return inner_->EnumerateConnections();
}

bool TranscriptLink::InitializeConnection(const Connection& connection) {
    return inner_->InitializeConnection(connection);
}

std::optional<std::vector<SessionDescription>> TranscriptLink::EnumerateSessions() {
    return inner_->EnumerateSessions();
}

bool TranscriptLink::Open(const SessionDescription& session, OpenMode mode) {
    return inner_->Open(session, mode);
}

std::optional<int32_t> TranscriptLink::CreatePlayer(std::string_view shortName,
                                                    std::string_view longName) {
    return inner_->CreatePlayer(shortName, longName);
}

bool TranscriptLink::DestroyPlayer(int32_t playerId) {
    return inner_->DestroyPlayer(playerId);
}

bool TranscriptLink::Send(int32_t from, int32_t to, const Message& message) {
    const bool sent = inner_->Send(from, to, message);
    if (sent) {
        if (const auto text = ChatText(message)) {
            transcript_.Sent(*text, to == kAllPlayers ? "all" : NameOf(to));
        }
    }
    return sent;
}

std::optional<int32_t> TranscriptLink::GetMessageCount(int32_t playerId) {
    return inner_->GetMessageCount(playerId);
}

std::optional<ReceivedMessage> TranscriptLink::Receive() {
    auto received = inner_->Receive();
    if (received) {
        Notice(*received);
    }
    return received;
}

std::optional<std::string> TranscriptLink::PlayerName(int32_t playerId) {
    return inner_->PlayerName(playerId);
}

bool TranscriptLink::Close() {
    return inner_->Close();
}

void TranscriptLink::WaitForTraffic(std::chrono::milliseconds timeout) {
    if (service_) {
        service_(*inner_, timeout);
    } else {
        std::this_thread::sleep_for(timeout);
    }
}

std::string TranscriptLink::NameOf(int32_t playerId) {
    if (const auto name = inner_->PlayerName(playerId)) {
        names_[playerId] = *name;
        return *name;
    }
    const auto known = names_.find(playerId);
    return known != names_.end() ? known->second : "player " + std::to_string(playerId);
}

void TranscriptLink::Notice(const ReceivedMessage& received) {
    if (received.from != kSystemSender) {
        if (const auto text = ChatText(received.message)) {
            transcript_.Received(NameOf(received.from), *text);
        }
        return;
    }
    // The session's own notices: a code and the player concerned.
    Message notice = received.message;
    const auto code = notice.ReadLong();
    if (code == kSystemSessionLost) {
        transcript_.Event("the link to the session's host is gone");
        return;
    }
    const auto player = notice.ReadLong();
    if (!player) {
        return;
    }
    if (code == kSystemCreatePlayer) {
        transcript_.Event(NameOf(*player) + " joined the session");
    } else if (code == kSystemDestroyPlayer) {
        transcript_.Event(NameOf(*player) + " left the session");
    }
}

}  // namespace corvane::tool
