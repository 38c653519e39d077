#pragma once
// Which aircraft corvane-fsim flies, one line each:
//
//   KIND CALLSIGN START ['TITLE']
//
//   KIND   vfr-pattern, vfr-departure, vfr-arrival, ifr-departure, ifr-arrival, ctaf
//   START  @IDENT:PLACE      parked in that gate or parking place, e.g. @KBFI:GATE A 1
//          @IDENT            parked in the first free place of that airport
//          DIST SECTOR [ALT] airborne DIST miles from the runway's threshold in the compass
//                            sector named as the station names them (north is where the runway
//                            points), at ALT feet, e.g. 40nm north 8000ft
//   TITLE  the aircraft's title, in single or double quotes (a default by kind otherwise)
//
// Example: vfr-pattern N123AB @KBFI:GATE A 1 'Cessna 172'. A traffic file holds such lines;
// blank lines and lines starting with # are skipped.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fsim/SimAircraft.h"

namespace corvane::fsim {

struct TrafficEntry {
    FlightKind kind = FlightKind::VfrPattern;
    std::string callsign;
    std::string airport;  // the ident after "@"; empty for an airborne start
    std::string parking;  // empty: the first free place (parked) or airborne
    bool parked = true;
    double distanceNm = 0.0;
    std::string sector;
    std::optional<double> altitudeFt;
    std::string title;

    bool operator==(const TrafficEntry&) const = default;
};

// The entry, or why the line is not one.
std::variant<TrafficEntry, std::string> ParseTrafficEntry(std::string_view line);

struct TrafficFile {
    std::vector<TrafficEntry> entries;
    std::vector<std::string> errors;  // "line N: why"
};
TrafficFile ParseTrafficFile(std::string_view text);

// The aircraft a entry describes at the airport of `chart`: where it starts, its title and
// performance. Parking places already `taken` by other aircraft are not given twice; the place
// chosen is added. An error text when the place or the sector is unknown.
std::variant<AircraftSetup, std::string> SetupFor(const TrafficEntry& entry,
                                                  const AirportChart& chart,
                                                  std::set<std::string>& taken);

// The magnetic bearing offset from the runway heading of a compass word, or nullopt.
std::optional<double> SectorOffset(std::string_view word);

}  // namespace corvane::fsim
