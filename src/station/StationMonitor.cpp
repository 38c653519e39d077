#include "station/StationMonitor.h"

#include <optional>

#include "nav/Geometry.h"
#include "session/FsMessages.h"
#include "station/Dispatcher.h"
#include "station/PilotAnswers.h"
#include "station/StationState.h"

namespace corvane::station {

namespace {

using session::DirectPlay;
using session::ReceivedMessage;

// The sender's name, asked of the session only when there is a record to compare it with, and
// then once per message.
class SenderName {
  public:
    SenderName(DirectPlay& link, int32_t sender) : link_(link), sender_(sender) {}
    const std::optional<std::string>& Get() {
        if (!asked_) {
            asked_ = true;
            name_ = link_.PlayerName(sender_);
        }
        return name_;
    }

  private:
    DirectPlay& link_;
    int32_t sender_;
    bool asked_ = false;
    std::optional<std::string> name_;
};

}  // namespace

void SessionChat::SendChatLine(const std::string& text, const std::vector<int32_t>& recipients) {
    session::SendChatLine(link_, self_, text, recipients);
}

void ClearChosenAirport(ChosenAirport& airport, Terrain& terrain) {
    airport.AirportIdent.clear();
    airport.AirportName.clear();
    airport.GroundFreq.clear();
    airport.TowerFreq.clear();
    airport.ApproachFreq.clear();
    airport.CenterFreq.clear();
    airport.CtafFreq.clear();
    airport.RunwayName.clear();
    airport.TaxiNodes.assign(1, TaxiNode{});
    airport.TaxiPaths.assign(1, TaxiPath{});
    airport.ParkingSpots.assign(1, ParkingSpot{});
    airport.RunwayLat = 0.0;
    airport.RunwayLon = 0.0;
    airport.FieldElevation = 0;
    airport.RunwayHeading = 0;
    airport.RunwayLength = 0;
    airport.RunwayHasIls = kFalse;
    terrain.Mountains.clear();
    nav::IndexMountains(terrain);
}

void ClearStationTables(StationTables& tables) {
    tables.Traffic.clear();
    tables.TakeoffQueue.clear();
    tables.LandingQueue.clear();
    tables.TaxiReservations.clear();
    tables.OtherPilotMessages.clear();
    tables.LeftDownwindPoint = {};
    tables.RightDownwindPoint = {};
    tables.LeftBasePoint = {};
    tables.RightBasePoint = {};
    tables.FinalPoint = {};
}

StationMonitor::StationMonitor(ChosenAirport& airport, Terrain& terrain, StationTables& tables,
                               session::SessionObjects& session, MessageBoxes& boxes)
    : airport_(airport),
      terrain_(terrain),
      tables_(tables),
      session_(session),
      boxes_(boxes),
      context_{airport, terrain, tables} {}

void StationMonitor::Load() {
    linkWatchdog_ = kLinkWatchdogTicks;
    nav::SetCompassCentres(tables_, airport_.RunwayHeading);
    // The settings window leaves the mountains unindexed; the controllers' terrain searches run
    // every tick, so the index is built once here.
    nav::IndexMountains(terrain_);
    tables_.Traffic.clear();
    tables_.TaxiReservations.clear();
    tables_.TakeoffQueue.clear();
    tables_.LandingQueue.clear();
    tables_.OtherPilotMessages.clear();
}

void StationMonitor::Start() {
    if (closed_ || !state_.Command2Enabled) {
        return;
    }
    state_.Label1 = kMonitoringText;
    state_.Label1Colour = kDarkRed;
    state_.Shape2 = LampFill::Solid;
    state_.Shape3 = LampFill::DiagonalCross;
    state_.PlayerTimerEnabled = true;
    rollCallCountdown_ = 0;  // the first tick holds a roll call
    state_.Command2Enabled = false;
    state_.Command1Enabled = true;
    state_.Command3Enabled = true;
}

void StationMonitor::Stop() {
    if (closed_ || !state_.Command1Enabled) {
        return;
    }
    state_.Label1 = kNotMonitoringText;
    state_.Label1Colour = kGreen;
    state_.Shape2 = LampFill::DiagonalCross;
    state_.Shape3 = LampFill::Solid;
    state_.PlayerTimerEnabled = false;
    state_.Command1Enabled = false;
    state_.Command2Enabled = true;
    state_.Command3Enabled = true;
}

StationNext StationMonitor::Tick() {
    if (closed_ || inTick_ || !state_.PlayerTimerEnabled) {
        return StationNext::Stay;
    }
    inTick_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inTick_};

