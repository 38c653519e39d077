// Chat lines a simulated pilot might hear: any text after his callsign, read for its menu and its
// instructions, then acted on and answered by a pilot on the ground and one in the air. Nothing
// may crash or hang, and an answer is always the number of an option the line offers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fsim/SimPilot.h"
#include "fsim/StationText.h"

namespace {

using namespace corvane;
using namespace corvane::fsim;

void Check(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

AirportChart Chart() {
    AirportChart chart;
    chart.ident = "KBFI";
    chart.name = "BOEING FLD";
    chart.reference = {47.53, -122.30};
    chart.threshold = {47.53, -122.30};
    chart.runwayName = "13R";
    chart.runwayTrueCourse = 130.0;
    chart.runwayLengthFt = 8000;
    chart.runwayWidthFt = 150;
    chart.nodes = {{0, 47.53, -122.30}, {0, 47.52, -122.29}, {0, 47.531, -122.305}};
    chart.paths = {{1, 0, 1, "Runway 13R"}, {0, 0, 2, "A"}, {2, 2, 0, ""}};
    chart.parking = {{"GATE A 1", 60, 47.531, -122.305, 0}};
    return chart;
}

void Drive(const AirportChart& chart, const std::string& line, AircraftState start,
           FlightKind kind) {
    FlightModel model(kind == FlightKind::IfrArrival ? Airliner() : LightPiston(), start, 18.0);
    SimPilot pilot({.callsign = "N1", .kind = kind}, model, chart);
    pilot.Hear(line, 0.0);
    for (double t = 0.5; t < 4.0; t += 0.5) {
        model.Step(0.5);
        if (const auto answer = pilot.Step(t)) {
            // The number alone, or the airport's name, a comma and the number.
            const std::string n =
                answer->substr(answer->find(',') == std::string::npos ? 0 : answer->find(',') + 1);
            const auto line_ = ReadStationLine(line, "N1");
            Check(line_.has_value());
            const int number = std::stoi(n);
            Check(number >= 1 && static_cast<size_t>(number) <= line_->options.size());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)ReadMenu(text);
    (void)ReadInstructions(text);
    const std::string line = "N1" + text;
    if (const auto read = ReadStationLine(line, "N1")) {
        (void)ReadInstructions(read->body);
        for (size_t i = 0; i < read->options.size(); ++i) {
            Check(read->options[i].number == static_cast<int>(i) + 1);
        }
    }
    static const AirportChart chart = Chart();
    AircraftState parked;
    parked.position = {47.531, -122.305};
    Drive(chart, line, parked, FlightKind::VfrDeparture);
    AircraftState flying{{47.60, -122.40}, 3000.0, 130.0, 200.0, 0.0, false};
    Drive(chart, line, flying, FlightKind::IfrArrival);
    return 0;
}
