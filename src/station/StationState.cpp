#include "station/StationState.h"

#include <algorithm>

namespace corvane::station {

namespace {

const std::string kEmpty;

void Dequeue(std::vector<std::string>& queue, std::string_view callsign) {
    const auto last = std::find(queue.rbegin(), queue.rend(), callsign);
    if (last != queue.rend()) {
        queue.erase(std::next(last).base());
    }
}

}  // namespace

void EnqueueTakeoff(StationTables& tables, const std::string& callsign) {
    tables.TakeoffQueue.push_back(callsign);
}

void EnqueueLanding(StationTables& tables, const std::string& callsign) {
    tables.LandingQueue.push_back(callsign);
}

void DequeueTakeoff(StationTables& tables, std::string_view callsign) {
    Dequeue(tables.TakeoffQueue, callsign);
}

void DequeueLanding(StationTables& tables, std::string_view callsign) {
    Dequeue(tables.LandingQueue, callsign);
}

const std::string& TakeoffQueueHead(const StationTables& tables) {
    return tables.TakeoffQueue.empty() ? kEmpty : tables.TakeoffQueue.front();
}

const std::string& LandingQueueHead(const StationTables& tables) {
    return tables.LandingQueue.empty() ? kEmpty : tables.LandingQueue.front();
}

void ReleaseTaxiReservations(StationTables& tables, std::string_view callsign) {
    std::erase_if(tables.TaxiReservations,
                  [&](const TaxiReservation& r) { return r.callsign == callsign; });
}

TrafficRecord BlankTrafficRecord() {
    TrafficRecord r;
    r.aircraftType = "Unknown";
    return r;
}

void ClosePilotServices(StationTables& tables, TrafficRecord& pilot) {
    const std::string callsign = pilot.callsign;
    while (std::find(tables.TakeoffQueue.begin(), tables.TakeoffQueue.end(), callsign) !=
           tables.TakeoffQueue.end()) {
        DequeueTakeoff(tables, callsign);
    }
    while (std::find(tables.LandingQueue.begin(), tables.LandingQueue.end(), callsign) !=
           tables.LandingQueue.end()) {
        DequeueLanding(tables, callsign);
    }
    ReleaseTaxiReservations(tables, callsign);
    pilot.atcActive = 0;
    pilot.frequency.clear();
    pilot.pendingMenu.clear();
    pilot.choice = 0;
    pilot.text1.clear();
    pilot.text2.clear();
    pilot.text3.clear();
    pilot.vectorTarget = GeoPoint{};
    pilot.flightType = 0;
    pilot.compassWord.clear();
    pilot.status.clear();
}

void PurgeAbsentTraffic(StationTables& tables) {
    auto& traffic = tables.Traffic;
    for (size_t i = 0; i < traffic.size();) {
        if (traffic[i].present == kFalse) {
            ClosePilotServices(tables, traffic[i]);
            traffic.erase(traffic.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;  // the record that moved up into i is examined too
        }
    }
}

int FindTraffic(const StationTables& tables, std::string_view callsign) {
    for (size_t i = 0; i < tables.Traffic.size(); ++i) {
        if (tables.Traffic[i].callsign == callsign) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void SetOtherPilotMessage(StationTables& tables, size_t index, std::string text) {
    if (index >= tables.Traffic.size()) {
        return;
    }
    auto& touched = tables.OtherPilotMessages;
    const bool known = std::any_of(touched.begin(), touched.end(),
                                   [&](const auto& entry) { return entry.first == index; });
    if (!known) {
        touched.emplace_back(index, tables.Traffic[index].pendingMenu);
    }
    tables.Traffic[index].pendingMenu = std::move(text);
}

}  // namespace corvane::station
