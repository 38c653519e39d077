#pragma once
// The pilot of one simulated aircraft. He hears every chat line of the session, keeps those that
// start with his callsign, and after a moment's thought does what a pilot does with them: reads
// the instruction (a taxi route, a heading, an altitude, a clearance, a frequency to contact),
// flies it, and answers the menu by finding the option he wants by its text and typing its
// number. Before he is in service he addresses the station by its airport name ("BOEING FLD,1").
//
// What he wants depends on his flight: a departure wants the runway and then to leave, an arrival
// wants to land and park, a pattern flight does both, and at a field without a tower he announces
// his own movements on the advisory frequency. He never looks at the station's tables: all he
// knows is what he was told and what his instruments and charts show.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fsim/AirportChart.h"
#include "fsim/FlightModel.h"
#include "fsim/StationText.h"

namespace corvane::fsim {

enum class FlightKind { VfrPattern, VfrDeparture, VfrArrival, IfrDeparture, IfrArrival, Ctaf };

// "vfr-pattern", "vfr-departure", "vfr-arrival", "ifr-departure", "ifr-arrival", "ctaf".
std::string_view KindName(FlightKind kind);
std::optional<FlightKind> KindFromName(std::string_view name);
bool IsIfr(FlightKind kind);

enum class Phase {
    Parked,           // at the gate or parking place, waiting to taxi
    TaxiOut,          // taxiing to the runway
    HoldingPosition,  // stopped on the taxiway by ground
    HoldingShort,     // at the hold-short point of the runway
    LiningUp,         // onto the runway for take-off
    TakeoffRoll,
    Climbout,   // straight ahead after lift-off
    Departing,  // on course, leaving the airport
    Inbound,    // flying toward the airport before any instruction
    Vectors,    // flying the headings and altitudes radar gives
    Approach,   // cleared for the approach, turning to meet the final course
    Pattern,    // flying the legs of the traffic pattern
    Final,      // on the final approach course and glide path
    GoingAround,
    LandingRoll,
    Exiting,        // turning off the runway
    ClearOfRunway,  // stopped beside the runway, waiting for ground
    TaxiIn,         // taxiing to the gate or parking place
    AtGate,         // in the parking place, about to report
    Shutdown,       // parked for good, services closed
};

std::string_view PhaseName(Phase phase);

struct PilotConfig {
    std::string callsign;
    FlightKind kind = FlightKind::VfrPattern;
    double reactionSeconds = 2.0;  // from hearing a line to acting on it and answering
    // Departures: the magnetic course flown once on their own; nullopt keeps the runway heading.
    std::optional<double> departureCourseMagnetic;
    std::optional<double> cruiseAltitudeFt;  // default by kind
    std::string homeParking;                 // where a pilot who finds his own parking goes
};

// One event in the pilot's life, for the live view and for tests.
struct PilotEvent {
    double time = 0.0;  // simulated seconds
    std::string text;
};

class SimPilot {
  public:
    // The model, chart and grid must outlive the pilot.
    SimPilot(PilotConfig config, FlightModel& model, const AirportChart& chart);

    // A chat line of the session, heard at simulated time `now` (seconds); true when it is
    // addressed to him.
    bool Hear(std::string_view line, double now);
    // Another aircraft of the session where its position report puts it; he keeps away from it
    // in the traffic pattern as a pilot does who sees it.
    void SeeTraffic(const std::string& callsign, LatLon position, double altitudeFt, double now);
    // Acts on what was heard and on where the aircraft now is; returns the chat answer to send,
    // if the pilot has one now. Call it often (every simulated second or more often); it does not
    // move the aircraft, FlightModel::Step does.
    std::optional<std::string> Step(double now);

