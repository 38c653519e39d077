#include "station/TaxiRouting.h"

#include <cstdint>
#include <unordered_set>

#include "nav/Geometry.h"
#include "shared/Text.h"

namespace corvane::station {

namespace {

using PairSet = std::unordered_set<uint64_t>;

uint64_t Key(int from, int to) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(from)) << 32) | static_cast<uint32_t>(to);
}

bool ValidNode(const ChosenAirport& a, int node) {
    return node >= 0 && static_cast<size_t>(node) < a.TaxiNodes.size();
}

int16_t FeetTo(const ChosenAirport& a, int node, double lat, double lon) {
    const TaxiNode& n = a.TaxiNodes[static_cast<size_t>(node)];
    return nav::DistanceFeet(lat, lon, n.lat, n.lon);
}

bool Drivable(const TaxiPath& p) {
    return p.kind == 0 || p.kind == 1;
}

// The nearer end of the nearest path among those `accept` lets through; a path whose two ends are
// equally far chooses nothing, and only a strictly nearer end replaces the one chosen.
template <typename Accept>
int NearestEnd(const ChosenAirport& a, double lat, double lon, Accept accept) {
    int node = -1;
    int best = -1;
    for (const TaxiPath& p : a.TaxiPaths) {
        if (!accept(p) || !ValidNode(a, p.startNode) || !ValidNode(a, p.endNode)) {
            continue;
        }
        const int dA = FeetTo(a, p.startNode, lat, lon);
        const int dB = FeetTo(a, p.endNode, lat, lon);
        if (best == -1 && node == -1) {
            if (dA < dB) {
                node = p.startNode;
                best = dA;
            }
            if (dB < dA) {
                node = p.endNode;
                best = dB;
            }
        }
        if (dA < dB && dA < best) {
            node = p.startNode;
            best = dA;
        }
        if (dB < dA && dB < best) {
            node = p.endNode;
            best = dB;
        }
    }
    return node;
}

int FindStartNode(const ChosenAirport& a, const TrafficRecord& pilot) {
    for (size_t i = 0; i < a.ParkingSpots.size(); ++i) {
        const ParkingSpot& spot = a.ParkingSpots[i];
        if (nav::DistanceFeet(pilot.latitude, pilot.longitude, spot.lat, spot.lon) >=
            spot.radiusFt) {
            continue;
        }
        for (const TaxiPath& p : a.TaxiPaths) {
            if (p.kind == 2 && p.endNode == static_cast<int32_t>(i) && ValidNode(a, p.startNode)) {
                return p.startNode;
            }
        }
    }
    return NearestEnd(a, pilot.latitude, pilot.longitude, Drivable);
}

int FindEndNode(const ChosenAirport& a, const GeoPoint& destination) {
    if (destination.label == kDestinationRunway) {
        const std::string runway = AsciiLower("runway " + a.RunwayName);
        return NearestEnd(a, a.RunwayLat, a.RunwayLon, [&](const TaxiPath& p) {
            return p.kind == 1 && AsciiLower(p.name) == runway;
        });
    }
    int node = -1;
    const std::string wanted = AsciiUpper(destination.name);
    for (size_t i = 0; i < a.ParkingSpots.size(); ++i) {
        if (AsciiUpper(a.ParkingSpots[i].name) != wanted) {
            continue;
        }
        for (const TaxiPath& p : a.TaxiPaths) {
            if (p.kind == 2 && p.endNode == static_cast<int32_t>(i) && ValidNode(a, p.startNode)) {
                node = p.startNode;
            }
        }
    }
    return node;
}

// The drivable paths at each node, in path order, with the direction they leave it in.
struct Exit {
    size_t path;
    bool forward;
};

std::vector<std::vector<Exit>> ExitsByNode(const ChosenAirport& a) {
    std::vector<std::vector<Exit>> exits(a.TaxiNodes.size());
    for (size_t i = 0; i < a.TaxiPaths.size(); ++i) {
        const TaxiPath& p = a.TaxiPaths[i];
        if (!Drivable(p) || !ValidNode(a, p.startNode) || !ValidNode(a, p.endNode)) {
            continue;
        }
        exits[static_cast<size_t>(p.startNode)].push_back({i, true});
        exits[static_cast<size_t>(p.endNode)].push_back({i, false});
    }
    return exits;
}

}  // namespace

