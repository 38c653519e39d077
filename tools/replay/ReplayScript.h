#pragma once
// The replay script language, one command per line. Words are separated by blanks; a word in
// double quotes may hold blanks, and \" and \\ stand for a quote and a backslash inside it. Blank
// lines and lines whose first word starts with # are ignored.
//
//   airport IDENT                      load the airport as "Next" and the mountain tick do
//   station [ID]                       the station joins as player ID (default 1000)
//   player CALLSIGN ID                 another player joins
//   leave CALLSIGN                     that player leaves
//   start | stop | close               the station's three buttons
//   from CALLSIGN present [ID]         0x1003 carrying the sender's id, or ID
//   from CALLSIGN alive                0x1004
//   from CALLSIGN rollcall             0x1007
//   from CALLSIGN info ENGINE "TITLE"  0x100E
//   from CALLSIGN pos LAT LON ALTFT TRUEHDG     0x1019 (pos18: 0x1018)
//   from CALLSIGN chat "TEXT"          0x1023, laid out as the station lays out its own
//   from CALLSIGN removed              0x1016
//   from CALLSIGN raw HEX              those bytes
//   auto on|off                        answer roll calls and send host-alive before every tick
//   tick [N]                           N monitoring ticks (default 1)
//   dump CALLSIGN | dump station       a traffic record, or the queues and taxi reservations
//   set CALLSIGN altitude FEET         the record's altitude in feet, as no position message can
//                                      give it: those carry whole metres, so of two neighbouring
//                                      feet values near a field's 300 ft mark at most one arrives

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::replay {

inline constexpr int32_t kDefaultStationId = 1000;
inline constexpr int32_t kMaxTicksPerLine = 1000000;

enum class Verb {
    Airport,
    Station,
    Player,
    Leave,
    Start,
    Stop,
    Close,
    From,
    Auto,
    Tick,
    Dump,
    Set
};

enum class Sent { Present, Alive, RollCall, Info, Pos, Pos18, Chat, Removed, Raw };

struct ReplayLine {
    Verb verb = Verb::Tick;
    std::string name;  // IDENT, CALLSIGN, or "station" for dump
    std::optional<int32_t> id;
    Sent sent = Sent::Present;
    int16_t engine = 0;
    std::string text;  // the title or the chat text
    double latitude = 0.0;
    double longitude = 0.0;
    int32_t altitudeFt = 0;
    int16_t trueHeading = 0;
    std::vector<uint8_t> raw;
    bool on = false;
    int32_t count = 1;
};

struct ParsedLine {
    std::optional<ReplayLine> line;  // empty for blank and comment lines, and on an error
    std::string error;               // why the line is malformed; empty when it is not
};

// Splits a line into words; nullopt (and `error`) on an unterminated quote or a bad escape.
std::optional<std::vector<std::string>> SplitWords(std::string_view text, std::string& error);

ParsedLine ParseReplayLine(std::string_view text);

}  // namespace corvane::replay
