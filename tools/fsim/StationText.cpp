#include "fsim/StationText.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace corvane::fsim {

namespace {

constexpr std::string_view kMenuLead = "Choose one of the following options";

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view TrimEnds(std::string_view text, std::string_view chars) {
    const size_t first = text.find_first_not_of(chars);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(chars) - first + 1);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The whole number right after `key` in `text`, if `key` is there and a number follows.
std::optional<int> NumberAfter(std::string_view text, std::string_view key) {
    const size_t at = text.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rest = text.substr(at + key.size());
    int value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end == rest.data()) {
        return std::nullopt;
    }
    return value;
}

// The text after `key` up to the first of `stops` (or the end).
std::optional<std::string_view> TextAfter(std::string_view text, std::string_view key,
                                          std::initializer_list<std::string_view> stops) {
    const size_t at = text.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(at + key.size());
    size_t end = rest.size();
    for (std::string_view stop : stops) {
        end = std::min(end, rest.find(stop));
    }
    return rest.substr(0, end);
}

Radio RadioOfWord(std::string_view word) {
    const std::string w = Lower(word);
    if (w == "ground") {
        return Radio::Ground;
    }
    if (w == "tower") {
        return Radio::Tower;
    }
    if (w == "approach") {
        return Radio::Approach;
    }
    if (w == "departure") {
        return Radio::Departure;
    }
    if (w == "artcc") {
        return Radio::Artcc;
    }
    if (w == "advisory") {
        return Radio::Advisory;
    }
    return Radio::None;
}

std::vector<std::string> SplitTaxiways(std::string_view list) {
    std::vector<std::string> names;
    size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && list[i] == ' ') {
            ++i;
        }
        size_t j = list.find(' ', i);
        if (j == std::string_view::npos) {
            j = list.size();
        }
        if (j > i) {
            std::string word(list.substr(i, j - i));
            // A runway driven along is named "RUNWAY 13R": keep the designation with it.
            if (word == "RUNWAY" && j < list.size()) {
                size_t k = j + 1;
                size_t e = list.find(' ', k);
                if (e == std::string_view::npos) {
                    e = list.size();
                }
                if (e > k) {
                    word += " " + std::string(list.substr(k, e - k));
                    j = e;
                }
            }
            names.push_back(std::move(word));
        }
        i = j;
    }
    return names;
}

std::optional<ContactInstruction> ReadContact(std::string_view body) {
    const size_t at = body.find("Contact ");
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = body.substr(at + 8);
    const size_t wordEnd = rest.find_first_of(" (.");
    ContactInstruction contact;
    contact.radio = RadioOfWord(rest.substr(0, wordEnd));
    if (contact.radio == Radio::None) {
        return std::nullopt;
    }
    // The sentence ends before ". Good day" or " when ready", or with the body.
    size_t end = rest.size();
    for (std::string_view stop :
         {std::string_view(". Good day"), std::string_view(" when ready")}) {
        end = std::min(end, rest.find(stop));
    }
    rest = rest.substr(0, end);
    if (const size_t paren = rest.find(" ("); paren == wordEnd) {
        std::string_view inside = rest.substr(paren + 2);
        if (!inside.empty() && inside.back() == ')') {
            inside.remove_suffix(1);
        }
        contact.frequency = std::string(inside);
    } else if (const size_t on = rest.find(" on "); on != std::string_view::npos) {
        contact.frequency = std::string(TrimEnds(rest.substr(on + 4), " "));
    }
    return contact;
}

}  // namespace

std::string_view RadioName(Radio radio) {
    switch (radio) {
        case Radio::None:
            return "";
        case Radio::Ground:
            return "Ground";
        case Radio::Tower:
            return "Tower";
        case Radio::Approach:
            return "Approach";
        case Radio::Departure:
            return "Departure";
        case Radio::Artcc:
            return "ARTCC";
        case Radio::Advisory:
            return "CTAF";
    }
    return "";
}

int StationLine::Option(std::string_view optionText) const {
    const std::string wanted = Lower(optionText);
    for (const MenuOption& o : options) {
        if (Lower(o.text) == wanted) {
            return o.number;
        }
    }
    return 0;
}

std::vector<MenuOption> ReadMenu(std::string_view line) {
    std::vector<MenuOption> options;
    const size_t at = line.rfind(": 1-");
    if (at == std::string_view::npos) {
        return options;
    }
    size_t start = at + 2;
    for (int n = 1;; ++n) {
        const std::string lead = std::to_string(n) + "-";
        if (line.substr(start, lead.size()) != lead) {
            break;
        }
        const size_t textStart = start + lead.size();
        const std::string next = " " + std::to_string(n + 1) + "-";
        const size_t nextAt = line.find(next, textStart);
        const size_t textEnd = nextAt == std::string_view::npos ? line.size() : nextAt;
        options.push_back({n, std::string(line.substr(textStart, textEnd - textStart))});
        if (nextAt == std::string_view::npos) {
            break;
        }
        start = nextAt + 1;
    }
    return options;
}

