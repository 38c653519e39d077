#pragma once
// The subcommands that look into the airport database and the airport choice, and what they share:
// the configuration and the database of the current folder read as the program reads them.

#include <string>
#include <vector>

#include "AirportJson.h"
#include "Commands.h"
#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::tool {

int RunAirports(const Args& args);  // airports
int RunAirport(const Args& args);   // airport IDENT
int RunChoose(const Args& args);    // choose IDENT

// corvane.cfg of the current folder into `config`. Returns an empty string, else the error line.
std::string LoadConfig(Config& config);

// world_airports.dat of the current folder, AirportCount records. An empty string, else the error.
std::string LoadAirports(const Config& config, std::vector<AirportRecord>& airports);

}  // namespace corvane::tool
