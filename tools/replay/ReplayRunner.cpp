#include "replay/ReplayRunner.h"

#include <charconv>
#include <cstdio>

#include "session/FsMessages.h"
#include "session/HostAddress.h"
#include "station/StationState.h"

namespace corvane::replay {

namespace {

using namespace session;

// The station's session link: every call goes to its LoopbackSession, and every message the
// session accepts from the station is printed.
class PrintingLink final : public DirectPlay {
  public:
    PrintingLink(std::unique_ptr<LoopbackSession> inner, ReplayRunner& runner)
        : inner_(std::move(inner)), runner_(runner) {}

    std::optional<std::vector<Connection>> EnumerateConnections() override {
        return inner_->EnumerateConnections();
    }
    bool InitializeConnection(const Connection& connection) override {
        return inner_->InitializeConnection(connection);
    }
    std::optional<std::vector<SessionDescription>> EnumerateSessions() override {
        return inner_->EnumerateSessions();
    }
    bool Open(const SessionDescription& session, OpenMode mode) override {
        return inner_->Open(session, mode);
    }
    std::optional<int32_t> CreatePlayer(std::string_view shortName,
                                        std::string_view longName) override {
        return inner_->CreatePlayer(shortName, longName);
    }
    bool DestroyPlayer(int32_t playerId) override { return inner_->DestroyPlayer(playerId); }
    bool Send(int32_t from, int32_t to, const Message& message) override {
        const bool sent = inner_->Send(from, to, message);
        if (sent) {
            Print(to, message);
        }
        return sent;
    }
    std::optional<int32_t> GetMessageCount(int32_t playerId) override {
        return inner_->GetMessageCount(playerId);
    }
    std::optional<ReceivedMessage> Receive() override { return inner_->Receive(); }
    std::optional<std::string> PlayerName(int32_t playerId) override {
        return inner_->PlayerName(playerId);
    }
    bool Close() override { return inner_->Close(); }

  private:
    void Print(int32_t to, Message message) {
        const std::string recipient = to == kAllPlayers ? "ALL" : runner_.NameOf(to);
        const auto header = ReadHeader(message);
        const int32_t type = header ? header->type : 0;
        if (type == kChatText && header->size > 1) {
            const auto text = DecodeChat(message, header->size);
            runner_.Event("CHAT " + recipient + " " + text.value_or("?"));
            return;
        }
        std::string what;
        switch (type) {
            case kRollCall:
                what = "ROLLCALL";
                break;
            case kInformationRequest:
                what = "INFOREQ";
                break;
            case kPlayerPresent:
                what = "PRESENT";
                break;
            case kJoinRequest:
                what = "JOIN";
                break;
            case kRequestRepeatNotice:
                what = "REPEAT";
                break;
            case kChatText:
                if (!runner_.Verbose()) {
                    return;
                }
                what = "EMPTYCHAT";
                break;
            default: {
                char hex[16];
                std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(type));
                what = hex;
            }
        }
        runner_.Event("SEND " + recipient + " " + what);
    }

