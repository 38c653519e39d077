#pragma once
// The airports the simulated pilots know, read from Corvane's own working folder (corvane.cfg and
// world_airports.dat, with the simulator's magdec.bgl for the variation), so the pilots fly the
// same runways and taxiways the station controls.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fsim/AirportChart.h"
#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::fsim {

struct AirportWorld {
    std::vector<AirportRecord> airports;
    MagneticVariationGrid grid{};
    std::string error;                  // empty when the airports were read
    std::vector<std::string> warnings;  // such as a missing magdec.bgl (no variation then)
};

AirportWorld LoadAirportWorld(const std::filesystem::path& folder);

// The chart of the airport with this ident (any case), chosen as the station chooses it.
std::optional<AirportChart> ChartFor(const AirportWorld& world, const std::string& ident);

}  // namespace corvane::fsim
