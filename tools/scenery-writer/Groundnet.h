#pragma once
// Airport ground networks in the XML layout of public flight-simulator scenery (groundnet.xml):
//
//   <groundnet>
//     <parkingList>
//       <Parking index="0" type="gate" name="A1" lat="N47 26.526525" lon="W122 18.134375"
//                heading="45.4" radius="10" pushBackRoute="328" airlineCodes=""/>
//     </parkingList>
//     <TaxiNodes>
//       <node index="108" lat="N47 31.378484" lon="W122 17.921735" isOnRunway="0"
//             holdPointType="none"/>
//     </TaxiNodes>
//     <TaxiWaySegments>
//       <arc begin="301" end="300" isPushBackRoute="0" name="B"/>
//     </TaxiWaySegments>
//   </groundnet>
//
// Parking places and nodes share one index space; arcs are one-way and refer to those indices. A
// position is a hemisphere letter, whole degrees, a blank and decimal minutes ("N47 31.189332" is
// 47.519822 degrees north); plain decimal degrees are taken as well. Everything the station cannot
// use (headings, hold point types, airline codes, other elements) is skipped.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::writer {

struct GroundnetParking {
    int32_t index = 0;
    std::string type;  // "gate", "ga", ...
    std::string name;  // UTF-8
    double lat = 0.0;
    double lon = 0.0;
    double radiusM = 0.0;
    int32_t pushBackRoute = -1;  // the node where a pushback ends; -1 when the file names none
};

struct GroundnetNode {
    int32_t index = 0;
    double lat = 0.0;
    double lon = 0.0;
    bool onRunway = false;
};

struct GroundnetArc {
    int32_t begin = 0;
    int32_t end = 0;
    bool pushBack = false;  // part of a parking's pushback path
    std::string name;       // the taxiway; "*" or empty for an unnamed link
};

struct Groundnet {
    std::vector<GroundnetParking> parkings;
    std::vector<GroundnetNode> nodes;
    std::vector<GroundnetArc> arcs;
};

// What is wrong with a file, with its line where one is known ("line 12: <Parking> has no valid
// radius").
class GroundnetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads one file's text. Throws GroundnetError for text that is not XML, a root that is not
// <groundnet>, an element without a required attribute or with one that does not read as its
// kind of value, and an index used twice.
Groundnet ParseGroundnet(std::string_view xml);

// "N47 31.189332" gives 47.519822; `latitude` selects the hemisphere letters N/S or E/W and the
// range. Returns false for anything else.
bool ParseGroundnetPosition(std::string_view text, bool latitude, double& degrees);

}  // namespace corvane::writer
