#include "scenery-writer/GroundnetImport.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <numeric>
#include <optional>
#include <set>
#include <sstream>
#include <unordered_map>

#include "scenery/BglDecoder.h"
#include "shared/Text.h"

namespace corvane::writer {

namespace {

constexpr double kMetersPerDegree = 60.0 * 1852.0;  // of latitude
constexpr size_t kTaxiwayNameBytes = 8;             // a names item of the BGL network
constexpr int32_t kMaxParkingNumber = 8000;

uint64_t PairKey(size_t a, size_t b) {
    return (static_cast<uint64_t>(std::min(a, b)) << 32) | static_cast<uint64_t>(std::max(a, b));
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::vector<std::string> Words(const std::string& name) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : name) {
        const bool letter = IsLetter(c);
        if (!letter && !IsDigit(c)) {
            if (!word.empty()) {
                words.push_back(std::move(word));
                word.clear();
            }
            continue;
        }
        if (!word.empty() && IsLetter(word.back()) != letter) {
            words.push_back(std::move(word));
            word.clear();
        }
        word += c;
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    return words;
}

// "N" .. "NW" for a word naming a compass point, short or spelt out; empty otherwise.
std::string CompassPoint(const std::string& word) {
    static const std::pair<const char*, const char*> kPoints[] = {
        {"N", "North"}, {"NE", "Northeast"}, {"E", "East"}, {"SE", "Southeast"},
        {"S", "South"}, {"SW", "Southwest"}, {"W", "West"}, {"NW", "Northwest"}};
    for (const auto& [brief, full] : kPoints) {
        if (EqualsIgnoreCase(word, brief) || EqualsIgnoreCase(word, full)) {
            return brief;
        }
    }
    return {};
}

// The taxiway name as the BGL network holds it: "*" and blanks are no name; a longer name keeps
// its first eight Windows-1252 characters.
std::string TaxiwayName(const std::string& raw) {
    const std::string trimmed(TrimBlanks(raw));
    if (trimmed == "*") {
        return {};
    }
    std::string bytes = Utf8ToCp1252(trimmed);
    if (bytes.size() <= kTaxiwayNameBytes) {
        return trimmed;
    }
    bytes.resize(kTaxiwayNameBytes);
    return Cp1252ToUtf8(bytes);
}

// Metres east and north of (lat0, lon0), flat: a runway is a few kilometres long at most.
std::pair<double, double> Flat(double lat0, double lon0, double lat, double lon) {
    const double dLon = std::remainder(lon - lon0, 360.0);  // across 180 degrees the short way
    return {dLon * kMetersPerDegree * std::cos(lat0 * std::numbers::pi / 180.0),
            (lat - lat0) * kMetersPerDegree};
}

struct CentreLine {
    double lat1, lon1, lat2, lon2;
};

// Distance from the point to the centre line between the runway's ends, and how far along it the
// point lies (metres from the first end, clamped to the runway).
std::pair<double, double> ToCentreLine(const CentreLine& c, double lat, double lon) {
    const auto [ax, ay] = Flat(lat, lon, c.lat1, c.lon1);
    const auto [bx, by] = Flat(lat, lon, c.lat2, c.lon2);
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? -(ax * dx + ay * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return {std::hypot(ax + t * dx, ay + t * dy), t * std::sqrt(length2)};
}

class UnionFind {
  public:
    explicit UnionFind(size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), 0); }
    size_t Find(size_t x) {
        while (parent_[x] != x) {
            parent_[x] = parent_[parent_[x]];
            x = parent_[x];
        }
        return x;
    }
    void Unite(size_t a, size_t b) { parent_[Find(a)] = Find(b); }

  private:
    std::vector<size_t> parent_;
};

// A link between two taxi nodes (node positions in the file), as the first arc gave it.
struct Link {
    size_t a = 0;
    size_t b = 0;
    std::string name;
    int32_t kind = 0;
    int32_t runway = 0;
    bool forward = false;   // an arc a -> b
    bool backward = false;  // an arc b -> a
};

double Round7(double degrees) {
    return std::round(degrees * 1e7) / 1e7;
}

}  // namespace