    std::unique_ptr<LoopbackSession> inner_;
    ReplayRunner& runner_;
};

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

// The shortest text that reads back to the same value; 0 for both zeros.
std::string Decimal(double value) {
    if (value == 0.0) {
        return "0";
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

ReplayRunner::ReplayRunner(std::ostream& out, AirportLoader loader, ReplayOptions options)
    : out_(out), loader_(std::move(loader)), options_(options) {
    host_ = network_.NewSession();
    const Connection here{kThisComputerConnectionName, HostAddress{"127.0.0.1"}.ToString()};
    host_->InitializeConnection(here);
    host_->Open({"Replay", 0, 0, ""}, OpenMode::Create);
}

ReplayRunner::~ReplayRunner() {
    // The station and the players leave before the session and its network go.
    monitor_.reset();
    session_ = {};
    players_.clear();
}

void ReplayRunner::Event(const std::string& text) {
    out_ << "T" << ticks_ << " " << text << "\n";
}

std::string ReplayRunner::NameOf(int32_t playerId) const {
    const auto it = names_.find(playerId);
    return it != names_.end() ? it->second : "#" + std::to_string(playerId);
}

void ReplayRunner::PrintedBoxes::Show(BoxIcon icon, const std::string& text) {
    runner_.Event(std::string("MSGBOX ") +
                  (icon == BoxIcon::Information ? "information " : "exclamation ") + text);
}

std::optional<ScriptError> ReplayRunner::RunScript(std::istream& script) {
    std::string text;
    for (int number = 1; std::getline(script, text); ++number) {
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        if (std::string reason = RunLine(text); !reason.empty()) {
            out_.flush();
            return ScriptError{number, std::move(reason)};
        }
    }
    out_.flush();
    return std::nullopt;
}

std::string ReplayRunner::RunLine(std::string_view text) {
    const ParsedLine parsed = ParseReplayLine(text);
    if (!parsed.error.empty()) {
        return parsed.error;
    }
    return parsed.line ? Run(*parsed.line) : "";
}

std::string ReplayRunner::Run(const ReplayLine& line) {
    const auto needStation = [&]() -> std::string {
        return monitor_ ? "" : "no station has joined yet (station [ID])";
    };
    switch (line.verb) {
        case Verb::Airport:
            if (!loader_) {
                return "this replay cannot load airports";
            }
            return loader_(line.name, airport_, terrain_, boxes_);
        case Verb::Station:
            return JoinStation(line.id.value_or(kDefaultStationId));
        case Verb::Player:
            return JoinPlayer(line.name, *line.id);
        case Verb::Leave: {
            const Player* p = FindPlayer(line.name);
            if (!p) {
                return "no player called " + line.name;
            }
            std::erase_if(players_, [&](const Player& q) { return &q == p; });
            return "";
        }
        case Verb::Start:
        case Verb::Stop:
        case Verb::Close:
            if (std::string missing = needStation(); !missing.empty()) {
                return missing;
            }
            if (line.verb == Verb::Start) {
                monitor_->Start();
            } else if (line.verb == Verb::Stop) {
                monitor_->Stop();
            } else if (monitor_->CloseButton() == station::StationNext::EndProgram) {
                Event("CLOSED");
            }
            return "";
        case Verb::From:
            return SendFrom(line);
        case Verb::Auto:
            auto_ = line.on;
            return "";
        case Verb::Tick:
            Ticks(line.count);
            return "";
        case Verb::Set: {
            const int index = station::FindTraffic(tables_, line.name);
            if (index < 0) {
                return "no traffic record for " + line.name;
            }
            tables_.Traffic[static_cast<size_t>(index)].altitudeFt = line.altitudeFt;
            return "";
        }
        case Verb::Dump:
            if (line.name == "station") {
                DumpStation();
            } else {
                DumpRecord(line.name);
            }
            return "";
    }
    return "";
}

std::string ReplayRunner::JoinStation(int32_t id) {
    if (monitor_) {
        return "the station has joined already";
    }
    auto link = network_.NewSession();
    const std::string callsign = airport_.AirportName + "_Controller";
    link->Open(network_.HostedSessions().at(0), OpenMode::Join);
    network_.AssignNextPlayerId(id);
    if (!link->CreatePlayer(callsign, "Player")) {
        return "player id " + std::to_string(id) + " is taken";
    }
    names_[id] = callsign;
    stationId_ = id;
    session_.DirectPlayObject = std::make_unique<PrintingLink>(std::move(link), *this);
    session_.LocalPlayerId = id;
    monitor_ =
        std::make_unique<station::StationMonitor>(airport_, terrain_, tables_, session_, boxes_);
    monitor_->Load();
    return "";
}

std::string ReplayRunner::JoinPlayer(const std::string& callsign, int32_t id) {
    if (FindPlayer(callsign)) {
        return "a player called " + callsign + " is in the session already";
    }
    Player p{callsign, id, network_.NewSession(), false};
    p.link->Open(network_.HostedSessions().at(0), OpenMode::Join);
    network_.AssignNextPlayerId(id);
    if (!p.link->CreatePlayer(callsign, "Player")) {
        return "player id " + std::to_string(id) + " is taken";
    }
    names_[id] = callsign;
    players_.push_back(std::move(p));
    return "";
}

std::string ReplayRunner::SendFrom(const ReplayLine& line) {
    Player* p = FindPlayer(line.name);
    if (!p) {
        return "no player called " + line.name;
    }
    if (stationId_ == 0) {
        return "no station has joined yet (station [ID])";
    }
    Message message;
    switch (line.sent) {
        case Sent::Present:
            message = EncodePresent(line.id.value_or(p->id));
            break;
        case Sent::Alive:
            message = EncodeHostAlive();
            break;
        case Sent::RollCall:
            message = EncodeRollCall();
            break;
        case Sent::Info:
            message = EncodeInformation(line.engine, line.text);
            break;
        case Sent::Pos:
        case Sent::Pos18:
            message =
                EncodePosition(line.sent == Sent::Pos ? kPositionLong : kPositionShort,
                               {AttitudeWordFor(line.trueHeading), LatitudeWord(line.latitude),
                                LongitudeWord(line.longitude), AltitudeWord(line.altitudeFt)});
            break;
        case Sent::Chat:
            message = EncodeChatLine(line.text);
            break;
        case Sent::Removed:
            message = EncodeRemovedByHost();
            break;
        case Sent::Raw:
            message = Message(line.raw);
            break;
    }
    // Once the station has gone the message goes nowhere, as it would in a real session.
    p->link->Send(p->id, stationId_, message);
    return "";
}

void ReplayRunner::Ticks(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (!monitor_ || !monitor_->State().PlayerTimerEnabled) {
            return;  // not monitoring: nothing runs and nothing is counted
        }
        ReadPlayersMail();
        if (auto_) {
            for (Player& p : players_) {
                if (p.rollCallPending) {
                    p.link->Send(p.id, stationId_, EncodePresent(p.id));
                    p.rollCallPending = false;
                }
            }
            if (!players_.empty()) {
                Player& first = players_.front();
                first.link->Send(first.id, stationId_, EncodeHostAlive());
            }
        }
        ++ticks_;
        if (monitor_->Tick() == station::StationNext::EndProgram) {
            Event("CLOSED");
        }
    }
}

void ReplayRunner::ReadPlayersMail() {
    for (Player& p : players_) {
        while (auto received = p.link->Receive()) {
            const auto header = ReadHeader(received->message);
            if (received->from != kSystemSender && header && header->type == kRollCall) {
                p.rollCallPending = true;
            }
        }
    }
}

void ReplayRunner::DumpRecord(const std::string& callsign) {
    const int index = station::FindTraffic(tables_, callsign);
    if (index < 0) {
        Event("RECORD " + callsign + " absent");
        return;
    }
    const TrafficRecord& r = tables_.Traffic[static_cast<size_t>(index)];
    const GeoPoint& v = r.vectorTarget;
    Event("RECORD " + callsign + " callsign=" + Quoted(r.callsign) +
          " playerId=" + std::to_string(r.playerId) + " latitude=" + Decimal(r.latitude) +
          " longitude=" + Decimal(r.longitude) + " altitudeFt=" + std::to_string(r.altitudeFt) +
          " heading=" + std::to_string(r.heading) + " present=" + std::to_string(r.present) +
          " aircraftType=" + Quoted(r.aircraftType) + " atcActive=" + std::to_string(r.atcActive) +
          " frequency=" + Quoted(r.frequency) + " pendingMenu=" + Quoted(r.pendingMenu) +
          " choice=" + std::to_string(r.choice) + " text1=" + Quoted(r.text1) +
          " text2=" + Quoted(r.text2) + " text3=" + Quoted(r.text3) +
          " vectorTarget.name=" + Quoted(v.name) + " vectorTarget.label=" + Quoted(v.label) +
          " vectorTarget.latitude=" + Decimal(v.latitude) + " vectorTarget.longitude=" +
          Decimal(v.longitude) + " vectorTarget.elevationFt=" + std::to_string(v.elevationFt) +
          " flightType=" + std::to_string(r.flightType) + " compassWord=" + Quoted(r.compassWord) +
          " status=" + Quoted(r.status));
}

void ReplayRunner::DumpStation() {
    const auto queue = [](const std::vector<std::string>& q) {
        std::string text;
        for (const std::string& callsign : q) {
            text += " " + callsign;
        }
        return text;
    };
    Event("TAKEOFF" + queue(tables_.TakeoffQueue));
    Event("LANDING" + queue(tables_.LandingQueue));
    for (const TaxiReservation& r : tables_.TaxiReservations) {
        std::string text = "TAXI " + r.callsign + " " + Quoted(r.destinationName) + " " +
                           Quoted(r.destinationKind);
        for (const TaxiPath& step : r.route) {
            text += " " + Quoted(step.name) + ":" + std::to_string(step.startNode) + ">" +
                    std::to_string(step.endNode);
        }
        Event(text);
    }
}

ReplayRunner::Player* ReplayRunner::FindPlayer(const std::string& callsign) {
    for (Player& p : players_) {
        if (p.callsign == callsign) {
            return &p;
        }
    }
    return nullptr;
}

}  // namespace corvane::replay
