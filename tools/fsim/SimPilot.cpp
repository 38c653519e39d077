#include "fsim/SimPilot.h"

#include <algorithm>
#include <cmath>

namespace corvane::fsim {

namespace {

constexpr double kLightFinalNm = 1.5;
constexpr double kJetFinalNm = 4.0;
constexpr double kGoAroundDecisionNm = 1.3;  // not cleared to land this close in: go around
constexpr double kAdvisoryRepeatSeconds = 5.0;
constexpr double kNudgeSeconds = 20.0;
constexpr double kHoldingNm = 15.0;
constexpr double kMaxDownwindExtensionNm = 5.0;

struct KindEntry {
    FlightKind kind;
    std::string_view name;
};
constexpr KindEntry kKinds[] = {
    {FlightKind::VfrPattern, "vfr-pattern"}, {FlightKind::VfrDeparture, "vfr-departure"},
    {FlightKind::VfrArrival, "vfr-arrival"}, {FlightKind::IfrDeparture, "ifr-departure"},
    {FlightKind::IfrArrival, "ifr-arrival"}, {FlightKind::Ctaf, "ctaf"},
};

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string_view KindName(FlightKind kind) {
    for (const KindEntry& k : kKinds) {
        if (k.kind == kind) {
            return k.name;
        }
    }
    return "";
}

std::optional<FlightKind> KindFromName(std::string_view name) {
    for (const KindEntry& k : kKinds) {
        if (k.name == name) {
            return k.kind;
        }
    }
    return std::nullopt;
}

bool IsIfr(FlightKind kind) {
    return kind == FlightKind::IfrDeparture || kind == FlightKind::IfrArrival;
}

std::string_view PhaseName(Phase phase) {
    switch (phase) {
        case Phase::Parked:
            return "parked";
        case Phase::TaxiOut:
            return "taxiing out";
        case Phase::HoldingPosition:
            return "holding position";
        case Phase::HoldingShort:
            return "holding short";
        case Phase::LiningUp:
            return "lining up";
        case Phase::TakeoffRoll:
            return "take-off roll";
        case Phase::Climbout:
            return "climbing out";
        case Phase::Departing:
            return "departing";
        case Phase::Inbound:
            return "inbound";
        case Phase::Vectors:
            return "radar vectors";
        case Phase::Approach:
            return "cleared for the approach";
        case Phase::Pattern:
            return "traffic pattern";
        case Phase::Final:
            return "final";
        case Phase::GoingAround:
            return "going around";
        case Phase::LandingRoll:
            return "landing roll";
        case Phase::Exiting:
            return "leaving the runway";
        case Phase::ClearOfRunway:
            return "clear of the runway";
        case Phase::TaxiIn:
            return "taxiing in";
        case Phase::AtGate:
            return "at the gate";
        case Phase::Shutdown:
            return "shut down";
    }
    return "";
}

SimPilot::SimPilot(PilotConfig config, FlightModel& model, const AirportChart& chart)
    : config_(std::move(config)), model_(model), chart_(chart) {
    if (Airborne()) {
        phase_ = Phase::Inbound;
        wantsLanding_ = !IsDeparture();
        tookOff_ = true;
        const double alt = model_.State().altitudeFt;
        model_.ChangeAltitude(alt, 1.0);
        model_.SetSpeed(IsIfr(config_.kind) ? model_.Perf().cruiseKt : model_.Perf().cruiseKt);
        model_.FlyDirect(chart_.reference);
    }
    // Every pilot flies his circuit a little wider or tighter than the next one.
    const size_t h = std::hash<std::string>{}(config_.callsign);
    patternScale_ = 0.85 + 0.4 * static_cast<double>(h % 1000) / 1000.0;
    if (config_.homeParking.empty()) {
        if (const ParkingSpot* spot = chart_.SpotAt(model_.State().position)) {
            config_.homeParking = spot->name;
        }
    }
}

bool SimPilot::Hear(std::string_view line, double now) {
    auto read = ReadStationLine(line, config_.callsign);
    if (!read) {
        return false;
    }
    inbox_.push_back({now, std::move(*read)});
    return true;
}

std::optional<std::string> SimPilot::Step(double now) {
    while (!inbox_.empty() && inbox_.front().time + config_.reactionSeconds <= now) {
        Read(inbox_.front().line, now);
        inbox_.pop_front();
    }
    Fly(now);
    return Decide(now);
}

void SimPilot::Note(double now, std::string text) {
    events_.push_back({now, std::move(text)});
}

void SimPilot::SetPhase(Phase phase, double now, std::string detail) {
    if (phase == phase_ && detail == phaseDetail_) {
        return;
    }
    phase_ = phase;
    phaseDetail_ = std::move(detail);
    Note(now, "phase: " + PhaseText());
}

std::string SimPilot::PhaseText() const {
    std::string text(PhaseName(phase_));
    if (!phaseDetail_.empty()) {
        text += " " + phaseDetail_;
    }
    return text;
}

std::string SimPilot::TunedText() const {
    if (tuned_ == Radio::None) {
        return inService_ ? "no frequency" : "not in service";
    }
    std::string text(RadioName(tuned_));
    const std::string& f = frequencies_[static_cast<int>(tuned_)];
    if (!f.empty()) {
        text += " " + f;
    }
    return text;
}

double SimPilot::HeightAboveField() const {
    return model_.State().altitudeFt - chart_.fieldElevationFt;
}

double SimPilot::DistanceToAirportNm() const {
    return DistanceNmExact(model_.State().position, chart_.reference);
}

bool SimPilot::IsDeparture() const {
    return config_.kind == FlightKind::VfrDeparture || config_.kind == FlightKind::IfrDeparture;
}

bool SimPilot::TurningIn() const {
    if (phase_ == Phase::Pattern) {
        return legIndex_ < legs_.size() &&
               (legs_[legIndex_].name == "base" || legs_[legIndex_].name == "straight in");
    }
    return phase_ != Phase::GoingAround && phase_ != Phase::Climbout;
}

bool SimPilot::WantsToLand() const {
    return wantsLanding_ && !landed_;
}

double SimPilot::PatternAltitude() const {
    const bool jet = model_.Perf().approachKt > 100.0;
    return chart_.fieldElevationFt + (jet ? 1500.0 : 1000.0);
}

double SimPilot::CruiseAltitude() const {
    if (config_.cruiseAltitudeFt) {
        return *config_.cruiseAltitudeFt;
    }
    return chart_.fieldElevationFt + (IsIfr(config_.kind) ? 11000.0 : 2500.0);
}

double SimPilot::DepartureCourseTrue() const {
    if (config_.departureCourseMagnetic) {
        return chart_.TrueFromMagnetic(*config_.departureCourseMagnetic);
    }
    return chart_.runwayTrueCourse;
}

// ---- reading --------------------------------------------------------------------------------

void SimPilot::Read(const StationLine& line, double now) {
    const Instructions said = ReadInstructions(line.body);
    if (current_ && current_->text != line.text) {
        nudged_.clear();  // a new line: he may ask again if it goes unheeded
    }
    current_ = line;
    currentSaid_ = said;
    currentAnswered_ = false;
    currentAt_ = now;
    Note(now, "heard: " + line.text);
    if (servicesClosed_) {
        return;
    }
    if (said.welcome || said.flightTypeQuestion) {
        inService_ = false;
        tuned_ = Radio::None;
    }
    if (said.contact) {
        frequencies_[static_cast<int>(said.contact->radio)] = said.contact->frequency;
        // "Contact tower ... when ready" in a taxi clearance is for later, at the runway.
        if (!said.taxi) {
            toldToContact_ = said.contact->radio;
        }
    }
    if (said.terminated) {
        tuned_ = Radio::None;
        takeoffCleared_ = false;
        landingCleared_ = false;
    }
    if (said.taxi) {
        taxiDestination_ = said.taxi->destination;
        taxiways_ = said.taxi->taxiways;
        const LatLon here = model_.State().position;
        if (said.taxi->toRunway) {
            if (phase_ == Phase::Parked || phase_ == Phase::ClearOfRunway ||
                phase_ == Phase::AtGate || phase_ == Phase::TaxiOut) {
                StartTaxi(PlanTaxiToRunway(chart_, here, said.taxi->taxiways), true, now);
            }
        } else if (const ParkingSpot* spot = chart_.Spot(said.taxi->destination)) {
            if (phase_ == Phase::ClearOfRunway || phase_ == Phase::AtGate ||
                phase_ == Phase::Parked || phase_ == Phase::TaxiIn) {
                StartTaxi(PlanTaxiToSpot(chart_, here, *spot, said.taxi->taxiways), false, now);
            } else if (phase_ == Phase::LandingRoll || phase_ == Phase::Exiting) {
                taxiAfterExit_ = said.taxi;  // first off the runway, then to the gate
            }
        }
    }
    if (said.holdPosition && (phase_ == Phase::TaxiOut || phase_ == Phase::TaxiIn)) {
        TaxiPlan rest;
        rest.points = model_.TaxiPoints();
        heldTaxi_ = rest;
        heldToRunway_ = phase_ == Phase::TaxiOut;
        model_.Taxi({});
        SetPhase(Phase::HoldingPosition, now);
    }
    if (said.continueTaxi && phase_ == Phase::HoldingPosition && heldTaxi_) {
        model_.Taxi(heldTaxi_->points);
        heldTaxi_.reset();
        SetPhase(heldToRunway_ ? Phase::TaxiOut : Phase::TaxiIn, now, phaseDetailBeforeHold_);
    }
    if (said.reportParked) {
        reportParking_ = true;
    }
    if (said.clearedForTakeoff) {
        takeoffCleared_ = true;
    }
    if (said.holdShort) {
        takeoffCleared_ = false;
    }
    if (said.pattern != PatternEntry::None && Airborne()) {
        EnterPattern(said.pattern, now);
    }
    if (said.clearedToLand) {
        landingCleared_ = true;
    }
    if (said.landingCancelled) {
        landingCleared_ = false;
    }
    if (said.goAround) {
        StartGoAround(now);
    }
    if (said.clearedApproach && Airborne()) {
        approachCleared_ = true;
        approachHeading_ = said.approachHeading;
        approachAltitude_ = said.approachAltitudeFt;
        if (phase_ != Phase::Final) {
            if (approachHeading_) {
                model_.TurnTo(chart_.TrueFromMagnetic(*approachHeading_), TurnDirection::Shortest);
            }
            if (approachAltitude_) {
                model_.ChangeAltitude(*approachAltitude_, model_.Perf().descentFpm);
            }
            model_.SetSpeed(model_.Perf().patternKt);
            lastCross_ =
                OffsetFromTrack(chart_.threshold, chart_.runwayTrueCourse, model_.State().position)
                    .cross;
            SetPhase(Phase::Approach, now, "runway " + chart_.runwayName);
        }
    } else if ((said.heading || said.altitudeFt) && Airborne()) {
        FlyVectors(said, now);
    }
    if ((said.ownNavigation || said.climbToCruise) && Airborne() && !WantsToLand()) {
        model_.TurnTo(DepartureCourseTrue(), TurnDirection::Shortest);
        if (said.climbToCruise || model_.TargetAltitude() < CruiseAltitude()) {
            model_.ChangeAltitude(CruiseAltitude(), model_.Perf().climbFpm);
        }
        model_.SetSpeed(model_.Perf().cruiseKt);
        SetPhase(Phase::Departing, now, "own navigation");
    }
}

// ---- answering ------------------------------------------------------------------------------

std::optional<std::string> SimPilot::Decide(double now) {
    // A newer line he has not taken in yet may have a new menu: he answers only the latest.
    if (!current_ || servicesClosed_ || !inbox_.empty()) {
        return std::nullopt;
    }
    if (currentAnswered_) {
        // The advisory menu stays the same after an announcement; the next one may use it again.
        const bool advisoryAgain = current_->menuRadio == Radio::Advisory &&
                                   (!announcement_.empty() || phase_ == Phase::AtGate) &&
                                   now - lastAnswerAt_ >= kAdvisoryRepeatSeconds;
        if (advisoryAgain) {
            // falls through to choosing the announcement
        } else if (auto nudge = Nudge(now)) {
            return nudge;
        } else {
            return std::nullopt;
        }
    }
    const std::optional<int> number = ChooseOption(*current_, currentSaid_);
    if (!number) {
        return std::nullopt;
    }
    const MenuOption& chosen = current_->options[static_cast<size_t>(*number - 1)];
    std::string answer = std::to_string(*number);
    if (currentSaid_.welcome || currentSaid_.flightTypeQuestion) {
        answer = chart_.name + "," + answer;  // not in service yet: address the station
    }
    currentAnswered_ = true;
    lastAnswerAt_ = now;
    lastAnswer_ = answer;
    Note(now, "answered " + answer + " (" + chosen.text + ")");

    // What choosing it means for him.
    const std::string& text = chosen.text;
    if (text == "VFR" || text == "IFR") {
        inService_ = true;
    } else if (StartsWithText(text, "Tune ")) {
        if (text == "Tune ARTCC Frequency") {
            tuned_ = Radio::Artcc;
            if (IsDeparture() && Airborne()) {
                // Out of the terminal area: on to the cruise altitude of his flight plan, even
                // if no one said so (a traffic report can take the place of that message).
                model_.TurnTo(DepartureCourseTrue(), TurnDirection::Shortest);
                model_.ChangeAltitude(CruiseAltitude(), model_.Perf().climbFpm);
                model_.SetSpeed(model_.Perf().cruiseKt);
                SetPhase(Phase::Departing, now, "own navigation");
            }
        } else if (text == "Tune Approach Frequency") {
            tuned_ = Radio::Approach;
        } else if (text == "Tune Departure Frequency") {
            tuned_ = Radio::Departure;
        } else if (text.find(" Tower Frequency") != std::string::npos) {
            tuned_ = Radio::Tower;
        } else if (text.find(" Ground Frequency") != std::string::npos) {
            tuned_ = Radio::Ground;
        }
        toldToContact_ = Radio::None;
    } else if (text == "Close ATC Services") {
        servicesClosed_ = true;
        tuned_ = Radio::None;
        if (phase_ == Phase::AtGate) {
            SetPhase(Phase::Shutdown, now);
        }
    } else if (text == "Report Parking") {
        reportParking_ = false;
    } else if (StartsWithText(text, "Announce ")) {
        announcement_.clear();
        tuned_ = Radio::Advisory;
        const LatLon here = model_.State().position;
        if (text == "Announce Taxi to Runway" && phase_ == Phase::Parked) {
            StartTaxi(PlanTaxiToRunway(chart_, here, {}), true, now);
        } else if (text == "Announce Takeoff" && phase_ == Phase::HoldingShort) {
            StartLineUp(now);
        } else if (text == "Announce Taxi to Gate or Parking" && phase_ == Phase::ClearOfRunway) {
            if (const ParkingSpot* spot = ChooseOwnParking(chart_, config_.homeParking)) {
                taxiDestination_ = spot->name;
                StartTaxi(PlanTaxiToSpot(chart_, here, *spot, {}), false, now);
            }
        }
    } else if (text == "Use ATC services") {
        inService_ = false;
    }
    if (chosen.text == "Acknowledge" && currentSaid_.clearedForTakeoff &&
        phase_ == Phase::HoldingShort) {
        StartLineUp(now);
    }
    return answer;
}

std::optional<std::string> SimPilot::Nudge(double now) {
    // An answer can go unheeded: another message may take its place at the station in the same
    // moment. With no reply for a while he asks once for the line again ("R"), or, not yet in
    // service, says his answer again. Radar instructions he acknowledged stay as they are, and
    // the advisory frequency never replies: nothing to wait for there.
    if (now - lastAnswerAt_ < kNudgeSeconds || nudged_.count(current_->text) ||
        current_->menuRadio == Radio::Advisory ||
        ((currentSaid_.heading || currentSaid_.altitudeFt || currentSaid_.traffic) &&
         current_->menuRadio != Radio::Tower && current_->menuRadio != Radio::Ground)) {
        return std::nullopt;
    }
    nudged_.insert(current_->text);
    const bool notInService = currentSaid_.welcome || currentSaid_.flightTypeQuestion;
    const std::string said = notInService ? lastAnswer_ : "R";
    lastAnswerAt_ = now;
    Note(now, "no reply: said " + said);
    return said;
}

std::optional<int> SimPilot::ChooseOption(const StationLine& line, const Instructions& said) {
    if (said.welcome) {
        // On his way elsewhere he has no more business with this airport's station.
        if (phase_ == Phase::Departing && DistanceToAirportNm() > 15.0) {
            return std::nullopt;
        }
        return line.Option("Use ATC services") ? std::optional(line.Option("Use ATC services"))
                                               : std::nullopt;
    }
    auto pick = [&](std::string_view text) -> std::optional<int> {
        const int n = line.Option(text);
        return n ? std::optional(n) : std::nullopt;
    };
    if (said.flightTypeQuestion) {
        return pick(IsIfr(config_.kind) ? "IFR" : "VFR");
    }
    if (said.destinationQuestion) {
        return pick(WantsToLand() ? Ident() : "Another Airport");
    }
    if (line.AsksAcknowledge()) {
        // Cleared to land while still climbing away from a go-around: he takes it up once he
        // is turning in again, not over the runway he is leaving.
        if (said.clearedToLand && !TurningIn()) {
            return std::nullopt;
        }
        return pick("Acknowledge");
    }
    if (line.Offers("Report traffic in sight")) {
        return pick("Report traffic in sight");
    }
    if (line.menuRadio == Radio::Advisory) {
        if (!announcement_.empty()) {
            return pick(announcement_);
        }
        if (phase_ == Phase::AtGate) {
            return pick("Close ATC Services");
        }
        return std::nullopt;
    }
    for (const std::string& wanted : WantedOptions()) {
        if (auto n = pick(wanted)) {
            return n;
        }
    }
    // Landed where ground offers no parking: he finds his own and signs off.
    if (landed_ && phase_ == Phase::ClearOfRunway && line.menuRadio == Radio::Ground &&
        !line.Offers("Request Taxi to Gate") && !line.Offers("Request Taxi to Parking") &&
        line.Offers("Request Taxi to Runway")) {
        if (const ParkingSpot* spot = ChooseOwnParking(chart_, config_.homeParking)) {
            StartTaxi(PlanTaxiToSpot(chart_, model_.State().position, *spot, {}), false,
                      currentAt_);
        }
        return pick("Close ATC Services");
    }
    return std::nullopt;
}

std::vector<std::string> SimPilot::WantedOptions() const {
    std::vector<std::string> wanted;
    const bool frequencyMenu = current_ && current_->menuRadio == Radio::None;
    const std::string tower = "Tune " + Ident() + " Tower Frequency";
    const std::string ground = "Tune " + Ident() + " Ground Frequency";
    switch (toldToContact_) {
        case Radio::Tower:
            wanted.push_back(tower);
            break;
        case Radio::Ground:
            wanted.push_back(ground);
            break;
        case Radio::Approach:
            wanted.push_back("Tune Approach Frequency");
            break;
        case Radio::Departure:
            wanted.push_back("Tune Departure Frequency");
            break;
        case Radio::Artcc:
            wanted.push_back("Tune ARTCC Frequency");
            break;
        case Radio::None:
        case Radio::Advisory:
            break;
    }
    if (phase_ == Phase::Parked && !tookOff_) {
        if (frequencyMenu) {
            wanted.push_back(ground);
        }
        wanted.push_back(IsIfr(config_.kind) ? "Request Taxi IFR" : "Request Taxi to Runway");
    }
    if (phase_ == Phase::HoldingShort) {
        if (current_ && current_->menuRadio == Radio::Ground) {
            wanted.push_back(tower);
        }
        wanted.push_back("Request VFR Takeoff Clearance");
        wanted.push_back("Request IFR Takeoff Clearance");
    }
    if (landed_ && (phase_ == Phase::LandingRoll || phase_ == Phase::Exiting ||
                    phase_ == Phase::ClearOfRunway)) {
        if (phase_ == Phase::ClearOfRunway) {
            wanted.push_back(ground);
        }
        wanted.push_back("Request Taxi to Gate");
        wanted.push_back("Request Taxi to Parking");
    }
    if (phase_ == Phase::AtGate) {
        wanted.push_back(reportParking_ ? "Report Parking" : "Close ATC Services");
    }
    if (Airborne() && WantsToLand()) {
        if (IsIfr(config_.kind)) {
            if (frequencyMenu) {
                wanted.push_back("Tune Approach Frequency");
                wanted.push_back("Tune ARTCC Frequency");
            }
        } else {
            if (frequencyMenu) {
                wanted.push_back(tower);
            }
            wanted.push_back("Request Full Stop Landing");
        }
    }
    if (Airborne() && IsDeparture() && phase_ == Phase::Departing && frequencyMenu &&
        DistanceToAirportNm() > 15.0) {
        wanted.push_back("Close ATC Services");
    }
    return wanted;
}

// ---- flying ---------------------------------------------------------------------------------

void SimPilot::StartTaxi(TaxiPlan plan, bool toRunway, double now) {
    std::string detail = "to " + (toRunway ? "runway " + chart_.runwayName : taxiDestination_);
    if (!plan.taxiways.empty()) {
        detail += " via";
        for (const std::string& t : plan.taxiways) {
            detail += " " + t;
        }
    }
    phaseDetailBeforeHold_ = detail;
    model_.Taxi(plan.points);
    SetPhase(toRunway ? Phase::TaxiOut : Phase::TaxiIn, now, detail);
}

void SimPilot::StartLineUp(double now) {
    model_.Taxi({chart_.threshold});
    SetPhase(Phase::LiningUp, now, "runway " + chart_.runwayName);
}

void SimPilot::StartTakeoff(double now) {
    const Performance& p = model_.Perf();
    model_.TrackLine(chart_.threshold, chart_.runwayTrueCourse);
    model_.SetSpeed(p.climbKt);
    double initial = PatternAltitude();
    if (IsDeparture()) {
        initial = IsIfr(config_.kind) ? chart_.fieldElevationFt + 3000.0 : CruiseAltitude();
    }
    model_.ChangeAltitude(initial, p.climbFpm);
    SetPhase(Phase::TakeoffRoll, now, "runway " + chart_.runwayName);
}

std::vector<SimPilot::Leg> SimPilot::PatternLegs(PatternEntry entry, int side,
                                                 bool fromUpwind) const {
    const Performance& p = model_.Perf();
    const bool jet = p.approachKt > 100.0;
    const double offsetFt = std::max(0.8, p.patternKt / 80.0) * kFeetPerNm * patternScale_;
    const double finalFt = (jet ? kJetFinalNm : kLightFinalNm) * kFeetPerNm * patternScale_;
    const double length = chart_.runwayLengthFt;
    const double s = side < 0 ? -1.0 : 1.0;
    const double pa = PatternAltitude();
    const double baseAlt = pa - (jet ? 0.0 : 300.0);
    const Leg upwind{chart_.RunwayPoint(length + 0.5 * kFeetPerNm, 0.0), pa, "upwind"};
    const Leg crosswind{chart_.RunwayPoint(length + 0.5 * kFeetPerNm, s * offsetFt), pa,
                        "crosswind"};
    const Leg midfield{chart_.RunwayPoint(length / 2.0, s * offsetFt), pa, "downwind"};
    const Leg downwind{chart_.RunwayPoint(-finalFt, s * offsetFt), pa, "downwind"};
    const Leg base{chart_.RunwayPoint(-finalFt, 0.0), baseAlt, "base"};
    switch (entry) {
        case PatternEntry::LeftDownwind:
        case PatternEntry::RightDownwind:
            if (fromUpwind) {
                return {upwind, crosswind, downwind, base};
            }
            return {midfield, downwind, base};
        case PatternEntry::Base:
            return {downwind, base};
        case PatternEntry::StraightIn: {
            // Already lined up behind the threshold: straight onto the final.
            const TrackOffset off = chart_.RunwayOffsetFeet(model_.State().position);
            if (off.along < 0.0 && std::fabs(off.cross) < 0.3 * kFeetPerNm) {
                return {};
            }
            return {{chart_.RunwayPoint(-(finalFt + kFeetPerNm), 0.0), pa, "straight in"}};
        }
        case PatternEntry::None:
            break;
    }
    return {};
}

void SimPilot::EnterPattern(PatternEntry entry, double now) {
    const TrackOffset off = chart_.RunwayOffsetFeet(model_.State().position);
    int side = -1;
    if (entry == PatternEntry::RightDownwind) {
        side = 1;
    } else if (entry == PatternEntry::Base) {
        side = off.cross >= 0 ? 1 : -1;
    }
    const bool onUpwind = off.along > 0.0 && std::fabs(off.cross) < 0.5 * kFeetPerNm &&
                          off.along < chart_.runwayLengthFt + 0.4 * kFeetPerNm;
    FlyLegs(PatternLegs(entry, side, onUpwind), now);
}

void SimPilot::SeeTraffic(const std::string& callsign, LatLon position, double altitudeFt,
                          double now) {
    if (callsign != config_.callsign) {
        traffic_[callsign] = {position, altitudeFt, now};
    }
}

bool SimPilot::TrafficOnFinal(double now) const {
    const bool jet = model_.Perf().approachKt > 100.0;
    const double finalNm = (jet ? kJetFinalNm : kLightFinalNm) * patternScale_;
    for (const auto& [callsign, seen] : traffic_) {
        if (now - seen.time > 5.0 || seen.altitudeFt > chart_.fieldElevationFt + 1500.0) {
            continue;
        }
        const TrackOffset off =
            OffsetFromTrack(chart_.threshold, chart_.runwayTrueCourse, seen.position);
        const bool onApproach = off.along < 0.0 && off.along > -(finalNm + 2.0) &&
                                std::fabs(off.cross) < 1.2 &&
                                seen.altitudeFt > chart_.fieldElevationFt + 100.0;
        const bool onRunway = off.along >= 0.0 && off.along < chart_.runwayLengthFt / kFeetPerNm &&
                              std::fabs(off.cross) * kFeetPerNm < chart_.runwayWidthFt / 2.0;
        if (onApproach || onRunway) {
            return true;
        }
    }
    return false;
}

void SimPilot::FlyLegs(std::vector<Leg> legs, double now) {
    legs_ = std::move(legs);
    legIndex_ = 0;
    downwindExtendedNm_ = 0.0;
    if (legs_.empty()) {
        StartFinal(now);
        return;
    }
    const Performance& p = model_.Perf();
    model_.SetSpeed(p.patternKt);
    model_.FlyDirect(legs_[0].point);
    const double alt = legs_[0].altitudeFt;
    model_.ChangeAltitude(alt, alt > model_.State().altitudeFt ? p.climbFpm : p.descentFpm);
    SetPhase(Phase::Pattern, now, legs_[0].name);
}

void SimPilot::StartFinal(double now) {
    const Performance& p = model_.Perf();
    model_.TrackLine(chart_.threshold, chart_.runwayTrueCourse);
    model_.FollowGlidePath(p.approachKt > 100.0 ? 1000.0 : 800.0);
    model_.SetSpeed(p.approachKt);
    SetPhase(Phase::Final, now, "runway " + chart_.runwayName);
    if (config_.kind == FlightKind::Ctaf) {
        Announce("Announce Landing");
    }
}

void SimPilot::StartGoAround(double now) {
    if (!Airborne() || phase_ == Phase::GoingAround) {
        return;
    }
    // Told again while already flying the circuit back: he is going around already.
    if (phase_ == Phase::Pattern && legIndex_ + 1 < legs_.size()) {
        return;
    }
    const Performance& p = model_.Perf();
    landingCleared_ = false;
    model_.TrackLine(chart_.threshold, chart_.runwayTrueCourse);
    model_.SetSpeed(p.climbKt);
    const double target =
        IsIfr(config_.kind) ? chart_.fieldElevationFt + 3000.0 : PatternAltitude();
    model_.ChangeAltitude(target, p.climbFpm);
    SetPhase(Phase::GoingAround, now);
}

void SimPilot::FlyVectors(const Instructions& said, double now) {
    const Performance& p = model_.Perf();
    std::string detail;
    if (said.heading) {
        const TurnDirection direction = said.turn == TurnSide::Left    ? TurnDirection::Left
                                        : said.turn == TurnSide::Right ? TurnDirection::Right
                                                                       : TurnDirection::Shortest;
        model_.TurnTo(chart_.TrueFromMagnetic(*said.heading), direction);
        detail += "heading " + std::to_string(*said.heading);
    } else if (phase_ != Phase::Vectors) {
        model_.HoldHeading();
    }
    if (said.altitudeFt) {
        const double target = *said.altitudeFt;
        model_.ChangeAltitude(target,
                              target > model_.State().altitudeFt ? p.climbFpm : p.descentFpm);
        detail += (detail.empty() ? "" : ", ") + std::to_string(*said.altitudeFt) + " ft";
    }
    model_.SetSpeed(std::min(p.cruiseKt, p.patternKt + 30.0));
    SetPhase(Phase::Vectors, now, detail.empty() ? phaseDetail_ : detail);
}

void SimPilot::Fly(double now) {
    const AircraftState& s = model_.State();
    const Performance& p = model_.Perf();
    const bool advisory = config_.kind == FlightKind::Ctaf;
    switch (phase_) {
        case Phase::Parked:
            if (advisory && inService_ && !tookOff_ && announcement_.empty() && current_ &&
                current_->menuRadio == Radio::Advisory && !announcedTaxi_) {
                announcedTaxi_ = true;
                Announce("Announce Taxi to Runway");
            }
            break;
        case Phase::TaxiOut:
            if (model_.Arrived()) {
                SetPhase(Phase::HoldingShort, now, "runway " + chart_.runwayName);
                if (advisory) {
                    Announce("Announce Takeoff");
                }
            }
            break;
        case Phase::TaxiIn:
            if (model_.Arrived()) {
                SetPhase(servicesClosed_ ? Phase::Shutdown : Phase::AtGate, now, taxiDestination_);
            }
            break;
        case Phase::HoldingPosition:
        case Phase::ClearOfRunway:
        case Phase::AtGate:
        case Phase::Shutdown:
        case Phase::Departing:
        case Phase::Vectors:
            break;
        case Phase::HoldingShort:
            if (takeoffCleared_ && !advisory) {
                // Acknowledging the clearance starts the line-up; this covers a clearance heard
                // while still rolling up to the hold-short point.
                if (currentAnswered_ || !current_ || !current_->AsksAcknowledge()) {
                    StartLineUp(now);
                }
            }
            break;
        case Phase::LiningUp:
            if (model_.Arrived()) {
                StartTakeoff(now);
            }
            break;
        case Phase::TakeoffRoll:
            if (!s.onGround) {
                tookOff_ = true;
                takeoffCleared_ = false;
                if (config_.kind == FlightKind::VfrPattern || advisory) {
                    wantsLanding_ = true;
                }
                SetPhase(Phase::Climbout, now);
            }
            break;
        case Phase::Climbout: {
            const TrackOffset off = chart_.RunwayOffsetFeet(s.position);
            if (advisory && HeightAboveField() > 400.0) {
                FlyLegs(PatternLegs(PatternEntry::LeftDownwind, -1, true), now);
            } else if (IsDeparture() && off.along > chart_.runwayLengthFt + 1.5 * kFeetPerNm) {
                model_.TurnTo(DepartureCourseTrue(), TurnDirection::Shortest);
                model_.SetSpeed(p.cruiseKt);
                SetPhase(Phase::Departing, now);
            } else if (config_.kind == FlightKind::VfrPattern &&
                       off.along > chart_.runwayLengthFt + 4.0 * kFeetPerNm) {
                // Nobody answered the request: fly the circuit anyway and ask again.
                FlyLegs(PatternLegs(PatternEntry::LeftDownwind, -1, false), now);
            }
            break;
        }
        case Phase::Inbound: {
            const double distance = DistanceToAirportNm();
            if (!IsIfr(config_.kind) && distance < 8.0 &&
                model_.TargetAltitude() > PatternAltitude() + 500.0) {
                model_.ChangeAltitude(PatternAltitude() + 500.0, p.descentFpm);
            }
            if (advisory && distance < 6.0) {
                Announce("Announce Position");
                EnterPattern(PatternEntry::LeftDownwind, now);
            } else if (!IsIfr(config_.kind) && distance < 2.5) {
                // No pattern instruction came: circle over the field by flying the left circuit.
                EnterPattern(PatternEntry::LeftDownwind, now);
            } else if (IsIfr(config_.kind) &&
                       (distance < kHoldingNm || phaseDetail_ == "holding")) {
                // No vectors yet: he holds outside the terminal area, in right-hand circles.
                model_.TurnTo(WrapCourse(s.trueHeading + 90.0), TurnDirection::Right);
                model_.SetSpeed(std::min(p.cruiseKt, p.patternKt + 30.0));
                if (phaseDetail_ != "holding") {
                    SetPhase(Phase::Inbound, now, "holding");
                }
            }
            break;
        }
        case Phase::Approach: {
            const TrackOffset off =
                OffsetFromTrack(chart_.threshold, chart_.runwayTrueCourse, s.position);
            const bool crossed = (off.cross > 0) != (lastCross_ > 0);
            if (off.along < -0.5 && (std::fabs(off.cross) < 0.4 || crossed)) {
                StartFinal(now);
            } else if (off.along > 0.0) {
                StartGoAround(now);  // never met the final course
            }
            lastCross_ = off.cross;
            break;
        }
        case Phase::Pattern:
            if (model_.Arrived() && legs_[legIndex_].name == "downwind" &&
                legIndex_ + 1 < legs_.size() && legs_[legIndex_ + 1].name == "base" &&
                downwindExtendedNm_ < kMaxDownwindExtensionNm && TrafficOnFinal(now)) {
                // Somebody is on base or final: follow him, further down the downwind.
                const double course = WrapCourse(chart_.runwayTrueCourse + 180.0);
                legs_[legIndex_].point = Destination(legs_[legIndex_].point, course, 0.5);
                legs_[legIndex_ + 1].point = Destination(legs_[legIndex_ + 1].point, course, 0.5);
                downwindExtendedNm_ += 0.5;
                model_.FlyDirect(legs_[legIndex_].point);
                if (downwindExtendedNm_ == 0.5) {
                    Note(now, "extending downwind behind traffic");
                }
                break;
            }
            if (model_.Arrived()) {
                ++legIndex_;
                if (legIndex_ >= legs_.size()) {
                    StartFinal(now);
                    break;
                }
                const Leg& leg = legs_[legIndex_];
                model_.FlyDirect(leg.point);
                model_.ChangeAltitude(leg.altitudeFt,
                                      leg.altitudeFt > s.altitudeFt ? p.climbFpm : p.descentFpm);
                SetPhase(Phase::Pattern, now, leg.name);
                if (advisory && leg.name == "downwind" && legIndex_ + 2 == legs_.size()) {
                    Announce("Announce Position");
                }
            }
            break;
        case Phase::Final: {
            if (model_.TakeTouchdown()) {
                landed_ = true;
                model_.SetSpeed(p.taxiKt);
                SetPhase(Phase::LandingRoll, now, "runway " + chart_.runwayName);
                break;
            }
            const double toThreshold = DistanceNmExact(s.position, chart_.threshold);
            const double along =
                OffsetFromTrack(chart_.threshold, chart_.runwayTrueCourse, s.position).along;
            if (!landingCleared_ && !advisory && along < 0.0 && toThreshold < kGoAroundDecisionNm) {
                Note(now, "not cleared to land: going around");
                StartGoAround(now);
            }
            break;
        }
        case Phase::GoingAround: {
            const TrackOffset off = chart_.RunwayOffsetFeet(s.position);
            if (!IsIfr(config_.kind) && off.along > chart_.runwayLengthFt + 0.3 * kFeetPerNm &&
                HeightAboveField() > 400.0) {
                FlyLegs(PatternLegs(PatternEntry::LeftDownwind, -1, true), now);
            }
            break;
        }
        case Phase::LandingRoll:
            if (s.speedKt <= p.taxiKt + 0.5) {
                const double along = chart_.RunwayOffsetFeet(s.position).along;
                const RunwayExit exit = FindRunwayExit(chart_, along + 200.0);
                model_.Taxi({exit.turnOff, exit.clear});
                SetPhase(Phase::Exiting, now);
            }
            break;
        case Phase::Exiting:
            if (model_.Arrived()) {
                SetPhase(Phase::ClearOfRunway, now);
                if (taxiAfterExit_) {
                    if (const ParkingSpot* spot = chart_.Spot(taxiAfterExit_->destination)) {
                        StartTaxi(
                            PlanTaxiToSpot(chart_, s.position, *spot, taxiAfterExit_->taxiways),
                            false, now);
                    }
                    taxiAfterExit_.reset();
                }
                if (advisory) {
                    Announce("Announce Taxi to Gate or Parking");
                }
            }
            break;
    }
}

}  // namespace corvane::fsim
