// corvane-tool airport IDENT: the whole database record of the last airport with that ident.
#include "DatabaseCommands.h"

namespace corvane::tool {

int RunAirport(const Args& args) {
    if (args.size() != 1) {
        return Fail("usage: corvane-tool airport IDENT");
    }
    Config config;
    std::vector<AirportRecord> airports;
    if (std::string error = LoadConfig(config); !error.empty()) {
        return Fail(error);
    }
    if (std::string error = LoadAirports(config, airports); !error.empty()) {
        return Fail(error);
    }
    for (size_t i = airports.size(); i-- > 0;) {
        if (airports[i].ident == args[0]) {
            PrintJson(AirportJson(airports[i]));
            return 0;
        }
    }
    return Fail("no airport with the ident " + args[0] + " in world_airports.dat");
}

}  // namespace corvane::tool
