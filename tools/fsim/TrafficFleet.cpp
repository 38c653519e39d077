#include "fsim/TrafficFleet.h"

#include <cmath>
#include <cstdio>

namespace corvane::fsim {

TrafficFleet::TrafficFleet(const Clock& clock, LinkFactory factory, TrafficNotes notes)
    : clock_(clock), factory_(std::move(factory)), notes_(std::move(notes)) {}

SimAircraft& TrafficFleet::Add(AircraftSetup setup, const AirportChart& chart) {
    Member m;
    m.link = factory_();
    m.chart = &chart;
    m.aircraft = std::make_unique<SimAircraft>(*m.link, clock_, std::move(setup), chart, notes_);
    aircraft_.push_back(std::move(m));
    return *aircraft_.back().aircraft;
}

int TrafficFleet::JoinAll(const std::string& address, const std::string& sessionName) {
    int failed = 0;
    for (Member& m : aircraft_) {
        if (m.joined) {
            continue;
        }
        m.joined = m.aircraft->Join(address, sessionName);
        failed += m.joined ? 0 : 1;
    }
    return failed;
}

void TrafficFleet::Step() {
    for (Member& m : aircraft_) {
        m.aircraft->Step();
    }
}

bool TrafficFleet::Remove(const std::string& callsign) {
    for (auto it = aircraft_.begin(); it != aircraft_.end(); ++it) {
        if (it->aircraft->Callsign() == callsign) {
            it->aircraft->Leave();
            aircraft_.erase(it);
            return true;
        }
    }
    return false;
}

SimAircraft* TrafficFleet::Find(const std::string& callsign) {
    for (Member& m : aircraft_) {
        if (m.aircraft->Callsign() == callsign) {
            return m.aircraft.get();
        }
    }
    return nullptr;
}

std::vector<AircraftStatus> TrafficFleet::Status() const {
    std::vector<AircraftStatus> rows;
    for (const Member& m : aircraft_) {
        rows.push_back(StatusOf(*m.aircraft, *m.chart));
    }
    return rows;
}

AircraftStatus StatusOf(const SimAircraft& aircraft, const AirportChart& chart) {
    const AircraftState& s = aircraft.Model().State();
    AircraftStatus row;
    row.callsign = aircraft.Callsign();
    row.kind = std::string(KindName(aircraft.Pilot().Config().kind));
    row.phase = aircraft.Pilot().PhaseText();
    row.radio = aircraft.Pilot().TunedText();
    row.link = std::string(LinkStateName(aircraft.Link()));
    row.altitudeFt = static_cast<int>(std::lround(s.altitudeFt));
    row.speedKt = static_cast<int>(std::lround(s.speedKt));
    int heading = static_cast<int>(std::lround(chart.MagneticFromTrue(s.trueHeading)));
    row.headingMagnetic = heading == 0 ? 360 : heading;
    row.distanceNm = DistanceNmExact(s.position, chart.reference);
    return row;
}

std::string FormatStatusTable(const std::vector<AircraftStatus>& rows) {
    std::string out = "callsign   kind           alt ft  kt  hdg    nm  radio             phase\n";
    char line[512];
    for (const AircraftStatus& r : rows) {
        std::snprintf(line, sizeof line, "%-10s %-13s %7d %3d  %03d %5.1f  %-17s %s%s\n",
                      r.callsign.c_str(), r.kind.c_str(), r.altitudeFt, r.speedKt,
                      r.headingMagnetic, r.distanceNm, r.radio.c_str(), r.phase.c_str(),
                      r.link == "in the session" ? "" : (" (" + r.link + ")").c_str());
        out += line;
    }
    return out;
}

std::string FormatNote(double seconds, const TrafficNote& note) {
    const long whole = std::lround(std::floor(seconds));
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%02ld:%02ld] ", whole / 60, whole % 60);
    std::string out = stamp + note.callsign;
    switch (note.kind) {
        case TrafficNote::Kind::Heard:
            out += " hears: ";
            break;
        case TrafficNote::Kind::Said:
            out += " says: ";
            break;
        case TrafficNote::Kind::Phase:
            out += " now ";
            break;
        case TrafficNote::Kind::Link:
            out += " ";
            break;
    }
    return out + note.text;
}

}  // namespace corvane::fsim
