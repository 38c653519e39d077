#pragma once

#include <string>

#include "shared/MessageBoxes.h"
#include "shared/State.h"

namespace corvane::replay {

// What the settings window leaves behind when the user picks the last airport with this ident and
// presses "Next", in the current folder as the program runs: the variation grid from FsMainFolder,
// the database, the choice, then the mountains. Returns why it failed (empty on success).
std::string LoadAirportFromWorkingFolder(const std::string& ident, ChosenAirport& airport,
                                         Terrain& terrain, MessageBoxes& boxes);

}  // namespace corvane::replay