ParkingName MapParkingName(const std::string& name, const std::string& type) {
    const std::vector<std::string> words = Words(name);
    const auto numberAt = std::find_if(words.begin(), words.end(),
                                       [](const std::string& w) { return IsDigit(w.front()); });
    ParkingName result;
    if (numberAt != words.end()) {
        const size_t significant = numberAt->find_first_not_of('0');
        if (significant != std::string::npos && numberAt->size() - significant <= 4) {
            const int32_t n = std::stoi(numberAt->substr(significant));
            result.preferred = n <= kMaxParkingNumber ? n : 0;
        }
    }
    const auto firstWord = std::find_if(words.begin(), words.end(),
                                        [](const std::string& w) { return IsLetter(w.front()); });
    if (EqualsIgnoreCase(TrimBlanks(type), "gate")) {
        char letter = 0;
        if (numberAt != words.begin() && numberAt != words.end() && (numberAt - 1)->size() == 1) {
            letter = (numberAt - 1)->front();
        } else if (firstWord != words.end()) {
            letter = firstWord->front();
        }
        result.text = letter ? std::string("Gate ") + AsciiUpper(std::string(1, letter)) : "Gate";
        return result;
    }
    for (const std::string& w : words) {
        const std::string point = IsLetter(w.front()) ? CompassPoint(w) : std::string();
        if (!point.empty()) {
            result.text = point + " Parking";
            return result;
        }
    }
    result.text = "Parking";
    return result;
}

