#pragma once
// The station's table procedures: the take-off and landing queues, taxi reservations, the end of a
// pilot's services and the roll-call purge. Queues hold callsigns, head first; a callsign queued
// twice is removed from its last place first.

#include <string>
#include <string_view>

#include "shared/State.h"

namespace corvane::station {

void EnqueueTakeoff(StationTables& tables, const std::string& callsign);
void EnqueueLanding(StationTables& tables, const std::string& callsign);
// Removes the last occurrence; a callsign that is not queued changes nothing.
void DequeueTakeoff(StationTables& tables, std::string_view callsign);
void DequeueLanding(StationTables& tables, std::string_view callsign);

// The head of a queue, or an empty text when the queue is empty.
const std::string& TakeoffQueueHead(const StationTables& tables);
const std::string& LandingQueueHead(const StationTables& tables);

// Removes every taxi reservation of the callsign; the others keep their order.
void ReleaseTaxiReservations(StationTables& tables, std::string_view callsign);

// A blank record of the table: no callsign, numbers 0, "Unknown" aircraft, no ATC state.
TrafficRecord BlankTrafficRecord();

// Resets the pilot's ATC state (atcActive onwards) and removes him from both queues and the taxi
// reservations. His identity, position and aircraft type stay.
void ClosePilotServices(StationTables& tables, TrafficRecord& pilot);

// Removes every record whose `present` is false (closing its services first), keeping the order of
// the others.
void PurgeAbsentTraffic(StationTables& tables);

// The index of the record with this callsign, or -1. Records are keyed by callsign, never by a
// remembered index, because the table is compacted by the purge.
int FindTraffic(const StationTables& tables, std::string_view callsign);

// Sets another pilot's message during the current pilot's turn, so the dispatcher sends it in the
// same pass (the ground controller's hold and release messages).
void SetOtherPilotMessage(StationTables& tables, size_t index, std::string text);

}  // namespace corvane::station
