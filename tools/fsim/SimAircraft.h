#pragma once
// One simulated aircraft as a player of the session: it joins like a simulator does (finds the
// session at the host's address, creates its player under its callsign, asks the host to let it
// in), then answers roll calls (0x1007 with 0x1003) and information requests (0x100F with
// 0x100E and its title), reports its position (0x1019) every `reportSeconds`, and lets its pilot
// hear the chat and answer. Time comes from the clock it is given, so tests move it by hand.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "fsim/AirportChart.h"
#include "fsim/FlightModel.h"
#include "fsim/SimPilot.h"
#include "session/DirectPlay.h"
#include "shared/Clock.h"

namespace corvane::fsim {

struct AircraftSetup {
    PilotConfig pilot;
    std::string title = "Cessna Skyhawk 172SP";
    Performance performance;
    AircraftState start;
    double reportSeconds = 1.0;  // simulated seconds between position reports
};

// What an aircraft tells the live view: a line it heard, an answer it gave, a change of phase.
struct TrafficNote {
    enum class Kind { Heard, Said, Phase, Link };
    Kind kind = Kind::Heard;
    std::string callsign;
    std::string text;
};
using TrafficNotes = std::function<void(const TrafficNote&)>;

enum class LinkState { Idle, Joining, Admitted, Refused, Removed, Lost, Left };
std::string_view LinkStateName(LinkState state);

class SimAircraft {
  public:
    // `link` is this aircraft's own DirectPlay object (one player each); it, the clock and the
    // chart must outlive the aircraft.
    SimAircraft(session::DirectPlay& link, const Clock& clock, AircraftSetup setup,
                const AirportChart& chart, TrafficNotes notes = {});

    // Joins the session named `sessionName` (any, when empty) at `address`, then sends the join
    // request. False (and LinkState Lost) when there is no such session or no player.
    bool Join(const std::string& address, const std::string& sessionName);
    // Flies on to the clock's time, reads every waiting message, lets the pilot act and answer,
    // and sends the position report when one is due.
    void Step();
    // Leaves the session.
    void Leave();

    LinkState Link() const { return linkState_; }
    int32_t PlayerId() const { return self_; }
    const std::string& Callsign() const { return setup_.pilot.callsign; }
    const std::string& Title() const { return setup_.title; }
    const FlightModel& Model() const { return model_; }
    FlightModel& Model() { return model_; }
    const SimPilot& Pilot() const { return *pilot_; }
    uint64_t PositionReportsSent() const { return reportsSent_; }

  private:
    void HandleMessages(double now);
    void SendPosition();
    void Tell(TrafficNote::Kind kind, std::string text);

    session::DirectPlay& link_;
    const Clock& clock_;
    AircraftSetup setup_;
    FlightModel model_;
    std::unique_ptr<SimPilot> pilot_;
    TrafficNotes notes_;
    LinkState linkState_ = LinkState::Idle;
    int32_t self_ = 0;
    double lastStep_ = 0.0;
    double nextReport_ = 0.0;
    uint64_t reportsSent_ = 0;
    // Other aircraft's positions are read for where they are; their headings do not matter.
    static inline const MagneticVariationGrid noVariation_{};
    std::string lastPhase_;
    size_t eventsTold_ = 0;
};

}  // namespace corvane::fsim
