#include "scenery-writer/Groundnet.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <pugixml.hpp>
#include <unordered_set>

#include "shared/Text.h"

namespace corvane::writer {

namespace {

bool ParseWhole(std::string_view text, int64_t& value) {
    text = TrimBlanks(text);
    const char* last = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), last, value);
    return error == std::errc() && rest == last && !text.empty();
}

bool ParseNumber(std::string_view text, double& value) {
    text = TrimBlanks(text);
    const char* last = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), last, value);
    return error == std::errc() && rest == last && !text.empty() && std::isfinite(value);
}

// The line of a node in the text, counted from 1; 0 when pugixml kept no offset.
size_t LineOf(std::string_view xml, const pugi::xml_node& node) {
    const ptrdiff_t offset = node.offset_debug();
    if (offset < 0) {
        return 0;
    }
    const size_t end = std::min(static_cast<size_t>(offset), xml.size());
    return 1 + static_cast<size_t>(std::count(xml.begin(), xml.begin() + end, '\n'));
}

class Reader {
  public:
    explicit Reader(std::string_view xml) : xml_(xml) {}

    [[noreturn]] void Fail(const pugi::xml_node& element, const std::string& what) const {
        const size_t line = LineOf(xml_, element);
        throw GroundnetError((line > 0 ? "line " + std::to_string(line) + ": " : std::string()) +
                             "<" + element.name() + "> " + what);
    }

    int32_t Index(const pugi::xml_node& e, const char* attribute) const {
        int64_t value = 0;
        if (!ParseWhole(e.attribute(attribute).as_string(), value) || value < 0 ||
            value > INT32_MAX) {
            Fail(e, std::string("has no valid ") + attribute);
        }
        return static_cast<int32_t>(value);
    }

    // A new index, checked against every index read so far.
    int32_t NewIndex(const pugi::xml_node& e) {
        const int32_t index = Index(e, "index");
        if (!seen_.insert(index).second) {
            Fail(e, "repeats index " + std::to_string(index));
        }
        return index;
    }

    double Position(const pugi::xml_node& e, const char* attribute, bool latitude) const {
        double degrees = 0.0;
        if (!ParseGroundnetPosition(e.attribute(attribute).as_string(), latitude, degrees)) {
            Fail(e, std::string("has no valid ") + attribute);
        }
        return degrees;
    }

    static bool Flag(const pugi::xml_node& e, const char* attribute) {
        const std::string_view v = TrimBlanks(e.attribute(attribute).as_string());
        return v == "1" || EqualsIgnoreCase(v, "true");
    }

  private:
    std::string_view xml_;
    std::unordered_set<int32_t> seen_;
};

}  // namespace

bool ParseGroundnetPosition(std::string_view text, bool latitude, double& degrees) {
    text = TrimBlanks(text);
    if (text.empty()) {
        return false;
    }
    const double limit = latitude ? 90.0 : 180.0;
    const char h = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    const bool lettered = latitude ? (h == 'N' || h == 'S') : (h == 'E' || h == 'W');
    double value = 0.0;
    if (lettered) {
        const std::string_view rest = text.substr(1);
        const size_t blank = rest.find_first_of(" \t");
        int64_t whole = 0;
        double minutes = 0.0;
        if (blank == std::string_view::npos || !ParseWhole(rest.substr(0, blank), whole) ||
            !ParseNumber(rest.substr(blank + 1), minutes) || whole < 0 || whole > limit ||
            minutes < 0.0 || minutes >= 60.0) {
            return false;
        }
        value = static_cast<double>(whole) + minutes / 60.0;
        if (h == 'S' || h == 'W') {
            value = -value;
        }
    } else if (!ParseNumber(text, value)) {
        return false;
    }
    if (std::fabs(value) > limit) {
        return false;
    }
    degrees = value;
    return true;
}

Groundnet ParseGroundnet(std::string_view xml) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
    if (!parsed) {
        const size_t offset =
            std::min(static_cast<size_t>(std::max<ptrdiff_t>(parsed.offset, 0)), xml.size());
        const auto line = 1 + std::count(xml.begin(), xml.begin() + offset, '\n');
        throw GroundnetError("line " + std::to_string(line) + ": not well-formed XML (" +
                             parsed.description() + ")");
    }
    const pugi::xml_node root = doc.document_element();
    if (std::string_view(root.name()) != "groundnet") {
        throw GroundnetError(root ? std::string("the root element is <") + root.name() +
                                        ">, not <groundnet>"
                                  : std::string("no <groundnet> element"));
    }
    Reader r(xml);
    Groundnet net;
    for (const pugi::xml_node list : root.children("parkingList")) {
        for (const pugi::xml_node e : list.children("Parking")) {
            GroundnetParking p;
            p.index = r.NewIndex(e);
            p.type = e.attribute("type").as_string();
            p.name = e.attribute("name").as_string();
            p.lat = r.Position(e, "lat", true);
            p.lon = r.Position(e, "lon", false);
            if (!ParseNumber(e.attribute("radius").as_string(), p.radiusM) || p.radiusM <= 0.0 ||
                p.radiusM > 1000.0) {
                r.Fail(e, "has no valid radius (metres, above 0 and at most 1000)");
            }
            int64_t pushBack = -1;
            const std::string_view route = TrimBlanks(e.attribute("pushBackRoute").as_string());
            if (!route.empty() &&
                (!ParseWhole(route, pushBack) || pushBack < -1 || pushBack > INT32_MAX)) {
                r.Fail(e, "has no valid pushBackRoute");
            }
            p.pushBackRoute = static_cast<int32_t>(pushBack);
            net.parkings.push_back(std::move(p));
        }
    }
    for (const pugi::xml_node list : root.children("TaxiNodes")) {
        for (const pugi::xml_node e : list.children("node")) {
            GroundnetNode n;
            n.index = r.NewIndex(e);
            n.lat = r.Position(e, "lat", true);
            n.lon = r.Position(e, "lon", false);
            n.onRunway = Reader::Flag(e, "isOnRunway");
            net.nodes.push_back(n);
        }
    }
    for (const pugi::xml_node list : root.children("TaxiWaySegments")) {
        for (const pugi::xml_node e : list.children("arc")) {
            GroundnetArc a;
            a.begin = r.Index(e, "begin");
            a.end = r.Index(e, "end");
            a.pushBack = Reader::Flag(e, "isPushBackRoute");
            a.name = e.attribute("name").as_string();
            net.arcs.push_back(std::move(a));
        }
    }
    return net;
}

}  // namespace corvane::writer