    Phase CurrentPhase() const { return phase_; }
    // A short description of what he is doing, such as "taxiing to runway 13R via A B".
    std::string PhaseText() const;
    // The radio he believes he is talking to, and its frequency when he heard it.
    Radio Tuned() const { return tuned_; }
    std::string TunedText() const;
    bool ServicesClosed() const { return servicesClosed_; }
    const PilotConfig& Config() const { return config_; }
    // The lines addressed to him, in order, and what he did.
    const std::vector<PilotEvent>& Events() const { return events_; }
    // Whether his last answer was the airport-name form (for tests of the opening dialogue).
    const std::string& LastAnswer() const { return lastAnswer_; }

  private:
    struct Heard {
        double time;
        StationLine line;
    };
    struct Seen {
        LatLon position;
        double altitudeFt;
        double time;
    };
    struct Leg {
        LatLon point;
        double altitudeFt;
        std::string name;
    };

    void Read(const StationLine& line, double now);
    std::optional<std::string> Decide(double now);
    std::optional<std::string> Nudge(double now);
    std::optional<int> ChooseOption(const StationLine& line, const Instructions& said);
    std::vector<std::string> WantedOptions() const;
    void Fly(double now);

    void SetPhase(Phase phase, double now, std::string detail = {});
    void Note(double now, std::string text);

    void StartTaxi(TaxiPlan plan, bool toRunway, double now);
    void StartLineUp(double now);
    void StartTakeoff(double now);
    void EnterPattern(PatternEntry entry, double now);
    void FlyLegs(std::vector<Leg> legs, double now);
    void StartFinal(double now);
    void StartGoAround(double now);
    void FlyVectors(const Instructions& said, double now);
    std::vector<Leg> PatternLegs(PatternEntry entry, int side, bool fromUpwind) const;

    bool Airborne() const { return !model_.State().onGround; }
    double HeightAboveField() const;
    double DistanceToAirportNm() const;
    bool WantsToLand() const;
    bool TurningIn() const;                 // on base or final, ready to take a landing clearance
    bool TrafficOnFinal(double now) const;  // someone seen on base, final or the runway
    bool IsDeparture() const;
    double PatternAltitude() const;
    double CruiseAltitude() const;
    double DepartureCourseTrue() const;
    std::string Ident() const { return chart_.ident; }
    void Announce(std::string option) { announcement_ = std::move(option); }

    PilotConfig config_;
    FlightModel& model_;
    const AirportChart& chart_;

    std::deque<Heard> inbox_;
    std::optional<StationLine> current_;
    Instructions currentSaid_;
    bool currentAnswered_ = true;
    double currentAt_ = 0.0;
    double lastAnswerAt_ = -1e9;
    std::string lastAnswer_;

    Phase phase_ = Phase::Parked;
    std::string phaseDetail_;
    Radio tuned_ = Radio::None;
    Radio toldToContact_ = Radio::None;
    std::string frequencies_[7];
    bool inService_ = false;
    bool servicesClosed_ = false;
    bool landed_ = false;        // has landed on this flight
    bool tookOff_ = false;       // has taken off on this flight
    bool wantsLanding_ = false;  // a pattern flight, once airborne
    bool takeoffCleared_ = false;
    bool landingCleared_ = false;
    bool approachCleared_ = false;
    bool reportParking_ = false;  // ground asked to report when parked
    std::optional<TaxiPlan> heldTaxi_;
    std::optional<TaxiClearance> taxiAfterExit_;
    bool heldToRunway_ = false;
    std::string phaseDetailBeforeHold_;
    bool announcedTaxi_ = false;
    std::vector<Leg> legs_;
    size_t legIndex_ = 0;
    double downwindExtendedNm_ = 0.0;
    double patternScale_ = 1.0;
    std::map<std::string, Seen> traffic_;
    std::set<std::string> nudged_;  // lines he has asked to hear again
    std::optional<double> approachHeading_;
    std::optional<double> approachAltitude_;
    double lastCross_ = 0.0;
    std::string announcement_;  // advisory option to announce next
    std::string taxiDestination_;
    std::vector<std::string> taxiways_;
    std::vector<PilotEvent> events_;
};

}  // namespace corvane::fsim
