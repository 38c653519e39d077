#include "fsim/TrafficEntry.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace corvane::fsim {

namespace {

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The next blank-separated word of `rest`, which moves on past it.
std::string_view NextWord(std::string_view& rest) {
    rest = Trim(rest);
    const size_t end = rest.find_first_of(" \t");
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    return word;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// A number followed by a unit ("40nm", "8000ft", "40"), in a range.
std::optional<double> Quantity(std::string_view word, std::string_view unit, double low,
                               double high) {
    std::string w = Lower(word);
    if (w.size() > unit.size() && w.substr(w.size() - unit.size()) == unit) {
        w.resize(w.size() - unit.size());
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(w.data(), w.data() + w.size(), value);
    if (error != std::errc() || end != w.data() + w.size() || !(value >= low && value <= high)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<double> SectorOffset(std::string_view word) {
    static constexpr std::pair<std::string_view, double> kSectors[] = {
        {"north", 0.0},   {"northeast", 45.0},  {"east", 90.0},  {"southeast", 135.0},
        {"south", 180.0}, {"southwest", 225.0}, {"west", 270.0}, {"northwest", 315.0},
    };
    const std::string w = Lower(word);
    for (const auto& [name, offset] : kSectors) {
        if (name == w) {
            return offset;
        }
    }
    return std::nullopt;
}

std::variant<TrafficEntry, std::string> ParseTrafficEntry(std::string_view line) {
    std::string_view rest = Trim(line);
    TrafficEntry entry;
    // The title, quoted, ends the line.
    const size_t quote = rest.find_first_of("'\"");
    if (quote != std::string_view::npos) {
        const char q = rest[quote];
        const size_t close = rest.find(q, quote + 1);
        if (close == std::string_view::npos || !Trim(rest.substr(close + 1)).empty()) {
            return std::string("the title needs its closing quote at the end of the line");
        }
        entry.title = std::string(rest.substr(quote + 1, close - quote - 1));
        rest = Trim(rest.substr(0, quote));
    }
    const std::string_view kind = NextWord(rest);
    const auto parsedKind = KindFromName(Lower(kind));
    if (!parsedKind) {
        return "unknown kind \"" + std::string(kind) +
               "\" (vfr-pattern, vfr-departure, vfr-arrival, ifr-departure, ifr-arrival, ctaf)";
    }
    entry.kind = *parsedKind;
    entry.callsign = std::string(NextWord(rest));
    if (entry.callsign.empty() || entry.callsign.size() > 32) {
        return std::string("a callsign of 1 to 32 characters is needed");
    }
    rest = Trim(rest);
    if (rest.empty()) {
        return std::string("a start is needed: @IDENT:PLACE, @IDENT or DISTANCEnm SECTOR");
    }
    if (rest.front() == '@') {
        const std::string_view at = rest.substr(1);
        const size_t colon = at.find(':');
        entry.airport = Upper(Trim(at.substr(0, colon)));
        if (colon != std::string_view::npos) {
            entry.parking = std::string(Trim(at.substr(colon + 1)));
        }
        if (entry.airport.empty() && entry.parking.empty()) {
            return std::string("\"@\" needs an airport ident or a parking place");
        }
        entry.parked = true;
    } else {
        entry.parked = false;
        const auto distance = Quantity(NextWord(rest), "nm", 0.5, 199.0);
        if (!distance) {
            return std::string("the distance must be 0.5nm to 199nm");
        }
        entry.distanceNm = *distance;
        entry.sector = Lower(NextWord(rest));
        if (!SectorOffset(entry.sector)) {
            return "unknown sector \"" + entry.sector +
                   "\" (north, northeast, east, southeast, south, southwest, west, northwest)";
        }
        if (const std::string_view alt = NextWord(rest); !alt.empty()) {
            const auto feet = Quantity(alt, "ft", 500.0, 45000.0);
            if (!feet) {
                return std::string("the altitude must be 500ft to 45000ft");
            }
            entry.altitudeFt = *feet;
        }
        if (!Trim(rest).empty()) {
            return "unexpected \"" + std::string(Trim(rest)) + "\"";
        }
    }
    if (entry.parked &&
        (entry.kind == FlightKind::VfrArrival || entry.kind == FlightKind::IfrArrival)) {
        return std::string("an arrival starts in the air: DISTANCEnm SECTOR [ALTITUDEft]");
    }
    if (!entry.parked &&
        (entry.kind == FlightKind::VfrDeparture || entry.kind == FlightKind::IfrDeparture)) {
        return std::string("a departure starts parked: @IDENT:PLACE or @IDENT");
    }
    if (entry.title.empty()) {
        entry.title = IsIfr(entry.kind) ? "Boeing 737-800" : "Cessna Skyhawk 172SP";
    }
    return entry;
}

TrafficFile ParseTrafficFile(std::string_view text) {
    TrafficFile file;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        auto parsed = ParseTrafficEntry(line);
        if (auto* entry = std::get_if<TrafficEntry>(&parsed)) {
            file.entries.push_back(std::move(*entry));
        } else {
            file.errors.push_back("line " + std::to_string(number) + ": " +
                                  std::get<std::string>(parsed));
        }
    }
    return file;
}

std::variant<AircraftSetup, std::string> SetupFor(const TrafficEntry& entry,
                                                  const AirportChart& chart,
                                                  std::set<std::string>& taken) {
    AircraftSetup setup;
    setup.pilot.callsign = entry.callsign;
    setup.pilot.kind = entry.kind;
    setup.title = entry.title;
    setup.performance = IsIfr(entry.kind) ? Airliner() : LightPiston();
    if (entry.parked) {
        const ParkingSpot* spot = nullptr;
        if (!entry.parking.empty()) {
            spot = chart.Spot(entry.parking);
            if (!spot) {
                return "no parking place \"" + entry.parking + "\" at " + chart.ident;
            }
        } else {
            for (const ParkingSpot& s : chart.parking) {
                if (!s.name.empty() && !taken.count(Upper(s.name)) &&
                    chart.SpotAt({s.lat, s.lon})) {
                    spot = &s;
                    break;
                }
            }
            if (!spot) {
                return "no free parking place at " + chart.ident;
            }
        }
        taken.insert(Upper(spot->name));
        setup.pilot.homeParking = spot->name;
        setup.start.position = {spot->lat, spot->lon};
        setup.start.onGround = true;
        setup.start.altitudeFt = chart.fieldElevationFt;
        // Nose toward the taxiway the place is reached from.
        const auto index = static_cast<int32_t>(spot - chart.parking.data());
        for (const TaxiPath& p : chart.paths) {
            if (p.kind == 2 && p.endNode == index) {
                setup.start.trueHeading =
                    TrueCourse(setup.start.position, chart.NodePosition(p.startNode));
            }
        }
        return setup;
    }
    const auto offset = SectorOffset(entry.sector);
    if (!offset) {
        return "unknown sector \"" + entry.sector + "\"";
    }
    const double bearing = WrapCourse(chart.runwayTrueCourse + *offset);
    setup.start.position = Destination(chart.threshold, bearing, entry.distanceNm);
    setup.start.onGround = false;
    setup.start.altitudeFt =
        entry.altitudeFt.value_or(IsIfr(entry.kind) ? 8000.0 : chart.fieldElevationFt + 2500.0);
    setup.start.trueHeading = TrueCourse(setup.start.position, chart.reference);
    setup.start.speedKt = setup.performance.cruiseKt;
    return setup;
}

}  // namespace corvane::fsim
