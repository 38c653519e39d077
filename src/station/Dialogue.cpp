#include "station/Dialogue.h"

#include "shared/Text.h"

namespace corvane::station {

bool OptionChosen(const TrafficRecord& pilot, std::string_view option) {
    if (pilot.choice == 0) {
        return false;
    }
    const std::string wanted = std::to_string(pilot.choice) + "-" + std::string(option);
    return ContainsIgnoreCase(pilot.pendingMenu, wanted);
}

Service ServiceOfFrequency(const ChosenAirport& airport, const std::string& frequency) {
    if (frequency == airport.GroundFreq) {
        return Service::Ground;
    }
    if (frequency == airport.TowerFreq) {
        return Service::Tower;
    }
    if (frequency == airport.ApproachFreq) {
        return Service::Approach;
    }
    if (frequency == airport.CenterFreq) {
        return Service::Center;
    }
    return Service::None;
}

}  // namespace corvane::station
