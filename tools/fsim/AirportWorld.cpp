#include "fsim/AirportWorld.h"

#include <algorithm>
#include <cctype>

#include "scenery/AirportChoice.h"
#include "scenery/AirportDatabase.h"
#include "scenery/MagneticVariation.h"
#include "shell/Config.h"

namespace corvane::fsim {

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

AirportWorld LoadAirportWorld(const std::filesystem::path& folder) {
    AirportWorld world;
    Config config;
    const auto cfg = shell::ReadConfiguration(folder / shell::kConfigFileName, config);
    if (cfg.status != shell::ConfigStatus::Ok) {
        world.error = "cannot read " + (folder / shell::kConfigFileName).string() +
                      " (run Corvane there once to build its airport database)";
        return world;
    }
    if (config.AirportCount < 0 || config.AirportCount > scenery::kMaxAirportCount) {
        world.error = "the airport count in corvane.cfg is out of range";
        return world;
    }
    auto file =
        scenery::ReadAirportDatabase(folder / shell::kAirportsFileName, config.AirportCount);
    if (!file.error.empty()) {
        world.error = file.error;
        return world;
    }
    world.airports = std::move(file.content.airports);
    const auto magdec = scenery::MagdecPath(config.FsMainFolder);
    const auto variation = scenery::ReadMagdec(magdec, world.grid);
    if (variation.status != scenery::MagdecStatus::Read) {
        world.warnings.push_back("no magnetic variation from " + magdec.string() +
                                 ": headings are flown as true");
    }
    return world;
}

std::optional<AirportChart> ChartFor(const AirportWorld& world, const std::string& ident) {
    const std::string wanted = Upper(ident);
    for (const AirportRecord& record : world.airports) {
        if (Upper(record.ident) == wanted) {
            ChosenAirport chosen;
            scenery::SearchBox box;
            scenery::LoadChosenAirport(record, world.airports, chosen, box);
            return ChartFromAirport(chosen, world.grid);
        }
    }
    return std::nullopt;
}

}  // namespace corvane::fsim
