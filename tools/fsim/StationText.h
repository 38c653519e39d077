#pragma once
// Reading the station's chat lines the way a pilot does. A line for a pilot starts with his
// callsign (his own advisory announcements start with "Traffic, " and his callsign), goes on with
// what the controller says, and ends with a numbered menu:
//
//   N123. Choose one of the following options for the Ground frequency: 1-Request Taxi to
//   Runway 2-Request Taxi to Gate 3-Close ATC Services
//
// The pilot finds an option by its text and answers with its number. What the controller says
// before the menu (taxi routes, headings, altitudes, frequencies, clearances) is read into
// Instructions.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::fsim {

struct MenuOption {
    int number = 0;
    std::string text;

    bool operator==(const MenuOption&) const = default;
};

enum class Radio { None, Ground, Tower, Approach, Departure, Artcc, Advisory };

// One line addressed to the pilot.
struct StationLine {
    std::string text;                 // the whole line
    std::string body;                 // after the callsign, up to the menu, punctuation trimmed
    Radio menuRadio = Radio::None;    // "... options for the Tower frequency: ..."
    std::vector<MenuOption> options;  // in menu order

    // The number of the option with this text (compared without regard to case), or 0.
    int Option(std::string_view optionText) const;
    bool Offers(std::string_view optionText) const { return Option(optionText) != 0; }
    // Whether the line asks the pilot to acknowledge.
    bool AsksAcknowledge() const { return Offers("Acknowledge"); }
};

// The line if it is addressed to `callsign`: the callsign followed by "," or ".", or an advisory
// announcement "Traffic, " + callsign + ",". Otherwise nullopt.
std::optional<StationLine> ReadStationLine(std::string_view line, std::string_view callsign);

// The numbered options after the last ": 1-" of a line, each running up to " <next number>-".
std::vector<MenuOption> ReadMenu(std::string_view line);

enum class TurnSide { Either, Left, Right };
enum class PatternEntry { None, LeftDownwind, RightDownwind, Base, StraightIn };

struct TaxiClearance {
    bool toRunway = false;
    std::string destination;            // the runway's name, or the gate or parking place
    std::vector<std::string> taxiways;  // in the order given; "RUNWAY 13R" stays one name
};

struct ContactInstruction {
    Radio radio = Radio::None;
    std::string frequency;  // as quoted
};

// Everything a controller can say before the menu. Fields stay empty when not said.
struct Instructions {
    bool welcome = false;              // "Welcome to ... Want to use our ATC services at ..."
    std::string welcomeIdent;          // the airport ident the welcome names
    bool flightTypeQuestion = false;   // "What type of flight you want to fly?"
    bool destinationQuestion = false;  // "What is your destination airport?"

    std::optional<TaxiClearance> taxi;
    bool holdPosition = false;  // "Hold position, caution other traffic"
    bool continueTaxi = false;  // "Continue taxi"
    bool reportParked = false;  // "Report us when you are parked"

    bool clearedForTakeoff = false;
    bool holdShort = false;  // the tower's "Hold short on runway"
    PatternEntry pattern = PatternEntry::None;
    bool clearedToLand = false;
    int landingNumber = 0;
    bool goAround = false;
    bool exitRunway = false;
    bool landingCancelled = false;  // "Roger landing cancel received"

    std::optional<int> heading;  // magnetic
    TurnSide turn = TurnSide::Either;
    std::optional<int> altitudeFt;  // "Climb and Maintain" / "Descent and Maintain"
    bool clearedApproach = false;
    bool ilsApproach = false;
    std::optional<int> approachHeading;  // "Maintain heading X and Y ft until ..."
    std::optional<int> approachAltitudeFt;
    bool expectVectors = false;
    bool ownNavigation = false;  // "... assume own navigation"
    bool climbToCruise = false;  // "Climb and maintain cruise altitude"

    std::optional<ContactInstruction> contact;
    bool traffic = false;     // a traffic report or alert
    bool terminated = false;  // "... Services terminated."
};

Instructions ReadInstructions(std::string_view body);

// "Ground", "Tower", ... as the live view names them.
std::string_view RadioName(Radio radio);

}  // namespace corvane::fsim