TaxiSearch SearchTaxiRoute(const ChosenAirport& a, const TrafficRecord& pilot,
                           const GeoPoint& destination) {
    TaxiSearch search;
    search.startNode = FindStartNode(a, pilot);
    search.endNode = FindEndNode(a, destination);
    if (search.startNode == -1 || search.endNode == -1) {
        return search;
    }
    const auto exits = ExitsByNode(a);
    const int target = search.endNode;
    const TaxiNode& goal = a.TaxiNodes[static_cast<size_t>(target)];
    PairSet deadEnds;  // last steps of abandoned walks: never taken again from their start node

    // Every abandoned walk rules out a step no later walk can take, so the walks are bounded by
    // the number of steps; a walk that cannot take its first step ends the search.
    const size_t maxWalks = 2 * a.TaxiPaths.size() + 2;
    while (static_cast<size_t>(search.walks) < maxWalks) {
        ++search.walks;
        std::vector<TaxiPath> candidate;
        PairSet driven;
        int current = search.startNode;
        for (;;) {
            const TaxiPath* bestPath = nullptr;
            int bestFar = -1;
            int bestFeet = 0;
            bool reachesGoal = false;
            const bool onRunway = !candidate.empty() && candidate.back().kind == 1;
            for (const Exit& e : exits[static_cast<size_t>(current)]) {
                const TaxiPath& p = a.TaxiPaths[e.path];
                const int far = e.forward ? p.endNode : p.startNode;
                if (far == target) {
                    bestPath = &p;
                    bestFar = far;
                    reachesGoal = true;
                    break;
                }
                if (deadEnds.count(Key(current, far)) || driven.count(Key(current, far)) ||
                    driven.count(Key(far, current))) {
                    continue;
                }
                const int d = FeetTo(a, far, goal.lat, goal.lon);
                bool better = bestPath == nullptr;
                if (!better && !onRunway) {
                    better = d < bestFeet;
                } else if (!better) {
                    better = (p.kind == bestPath->kind && d < bestFeet) || p.kind < bestPath->kind;
                }
                if (better) {
                    bestPath = &p;
                    bestFar = far;
                    bestFeet = d;
                }
            }
            if (bestPath == nullptr) {
                break;  // a dead end
            }
            candidate.push_back({bestPath->kind, current, bestFar, bestPath->name});
            driven.insert(Key(current, bestFar));
            current = bestFar;
            if (reachesGoal) {
                search.found = true;
                search.route = std::move(candidate);
                return search;
            }
        }
        if (candidate.empty()) {
            return search;  // no first step left: E cannot be reached
        }
        deadEnds.insert(Key(candidate.back().startNode, candidate.back().endNode));
    }
    return search;
}

std::string TaxiwayList(const std::vector<TaxiPath>& route) {
    std::string list;
    for (const TaxiPath& step : route) {
        const std::string name = AsciiUpper(step.name);
        if (name.empty() || name == " ") {
            continue;
        }
        const std::string tail = " " + name;
        if (list.size() < tail.size() ||
            list.compare(list.size() - tail.size(), tail.size(), tail) != 0) {
            list += tail;
        }
    }
    return list + " ";
}

void PlanTaxiRoute(StationContext& context, TrafficRecord& pilot, const GeoPoint& destination) {
    const ChosenAirport& a = context.airport;
    TaxiSearch search = SearchTaxiRoute(a, pilot, destination);
    std::string using_;
    if (search.found) {
        using_ = " using taxiway" + TaxiwayList(search.route);
        TaxiReservation r;
        r.callsign = pilot.callsign;
        for (size_t k = 0; k < context.tables.Traffic.size(); ++k) {
            if (context.tables.Traffic[k].callsign == pilot.callsign) {
                r.trafficIndex = static_cast<int16_t>(k);
            }
        }
        r.route = std::move(search.route);
        r.destinationName = destination.name;
        r.destinationKind = destination.label;
        r.destinationLat = destination.latitude;
        r.destinationLon = destination.longitude;
        r.serial = context.tables.NextReservationSerial++;
        context.tables.TaxiReservations.push_back(std::move(r));
    }
    const std::string menu =
        " Choose one of the following options for the Ground frequency: 1-Acknowledge 2-Close ATC "
        "Services";
    if (destination.label == kDestinationRunway) {
        pilot.pendingMenu = pilot.callsign + ", Taxi to and hold short runway " + a.RunwayName +
                            using_ + ". Contact tower on " + a.TowerFreq + " when ready." + menu;
        pilot.status = "Acknowledge taxi to runway";
    } else {
        pilot.pendingMenu =
            pilot.callsign + ", Taxi to " + AsciiUpper(destination.name) + using_ + "." + menu;
        pilot.status = "Acknowledge taxi to gate";
    }
    pilot.choice = 0;
}

}  // namespace corvane::station
