#include "fsim/AirportChart.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <queue>

#include "nav/Geometry.h"

namespace corvane::fsim {

namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string TrimmedUpper(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return Upper(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool ValidNode(const AirportChart& chart, int32_t node) {
    return node >= 0 && static_cast<size_t>(node) < chart.nodes.size();
}

bool Drivable(const TaxiPath& path) {
    return path.kind == 0 || path.kind == 1;
}

// Which paths a route may use.
enum class Allow { Named, AnyTaxiway, Everything };

bool Allowed(const TaxiPath& path, const std::string& namedList, Allow allow) {
    const std::string name = TrimmedUpper(path.name);
    const bool named = !name.empty() && namedList.find(" " + name + " ") != std::string::npos;
    switch (allow) {
        case Allow::Named:
            return name.empty() || named;
        case Allow::AnyTaxiway:
            return path.kind == 0 || named;
        case Allow::Everything:
            return true;
    }
    return false;
}

// Shortest route between two nodes over the allowed paths; the node list (from first to last)
// and the paths driven, or nothing.
struct NodeRoute {
    std::vector<int32_t> nodes;
    std::vector<int32_t> paths;
};

std::optional<NodeRoute> ShortestRoute(const AirportChart& chart, int32_t from, int32_t to,
                                       const std::string& namedList, Allow allow) {
    const size_t n = chart.nodes.size();
    std::vector<double> best(n, std::numeric_limits<double>::infinity());
    std::vector<int32_t> viaNode(n, -1);
    std::vector<int32_t> viaPath(n, -1);
    using Item = std::pair<double, int32_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
    best[static_cast<size_t>(from)] = 0.0;
    open.push({0.0, from});
    while (!open.empty()) {
        const auto [cost, node] = open.top();
        open.pop();
        if (cost > best[static_cast<size_t>(node)]) {
            continue;
        }
        if (node == to) {
            break;
        }
        for (size_t p = 0; p < chart.paths.size(); ++p) {
            const TaxiPath& path = chart.paths[p];
            if (!Drivable(path) || !ValidNode(chart, path.startNode) ||
                !ValidNode(chart, path.endNode) || !Allowed(path, namedList, allow)) {
                continue;
            }
            int32_t far = -1;
            if (path.startNode == node) {
                far = path.endNode;
            } else if (path.endNode == node) {
                far = path.startNode;
            } else {
                continue;
            }
            const double length =
                DistanceFeetExact(chart.NodePosition(node), chart.NodePosition(far));
            const double next = cost + length;
            if (next < best[static_cast<size_t>(far)]) {
                best[static_cast<size_t>(far)] = next;
                viaNode[static_cast<size_t>(far)] = node;
                viaPath[static_cast<size_t>(far)] = static_cast<int32_t>(p);
                open.push({next, far});
            }
        }
    }
    if (!std::isfinite(best[static_cast<size_t>(to)])) {
        return std::nullopt;
    }
    NodeRoute route;
    for (int32_t at = to; at != -1; at = viaNode[static_cast<size_t>(at)]) {
        route.nodes.push_back(at);
        if (viaPath[static_cast<size_t>(at)] >= 0) {
            route.paths.push_back(viaPath[static_cast<size_t>(at)]);
        }
    }
    std::reverse(route.nodes.begin(), route.nodes.end());
    std::reverse(route.paths.begin(), route.paths.end());
    return route;
}

int32_t NearestNode(const AirportChart& chart, LatLon point) {
    int32_t best = -1;
    double bestFeet = std::numeric_limits<double>::infinity();
    for (const TaxiPath& path : chart.paths) {
        if (!Drivable(path)) {
            continue;
        }
        for (int32_t node : {path.startNode, path.endNode}) {
            if (!ValidNode(chart, node)) {
                continue;
            }
            const double d = DistanceFeetExact(point, chart.NodePosition(node));
            if (d < bestFeet) {
                bestFeet = d;
                best = node;
            }
        }
    }
    return best;
}

// Where a taxi from `from` starts on the network: the node a parking place's path leaves from
// when the aircraft stands in one, else the nearest node.
int32_t StartNode(const AirportChart& chart, LatLon from) {
    if (const ParkingSpot* spot = chart.SpotAt(from)) {
        const auto index = static_cast<int32_t>(spot - chart.parking.data());
        for (const TaxiPath& path : chart.paths) {
            if (path.kind == 2 && path.endNode == index && ValidNode(chart, path.startNode)) {
                return path.startNode;
            }
        }
    }
    return NearestNode(chart, from);
}

std::string NamedList(const std::vector<std::string>& taxiways) {
    std::string list = " ";
    for (const std::string& t : taxiways) {
        list += TrimmedUpper(t) + " ";
    }
    return list;
}

std::optional<NodeRoute> RouteOverNames(const AirportChart& chart, int32_t from, int32_t to,
                                        const std::vector<std::string>& taxiways) {
    const std::string list = NamedList(taxiways);
    for (Allow allow : {Allow::Named, Allow::AnyTaxiway, Allow::Everything}) {
        if (allow == Allow::Named && taxiways.empty()) {
            continue;
        }
        if (auto route = ShortestRoute(chart, from, to, list, allow)) {
            return route;
        }
    }
    return std::nullopt;
}

TaxiPlan PlanFromRoute(const AirportChart& chart, LatLon from, const NodeRoute& route) {
    TaxiPlan plan;
    plan.followsNetwork = true;
    for (int32_t node : route.nodes) {
        const LatLon p = chart.NodePosition(node);
        if (plan.points.empty() && DistanceFeetExact(from, p) < 5.0) {
            continue;  // already standing on it
        }
        plan.points.push_back(p);
    }
    for (int32_t p : route.paths) {
        const std::string name = TrimmedUpper(chart.paths[static_cast<size_t>(p)].name);
        if (!name.empty() && (plan.taxiways.empty() || plan.taxiways.back() != name)) {
            plan.taxiways.push_back(name);
        }
    }
    return plan;
}

}  // namespace

bool AirportChart::HasTaxiNetwork() const {
    return nodes.size() > 1 && std::any_of(paths.begin(), paths.end(), [this](const TaxiPath& p) {
               return Drivable(p) && ValidNode(*this, p.startNode) && ValidNode(*this, p.endNode);
           });
}

LatLon AirportChart::NodePosition(int32_t node) const {
    if (!ValidNode(*this, node)) {
        return reference;
    }
    const TaxiNode& n = nodes[static_cast<size_t>(node)];
    return {n.lat, n.lon};
}

const ParkingSpot* AirportChart::Spot(std::string_view name) const {
    const std::string wanted = TrimmedUpper(name);
    for (const ParkingSpot& spot : parking) {
        if (!spot.name.empty() && TrimmedUpper(spot.name) == wanted) {
            return &spot;
        }
    }
    return nullptr;
}

const ParkingSpot* AirportChart::SpotAt(LatLon point) const {
    for (size_t i = 0; i < parking.size(); ++i) {
        const ParkingSpot& spot = parking[i];
        if (spot.name.empty() ||
            DistanceFeetExact(point, {spot.lat, spot.lon}) >= std::max(spot.radiusFt, 1)) {
            continue;
        }
        for (const TaxiPath& path : paths) {
            if (path.kind == 2 && path.endNode == static_cast<int32_t>(i)) {
                return &spot;
            }
        }
    }
    return nullptr;
}

TrackOffset AirportChart::RunwayOffsetFeet(LatLon point) const {
    const TrackOffset nm = OffsetFromTrack(threshold, runwayTrueCourse, point);
    return {nm.along * kFeetPerNm, nm.cross * kFeetPerNm};
}

LatLon AirportChart::RunwayPoint(double alongFt, double crossFt) const {
    const LatLon onLine =
        Destination(threshold, alongFt >= 0 ? runwayTrueCourse : WrapCourse(runwayTrueCourse + 180),
                    std::fabs(alongFt) / kFeetPerNm);
    if (crossFt == 0.0) {
        return onLine;
    }
    return Destination(onLine, WrapCourse(runwayTrueCourse + (crossFt > 0 ? 90.0 : -90.0)),
                       std::fabs(crossFt) / kFeetPerNm);
}

AirportChart ChartFromAirport(const ChosenAirport& airport, const MagneticVariationGrid& grid) {
    AirportChart chart;
    chart.ident = airport.AirportIdent;
    chart.name = airport.AirportName;
    chart.reference = {airport.AirportLat, airport.AirportLon};
    chart.fieldElevationFt = airport.FieldElevation;
    chart.runwayName = airport.RunwayName;
    chart.threshold = {airport.RunwayLat, airport.RunwayLon};
    chart.runwayMagnetic = airport.RunwayHeading;
    chart.variationDeg = nav::VariationAt(grid, airport.RunwayLat, airport.RunwayLon);
    chart.runwayTrueCourse = chart.TrueFromMagnetic(airport.RunwayHeading);
    chart.runwayLengthFt = airport.RunwayLength;
    chart.runwayWidthFt = airport.RunwayWidth;
    chart.hasIls = airport.RunwayHasIls == kTrue;
    chart.nodes = airport.TaxiNodes;
    chart.paths = airport.TaxiPaths;
    chart.parking = airport.ParkingSpots;
    return chart;
}

TaxiPlan PlanTaxiToRunway(const AirportChart& chart, LatLon from,
                          const std::vector<std::string>& taxiways) {
    const double holdFt = chart.runwayWidthFt / 2.0 + 150.0;
    TaxiPlan plan;
    // The runway path's end nearest the threshold, as the station picks it.
    int32_t end = -1;
    double endFeet = std::numeric_limits<double>::infinity();
    const std::string runwayPath = "RUNWAY " + TrimmedUpper(chart.runwayName);
    for (const TaxiPath& path : chart.paths) {
        if (path.kind != 1 || TrimmedUpper(path.name) != runwayPath) {
            continue;
        }
        for (int32_t node : {path.startNode, path.endNode}) {
            if (ValidNode(chart, node)) {
                const double d = DistanceFeetExact(chart.threshold, chart.NodePosition(node));
                if (d < endFeet) {
                    endFeet = d;
                    end = node;
                }
            }
        }
    }
    const int32_t start = chart.HasTaxiNetwork() ? StartNode(chart, from) : -1;
    if (end < 0 && chart.HasTaxiNetwork()) {
        end = NearestNode(chart, chart.threshold);
    }
    std::optional<NodeRoute> route;
    if (start >= 0 && end >= 0) {
        route = RouteOverNames(chart, start, end, taxiways);
    }
    if (!route) {
        // Straight across to a point beside the threshold, clear of the runway.
        plan.points.push_back(chart.RunwayPoint(0.0, -holdFt));
        return plan;
    }
    // Stop on the last stretch that comes from off the runway, short of the runway's edge.
    auto offRunway = [&](int32_t node) {
        return std::fabs(chart.RunwayOffsetFeet(chart.NodePosition(node)).cross) >
               chart.runwayWidthFt / 2.0 + 50.0;
    };
    size_t last = route->nodes.size();
    for (size_t i = route->nodes.size(); i-- > 0;) {
        if (offRunway(route->nodes[i])) {
            last = i;
            break;
        }
    }
    if (last == route->nodes.size()) {
        plan = PlanFromRoute(chart, from, {{route->nodes.front()}, {}});
        return plan;
    }
    NodeRoute kept{{route->nodes.begin(), route->nodes.begin() + static_cast<long>(last) + 1},
                   {route->paths.begin(), route->paths.begin() + static_cast<long>(last)}};
    if (last + 1 < route->nodes.size()) {
        kept.paths.push_back(route->paths[last]);
    }
    plan = PlanFromRoute(chart, from, kept);
    if (last + 1 < route->nodes.size()) {
        const LatLon a = chart.NodePosition(route->nodes[last]);
        const LatLon b = chart.NodePosition(route->nodes[last + 1]);
        const double lengthFt = DistanceFeetExact(a, b);
        // How far short of b the runway edge lies along a-b.
        const double crossA = std::fabs(chart.RunwayOffsetFeet(a).cross);
        const double crossB = std::fabs(chart.RunwayOffsetFeet(b).cross);
        double backFt = holdFt;
        if (crossA > crossB + 1.0) {
            backFt = lengthFt * (holdFt - crossB) / (crossA - crossB);
        }
        if (backFt > 0.0 && backFt < lengthFt) {
            plan.points.push_back(Destination(b, TrueCourse(b, a), backFt / kFeetPerNm));
        }
    }
    return plan;
}

TaxiPlan PlanTaxiToSpot(const AirportChart& chart, LatLon from, const ParkingSpot& spot,
                        const std::vector<std::string>& taxiways) {
    const LatLon place{spot.lat, spot.lon};
    const auto index = static_cast<int32_t>(&spot - chart.parking.data());
    int32_t end = -1;
    for (const TaxiPath& path : chart.paths) {
        if (path.kind == 2 && path.endNode == index && ValidNode(chart, path.startNode)) {
            end = path.startNode;  // the last one, as the station takes it
        }
    }
    TaxiPlan plan;
    const int32_t start = chart.HasTaxiNetwork() ? StartNode(chart, from) : -1;
    if (start >= 0 && end >= 0) {
        if (auto route = RouteOverNames(chart, start, end, taxiways)) {
            plan = PlanFromRoute(chart, from, *route);
        }
    }
    plan.points.push_back(place);
    return plan;
}

RunwayExit FindRunwayExit(const AirportChart& chart, double afterFt) {
    const double half = chart.runwayWidthFt / 2.0;
    std::optional<RunwayExit> first;
    double firstAlong = std::numeric_limits<double>::infinity();
    std::optional<RunwayExit> last;
    double lastAlong = -std::numeric_limits<double>::infinity();
    for (const TaxiPath& path : chart.paths) {
        if (path.kind != 0 || !ValidNode(chart, path.startNode) ||
            !ValidNode(chart, path.endNode)) {
            continue;
        }
        for (const auto& [on, off] :
             {std::pair{path.startNode, path.endNode}, std::pair{path.endNode, path.startNode}}) {
            const TrackOffset a = chart.RunwayOffsetFeet(chart.NodePosition(on));
            const TrackOffset b = chart.RunwayOffsetFeet(chart.NodePosition(off));
            const bool onRunway = std::fabs(a.cross) <= half + 40.0 && a.along > -100.0 &&
                                  a.along < chart.runwayLengthFt + 100.0;
            if (!onRunway || std::fabs(b.cross) <= half + 80.0) {
                continue;
            }
            const RunwayExit exit{chart.NodePosition(on), chart.NodePosition(off)};
            if (a.along >= afterFt && a.along < firstAlong) {
                firstAlong = a.along;
                first = exit;
            }
            if (a.along > lastAlong) {
                lastAlong = a.along;
                last = exit;
            }
        }
    }
    if (first) {
        return *first;
    }
    if (last) {
        return *last;
    }
    return {chart.RunwayPoint(afterFt, 0.0), chart.RunwayPoint(afterFt + 150.0, half + 200.0)};
}

const ParkingSpot* ChooseOwnParking(const AirportChart& chart, std::string_view preferred) {
    auto reachable = [&](const ParkingSpot& spot) {
        const auto index = static_cast<int32_t>(&spot - chart.parking.data());
        return std::any_of(chart.paths.begin(), chart.paths.end(),
                           [&](const TaxiPath& p) { return p.kind == 2 && p.endNode == index; });
    };
    if (const ParkingSpot* spot = chart.Spot(preferred); spot && reachable(*spot)) {
        return spot;
    }
    const ParkingSpot* any = nullptr;
    for (const ParkingSpot& spot : chart.parking) {
        if (spot.name.empty() || !reachable(spot)) {
            continue;
        }
        if (TrimmedUpper(spot.name).find("PARKING") != std::string::npos) {
            return &spot;
        }
        if (!any) {
            any = &spot;
        }
    }
    return any;
}

}  // namespace corvane::fsim
