#include "replay/AirportLoading.h"

namespace corvane::replay {

std::string LoadAirportFromWorkingFolder(const std::string&, ChosenAirport&, Terrain&,
                                         MessageBoxes&) {
    return "this build has no airport database reader yet";
}

}  // namespace corvane::replay
