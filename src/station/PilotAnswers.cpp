#include "station/PilotAnswers.h"

#include <charconv>
#include <cstdint>

#include "shared/Text.h"

namespace corvane::station {

namespace {

// Only texts that sort below "9" (by character codes) are taken as numbers at all.
bool BelowNine(std::string_view text) {
    return text < std::string_view("9");
}

AnswerResult SetChoice(TrafficRecord& pilot, std::string_view text) {
    const std::string_view number = TrimBlanks(text);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() ||
        value > UINT8_MAX) {
        return AnswerResult::ConversionFailed;
    }
    pilot.choice = static_cast<uint8_t>(value);
    return AnswerResult::Applied;
}

}  // namespace

AnswerResult ApplyPilotAnswer(TrafficRecord& pilot, std::string_view text,
                              std::string_view airportName) {
    if (pilot.atcActive == 0) {
        if (text.size() < airportName.size() ||
            AsciiLower(text.substr(0, airportName.size())) != AsciiLower(airportName)) {
            return AnswerResult::Ignored;
        }
        const std::string_view rest =
            text.size() > airportName.size() + 1 ? text.substr(airportName.size() + 1) : "";
        return BelowNine(rest) ? SetChoice(pilot, rest) : AnswerResult::Ignored;
    }
    if (pilot.atcActive != 1) {
        return AnswerResult::Ignored;
    }
    AnswerResult result = AnswerResult::Ignored;
    if (BelowNine(text)) {
        result = SetChoice(pilot, text);
        if (result == AnswerResult::ConversionFailed) {
            return result;
        }
    }
    if ((text == "R" || text == "r") &&
        pilot.pendingMenu.find(kSayAgainMark) == std::string::npos) {
        pilot.choice = 0;
        pilot.pendingMenu += kSayAgainMark;
        result = AnswerResult::Applied;
    }
    return result;
}

}  // namespace corvane::station
