#include "station/Dispatcher.h"

#include <algorithm>
#include <string>

#include "nav/Geometry.h"
#include "station/Ctaf.h"
#include "station/GroundController.h"
#include "station/PilotAnswers.h"
#include "station/RadarControllers.h"
#include "station/StationState.h"
#include "station/TowerController.h"

namespace corvane::station {

namespace {

void RemoveSayAgain(std::string& text) {
    for (size_t at = text.find(kSayAgainMark); at != std::string::npos;
         at = text.find(kSayAgainMark)) {
        text.erase(at, kSayAgainMark.size());
    }
}

// Sends the record's message to every pilot whose frequency equals his, in table order, when it
// differs from `oldText` and is not empty.
void SendIfChanged(const StationTables& tables, const TrafficRecord& pilot,
                   const std::string& oldText, ChatSender& chat) {
    if (pilot.pendingMenu.empty() || pilot.pendingMenu == oldText) {
        return;
    }
    std::vector<int32_t> recipients;
    for (const TrafficRecord& other : tables.Traffic) {
        if (other.frequency == pilot.frequency) {
            recipients.push_back(other.playerId);
        }
    }
    chat.SendChatLine(pilot.pendingMenu, recipients);
}

void OpeningDialogue(StationContext& context, TrafficRecord& pilot) {
    const std::string& ident = context.airport.AirportIdent;
    if (pilot.choice != 0) {
        if (OptionChosen(pilot, "Use ATC services")) {
            pilot.pendingMenu =
                pilot.callsign +
                ". What type of flight you want to fly?: 1-VFR 2-IFR 3-Close ATC Services";
            pilot.choice = 0;
        }
        for (const auto& [option, type] :
             {std::pair{"VFR", uint8_t{0}}, std::pair{"IFR", uint8_t{1}}}) {
            if (OptionChosen(pilot, option)) {
                pilot.pendingMenu =
                    pilot.callsign + ". Choose one of the following options: 1-Close ATC Services";
                pilot.choice = 0;
                pilot.flightType = type;
                pilot.atcActive = 1;
            }
        }
        if (OptionChosen(pilot, "Close ATC Services")) {
            ClosePilotServices(context.tables, pilot);
        }
        return;
    }
    if (pilot.pendingMenu.empty() && !pilot.callsign.empty() && pilot.playerId > 0) {
        pilot.pendingMenu =
            pilot.callsign +
            ". Welcome to Corvane v1.1 (by Quorvel). Want to use our ATC services at " + ident +
            "?: 1-Use ATC services";
    }
}

void FrequencyMenu(StationContext& context, TrafficRecord& pilot) {
    const ChosenAirport& a = context.airport;
    const bool vfr = pilot.flightType == 0;
    const std::string base = pilot.callsign + ". Choose one of the following options";
    if (pilot.choice != 0) {
        struct Tune {
            std::string option;
            const char* service;
            const std::string& frequency;
            bool forIfr;
        };
        const Tune tunes[] = {
            {"Tune ARTCC Frequency", "ARTCC", a.CenterFreq, true},
            {"Tune Approach Frequency", "Approach", a.ApproachFreq, true},
            {"Tune " + a.AirportIdent + " Tower Frequency", "Tower", a.TowerFreq, false},
            {"Tune " + a.AirportIdent + " Ground Frequency", "Ground", a.GroundFreq, true},
        };
        for (const Tune& t : tunes) {
            if ((vfr || t.forIfr) && OptionChosen(pilot, t.option)) {
                pilot.pendingMenu =
                    base + " for the " + t.service + " frequency: 1-Close ATC Services";
                pilot.frequency = t.frequency;
                pilot.choice = 0;
            }
        }
        if (OptionChosen(pilot, "Close ATC Services")) {
            ClosePilotServices(context.tables, pilot);
        }
        return;
    }

    const int32_t altitude = pilot.altitudeFt;
    const int32_t field = a.FieldElevation;
    const int distance = context.tables.AirportDistanceNm;
    const std::string menu = base + ": 1-Close ATC Services";
    pilot.pendingMenu = menu;
    if (altitude > field + 300 && distance < 200) {
        pilot.pendingMenu = menu + " 2-Tune ARTCC Frequency";
    }
    if (field + 300 < altitude && altitude < field + 10000 && distance < 20 &&
        !a.ApproachFreq.empty()) {
        pilot.pendingMenu = menu + " 2-Tune Approach Frequency";
    }
    if (vfr && altitude > field + 300 && distance < 15) {
        pilot.pendingMenu +=
            (pilot.pendingMenu.find("2-") == std::string::npos ? " 2-Tune " : " 3-Tune ") +
            a.AirportIdent + " Tower Frequency";
    }
    if (altitude < field + 300 && distance < 20) {
        pilot.pendingMenu += " 2-Tune " + a.AirportIdent + " Ground Frequency";
    }
}

void InService(StationContext& context, TrafficRecord& pilot) {
    nav::UpdateCompassPosition(context.airport, context.terrain.MagVarGrid, context.tables, pilot);
    const ChosenAirport& a = context.airport;
    if (!pilot.frequency.empty()) {
        // Each service's controller takes the pilot from here on.
        switch (ServiceOfFrequency(a, pilot.frequency)) {
            case Service::Ground:
                RunGroundController(context, pilot);
                break;
            case Service::Tower:
                RunTowerController(context, pilot);
                break;
            case Service::Approach:
                RunApproachController(context, pilot);
                break;
            case Service::Center:
                RunCenterController(context, pilot);
                break;
            case Service::None:
                break;
        }
        return;
    }
    if (a.TowerFreq.empty() || a.GroundFreq.empty()) {
        RunCtafAdvisory(context, pilot);
        return;
    }
    if (pilot.flightType == 0 || pilot.flightType == 1) {
        FrequencyMenu(context, pilot);
    }
}

}  // namespace

void DispatchPilotDialogue(StationContext& context, ChatSender& chat) {
    StationTables& tables = context.tables;
    // Nothing moves during the pass: what depends on positions only is worked out once for it.
    tables.ResetPass(true);
    struct EndOfPass {
        StationTables& tables;
        ~EndOfPass() { tables.ResetPass(false); }
    } endOfPass{tables};
    const size_t count = tables.Traffic.size();
    for (size_t i = 0; i < count && i < tables.Traffic.size(); ++i) {
        tables.OtherPilotMessages.clear();
        const std::string oldText = tables.Traffic[i].pendingMenu;
        TrafficRecord& pilot = tables.Traffic[i];
        if (pilot.pendingMenu.find(kSayAgainMark) != std::string::npos) {
            RemoveSayAgain(pilot.pendingMenu);
        } else if (pilot.atcActive == 0) {
            OpeningDialogue(context, pilot);
        } else if (pilot.atcActive == 1) {
            InService(context, pilot);
        }
        SendIfChanged(tables, tables.Traffic[i], oldText, chat);
        // Messages a controller wrote for other pilots during this turn follow at once.
        std::sort(tables.OtherPilotMessages.begin(), tables.OtherPilotMessages.end());
        for (const auto& [index, before] : tables.OtherPilotMessages) {
            if (index != i && index < tables.Traffic.size()) {
                SendIfChanged(tables, tables.Traffic[index], before, chat);
            }
        }
        tables.OtherPilotMessages.clear();
    }
}

}  // namespace corvane::station
