// A replay script is text the user writes: any bytes must either run or stop at a malformed line
// with a reason, never fail. Scripts that ask for more than a few thousand ticks are skipped, as
// their length is all they test.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "replay/ReplayRunner.h"
#include "replay/ReplayScript.h"

namespace {

using namespace corvane;

void Check(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

std::string LoadAirport(const std::string& ident, ChosenAirport& a, Terrain&, MessageBoxes& boxes) {
    if (ident != "KBFI") {
        boxes.Show(BoxIcon::Exclamation, "no such airport");
        return "no airport with the ident " + ident;
    }
    a.AirportIdent = "KBFI";
    a.AirportName = "BOEING FLD";
    a.AirportLat = 47.53;
    a.AirportLon = -122.3;
    a.GroundFreq = "121.9";
    a.TowerFreq = "120.6";
    a.RunwayName = "13R";
    a.RunwayLat = 47.53;
    a.RunwayLon = -122.3;
    a.RunwayHeading = 130;
    a.TaxiNodes = {{0, 47.535, -122.3}, {0, 47.53, -122.3}};
    a.TaxiPaths = {{0, 0, 1, "A"}, {1, 1, 0, "Runway 13R"}};
    return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    std::istringstream lines(script);
    std::string line;
    int64_t ticks = 0;
    while (std::getline(lines, line)) {
        const auto parsed = replay::ParseReplayLine(line);
        Check(!(parsed.line.has_value() && !parsed.error.empty()));
        if (parsed.line && parsed.line->verb == replay::Verb::Tick) {
            ticks += parsed.line->count;
        }
    }
    if (ticks > 2000) {
        return 0;
    }
    std::ostringstream out;
    std::istringstream in(script);
    replay::ReplayRunner runner(out, LoadAirport);
    if (const auto error = runner.RunScript(in)) {
        Check(error->line >= 1 && !error->reason.empty());
    }
    return 0;
}
