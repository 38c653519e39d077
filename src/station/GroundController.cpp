#include "station/GroundController.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "nav/Geometry.h"
#include "shared/Text.h"
#include "station/RunwayOccupancy.h"
#include "station/StationState.h"
#include "station/TaxiRouting.h"

namespace corvane::station {

namespace {

constexpr const char* kGroundMenu =
    "Choose one of the following options for the Ground frequency: ";
constexpr const char* kAcknowledgeHold = "Acknowledge hold position";
constexpr const char* kHold = "Hold position";

struct Availability {
    bool gate = false;
    bool parking = false;
};

bool HasTaxiNetwork(const ChosenAirport& a) {
    return a.TaxiPaths.size() > 1 && a.TaxiNodes.size() > 1;
}

bool IsGate(const ParkingSpot& spot) {
    return ContainsIgnoreCase(spot.name, "GATE");
}

bool Holding(const TrafficRecord& r) {
    return r.status == kAcknowledgeHold || r.status == kHold;
}

std::string TuneTower(const std::string& cs, const std::string& ident) {
    return cs + ". " + kGroundMenu + "1-Tune " + ident + " Tower Frequency 2-Close ATC Services";
}

std::string ReportParking(const std::string& cs) {
    return cs + ", Report us when you are parked in the gate or parking. " + kGroundMenu +
           "1-Report Parking 2-Close ATC Services";
}

std::string HoldMessage(const std::string& cs) {
    return cs + ", Hold position, caution other traffic. " + kGroundMenu +
           "1-Acknowledge 2-Close ATC Services";
}

std::string CloseOnly(const std::string& cs) {
    return cs + ". " + kGroundMenu + "1-Close ATC Services";
}

// Step 2: which parking places can be offered.
Availability MarkParkingPlaces(StationContext& context) {
    Availability result;
    ChosenAirport& a = context.airport;
    if (!HasParkingData(a)) {
        return result;
    }
    StationTables::ParkingAvailability& check = context.tables.ParkingCheck;
    const size_t reservations = context.tables.TaxiReservations.size();
    const uint32_t nextSerial = context.tables.NextReservationSerial;
    if (context.tables.RunwayCheck.inPass && check.known && check.reservations == reservations &&
        check.nextSerial == nextSerial) {
        return {check.gate, check.parking};  // the places keep the marks of that reckoning
    }
    // Which places a parking path reaches, in one pass over the paths.
    std::vector<uint8_t> reached(a.ParkingSpots.size(), 0);
    for (const TaxiPath& p : a.TaxiPaths) {
        if (p.kind == 2 && p.endNode >= 0 && static_cast<size_t>(p.endNode) < reached.size()) {
            reached[static_cast<size_t>(p.endNode)] = 1;
        }
    }
    for (size_t i = 0; i < a.ParkingSpots.size(); ++i) {
        ParkingSpot& spot = a.ParkingSpots[i];
        spot.unavailable = reached[i] ? 0 : 1;
        // A change of latitude alone of more than the radius keeps an aircraft off the place.
        const double radiusDegrees = (spot.radiusFt + 2.0) / 6080.0 / 60.0;
        for (const TrafficRecord& r : context.tables.Traffic) {
            if (std::abs(r.latitude - spot.lat) <= radiusDegrees &&
                nav::DistanceFeet(spot.lat, spot.lon, r.latitude, r.longitude) < spot.radiusFt) {
                spot.unavailable = 1;
                break;
            }
        }
        for (const TaxiReservation& m : context.tables.TaxiReservations) {
            if (EqualsIgnoreCase(spot.name, m.destinationName)) {
                spot.unavailable = 1;
                break;
            }
        }
        if (spot.unavailable == 0) {
            (IsGate(spot) ? result.gate : result.parking) = true;
        }
    }
    if (context.tables.RunwayCheck.inPass) {
        check = {true, reservations, nextSerial, result.gate, result.parking};
    }
    return result;
}

bool LiveStep(const TaxiPath& s) {
    return s.startNode != -1 && s.endNode != -1;
}

const TaxiNode* NodeAt(const ChosenAirport& a, int32_t index) {
    return index >= 0 && static_cast<size_t>(index) < a.TaxiNodes.size()
               ? &a.TaxiNodes[static_cast<size_t>(index)]
               : nullptr;
}

// Sets the message of a pilot other than the one whose turn it is so that it is sent this pass.
void SetMessage(StationContext& context, const TrafficRecord& current, size_t index,
                std::string text) {
    TrafficRecord& target = context.tables.Traffic[index];
    if (&target == &current) {
        target.pendingMenu = std::move(text);
    } else {
        SetOtherPilotMessage(context.tables, index, std::move(text));
    }
}

uint64_t Mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
    return h;
}

uint64_t Bits(double d) {
    uint64_t u = 0;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

// Everything the junction rules and the progress rule read apart from statuses and queues: the
// positions, the routes with their passed steps, and the network.
uint64_t Fingerprint(const StationContext& context) {
    const StationTables& t = context.tables;
    uint64_t h = Mix(t.Traffic.size(), t.TaxiReservations.size());
    h = Mix(h, std::hash<std::string>{}(context.airport.RunwayName));
    h = Mix(h, reinterpret_cast<uintptr_t>(context.airport.TaxiNodes.data()));
    h = Mix(h, context.airport.TaxiNodes.size());
    for (const TrafficRecord& r : t.Traffic) {
        h = Mix(h, std::hash<std::string>{}(r.callsign));
        h = Mix(h, Bits(r.latitude));
        h = Mix(h, Bits(r.longitude));
    }
    for (const TaxiReservation& r : t.TaxiReservations) {
        h = Mix(h, r.serial);
        h = Mix(h, std::hash<std::string>{}(r.callsign));
        h = Mix(h, r.route.size());
        for (const TaxiPath& step : r.route) {
            h = Mix(h, static_cast<uint32_t>(step.startNode));
            h = Mix(h, static_cast<uint32_t>(step.endNode));
        }
    }
    return h;
}

// The fingerprint, taken afresh outside a pass, after steps were marked passed (`renew`) and when
// the reservations changed; otherwise the one taken earlier in the same pass.
uint64_t PassFingerprintOf(const StationContext& context, bool renew) {
    StationTables& t = context.tables;
    StationTables::PassFingerprint& kept = t.GroundFingerprint;
    const size_t reservations = t.TaxiReservations.size();
    if (!t.RunwayCheck.inPass) {
        return Fingerprint(context);
    }
    if (renew || !kept.known || kept.reservations != reservations ||
        kept.nextSerial != t.NextReservationSerial) {
        kept = {true, reservations, t.NextReservationSerial, Fingerprint(context)};
    }
    return kept.value;
}

// Who gives way to whom at junctions, and who still has the active runway ahead: fixed as long as
// positions and routes are.
void BuildBookkeeping(StationContext& context, uint64_t fingerprint) {
    const ChosenAirport& a = context.airport;
    StationTables& t = context.tables;
    auto& g = t.Ground;
    const size_t count = t.TaxiReservations.size();
    g.aircraft.assign(count, -1);
    g.rivals.assign(count, {});
    g.usesActiveRunway.assign(count, 0);
    const std::string runwayPath = AsciiLower("runway " + a.RunwayName);
    struct Arrival {
        int32_t node;
        int32_t from;
        size_t reservation;
        bool operator<(const Arrival& o) const { return node < o.node; }
    };
    std::vector<Arrival> arrivals;
    for (size_t r = 0; r < count; ++r) {
        const TaxiReservation& res = t.TaxiReservations[r];
        g.aircraft[r] = FindTraffic(t, res.callsign);
        for (const TaxiPath& step : res.route) {
            if (!LiveStep(step)) {
                continue;
            }
            arrivals.push_back({step.endNode, step.startNode, r});
            if (EqualsIgnoreCase(step.name, runwayPath)) {
                g.usesActiveRunway[r] = 1;
            }
        }
    }
    std::sort(arrivals.begin(), arrivals.end());
    for (size_t ra = 0; ra < count; ++ra) {
        const int ia = g.aircraft[ra];
        if (ia < 0) {
            continue;
        }
        const TrafficRecord& aircraftA = t.Traffic[static_cast<size_t>(ia)];
        for (const TaxiPath& s : t.TaxiReservations[ra].route) {
            const TaxiNode* node = NodeAt(a, s.endNode);
            if (!LiveStep(s) || node == nullptr) {
                continue;
            }
            // The two routes reach the same node from different segments.
            auto [first, last] =
                std::equal_range(arrivals.begin(), arrivals.end(), Arrival{s.endNode, 0, 0});
            for (auto it = first; it != last; ++it) {
                const int ib = g.aircraft[it->reservation];
                if (it->reservation == ra || it->from == s.startNode || ib < 0) {
                    continue;
                }
                const TrafficRecord& aircraftB = t.Traffic[static_cast<size_t>(ib)];
                const int dA = nav::DistanceFeet(aircraftA.latitude, aircraftA.longitude, node->lat,
                                                 node->lon);
                const int dB = nav::DistanceFeet(aircraftB.latitude, aircraftB.longitude, node->lat,
                                                 node->lon);
                if (dA > dB) {
                    g.rivals[ra].push_back(ib);
                }
            }
        }
        auto& rivals = g.rivals[ra];
        std::sort(rivals.begin(), rivals.end());
        rivals.erase(std::unique(rivals.begin(), rivals.end()), rivals.end());
    }
    g.fingerprint = fingerprint;
    g.valid = true;
}

// Step 3: hold the aircraft farther from a shared junction while the nearer one is moving, and
// any aircraft about to use the active runway while it is busy; release them when that no longer
// holds.
//
// The decisions are taken round after round with the holds they make, until they stand still,
// and only then told: an aircraft whose rival is told to hold in the same run goes on rather than
// hearing "hold" and "continue" at once. A ring of aircraft waiting on each other never stands
// still; its last round counts, and within a dispatcher pass each aircraft is told once.
void ResolveTaxiConflicts(StationContext& context, const TrafficRecord& current,
                          bool runwayOccupied, uint64_t fingerprint) {
    const ChosenAirport& a = context.airport;
    StationTables& t = context.tables;
    if (!t.Ground.valid || t.Ground.fingerprint != fingerprint) {
        BuildBookkeeping(context, fingerprint);
    }
    const auto& g = t.Ground;
    const bool runwayBusy =
        !TakeoffQueueHead(t).empty() || runwayOccupied || !LandingQueueHead(t).empty();
    const size_t count = t.TaxiReservations.size();
    // Rivals are aircraft of reservations too: only theirs are read.
    std::vector<uint8_t> holding(t.Traffic.size(), 0);
    for (size_t ra = 0; ra < count; ++ra) {
        if (g.aircraft[ra] >= 0) {
            const auto i = static_cast<size_t>(g.aircraft[ra]);
            holding[i] = Holding(t.Traffic[i]) ? 1 : 0;
        }
    }
    bool changed = true;
    for (size_t round = 0; changed && round <= count; ++round) {
        changed = false;
        for (size_t ra = 0; ra < count; ++ra) {
            const int ia = g.aircraft[ra];
            if (ia < 0) {
                continue;
            }
            bool mustHold = runwayBusy && g.usesActiveRunway[ra] != 0;
            for (size_t k = 0; k < g.rivals[ra].size() && !mustHold; ++k) {
                mustHold = holding[static_cast<size_t>(g.rivals[ra][k])] == 0;
            }
            uint8_t& mine = holding[static_cast<size_t>(ia)];
            if (mine != (mustHold ? 1 : 0)) {
                mine = mustHold ? 1 : 0;
                changed = true;
            }
        }
    }
    for (size_t ra = 0; ra < count; ++ra) {
        const int ia = g.aircraft[ra];
        if (ia < 0) {
            continue;
        }
        const size_t index = static_cast<size_t>(ia);
        const bool mustHold = holding[index] != 0;
        const std::string cs = t.Traffic[index].callsign;
        if (mustHold == Holding(t.Traffic[index])) {
            continue;
        }
        if (t.RunwayCheck.inPass) {
            auto& told = t.TaxiTurnsThisPass;
            if (std::find(told.begin(), told.end(), cs) != told.end()) {
                continue;
            }
            told.push_back(cs);
        }
        if (mustHold) {
            SetMessage(context, current, index, HoldMessage(cs));
            t.Traffic[index].status = kAcknowledgeHold;
        } else if (t.TaxiReservations[ra].destinationKind == kDestinationRunway) {
            SetMessage(context, current, index,
                       cs + ", Continue taxi. " + kGroundMenu + "1-Tune " + a.AirportIdent +
                           " Tower Frequency 2-Close ATC Services");
            t.Traffic[index].status = "Taxiing to runway";
        } else {
            SetMessage(context, current, index,
                       cs +
                           ", Continue taxi. Report us when you are parked in the gate or "
                           "parking. " +
                           kGroundMenu + "1-Report Parking 2-Close ATC Services");
            t.Traffic[index].status = "Taxiing to gate";
        }
    }
}

// Step 4: steps before the one the aircraft is on are marked passed. Marking again with the same
// positions and routes changes nothing, so it is skipped then.
void TrackProgress(StationContext& context, uint64_t fingerprint) {
    const ChosenAirport& a = context.airport;
    const auto& grid = context.terrain.MagVarGrid;
    StationTables& t = context.tables;
    if (t.Ground.valid && t.Ground.trackedAt == fingerprint) {
        return;
    }
    bool marked = false;
    for (TaxiReservation& r : t.TaxiReservations) {
        const int ia = FindTraffic(t, r.callsign);
        if (ia < 0) {
            continue;
        }
        const TrafficRecord& ac = t.Traffic[static_cast<size_t>(ia)];
        for (size_t k = 0; k < r.route.size(); ++k) {
            const TaxiPath& step = r.route[k];
            const TaxiNode* s = NodeAt(a, step.startNode);
            const TaxiNode* e = NodeAt(a, step.endNode);
            if (!LiveStep(step) || s == nullptr || e == nullptr) {
                continue;
            }
            // The distances first: they rule out most steps without the two bearings.
            if (nav::DistanceFeet(s->lat, s->lon, ac.latitude, ac.longitude) >
                nav::DistanceFeet(s->lat, s->lon, e->lat, e->lon)) {
                continue;
            }
            const int16_t segment = nav::MagneticBearing(grid, s->lat, s->lon, e->lat, e->lon);
            int16_t bearing = nav::MagneticBearing(grid, s->lat, s->lon, ac.latitude, ac.longitude);
            if (nav::HeadingInSweep(bearing,
                                    nav::NormalizeHeading(static_cast<int16_t>(segment - 30)),
                                    nav::NormalizeHeading(static_cast<int16_t>(segment + 30)))) {
                for (size_t j = 0; j < k; ++j) {
                    marked = marked || LiveStep(r.route[j]);
                    r.route[j].startNode = -1;
                    r.route[j].endNode = -1;
                }
                break;
            }
        }
    }
    t.Ground.trackedAt = marked ? PassFingerprintOf(context, true) : fingerprint;
}

std::string InitialMenu(const ChosenAirport& a, const std::string& cs, Availability free) {
    int n = 1;
    std::string text = cs + ". " + kGroundMenu + "1-Request Taxi to Runway";
    if (HasParkingData(a)) {
        if (free.gate) {
            text += " " + std::to_string(++n) + "-Request Taxi to Gate";
        }
        if (free.parking) {
            text += " " + std::to_string(++n) + "-Request Taxi to Parking";
        }
    }
    return text + " " + std::to_string(++n) + "-Close ATC Services";
}

const ParkingSpot* FirstFree(const ChosenAirport& a, bool gate) {
    for (const ParkingSpot& spot : a.ParkingSpots) {
        if (spot.unavailable == 0 && IsGate(spot) == gate) {
            return &spot;
        }
    }
    return nullptr;
}

void TaxiToRunway(StationContext& context, TrafficRecord& pilot) {
    const ChosenAirport& a = context.airport;
    if (HasTaxiNetwork(a)) {
        PlanTaxiRoute(
            context, pilot,
            {a.RunwayName, kDestinationRunway, a.RunwayLat, a.RunwayLon, a.FieldElevation});
        return;
    }
    pilot.pendingMenu = pilot.callsign + ", Taxi to and hold short runway " + a.RunwayName +
                        ". Contact tower on " + a.TowerFreq + " when ready. " + kGroundMenu +
                        "1-Acknowledge 2-Close ATC Services";
    pilot.choice = 0;
    pilot.status = "Acknowledge taxi to runway";
}

// A gate or parking place to taxi to; when the one offered has been taken meanwhile, the menu is
// offered again with what is still free and the answer is spent.
void TaxiToParkingPlace(StationContext& context, TrafficRecord& pilot, bool gate,
                        Availability free) {
    const ParkingSpot* spot = FirstFree(context.airport, gate);
    if (spot == nullptr) {
        pilot.pendingMenu = InitialMenu(context.airport, pilot.callsign, free);
        pilot.choice = 0;
        return;
    }
    PlanTaxiRoute(context, pilot, {spot->name, kDestinationParking, spot->lat, spot->lon, 0});
}

bool CloseChosen(StationContext& context, TrafficRecord& pilot) {
    if (OptionChosen(pilot, "Close ATC Services")) {
        ClosePilotServices(context.tables, pilot);
        return true;
    }
    return false;
}

// The rows both flight types share.
bool CommonRow(StationContext& context, TrafficRecord& pilot) {
    const std::string& cs = pilot.callsign;
    const ChosenAirport& a = context.airport;
    const bool answer = pilot.choice != 0;
    if (pilot.status == "Acknowledge taxi to runway") {
        if (OptionChosen(pilot, "Acknowledge")) {
            pilot.pendingMenu = TuneTower(cs, a.AirportIdent);
            pilot.choice = 0;
            pilot.status = "Taxiing to runway";
        }
        CloseChosen(context, pilot);
        return true;
    }
    if (pilot.status == kAcknowledgeHold) {
        if (!answer) {
            pilot.pendingMenu = HoldMessage(cs);
            return true;
        }
        if (OptionChosen(pilot, "Acknowledge")) {
            pilot.pendingMenu = CloseOnly(cs);
            pilot.choice = 0;
            pilot.status = kHold;
        }
        CloseChosen(context, pilot);
        return true;
    }
    if (pilot.status == kHold) {
        if (!answer) {
            pilot.pendingMenu = CloseOnly(cs);
        }
        CloseChosen(context, pilot);
        return true;
    }
    if (pilot.status == "Taxiing to runway") {
        if (!answer) {
            const std::string tune = TuneTower(cs, a.AirportIdent);
            if (!ContainsIgnoreCase(pilot.pendingMenu, tune.substr(cs.size() + 2))) {
                pilot.pendingMenu = tune;
            }
            return true;
        }
        if (OptionChosen(pilot, "Tune " + a.AirportIdent + " Tower Frequency")) {
            pilot.pendingMenu = cs +
                                ". Choose one of the following options for the Tower frequency: "
                                "1-Close ATC Services";
            pilot.choice = 0;
            pilot.status = "Taxiing to runway";
            pilot.frequency = a.TowerFreq;
            ReleaseTaxiReservations(context.tables, cs);
        }
        CloseChosen(context, pilot);
        return true;
    }
    if (pilot.status == "Contact Ground") {
        // Landed IFR pilots arrive here too and go on as VFR, with the gate and parking dialogue.
        if (!answer) {
            pilot.pendingMenu.clear();
            pilot.flightType = 0;
            pilot.status.clear();
        }
        return true;
    }
    return false;
}

void VfrDialogue(StationContext& context, TrafficRecord& pilot, Availability free) {
    const std::string& cs = pilot.callsign;
    const bool answer = pilot.choice != 0;
    if (pilot.status.empty()) {
        if (!answer) {
            pilot.pendingMenu = InitialMenu(context.airport, cs, free);
            return;
        }
        const bool parkingData = HasParkingData(context.airport);
        if (OptionChosen(pilot, "Request Taxi to Runway")) {
            TaxiToRunway(context, pilot);
        } else if (parkingData && OptionChosen(pilot, "Request Taxi to Gate")) {
            TaxiToParkingPlace(context, pilot, true, free);
        } else if (parkingData && OptionChosen(pilot, "Request Taxi to Parking")) {
            TaxiToParkingPlace(context, pilot, false, free);
        }
        CloseChosen(context, pilot);
        return;
    }
    if (pilot.status == "Acknowledge taxi to gate") {
        if (OptionChosen(pilot, "Acknowledge")) {
            pilot.pendingMenu = ReportParking(cs);
            pilot.choice = 0;
            pilot.status = "Taxiing to gate";
        }
        CloseChosen(context, pilot);
        return;
    }
    if (pilot.status == "Taxiing to gate") {
        if (!answer) {
            const std::string report = ReportParking(cs);
            if (!ContainsIgnoreCase(pilot.pendingMenu, report.substr(cs.size() + 2))) {
                pilot.pendingMenu = report;
            }
            return;
        }
        if (OptionChosen(pilot, "Report Parking")) {
            pilot.pendingMenu =
                cs + ". " + kGroundMenu +
                "1-Request Taxi to Runway 2-Request Taxi to Gate 3-Close ATC Services";
            pilot.choice = 0;
            pilot.status.clear();
            ReleaseTaxiReservations(context.tables, cs);
        }
        CloseChosen(context, pilot);
        return;
    }
    CommonRow(context, pilot);
}

void IfrDialogue(StationContext& context, TrafficRecord& pilot) {
    if (pilot.status.empty()) {
        if (pilot.choice == 0) {
            pilot.pendingMenu =
                pilot.callsign + ". " + kGroundMenu + "1-Request Taxi IFR 2-Close ATC Services";
            return;
        }
        if (OptionChosen(pilot, "Request Taxi IFR")) {
            TaxiToRunway(context, pilot);
        }
        CloseChosen(context, pilot);
        return;
    }
    CommonRow(context, pilot);
}

}  // namespace

bool HasParkingData(const ChosenAirport& a) {
    return HasTaxiNetwork(a) && !a.ParkingSpots.empty() && !a.ParkingSpots[0].name.empty();
}

void RunGroundController(StationContext& context, TrafficRecord& pilot) {
    const bool occupied = RunwayOccupied(context, pilot);
    const Availability free = MarkParkingPlaces(context);
    if (!context.tables.TaxiReservations.empty()) {
        // Positions and routes stand still between the two steps: one fingerprint serves both.
        const uint64_t fingerprint = PassFingerprintOf(context, false);
        ResolveTaxiConflicts(context, pilot, occupied, fingerprint);
        TrackProgress(context, fingerprint);
    }

    const int32_t field = context.airport.FieldElevation;
    if (pilot.altitudeFt > field + 300) {
        if (pilot.flightType == 0) {
            pilot.pendingMenu =
                pilot.callsign + ", You were not cleared for takeoff. Ground Services terminated.";
            pilot.choice = 0;
            pilot.flightType = 0;
            pilot.frequency.clear();
            pilot.status.clear();
            ReleaseTaxiReservations(context.tables, pilot.callsign);
        } else if (pilot.flightType == 1) {
            ClosePilotServices(context.tables, pilot);
        }
        return;
    }
    if (pilot.altitudeFt == field + 300) {
        return;
    }
    if (pilot.flightType == 0) {
        VfrDialogue(context, pilot, free);
    } else if (pilot.flightType == 1) {
        IfrDialogue(context, pilot);
    }
}

}  // namespace corvane::station
