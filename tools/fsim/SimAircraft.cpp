#include "fsim/SimAircraft.h"

#include <cmath>

#include "session/FsMessages.h"
#include "session/HostAddress.h"
#include "shared/Rounding.h"

namespace corvane::fsim {

using namespace session;

namespace {

double Seconds(const Clock& clock) {
    return static_cast<double>(clock.Now().count()) / 1000.0;
}

}  // namespace

std::string_view LinkStateName(LinkState state) {
    switch (state) {
        case LinkState::Idle:
            return "idle";
        case LinkState::Joining:
            return "joining";
        case LinkState::Admitted:
            return "in the session";
        case LinkState::Refused:
            return "refused";
        case LinkState::Removed:
            return "removed by the host";
        case LinkState::Lost:
            return "link lost";
        case LinkState::Left:
            return "left";
    }
    return "";
}

SimAircraft::SimAircraft(DirectPlay& link, const Clock& clock, AircraftSetup setup,
                         const AirportChart& chart, TrafficNotes notes)
    : link_(link),
      clock_(clock),
      setup_(std::move(setup)),
      model_(setup_.performance, setup_.start, chart.fieldElevationFt),
      notes_(std::move(notes)) {
    pilot_ = std::make_unique<SimPilot>(setup_.pilot, model_, chart);
    lastStep_ = Seconds(clock_);
    nextReport_ = lastStep_;
}

void SimAircraft::Tell(TrafficNote::Kind kind, std::string text) {
    if (notes_) {
        notes_({kind, setup_.pilot.callsign, std::move(text)});
    }
}

bool SimAircraft::Join(const std::string& address, const std::string& sessionName) {
    linkState_ = LinkState::Lost;
    if (!link_.InitializeConnection({kTcpIpConnectionName, address})) {
        Tell(TrafficNote::Kind::Link, "no connection to " + address);
        return false;
    }
    const auto sessions = link_.EnumerateSessions();
    if (!sessions) {
        Tell(TrafficNote::Kind::Link, "no session at " + address);
        return false;
    }
    const SessionDescription* chosen = nullptr;
    for (const SessionDescription& s : *sessions) {
        if (sessionName.empty() || s.name == sessionName) {
            chosen = &s;
            break;
        }
    }
    if (!chosen || !link_.Open(*chosen, OpenMode::Join)) {
        Tell(TrafficNote::Kind::Link, "cannot join a session at " + address);
        return false;
    }
    const auto id = link_.CreatePlayer(setup_.pilot.callsign, "Player");
    if (!id) {
        link_.Close();
        Tell(TrafficNote::Kind::Link, "the session has no room");
        return false;
    }
    self_ = *id;
    linkState_ = LinkState::Joining;
    SendJoinRequest(link_, self_);
    Tell(TrafficNote::Kind::Link, "joined as player " + std::to_string(self_));
    return true;
}

void SimAircraft::Leave() {
    if (linkState_ == LinkState::Joining || linkState_ == LinkState::Admitted) {
        link_.DestroyPlayer(self_);
        link_.Close();
        linkState_ = LinkState::Left;
        Tell(TrafficNote::Kind::Link, "left the session");
    }
}

void SimAircraft::Step() {
    const double now = Seconds(clock_);
    if (now > lastStep_) {
        model_.Step(now - lastStep_);
        lastStep_ = now;
    }
    if (linkState_ != LinkState::Joining && linkState_ != LinkState::Admitted) {
        return;
    }
    HandleMessages(now);
    if (linkState_ != LinkState::Admitted) {
        return;
    }
    if (auto answer = pilot_->Step(now)) {
        Tell(TrafficNote::Kind::Said, *answer);
        SendChatLine(link_, self_, *answer, {kAllPlayers});
    }
    const auto& events = pilot_->Events();
    for (; eventsTold_ < events.size(); ++eventsTold_) {
        const std::string& e = events[eventsTold_].text;
        if (e.rfind("phase: ", 0) == 0) {
            Tell(TrafficNote::Kind::Phase, e.substr(7));
        }
    }
    if (now >= nextReport_) {
        SendPosition();
        // Keep the rhythm; after a long pause report once and start again from now.
        nextReport_ += setup_.reportSeconds;
        if (nextReport_ <= now) {
            nextReport_ = now + setup_.reportSeconds;
        }
    }
}

void SimAircraft::SendPosition() {
    const AircraftState& s = model_.State();
    PositionWords words;
    words.attitudeWord = AttitudeWordFor(ToInteger16(s.trueHeading));
    words.latitude = LatitudeWord(s.position.lat);
    words.longitude = LongitudeWord(s.position.lon);
    words.altitude = AltitudeWord(ToInteger32(s.altitudeFt));
    if (link_.Send(self_, kAllPlayers, EncodePosition(kPositionLong, words))) {
        ++reportsSent_;
    }
}

void SimAircraft::HandleMessages(double now) {
    const auto count = link_.GetMessageCount(self_);
    for (int32_t i = 0; count && i < *count; ++i) {
        auto received = link_.Receive();
        if (!received) {
            break;
        }
        if (received->from == kSystemSender) {
            const auto code = received->message.ReadLong();
            if (code && *code == kSystemSessionLost) {
                linkState_ = LinkState::Lost;
                Tell(TrafficNote::Kind::Link, "the session is lost");
                return;
            }
            continue;
        }
        const auto header = ReadHeader(received->message);
        if (!header) {
            continue;
        }
        switch (header->type) {
            case kPlayerPresent:
                if (linkState_ == LinkState::Joining &&
                    DecodePresentId(received->message).value_or(0) == self_) {
                    linkState_ = LinkState::Admitted;
                    Tell(TrafficNote::Kind::Link, "admitted by the host");
                    SendPresent(link_, self_);  // make itself known to everybody at once
                }
                break;
            case kJoinRefused:
                if (linkState_ == LinkState::Joining) {
                    linkState_ = LinkState::Refused;
                    Tell(TrafficNote::Kind::Link, "refused by the host");
                    link_.Close();
                    return;
                }
                break;
            case kRollCall:
                if (linkState_ == LinkState::Admitted) {
                    SendPresent(link_, self_);
                }
                break;
            case kInformationRequest:
                if (linkState_ == LinkState::Admitted) {
                    link_.Send(self_, received->from,
                               EncodeInformation(setup_.performance.engineCode, setup_.title));
                }
                break;
            case kPositionShort:
            case kPositionLong:
                if (const auto fix =
                        DecodePosition(received->message, header->type, noVariation_)) {
                    if (const auto name = link_.PlayerName(received->from)) {
                        pilot_->SeeTraffic(*name, {fix->latitude, fix->longitude}, fix->altitudeFt,
                                           now);
                    }
                }
                break;
            case kChatText:
                if (header->size > 1 && linkState_ == LinkState::Admitted) {
                    if (const auto text = DecodeChat(received->message, header->size)) {
                        if (pilot_->Hear(*text, now)) {
                            Tell(TrafficNote::Kind::Heard, *text);
                        }
                    }
                }
                break;
            case kRemovedByHost:
                linkState_ = LinkState::Removed;
                Tell(TrafficNote::Kind::Link, "removed by the host");
                link_.Close();
                return;
            default:
                break;
        }
    }
}

}  // namespace corvane::fsim