    // 1. The link counts as lost 60 ticks after the last 0x1003 or 0x1004 from anyone.
    if (linkWatchdog_ >= 1 && linkWatchdog_ <= kLinkWatchdogTicks) {
        --linkWatchdog_;
    }
    if (linkWatchdog_ == 0) {
        ShowBoxFromTick(BoxIcon::Information, kLinkLostText);
        CloseStation();
        return StationNext::EndProgram;
    }

    DirectPlay* link = session_.DirectPlayObject.get();
    const int32_t self = session_.LocalPlayerId;
    bool linkOk = link != nullptr;

    // 2. Roll call. A roll call whose sends fail is held again on the next tick.
    if (rollCallCountdown_ >= 1 && rollCallCountdown_ <= kRollCallTicks) {
        --rollCallCountdown_;
    }
    if (rollCallCountdown_ == 0) {
        if (!tables_.Traffic.empty()) {
            PurgeAbsentTraffic(tables_);
        }
        linkOk = linkOk && session::SendRollCall(*link, self);
        if (linkOk) {
            rollCallCountdown_ = kRollCallTicks;
            for (TrafficRecord& r : tables_.Traffic) {
                r.present = kFalse;
            }
            linkOk = session::SendInformationRequest(*link, self);
        }
    }

    // 3. and 4.
    linkOk = linkOk && session::SendEmptyChat(*link, self);
    if (linkOk && DrainMessages(*link, self) == Drained::Removed) {
        return StationNext::EndProgram;
    }

    // 5.
    if (!tables_.Traffic.empty()) {
        if (link) {
            SessionChat chat(*link, self);
            DispatchPilotDialogue(context_, chat);
        } else {
            // Without a session nothing can be sent, but the dialogue still moves on.
            struct Nowhere final : ChatSender {
                void SendChatLine(const std::string&, const std::vector<int32_t>&) override {}
            } nowhere;
            DispatchPilotDialogue(context_, nowhere);
        }
    }
    return StationNext::Stay;
}

void StationMonitor::CallsignIndex::Build(const std::vector<TrafficRecord>& traffic) {
    first_.clear();
    unique_ = true;
    for (size_t i = 0; i < traffic.size(); ++i) {
        Added(traffic[i], i);
    }
}

void StationMonitor::CallsignIndex::Added(const TrafficRecord& record, size_t index) {
    unique_ = first_.emplace(record.callsign, index).second && unique_;
}

StationMonitor::Drained StationMonitor::DrainMessages(DirectPlay& link, int32_t self) {
    byCallsign_.Build(tables_.Traffic);
    const auto count = link.GetMessageCount(self);
    if (!count) {
        return Drained::Stopped;
    }
    for (int32_t i = 0; i < *count; ++i) {
        auto received = link.Receive();
        if (!received) {
            return Drained::Stopped;
        }
        const Drained result = HandleMessage(link, self, *received);
        if (result != Drained::AllRead) {
            return result;
        }
    }
    return Drained::AllRead;
}

