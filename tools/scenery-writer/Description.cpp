// World description format (JSON). Every key not marked optional is required.
//
// {
//   "sceneryCfg": {
//     "lineEnds": "crlf",                       optional: "crlf" (default) or "lf"
//     "preamble": ["[General]", "Title=..."],   optional: lines before the first area
//     "areas": [ {
//       "header": "[Area.003]",
//       "lines": ["Title=Airport and Facilities Data", "local=Scenery\\NAMERICA", ...],
//       "folder": "Scenery/NAMERICA/Scenery",   optional: where the files go, relative to the
//                                                world folder; by default the Local= value with
//                                                "/Scenery" added (unless it is "Scenery")
//       "files": [ {                            optional
//         "name": "AP_NW.BGL",
//         "entriesPerBlock": 2,                 optional: index entries per index block (64)
//         "airports": [ AIRPORT, ... ] } ] } ]
//   },
//   "magdec": { "smooth": true } or { "constantDeg": 18.5 }     optional: smooth by default
// }
//
// AIRPORT:
// {
//   "ident": "KSEA", "name": "Seattle-Tacoma Intl", "lat": 47.449, "lon": -122.309,
//   "elevationFt": 433,                         optional
//   "section": 1,                               optional: 1 the index section, 2 the second one
//   "runways": [ {                              optional, in record order
//     "designation": "16L", "lengthFt": 11901, "widthFt": 150,
//     "ils": true,                              optional
//     "starts": [ { "designation": "16L", "lat": 47.4638, "lon": -122.3078,
//                   "elevationFt": 432,         optional: the airport's by default
//                   "heading": 180.2 } ] } ],   optional: true degrees; by default the course
//                                                to the runway's next (or first) other start
//   "frequencies": [ { "type": "tower", "mhz": "119.9" } ],   optional, in record order; type
//                    is "ctaf", "ground", "tower", "approach", "departure", "center" or a number
//   "taxi": {                                   optional
//     "points":  [ { "lat": 47.45, "lon": -122.31, "kind": 1 } ],   or "x"/"y": metres east and
//                                                                    north of the airport
//     "parking": [ { "lat": ..., "lon": ..., "radiusM": 20, "name": "Gate A", "number": 4 } ],
//                  or "flags": "0x00000705" in place of name and number
//     "segments": [ { "type": "taxi", "start": 0, "end": 1, "taxiway": "A" },
//                   { "type": "runway", "start": 1, "end": 2, "runway": 0 },   runway record index
//                   { "type": "parking", "start": 3, "end": 0 } ],             end is a parking
//     "names": ["A", "B"] }                     optional: by default the taxiway names in order
//                                                of first use
// }
#include "scenery-writer/Description.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <stdexcept>

#include "nav/Geometry.h"
#include "scenery/BglDecoder.h"
#include "shared/Text.h"

