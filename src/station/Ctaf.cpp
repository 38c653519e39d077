#include "station/Ctaf.h"

#include <array>

#include "shared/Text.h"
#include "station/StationState.h"

namespace corvane::station {

namespace {

constexpr const char* kOptions =
    "): 1-Announce Taxi to Runway 2-Announce Takeoff 3-Announce Position 4-Announce Landing "
    "5-Announce Taxi to Gate or Parking 6-Close ATC Services";

}  // namespace

void RunCtafAdvisory(StationContext& context, TrafficRecord& pilot) {
    const ChosenAirport& a = context.airport;
    const std::string suffix = a.CtafFreq.empty() ? "" : " - " + a.CtafFreq;
    const std::string marker =
        "Choose one of the following options for the Advisory frequency (CTAF" + suffix + "):";
    const std::string menuTail =
        " airport. Choose one of the following options for the Advisory frequency (CTAF" + suffix +
        kOptions;

    if (pilot.choice == 0) {
        if (!ContainsIgnoreCase(pilot.pendingMenu, marker)) {
            pilot.pendingMenu = pilot.callsign +
                                ". Choose one of the following options for the Advisory frequency "
                                "(CTAF" +
                                suffix + kOptions;
        }
        return;
    }

    const std::string traffic = "Traffic, " + pilot.callsign;
    const std::array<std::pair<const char*, std::string>, 5> announcements = {{
        {"Announce Taxi to Runway",
         traffic + ", taxiing to runway " + a.RunwayName + " at " + a.AirportIdent},
        {"Announce Takeoff",
         traffic + ", takingoff, runway " + a.RunwayName + " at " + a.AirportIdent},
        {"Announce Position", traffic + ", " + std::to_string(context.tables.AirportDistanceNm) +
                                  " miles, " + pilot.compassWord + ", " +
                                  std::to_string(pilot.altitudeFt) + " ft, at " + a.AirportIdent},
        {"Announce Landing",
         traffic + ", landing, runway " + a.RunwayName + " at " + a.AirportIdent},
        {"Announce Taxi to Gate or Parking",
         traffic + ", taxiing to gate or parking at " + a.AirportIdent},
    }};
    for (const auto& [option, text] : announcements) {
        if (OptionChosen(pilot, option)) {
            pilot.pendingMenu = text + menuTail;
            pilot.choice = 0;
        }
    }
    if (OptionChosen(pilot, "Close ATC Services")) {
        ClosePilotServices(context.tables, pilot);
    }
}

}  // namespace corvane::station