StationMonitor::Drained StationMonitor::HandleMessage(DirectPlay& link, int32_t self,
                                                      ReceivedMessage& received) {
    session::Message& message = received.message;
    const auto header = session::ReadHeader(message);
    if (!header) {
        return Drained::Stopped;
    }
    SenderName sender(link, received.from);
    std::vector<TrafficRecord>& traffic = tables_.Traffic;

    switch (header->type) {
        case session::kPlayerPresent: {
            linkWatchdog_ = kLinkWatchdogTicks;
            const auto& name = sender.Get();
            if (!name) {
                return Drained::Stopped;
            }
            bool known = false;
            byCallsign_.ForEach(traffic, *name, [&](TrafficRecord& pilot) {
                // A known pilot answering the roll call; the draining goes on, so every answer
                // and position of the tick is read.
                pilot.present = kTrue;
                known = true;
                return false;  // the first record only
            });
            if (!known) {
                TrafficRecord pilot = BlankTrafficRecord();
                pilot.callsign = *name;
                pilot.playerId = received.from;
                pilot.present = kTrue;
                traffic.push_back(std::move(pilot));
                byCallsign_.Added(traffic.back(), traffic.size() - 1);
            }
            return Drained::AllRead;
        }
        case session::kHostAlive:
            linkWatchdog_ = kLinkWatchdogTicks;
            return Drained::AllRead;
        case session::kRollCall:
            return session::SendPresent(link, self) ? Drained::AllRead : Drained::Stopped;
        case session::kRemovedByHost:
            ShowBoxFromTick(BoxIcon::Information, kRemovedByHostText);
            linkWatchdog_ = 0;
            CloseStation();
            return Drained::Removed;
        case session::kAircraftInformation: {
            if (traffic.empty()) {
                return Drained::AllRead;
            }
            const auto& name = sender.Get();
            if (!name) {
                return Drained::Stopped;
            }
            std::optional<std::string> title;
            const bool read = byCallsign_.ForEach(traffic, *name, [&](TrafficRecord& pilot) {
                if (!title) {
                    title = session::DecodeInformation(message, header->size);
                }
                if (title) {
                    pilot.aircraftType = *title;
                }
                return title.has_value();
            });
            return read ? Drained::AllRead : Drained::Stopped;
        }
        case session::kPositionShort:
        case session::kPositionLong: {
            if (traffic.empty()) {
                return Drained::AllRead;
            }
            const auto& name = sender.Get();
            if (!name) {
                return Drained::Stopped;
            }
            std::optional<session::PositionFix> fix;
            const bool read = byCallsign_.ForEach(traffic, *name, [&](TrafficRecord& pilot) {
                if (!fix) {
                    fix = session::DecodePosition(message, header->type, terrain_.MagVarGrid);
                }
                if (fix) {
                    pilot.heading = fix->heading;
                    pilot.latitude = fix->latitude;
                    pilot.longitude = fix->longitude;
                    pilot.altitudeFt = fix->altitudeFt;
                }
                return fix.has_value();
            });
            return read ? Drained::AllRead : Drained::Stopped;
        }
        case session::kChatText: {
            if (header->size <= 1) {
                return Drained::AllRead;  // the empty chat every station sends
            }
            const auto text = session::DecodeChat(message, header->size);
            if (!text) {
                return Drained::Stopped;
            }
            if (traffic.empty()) {
                return Drained::AllRead;
            }
            const auto& name = sender.Get();
            if (!name) {
                return Drained::Stopped;
            }
            const bool read = byCallsign_.ForEach(traffic, *name, [&](TrafficRecord& pilot) {
                return ApplyPilotAnswer(pilot, *text, airport_.AirportName) !=
                       AnswerResult::ConversionFailed;
            });
            return read ? Drained::AllRead : Drained::Stopped;
        }
        default:
            return Drained::AllRead;  // other types, the session's own notices included
    }
}

StationNext StationMonitor::CloseButton() {
    if (closed_ || !state_.Command3Enabled) {
        return StationNext::Stay;
    }
    CloseStation();
    return StationNext::EndProgram;
}

void StationMonitor::CloseBox() {
    if (!closed_) {
        CloseStation();
    }
}

void StationMonitor::ShowBoxFromTick(BoxIcon icon, const char* text) {
    state_.PlayerTimerEnabled = false;
    Changed();
    boxes_.Show(icon, text);
}

void StationMonitor::CloseStation() {
    closed_ = true;
    state_.Label1 = kPleaseWaitText;
    state_.Label1Colour = kGrey;
    state_.Shape2 = LampFill::DiagonalCross;
    state_.Shape3 = LampFill::DiagonalCross;
    state_.Command1Enabled = false;
    state_.Command2Enabled = false;
    state_.Command3Enabled = false;
    Changed();

    // The player, then the session; a failure skips what follows it. The DirectPlay object is
    // released whatever happened, so no link outlives the station.
    if (DirectPlay* link = session_.DirectPlayObject.get()) {
        if (link->DestroyPlayer(session_.LocalPlayerId)) {
            link->Close();
        }
    }
    session::CloseDirectPlay(session_);
    session_.LocalPlayerId = 0;

    state_.PlayerTimerEnabled = false;
    ClearChosenAirport(airport_, terrain_);
    ClearStationTables(tables_);
    Changed();
}

void StationMonitor::Changed() {
    if (observer_) {
        observer_();
    }
}

}  // namespace corvane::station
