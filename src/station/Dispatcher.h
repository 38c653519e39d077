#pragma once
// The pilot dialogue dispatcher: once per monitoring tick, after the queue is drained, every pilot
// either hears his last message again, goes through the station's opening dialogue, or is handed to
// the controller of his frequency; a message that changed is then sent to every pilot on the same
// frequency. Controllers only write `pendingMenu`; this is the one place that sends.

#include "station/Dialogue.h"

namespace corvane::station {

void DispatchPilotDialogue(StationContext& context, ChatSender& chat);

}  // namespace corvane::station