GroundnetImport ImportGroundnet(const Groundnet& net, const std::vector<Runway>& runways) {
    GroundnetImport out;
    GroundnetReport& report = out.report;
    const size_t nodeCount = net.nodes.size();
    const size_t parkingCount = net.parkings.size();
    report.nodes = static_cast<int32_t>(nodeCount);
    report.parkings = static_cast<int32_t>(parkingCount);
    report.arcs = static_cast<int32_t>(net.arcs.size());

    // One space for both kinds of place: node i is i, parking place j is nodeCount + j.
    std::unordered_map<int32_t, size_t> place;
    for (size_t i = 0; i < nodeCount; ++i) {
        place.emplace(net.nodes[i].index, i);
    }
    for (size_t j = 0; j < parkingCount; ++j) {
        place.emplace(net.parkings[j].index, nodeCount + j);
    }

    // Links between taxi nodes; arcs that touch a parking place or belong to a pushback path make
    // up the parking places' ways to the network instead.
    enum Touch : uint8_t { kNone, kParkingPath, kTaxi };
    std::vector<uint8_t> touched(nodeCount, kNone);
    std::vector<std::vector<size_t>> parkingPaths(nodeCount + parkingCount);
    std::vector<Link> links;
    std::unordered_map<uint64_t, size_t> linkAt;
    std::set<std::string> renamed;
    for (const GroundnetArc& arc : net.arcs) {
        const auto from = place.find(arc.begin);
        const auto to = place.find(arc.end);
        if (from == place.end() || to == place.end() || from->second == to->second) {
            ++report.arcsIgnored;
            continue;
        }
        const size_t a = from->second;
        const size_t b = to->second;
        if (arc.pushBack || a >= nodeCount || b >= nodeCount) {
            ++report.parkingPathArcs;
            parkingPaths[a].push_back(b);
            parkingPaths[b].push_back(a);
            for (const size_t p : {a, b}) {
                if (p < nodeCount && touched[p] == kNone) {
                    touched[p] = kParkingPath;
                }
            }
            continue;
        }
        touched[a] = touched[b] = kTaxi;
        const std::string name = TaxiwayName(arc.name);
        if (name != arc.name && renamed.insert(arc.name).second) {
            report.taxiwayNames.push_back({arc.name, name});
        }
        const auto [it, added] = linkAt.emplace(PairKey(a, b), links.size());
        if (added) {
            links.push_back({a, b, name, 0, 0, true, false});
            continue;
        }
        Link& link = links[it->second];
        bool& direction = link.a == a ? link.forward : link.backward;
        if (direction) {
            ++report.repeatedArcs;
        }
        direction = true;
        if (link.name.empty()) {
            link.name = name;
        }
    }
    for (const Link& link : links) {
        if (link.forward && link.backward) {
            ++report.twoWayPairs;
        } else {
            ++report.oneWayArcs;
        }
    }

    // Runway nodes onto the nearest centre line, then each runway's nodes joined along it.
    std::vector<std::optional<CentreLine>> lines;
    for (const Runway& r : runways) {
        if (r.starts.size() >= 2) {
            lines.push_back(
                CentreLine{r.starts[0].lat, r.starts[0].lon, r.starts[1].lat, r.starts[1].lon});
        } else {
            lines.push_back(std::nullopt);
        }
    }
    report.runwayNodes.assign(runways.size(), 0);
    std::vector<std::vector<std::pair<double, size_t>>> alongRunway(runways.size());
    std::vector<int32_t> runwayOf(nodeCount, -1);
    for (size_t i = 0; i < nodeCount; ++i) {
        const GroundnetNode& n = net.nodes[i];
        if (!n.onRunway || touched[i] != kTaxi) {
            continue;
        }
        double nearest = 0.0;
        for (size_t r = 0; r < lines.size(); ++r) {
            if (!lines[r]) {
                continue;
            }
            const double off = ToCentreLine(*lines[r], n.lat, n.lon).first;
            if (off <= kRunwayReachM && (runwayOf[i] < 0 || off < nearest)) {
                nearest = off;
                runwayOf[i] = static_cast<int32_t>(r);
            }
        }
        if (runwayOf[i] < 0) {
            report.runwayNodesOffRunways.push_back(n.index);
            continue;
        }
        const auto r = static_cast<size_t>(runwayOf[i]);
        alongRunway[r].push_back({ToCentreLine(*lines[r], n.lat, n.lon).second, i});
        ++report.runwayNodes[r];
    }
    for (Link& link : links) {
        if (runwayOf[link.a] >= 0 && runwayOf[link.a] == runwayOf[link.b]) {
            link.kind = 1;
            link.runway = runwayOf[link.a];
        }
    }
    for (size_t r = 0; r < alongRunway.size(); ++r) {
        auto& nodes = alongRunway[r];
        std::stable_sort(nodes.begin(), nodes.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        for (size_t k = 1; k < nodes.size(); ++k) {
            const size_t a = nodes[k - 1].second;
            const size_t b = nodes[k].second;
            const auto [it, added] = linkAt.emplace(PairKey(a, b), links.size());
            if (added) {
                links.push_back({a, b, "", 1, static_cast<int32_t>(r), true, true});
            }
        }
    }

    // The main network: the connected part with the most nodes; of equal ones, the part of the
    // node that comes first in the file.
    UnionFind parts(nodeCount);
    for (const Link& link : links) {
        parts.Unite(link.a, link.b);
    }
    std::vector<int32_t> partSize(nodeCount, 0);
    for (size_t i = 0; i < nodeCount; ++i) {
        if (touched[i] == kTaxi) {
            ++partSize[parts.Find(i)];
        }
    }
    size_t mainPart = nodeCount;
    for (size_t i = 0; i < nodeCount; ++i) {
        const size_t p = parts.Find(i);
        if (touched[i] == kTaxi && (mainPart == nodeCount || partSize[p] > partSize[mainPart])) {
            mainPart = p;
        }
    }
    if (mainPart == nodeCount) {
        throw GroundnetError("no arc links two taxi nodes: there is no taxiway network");
    }
    std::vector<int32_t> pointOf(nodeCount, -1);
    for (size_t i = 0; i < nodeCount; ++i) {
        if (touched[i] == kNone) {
            ++report.nodesWithoutArcs;
        } else if (touched[i] == kParkingPath) {
            ++report.nodesOnParkingPathsOnly;
        } else if (parts.Find(i) != mainPart) {
            ++report.nodesOffNetwork;
        } else {
            pointOf[i] = static_cast<int32_t>(out.taxi.points.size());
            out.taxi.points.push_back({net.nodes[i].lat, net.nodes[i].lon});
        }
    }
    for (const Link& link : links) {
        if (pointOf[link.a] < 0) {
            continue;
        }
        ImportedSegment s;
        s.kind = link.kind;
        s.start = pointOf[link.a];
        s.end = pointOf[link.b];
        if (link.kind == 0) {
            s.taxiway = link.name;
            ++report.taxiSegments;
        } else {
            s.runway = link.runway;
            ++report.runwaySegments;
        }
        out.taxi.segments.push_back(std::move(s));
    }

    // Parking places: where each joins the network, then their names.
    std::vector<uint32_t> visited(nodeCount + parkingCount, 0);
    uint32_t stamp = 0;
    const auto joinNode = [&](size_t j) -> int32_t {
        const auto route = place.find(net.parkings[j].pushBackRoute);
        if (route != place.end() && route->second < nodeCount && pointOf[route->second] >= 0) {
            return pointOf[route->second];
        }
        ++stamp;
        std::vector<size_t> queue{nodeCount + j};
        visited[nodeCount + j] = stamp;
        for (size_t q = 0; q < queue.size(); ++q) {
            for (const size_t next : parkingPaths[queue[q]]) {
                if (visited[next] == stamp) {
                    continue;
                }
                visited[next] = stamp;
                if (next < nodeCount && pointOf[next] >= 0) {
                    return pointOf[next];
                }
                if (next < nodeCount) {
                    queue.push_back(next);  // another parking place is not a way through
                }
            }
        }
        return -1;
    };
    std::vector<ParkingName> names;
    std::vector<int32_t> joins;
    for (size_t j = 0; j < parkingCount; ++j) {
        const GroundnetParking& p = net.parkings[j];
        const int32_t join = joinNode(j);
        if (join < 0) {
            report.parkingsLeftOut.push_back(p.name);
            continue;
        }
        names.push_back(MapParkingName(p.name, p.type));
        joins.push_back(join);
        out.taxi.parking.push_back({p.lat, p.lon, p.radiusM, names.back().text, 0, p.name});
    }
    // A place keeps its own number unless an earlier one took it; the others get the lowest free.
    std::map<std::string, std::set<int32_t>> taken;
    std::vector<bool> numbered(names.size(), false);
    for (size_t k = 0; k < names.size(); ++k) {
        if (names[k].preferred > 0 && taken[names[k].text].insert(names[k].preferred).second) {
            out.taxi.parking[k].number = names[k].preferred;
            numbered[k] = true;
        }
    }
    std::map<std::string, int32_t> lowestFree;
    for (size_t k = 0; k < names.size(); ++k) {
        if (numbered[k]) {
            continue;
        }
        const std::set<int32_t>& used = taken[names[k].text];
        int32_t& n = lowestFree.try_emplace(names[k].text, 1).first->second;
        while (used.count(n)) {
            ++n;
        }
        if (n > kMaxParkingNumber) {
            throw GroundnetError("more than " + std::to_string(kMaxParkingNumber) +
                                 " parking places named " + names[k].text);
        }
        out.taxi.parking[k].number = n++;
    }
    for (size_t k = 0; k < out.taxi.parking.size(); ++k) {
        const ImportedParking& p = out.taxi.parking[k];
        report.parkingNames.push_back(
            {p.from, AsciiUpper(p.name) + " " + std::to_string(p.number)});
        out.taxi.segments.push_back({2, joins[k], static_cast<int32_t>(k), "", 0});
        ++report.parkingSegments;
    }
    return out;
}

std::string TaxiDescriptionJson(const ImportedTaxi& taxi) {
    using Json = nlohmann::ordered_json;
    const auto item = [](const Json& j) {
        return j.dump(-1, ' ', false, Json::error_handler_t::replace);
    };
    std::ostringstream out;
    const auto list = [&](const char* key, size_t size, const auto& each, bool last) {
        out << " \"" << key << "\": [";
        for (size_t i = 0; i < size; ++i) {
            out << (i ? ",\n  " : "\n  ") << item(each(i));
        }
        out << (size ? "\n ]" : "]") << (last ? "\n" : ",\n");
    };
    out << "{\n";
    list(
        "points", taxi.points.size(),
        [&](size_t i) {
            return Json{{"lat", Round7(taxi.points[i].lat)}, {"lon", Round7(taxi.points[i].lon)}};
        },
        false);
    list(
        "parking", taxi.parking.size(),
        [&](size_t i) {
            const ImportedParking& p = taxi.parking[i];
            return Json{{"lat", Round7(p.lat)}, {"lon", Round7(p.lon)}, {"radiusM", p.radiusM},
                        {"name", p.name},       {"number", p.number},   {"from", p.from}};
        },
        false);
    list(
        "segments", taxi.segments.size(),
        [&](size_t i) {
            const ImportedSegment& s = taxi.segments[i];
            Json j{{"type", s.kind == 0   ? "taxi"
                            : s.kind == 1 ? "runway"
                                          : "parking"},
                   {"start", s.start},
                   {"end", s.end}};
            if (s.kind == 0) {
                j["taxiway"] = s.taxiway;
            } else if (s.kind == 1) {
                j["runway"] = s.runway;
            }
            return j;
        },
        true);
    out << "}\n";
    return out.str();
}

std::string GroundnetReportText(const GroundnetReport& r, const std::vector<Runway>& runways) {
    std::ostringstream out;
    out << "Ground network: " << r.nodes << " nodes, " << r.parkings << " parking places, "
        << r.arcs << " arcs.\n";
    out << "Written: " << r.taxiSegments << " taxi segments (" << r.twoWayPairs
        << " two-way arc pairs and " << r.oneWayArcs << " one-way arcs; " << r.repeatedArcs
        << " arcs listed again), " << r.runwaySegments << " runway segments, " << r.parkingSegments
        << " parking places with their parking segments; " << r.parkingPathArcs
        << " pushback path arcs replaced by those.\n";
    for (size_t k = 0; k < runways.size() && k < r.runwayNodes.size(); ++k) {
        out << "Runway " << scenery::RunwayDesignation(runways[k].number, runways[k].code) << ": "
            << r.runwayNodes[k] << " nodes on it.\n";
    }
    if (!r.runwayNodesOffRunways.empty()) {
        out << "Runway nodes farther than " << kRunwayReachM
            << " m from every runway of the description, kept as taxi nodes:";
        for (const int32_t index : r.runwayNodesOffRunways) {
            out << " " << index;
        }
        out << "\n";
    }
    out << "Left out: " << r.nodesWithoutArcs << " nodes no arc touches, "
        << r.nodesOnParkingPathsOnly << " nodes only on pushback paths, " << r.nodesOffNetwork
        << " nodes not joined to the main network, " << r.arcsIgnored
        << " arcs naming no place or going nowhere, " << r.parkingsLeftOut.size()
        << " parking places not joined to it";
    for (size_t k = 0; k < r.parkingsLeftOut.size(); ++k) {
        out << (k ? ", " : ": ") << r.parkingsLeftOut[k];
    }
    out << ".\n";
    for (const NameChange& c : r.taxiwayNames) {
        out << "Taxiway \"" << c.from << "\" -> "
            << (c.to.empty() ? std::string("unnamed") : "\"" + c.to + "\"") << "\n";
    }
    out << "Parking places (ground network name -> name in the scenery):\n";
    for (const NameChange& c : r.parkingNames) {
        out << "  " << c.from << " -> " << c.to << "\n";
    }
    return out.str();
}

}  // namespace corvane::writer
