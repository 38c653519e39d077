#pragma once
// What every controller shares: the station's view of the world, the option test on a pilot's
// pending menu, and where chat lines go.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shared/State.h"

namespace corvane::station {

struct StationContext {
    ChosenAirport& airport;  // the ground controller marks parking places it no longer offers
    const Terrain& terrain;
    StationTables& tables;
};

// Where the dispatcher's chat lines go: one line, sent once to each recipient player id.
class ChatSender {
  public:
    virtual ~ChatSender() = default;
    virtual void SendChatLine(const std::string& text, const std::vector<int32_t>& recipients) = 0;
};

// Option `option` counts as chosen when an answer is waiting and the pending menu holds
// "<choice>-<option>", compared without regard to case.
bool OptionChosen(const TrafficRecord& pilot, std::string_view option);

enum class Service { None, Ground, Tower, Approach, Center };

// The controller a frequency text selects, tested ground, tower, approach, centre.
Service ServiceOfFrequency(const ChosenAirport& airport, const std::string& frequency);

}  // namespace corvane::station