namespace corvane::writer {

using Json = nlohmann::ordered_json;

namespace {

[[noreturn]] void Bad(const std::string& where, const std::string& what) {
    throw std::runtime_error(where + ": " + what);
}

const Json& Need(const Json& object, const char* key, const std::string& where) {
    if (!object.is_object() || !object.contains(key)) {
        Bad(where, std::string("missing \"") + key + "\"");
    }
    return object.at(key);
}

double Number(const Json& object, const char* key, const std::string& where) {
    const Json& v = Need(object, key, where);
    if (!v.is_number()) {
        Bad(where, std::string("\"") + key + "\" is not a number");
    }
    return v.get<double>();
}

double NumberOr(const Json& object, const char* key, double fallback, const std::string& where) {
    return object.contains(key) ? Number(object, key, where) : fallback;
}

std::string Text(const Json& object, const char* key, const std::string& where) {
    const Json& v = Need(object, key, where);
    if (!v.is_string()) {
        Bad(where, std::string("\"") + key + "\" is not a text");
    }
    return v.get<std::string>();
}

int32_t Whole(double value, const std::string& where) {
    if (!std::isfinite(value) || value < INT32_MIN || value > INT32_MAX) {
        Bad(where, "number out of range");
    }
    return static_cast<int32_t>(std::lround(value));
}

int32_t AltitudeMeters(double feet) {
    return static_cast<int32_t>(std::lround(feet * 0.3048));
}

int32_t FrequencyType(const Json& type, const std::string& where) {
    if (type.is_number_integer()) {
        return type.get<int32_t>();
    }
    static const std::map<std::string, int32_t> kTypes = {{"ctaf", 4},      {"ground", 5},
                                                          {"tower", 6},     {"approach", 8},
                                                          {"departure", 9}, {"center", 10}};
    const auto found =
        type.is_string() ? kTypes.find(AsciiLower(type.get<std::string>())) : kTypes.end();
    if (found == kTypes.end()) {
        Bad(where, "unknown frequency type " + type.dump());
    }
    return found->second;
}

// A taxi point's or parking place's offsets from the airport: "x"/"y" or "lat"/"lon".
std::pair<float, float> Offsets(const Json& item, const Airport& a, const std::string& where) {
    if (item.contains("x") || item.contains("y")) {
        return {static_cast<float>(NumberOr(item, "x", 0, where)),
                static_cast<float>(NumberOr(item, "y", 0, where))};
    }
    const auto [east, north] =
        OffsetMeters(a.lat, a.lon, Number(item, "lat", where), Number(item, "lon", where));
    return {static_cast<float>(east), static_cast<float>(north)};
}

TaxiNetwork TaxiFromJson(const Json& j, const Airport& a, const std::string& where) {
    TaxiNetwork t;
    if (j.contains("points")) {
        size_t i = 0;
        for (const Json& p : j.at("points")) {
            const std::string at = where + " point " + std::to_string(i++);
            const auto [x, y] = Offsets(p, a, at);
            t.points.push_back({Whole(NumberOr(p, "kind", 1, at), at), x, y});
        }
    }
    if (j.contains("parking")) {
        size_t i = 0;
        for (const Json& p : j.at("parking")) {
            const std::string at = where + " parking " + std::to_string(i++);
            const auto [x, y] = Offsets(p, a, at);
            uint32_t flags = 0;
            if (p.contains("flags")) {
                flags = static_cast<uint32_t>(std::stoul(Text(p, "flags", at), nullptr, 0));
            } else {
                try {
                    flags = ParkingFlags(Text(p, "name", at), Whole(Number(p, "number", at), at));
                } catch (const std::invalid_argument& e) {
                    Bad(at, e.what());
                }
            }
            t.parking.push_back({x, y, static_cast<float>(NumberOr(p, "radiusM", 15, at)), flags});
        }
    }
    std::vector<std::string> names;
    const bool namesGiven = j.contains("names");
    if (namesGiven) {
        for (const Json& n : j.at("names")) {
            names.push_back(Utf8ToCp1252(n.get<std::string>()));
        }
    }
    if (j.contains("segments")) {
        size_t i = 0;
        for (const Json& s : j.at("segments")) {
            const std::string at = where + " segment " + std::to_string(i++);
            TaxiSegment seg;
            const std::string type = s.contains("type") ? Text(s, "type", at) : "taxi";
            seg.kind = type == "taxi" ? 0 : type == "runway" ? 1 : type == "parking" ? 2 : -1;
            if (seg.kind < 0) {
                Bad(at, "unknown segment type " + type);
            }
            seg.startNode = Whole(Number(s, "start", at), at);
            seg.endNode = Whole(Number(s, "end", at), at);
            if (s.contains("nameNumber")) {
                seg.nameNumber = Whole(Number(s, "nameNumber", at), at);
            } else if (seg.kind == 0 && s.contains("taxiway")) {
                const std::string name = Utf8ToCp1252(Text(s, "taxiway", at));
                auto found = std::find(names.begin(), names.end(), name);
                if (found == names.end()) {
                    if (namesGiven) {
                        Bad(at, "taxiway " + name + " is not among the names");
                    }
                    names.push_back(name);
                    found = names.end() - 1;
                }
                seg.nameNumber = static_cast<int32_t>(found - names.begin());
            } else if (seg.kind == 1) {
                seg.nameNumber = Whole(NumberOr(s, "runway", 0, at), at);
            }
            t.segments.push_back(seg);
        }
    }
    if (namesGiven || !names.empty()) {
        t.names = names;
    }
    return t;
}

Airport AirportFromJson(const Json& j, const std::string& where0) {
    Airport a;
    a.ident = Utf8ToCp1252(Text(j, "ident", where0));
    const std::string where = where0 + " " + a.ident;
    a.name = j.contains("name") ? Utf8ToCp1252(Text(j, "name", where)) : "";
    a.lat = Number(j, "lat", where);
    a.lon = Number(j, "lon", where);
    const double elevationFt = NumberOr(j, "elevationFt", 0, where);
    a.altitudeM = AltitudeMeters(elevationFt);
    a.section = Whole(NumberOr(j, "section", 1, where), where);
    if (j.contains("runways")) {
        for (const Json& r : j.at("runways")) {
            const std::string at = where + " runway";
            Runway rw;
            try {
                std::tie(rw.number, rw.code) = ParseDesignation(Text(r, "designation", at));
            } catch (const std::invalid_argument& e) {
                Bad(at, e.what());
            }
            rw.lengthFt = Whole(Number(r, "lengthFt", at), at);
            rw.widthFt = Whole(Number(r, "widthFt", at), at);
            rw.subRecordKinds.push_back(1);  // a sub-record that is not an ILS, as most carry
            if (r.contains("ils") && r.at("ils").get<bool>()) {
                rw.subRecordKinds.push_back(scenery::bgl::kIlsSubRecordKind);
            }
            if (r.contains("starts")) {
                const Json& starts = r.at("starts");
                for (size_t k = 0; k < starts.size(); ++k) {
                    const Json& s = starts.at(k);
                    RunwayStart st;
                    try {
                        std::tie(st.number, st.code) = ParseDesignation(Text(s, "designation", at));
                    } catch (const std::invalid_argument& e) {
                        Bad(at, e.what());
                    }
                    st.lat = Number(s, "lat", at);
                    st.lon = Number(s, "lon", at);
                    st.altitudeM = AltitudeMeters(NumberOr(s, "elevationFt", elevationFt, at));
                    if (s.contains("heading")) {
                        st.trueHeading = Number(s, "heading", at);
                    } else if (starts.size() > 1) {
                        const Json& other = starts.at((k + 1) % starts.size());
                        st.trueHeading = TrueCourseDeg(st.lat, st.lon, Number(other, "lat", at),
                                                       Number(other, "lon", at));
                    }
                    rw.starts.push_back(st);
                }
            }
            a.runways.push_back(std::move(rw));
        }
    }
    if (j.contains("frequencies")) {
        for (const Json& f : j.at("frequencies")) {
            const std::string at = where + " frequency";
            try {
                a.frequencies.push_back(
                    {FrequencyType(Need(f, "type", at), at), FrequencyWord(Text(f, "mhz", at))});
            } catch (const std::invalid_argument& e) {
                Bad(at, e.what());
            }
        }
    }
    if (j.contains("taxi")) {
        a.taxi = TaxiFromJson(j.at("taxi"), a, where + " taxi");
    }
    return a;
}

std::string LocalOf(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        const std::string lower = AsciiLower(line);
        if (lower.rfind("local=", 0) == 0) {
            return line.substr(6);
        }
    }
    return {};
}

}  // namespace

