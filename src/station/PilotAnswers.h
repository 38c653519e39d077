#pragma once
// What a pilot's chat line does to his record: a menu number, or "R" to hear the last message
// again.

#include <string_view>

#include "shared/Records.h"

namespace corvane::station {

enum class AnswerResult {
    Ignored,          // not an answer for the station
    Applied,          // `choice` set, or the message marked to be said again
    ConversionFailed  // looked like a number but was not one; the draining stops for this tick
};

inline constexpr std::string_view kSayAgainMark = " (Say Again)";

// `text` is the decoded, trimmed chat text. Before the pilot is in service the text must start with
// the airport's name (any case) and one separator character, such as "boeing fld,1"; in service the
// number stands alone. A number is a whole decimal that fits a Byte, blanks around it allowed.
AnswerResult ApplyPilotAnswer(TrafficRecord& pilot, std::string_view text,
                              std::string_view airportName);

}  // namespace corvane::station
