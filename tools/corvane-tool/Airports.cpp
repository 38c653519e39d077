// corvane-tool airports: the lines of the settings window's airport list, one per line.
#include <iostream>

#include "DatabaseCommands.h"
#include "scenery/AirportDatabase.h"

namespace corvane::tool {

int RunAirports(const Args& args) {
    if (!args.empty()) {
        return Fail("airports takes no arguments");
    }
    Config config;
    std::vector<AirportRecord> airports;
    if (std::string error = LoadConfig(config); !error.empty()) {
        return Fail(error);
    }
    if (std::string error = LoadAirports(config, airports); !error.empty()) {
        return Fail(error);
    }
    for (const AirportRecord& r : airports) {
        std::cout << scenery::ComboLine(r) << "\n";
    }
    return 0;
}

}  // namespace corvane::tool