double TrueCourseDeg(double lat1, double lon1, double lat2, double lon2) {
    const double rad = nav::kPi / 180.0;
    const double p1 = lat1 * rad;
    const double p2 = lat2 * rad;
    const double dl = (lon2 - lon1) * rad;
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    double deg = std::atan2(y, x) / rad;
    if (deg < 0) {
        deg += 360.0;
    }
    return deg;
}

WorldDescription ParseWorldDescription(const std::string& jsonText) {
    Json root;
    try {
        root = Json::parse(jsonText);
    } catch (const Json::exception& e) {
        throw std::runtime_error(std::string("not a JSON text: ") + e.what());
    }
    WorldDescription world;
    try {
        const Json& cfg = Need(root, "sceneryCfg", "description");
        world.crlf = !cfg.contains("lineEnds") || Text(cfg, "lineEnds", "sceneryCfg") != "lf";
        if (cfg.contains("preamble")) {
            world.preamble = cfg.at("preamble").get<std::vector<std::string>>();
        }
        for (const Json& area : Need(cfg, "areas", "sceneryCfg")) {
            AreaDescription a;
            a.header = Text(area, "header", "area");
            const std::string where = "area " + a.header;
            a.lines = Need(area, "lines", where).get<std::vector<std::string>>();
            a.folder = area.contains("folder") ? Text(area, "folder", where)
                                               : AreaFolderFor(LocalOf(a.lines));
            if (area.contains("files")) {
                for (const Json& file : area.at("files")) {
                    BglFileDescription f;
                    f.name = Text(file, "name", where);
                    const std::string at = where + " " + f.name;
                    f.content.entriesPerBlock =
                        static_cast<size_t>(Whole(NumberOr(file, "entriesPerBlock", 64, at), at));
                    for (const Json& airport : Need(file, "airports", at)) {
                        f.content.airports.push_back(AirportFromJson(airport, at));
                    }
                    a.files.push_back(std::move(f));
                }
            }
            world.areas.push_back(std::move(a));
        }
        if (root.contains("magdec")) {
            const Json& m = root.at("magdec");
            if (m.contains("constantDeg")) {
                world.magdec.smooth = false;
                world.magdec.constantDeg = Number(m, "constantDeg", "magdec");
            }
        }
    } catch (const Json::exception& e) {
        throw std::runtime_error(std::string("description: ") + e.what());
    }
    return world;
}