std::optional<StationLine> ReadStationLine(std::string_view line, std::string_view callsign) {
    if (callsign.empty()) {
        return std::nullopt;
    }
    std::string_view rest;
    const std::string announcement = "Traffic, " + std::string(callsign) + ",";
    if (StartsWith(line, callsign) && line.size() > callsign.size() &&
        (line[callsign.size()] == ',' || line[callsign.size()] == '.')) {
        rest = line.substr(callsign.size() + 1);
    } else if (StartsWith(line, announcement)) {
        rest = line.substr(9);  // the announcement itself, callsign first
    } else {
        return std::nullopt;
    }
    StationLine out;
    out.text = std::string(line);
    out.options = ReadMenu(line);

    size_t bodyEnd = rest.find(kMenuLead);
    if (bodyEnd == std::string_view::npos) {
        const size_t question = rest.rfind(": 1-");
        bodyEnd = question == std::string_view::npos ? rest.size() : question;
    } else {
        const std::string_view after = rest.substr(bodyEnd + kMenuLead.size());
        if (StartsWith(after, " for the ")) {
            const std::string_view word = after.substr(9, after.find_first_of(" ", 9) - 9);
            out.menuRadio = RadioOfWord(word);
        }
    }
    out.body = std::string(TrimEnds(rest.substr(0, bodyEnd), " ."));
    return out;
}

Instructions ReadInstructions(std::string_view body) {
    Instructions in;
    if (body.find("Welcome to ") != std::string_view::npos) {
        in.welcome = true;
        if (auto ident = TextAfter(body, "Want to use our ATC services at ", {"?"})) {
            in.welcomeIdent = std::string(*ident);
        }
    }
    in.flightTypeQuestion =
        body.find("What type of flight you want to fly?") != std::string_view::npos;
    in.destinationQuestion =
        body.find("What is your destination airport?") != std::string_view::npos;

    if (auto runway = TextAfter(body, "Taxi to and hold short runway ", {" using taxiway", "."})) {
        TaxiClearance taxi;
        taxi.toRunway = true;
        taxi.destination = std::string(*runway);
        if (auto list = TextAfter(body, " using taxiway", {". Contact"})) {
            taxi.taxiways = SplitTaxiways(*list);
        }
        in.taxi = std::move(taxi);
    } else if (auto place = TextAfter(body, "Taxi to ", {" using taxiway"})) {
        TaxiClearance taxi;
        taxi.destination = std::string(TrimEnds(*place, " ."));
        if (auto list = TextAfter(body, " using taxiway", {". "})) {
            taxi.taxiways = SplitTaxiways(TrimEnds(*list, " ."));
        }
        in.taxi = std::move(taxi);
    }
    in.holdPosition = body.find("Hold position, caution other traffic") != std::string_view::npos;
    in.continueTaxi = body.find("Continue taxi") != std::string_view::npos;
    in.reportParked = body.find("Report us when you are parked") != std::string_view::npos;

    in.clearedForTakeoff = body.find("Cleared for takeoff on runway ") != std::string_view::npos;
    in.holdShort = body.find("Hold short on runway ") != std::string_view::npos;
    if (body.find("Enter left downwind runway ") != std::string_view::npos) {
        in.pattern = PatternEntry::LeftDownwind;
    } else if (body.find("Enter right downwind runway ") != std::string_view::npos) {
        in.pattern = PatternEntry::RightDownwind;
    } else if (body.find("Fly on base to runway ") != std::string_view::npos) {
        in.pattern = PatternEntry::Base;
    } else if (body.find("Fly straight in runway ") != std::string_view::npos) {
        in.pattern = PatternEntry::StraightIn;
    }
    if (body.find("You are cleared to land on runway ") != std::string_view::npos) {
        in.clearedToLand = true;
        in.landingNumber = NumberAfter(body, "Number ").value_or(0);
    }
    in.goAround = body.find("Go around") != std::string_view::npos;
    in.exitRunway = body.find("Exit runway when able") != std::string_view::npos;
    in.landingCancelled = body.find("Roger landing cancel received") != std::string_view::npos;

    if (auto h = NumberAfter(body, "Turn left heading ")) {
        in.heading = h;
        in.turn = TurnSide::Left;
    } else if (auto r = NumberAfter(body, "Turn right heading ")) {
        in.heading = r;
        in.turn = TurnSide::Right;
    }
    if (auto climb = NumberAfter(body, "Climb and Maintain ")) {
        in.altitudeFt = climb;
    } else if (auto descend = NumberAfter(body, "Descent and Maintain ")) {
        in.altitudeFt = descend;
    }
    if (body.find("Cleared for the ILS runway ") != std::string_view::npos) {
        in.clearedApproach = true;
        in.ilsApproach = true;
    } else if (body.find("Cleared for the runway ") != std::string_view::npos) {
        in.clearedApproach = true;
    }
    if (in.clearedApproach) {
        in.approachHeading = NumberAfter(body, "Maintain heading ");
        if (auto rest = TextAfter(body, "Maintain heading ", {" ft until"})) {
            in.approachAltitudeFt = NumberAfter(*rest, " and ");
        }
    }
    in.expectVectors = body.find("expect vectors for runway ") != std::string_view::npos;
    in.ownNavigation = body.find("assume own navigation") != std::string_view::npos;
    in.climbToCruise = body.find("Climb and maintain cruise altitude") != std::string_view::npos;

    in.contact = ReadContact(body);
    in.traffic =
        body.find("TRAFFIC ALERT!") != std::string_view::npos || StartsWith(body, "Traffic is ");
    in.terminated = body.find("Services terminated") != std::string_view::npos;
    return in;
}

}  // namespace corvane::fsim
