#pragma once
// Several simulated aircraft flown together, each a player of its own over its own DirectPlay
// object, and the live view of them: one line for every chat line an aircraft hears or says and
// every change of phase, and a table of where each one is and what it is doing.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fsim/SimAircraft.h"
#include "session/DirectPlay.h"

namespace corvane::fsim {

struct AircraftStatus {
    std::string callsign;
    std::string kind;
    std::string phase;
    std::string radio;
    std::string link;
    int altitudeFt = 0;
    int speedKt = 0;
    int headingMagnetic = 0;
    double distanceNm = 0.0;  // from the airport

    bool operator==(const AircraftStatus&) const = default;
};

class TrafficFleet {
  public:
    using LinkFactory = std::function<std::unique_ptr<session::DirectPlay>()>;

    // Every aircraft gets a DirectPlay object from `factory`; the clock must outlive the fleet.
    TrafficFleet(const Clock& clock, LinkFactory factory, TrafficNotes notes = {});

    // The chart must outlive the aircraft.
    SimAircraft& Add(AircraftSetup setup, const AirportChart& chart);
    // Joins every aircraft that has not joined yet; the number that could not.
    int JoinAll(const std::string& address, const std::string& sessionName);
    // Every aircraft flies on to the clock's time and does its work.
    void Step();
    // Takes an aircraft out of the session and the fleet; false when there is none of that name.
    bool Remove(const std::string& callsign);

    size_t Size() const { return aircraft_.size(); }
    SimAircraft& At(size_t i) { return *aircraft_[i].aircraft; }
    const SimAircraft& At(size_t i) const { return *aircraft_[i].aircraft; }
    SimAircraft* Find(const std::string& callsign);
    std::vector<AircraftStatus> Status() const;

  private:
    struct Member {
        std::unique_ptr<session::DirectPlay> link;
        std::unique_ptr<SimAircraft> aircraft;
        const AirportChart* chart;
        bool joined = false;
    };
    const Clock& clock_;
    LinkFactory factory_;
    TrafficNotes notes_;
    std::vector<Member> aircraft_;
};

AircraftStatus StatusOf(const SimAircraft& aircraft, const AirportChart& chart);
// A table with a header line, one line per aircraft.
std::string FormatStatusTable(const std::vector<AircraftStatus>& rows);
// "[mm:ss] CALLSIGN hears: ...", "... says: ...", "... now ...", at simulated time `seconds`.
std::string FormatNote(double seconds, const TrafficNote& note);

}  // namespace corvane::fsim
