#pragma once
// A ground network (Groundnet.h) turned into the taxiway network of an airport description
// (Description.cpp), so that the BGL file the writer makes decodes into the same network:
//
// - Arcs are one-way; the BGL network is not. The two arcs of a two-way link, an arc listed again
//   and a lone one-way arc all become one segment between the two nodes.
// - Runway segments (kind 1): every node marked as on a runway is placed on the nearest centre line
//   among the description's runways (within kRunwayReachM of it), and the nodes of one runway are
//   joined in order along it, as the runway itself is a path of the network; an arc between two
//   nodes of the same runway joins that runway too. Their number is the runway's record index, so
//   they decode as "Runway 13R". Unnamed links ("*" or empty) keep an empty name.
// - Each parking place becomes a place with its radius in metres and a parking segment (kind 2)
//   from its pushback node: the pushBackRoute node when it lies on the network, otherwise the first
//   network node its pushback path (arcs that touch a parking place, or are marked as pushback
//   arcs) leads to. Those paths and the nodes only they touch are not kept.
// - Only the largest connected part of the network is kept: nodes no arc touches, nodes off that
//   part and parking places that do not reach it are left out and counted.
// - Names are mapped onto what the format holds: taxiway names of up to 8 Windows-1252 characters,
//   and parking places as a name code and a number (see MapParkingName).

#include <cstdint>
#include <string>
#include <vector>

#include "scenery-writer/BglWriter.h"
#include "scenery-writer/Groundnet.h"

namespace corvane::writer {

inline constexpr double kRunwayReachM = 100.0;

struct ImportedPoint {
    double lat = 0.0;
    double lon = 0.0;
};

struct ImportedParking {
    double lat = 0.0;
    double lon = 0.0;
    double radiusM = 0.0;
    std::string name;  // a parking name code's text: "Gate A", "NE Parking", ...
    int32_t number = 0;
    std::string from;  // the name in the ground network

    bool operator==(const ImportedParking&) const = default;
};

struct ImportedSegment {
    int32_t kind = 0;  // 0 taxi, 1 runway, 2 parking (end is then a parking index)
    int32_t start = 0;
    int32_t end = 0;
    std::string taxiway;  // kind 0
    int32_t runway = 0;   // kind 1: the runway's index in the description

    bool operator==(const ImportedSegment&) const = default;
};

struct ImportedTaxi {
    std::vector<ImportedPoint> points;
    std::vector<ImportedParking> parking;
    std::vector<ImportedSegment> segments;
};

struct NameChange {
    std::string from;
    std::string to;

    bool operator==(const NameChange&) const = default;
};

// What the import kept, merged and left out.
struct GroundnetReport {
    int32_t nodes = 0;
    int32_t parkings = 0;
    int32_t arcs = 0;

    int32_t nodesWithoutArcs = 0;              // no arc touches them
    int32_t nodesOnParkingPathsOnly = 0;       // only pushback paths touch them
    int32_t nodesOffNetwork = 0;               // on taxi links, but not joined to the main network
    std::vector<std::string> parkingsLeftOut;  // names in the ground network, file order

    int32_t parkingPathArcs = 0;  // replaced by parking segments
    int32_t arcsIgnored = 0;      // naming an index the file lacks, or going nowhere
    int32_t twoWayPairs = 0;      // links driven both ways
    int32_t oneWayArcs = 0;       // links with an arc one way only
    int32_t repeatedArcs = 0;     // arcs listed again

    int32_t taxiSegments = 0;
    int32_t runwaySegments = 0;
    int32_t parkingSegments = 0;
    std::vector<int32_t> runwayNodes;            // per runway of the description
    std::vector<int32_t> runwayNodesOffRunways;  // ground network indices of runway nodes too far
                                                 // from every runway; kept as taxi nodes

    std::vector<NameChange> taxiwayNames;  // only those changed, first use order
    std::vector<NameChange> parkingNames;  // every place kept: "A1" -> "GATE A 1"
};

struct GroundnetImport {
    ImportedTaxi taxi;
    GroundnetReport report;
};

// `runways` are the airport's runways in record order; a runway with fewer than two starts has no
// centre line and takes no nodes. Throws GroundnetError when no two taxi nodes are linked.
GroundnetImport ImportGroundnet(const Groundnet& net, const std::vector<Runway>& runways);

// The name a parking place of the ground network gets: `text` is a parking name code's text and
// `preferred` the number its own name carries (0 for none). The name is split into words at every
// character that is neither an ASCII letter nor a digit and between letters and digits; the first
// word of digits is the number. Gates (type "gate") become "Gate X", X being the one-letter word
// just before that number ("A1", "Boeing_S_4") or else the first letter of the first word
// ("Museum_of_Flight"), plain "Gate" without any letter. Other types become "N Parking" .. "NW
// Parking" after the first word that names a compass point ("GA_NE_1", "East_Ramp_2"), or else
// "Parking".
struct ParkingName {
    std::string text;
    int32_t preferred = 0;

    bool operator==(const ParkingName&) const = default;
};
ParkingName MapParkingName(const std::string& name, const std::string& type);

// The taxiway network part of an airport description: {"points": [...], "parking": [...],
// "segments": [...]}, one item a line, positions to 7 decimals (1 cm).
std::string TaxiDescriptionJson(const ImportedTaxi& taxi);

// The report for a user, with the parking names as the station will say them.
std::string GroundnetReportText(const GroundnetReport& report, const std::vector<Runway>& runways);

}  // namespace corvane::writer