WorldDescription RandomWorld(int32_t airports, int32_t files, uint32_t seed) {
    std::mt19937 rng(seed);
    const auto uniform = [&](double lo, double hi) {
        return lo + (hi - lo) * (static_cast<double>(rng()) / 4294967296.0);
    };
    const auto below = [&](uint32_t n) { return static_cast<int32_t>(rng() % n); };

    WorldDescription world;
    world.preamble = {"[General]", "Title=Random World", "Description=Benchmark scenery"};
    world.areas.push_back({"[Area.001]",
                           {"Title=Default Terrain", "Local=Scenery\\World", "Layer=1",
                            "Active=TRUE", "Required=TRUE"},
                           "Scenery/World/Scenery",
                           {}});
    for (int k = 0; k < 2; ++k) {
        const std::string n = std::to_string(k + 2);
        world.areas.push_back({"[Area.00" + n + "]",
                               {"Title=Airport and Facilities Data", "Local=Scenery\\Region" + n,
                                "Layer=" + n, "Active=TRUE", "Required=TRUE"},
                               "Scenery/Region" + n + "/Scenery",
                               {}});
    }
    files = std::max(files, 1);
    for (int32_t f = 0; f < files; ++f) {
        AreaDescription& area = world.areas[1 + static_cast<size_t>(f % 2)];
        area.files.push_back({"AP" + std::to_string(f) + ".BGL", {}});
    }
    static const char* kFreqs[] = {"118.3", "121.9", "124.35", "119.1", "126.5", "132.05", "122.8"};
    static const char* kNames[] = {"A", "B", "C", "D", "E", "F"};
    for (int32_t i = 0; i < airports; ++i) {
        Airport a;
        for (int32_t v = i, c = 0; c < 4; ++c, v /= 26) {
            a.ident.insert(a.ident.begin(), static_cast<char>('A' + v % 26));
        }
        a.name = "RANDOM FIELD " + std::to_string(i);
        a.lat = uniform(-60, 70);
        a.lon = uniform(-180, 180);
        a.altitudeM = below(1500);
        a.section = 1 + below(2);
        const int32_t runways = 1 + below(3);
        for (int32_t r = 0; r < runways; ++r) {
            Runway rw;
            rw.number = 1 + below(18);
            rw.code = below(4);
            rw.lengthFt = 2000 + below(10000);
            rw.widthFt = 75 + below(126);
            rw.subRecordKinds = {1};
            if (below(3) == 0) {
                rw.subRecordKinds.push_back(scenery::bgl::kIlsSubRecordKind);
            }
            const double heading = rw.number * 10.0;
            RunwayStart s1{
                rw.number,   rw.code, 1, a.lat + uniform(-0.01, 0.01), a.lon + uniform(-0.01, 0.01),
                a.altitudeM, heading};
            RunwayStart s2 = s1;
            s2.number = rw.number + 18;
            s2.code = rw.code == 1 ? 2 : rw.code == 2 ? 1 : rw.code;
            s2.trueHeading = heading + 180.0;
            rw.starts = {s1, s2};
            a.runways.push_back(rw);
        }
        for (int32_t type : {5, 6, 8, 9, 10}) {
            if (below(4) != 0) {
                a.frequencies.push_back({type, FrequencyWord(kFreqs[below(7)])});
            }
        }
        TaxiNetwork t;
        const int32_t points = 8 + below(9);
        for (int32_t p = 0; p < points; ++p) {
            t.points.push_back({1 + below(2), static_cast<float>(uniform(-1500, 1500)),
                                static_cast<float>(uniform(-1500, 1500))});
        }
        const int32_t parking = 2 + below(5);
        for (int32_t p = 0; p < parking; ++p) {
            t.parking.push_back({static_cast<float>(uniform(-1500, 1500)),
                                 static_cast<float>(uniform(-1500, 1500)), 15.0f,
                                 static_cast<uint32_t>(128 * (1 + p) + 1 + below(37))});
        }
        for (int32_t p = 0; p + 1 < points; ++p) {
            t.segments.push_back({below(2), p, p + 1, below(runways)});
        }
        for (int32_t p = 0; p < parking; ++p) {
            t.segments.push_back({2, below(points), p, 0});
        }
        t.names = std::vector<std::string>(kNames, kNames + 6);
        a.taxi = std::move(t);
        world.areas[1 + static_cast<size_t>((i % files) % 2)]
            .files[static_cast<size_t>(i % files) / 2]
            .content.airports.push_back(std::move(a));
    }
    return world;
}

}  // namespace corvane::writer
