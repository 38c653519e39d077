// Ground network files (groundnet.xml) as anybody might have damaged them: read, imported against
// two crossing runways, and the result written as description JSON, read back, written as a BGL
// file and decoded. A file may be refused with a GroundnetError; nothing else may escape, and what
// the import makes must survive the whole way to the decoder.
//   scripts/fuzz.sh groundnet 300 -dict=fuzz/groundnet.dict
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scenery-writer/Description.h"
#include "scenery-writer/GroundnetImport.h"
#include "scenery/BglDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane;
    using namespace corvane::writer;
    static const std::vector<Runway> runways = [] {
        const auto runway = [](int32_t number, double lat1, double lon1, double lat2, double lon2) {
            Runway r;
            r.number = number;
            r.lengthFt = 5000;
            r.widthFt = 150;
            r.starts = {{number, 0, 1, lat1, lon1, 0, 0}, {number + 18, 0, 1, lat2, lon2, 0, 0}};
            return r;
        };
        return std::vector<Runway>{runway(9, 47.5, -122.31, 47.5, -122.29),
                                   runway(18, 47.51, -122.3, 47.49, -122.3)};
    }();
    GroundnetImport imported;
    try {
        imported = ImportGroundnet(
            ParseGroundnet(std::string_view(reinterpret_cast<const char*>(data), size)), runways);
    } catch (const GroundnetError&) {
        return 0;
    }
    const ImportedTaxi& taxi = imported.taxi;
    for (const ImportedSegment& s : taxi.segments) {
        const size_t ends = s.kind == 2 ? taxi.parking.size() : taxi.points.size();
        if (s.start < 0 || static_cast<size_t>(s.start) >= taxi.points.size() || s.end < 0 ||
            static_cast<size_t>(s.end) >= ends) {
            __builtin_trap();
        }
    }
    GroundnetReportText(imported.report, runways);
    if (taxi.segments.size() >= INT16_MAX || taxi.points.size() >= INT16_MAX) {
        return 0;  // more than the BGL network counts hold
    }
    // The airport's position: a point of the network, so offsets stay small.
    const std::string airport =
        "{\"ident\": \"FUZZ\", \"lat\": " + std::to_string(taxi.points[0].lat) +
        ", \"lon\": " + std::to_string(taxi.points[0].lon) +
        ", \"taxi\": " + TaxiDescriptionJson(taxi) + "}";
    const Airport a = ParseAirportDescription(airport);
    std::vector<AirportRecord> decoded;
    static const MagneticVariationGrid grid{};
    const scenery::BglReport report = scenery::ScanBglHeader(WriteBgl({{a}}), grid, decoded);
    if (!report.Clean() || decoded.size() != 1 ||
        decoded[0].taxiPathCount != static_cast<int16_t>(taxi.segments.size()) ||
        decoded[0].parkingCount != static_cast<int16_t>(taxi.parking.size())) {
        __builtin_trap();
    }
    return 0;
}
