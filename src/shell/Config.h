#pragma once
// corvane.cfg: plain 8-bit text, CR LF between lines, no line break after the last one.
//
//   [FS Main folder]
//   fs_main_folder=C:\Program Files\Microsoft Games\FS2002
//
//   [Total Airports]
//   total_airports=24197
//
// The configuration window writes the first two lines (stage one); the database build appends the
// rest (stage two). The reader ignores the section headers and finds the keys anywhere in a line.

#include <filesystem>
#include <string>

#include "shared/State.h"

namespace corvane::shell {

inline constexpr const char* kConfigFileName = "corvane.cfg";
inline constexpr const char* kAirportsFileName = "world_airports.dat";
inline constexpr const char* kTerrainFileName = "world_terrain.db";

enum class ConfigStatus {
    Ok,
    Unreadable,          // the file could not be opened or read
    DamagedAirportCount  // a total_airports= value that is not a whole non-negative number
};

struct ConfigReadResult {
    ConfigStatus status = ConfigStatus::Ok;
    std::string badValue;  // the offending total_airports= value, for the message
};

// Applies the file's keys to `config`: a key is found in the lower-cased line, its value is the
// line from its 16th character on, case kept and untrimmed; the last occurrence wins and a missing
// key leaves the value as it was. A damaged last count leaves AirportCount at the last good one.
ConfigReadResult ReadConfiguration(const std::filesystem::path& file, Config& config);

// Parses the text of a configuration (already read), as ReadConfiguration does.
ConfigReadResult ParseConfiguration(const std::string& bytes, Config& config);

// The bytes of stage one: "[FS Main folder]" CR LF "fs_main_folder=" folder, one byte per
// character.
std::string StageOneBytes(const std::string& folder);
// The bytes stage two appends: CR LF CR LF "[Total Airports]" CR LF "total_airports=" count.
std::string StageTwoBytes(int32_t airportCount);

// Writes stage one as the whole file. Returns an empty string on success, else the reason.
std::string WriteStageOne(const std::filesystem::path& file, const std::string& folder);
// Appends stage two after the file's last byte. Returns an empty string on success, else the
// reason.
std::string AppendStageTwo(const std::filesystem::path& file, int32_t airportCount);

}  // namespace corvane::shell
