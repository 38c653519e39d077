#include "AirportJson.h"

#include <cmath>
#include <cstdio>

namespace corvane::tool {

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string Number(double value) {
    if (!std::isfinite(value)) {
        return "null";  // JSON has no such numbers
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    return buf;
}

template <typename T, typename F>
std::string Array(const std::optional<std::vector<T>>& items, F element) {
    if (!items) {
        return "null";
    }
    std::string out = "[";
    for (size_t i = 0; i < items->size(); ++i) {
        out += (i ? ",\n      " : "\n      ") + element((*items)[i]);
    }
    return out + (items->empty() ? "]" : "\n    ]");
}

}  // namespace

std::string AirportToJson(const AirportRecord& a) {
    std::string out = "  {\n";
    const auto field = [&](const char* key, const std::string& value, bool last = false) {
        out += std::string("    \"") + key + "\": " + value + (last ? "\n" : ",\n");
    };
    field("ident", Quoted(a.ident));
    field("lat", Number(a.lat));
    field("lon", Number(a.lon));
    field("name", Quoted(a.name));
    field("groundFreq", Quoted(a.groundFreq));
    field("towerFreq", Quoted(a.towerFreq));
    field("approachFreq", Quoted(a.approachFreq));
    field("centerFreq", Quoted(a.centerFreq));
    field("ctafFreq", Quoted(a.ctafFreq));
    field("runwayName", Quoted(a.runwayName));
    field("runwayLat", Number(a.runwayLat));
    field("runwayLon", Number(a.runwayLon));
    field("fieldElevation", std::to_string(a.fieldElevation));
    field("runwayLength", std::to_string(a.runwayLength));
    field("runwayWidth", std::to_string(a.runwayWidth));
    field("runwayHeading", std::to_string(a.runwayHeading));
    field("runwayHasIls", std::to_string(a.runwayHasIls));
    field("taxiNodes", Array(a.taxiNodes, [](const TaxiNode& n) {
              return "{\"kind\": " + std::to_string(n.kind) + ", \"lat\": " + Number(n.lat) +
                     ", \"lon\": " + Number(n.lon) + "}";
          }));
    field("taxiNodeCount", std::to_string(a.taxiNodeCount));
    field("parking", Array(a.parking, [](const ParkingSpot& p) {
              return "{\"name\": " + Quoted(p.name) +
                     ", \"radiusFt\": " + std::to_string(p.radiusFt) +
                     ", \"lat\": " + Number(p.lat) + ", \"lon\": " + Number(p.lon) +
                     ", \"unavailable\": " + std::to_string(p.unavailable) + "}";
          }));
    field("parkingCount", std::to_string(a.parkingCount));
    field("taxiPaths", Array(a.taxiPaths, [](const TaxiPath& p) {
              return "{\"kind\": " + std::to_string(p.kind) +
                     ", \"startNode\": " + std::to_string(p.startNode) +
                     ", \"endNode\": " + std::to_string(p.endNode) +
                     ", \"name\": " + Quoted(p.name) + "}";
          }));
    field("taxiPathCount", std::to_string(a.taxiPathCount), true);
    return out + "  }";
}

std::string AirportsToJson(const std::vector<AirportRecord>& airports) {
    std::string out = "[";
    for (size_t i = 0; i < airports.size(); ++i) {
        out += (i ? ",\n" : "\n") + AirportToJson(airports[i]);
    }
    return out + (airports.empty() ? "]\n" : "\n]\n");
}

}  // namespace corvane::tool
