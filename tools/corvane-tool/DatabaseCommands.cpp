#include "DatabaseCommands.h"

#include <filesystem>

#include "scenery/AirportDatabase.h"
#include "shell/Config.h"

namespace corvane::tool {

namespace fs = std::filesystem;

std::string LoadConfig(Config& config) {
    const fs::path file = fs::current_path() / shell::kConfigFileName;
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        return "cannot read " + file.string() + ": no such file";
    }
    const shell::ConfigReadResult read = shell::ReadConfiguration(file, config);
    switch (read.status) {
        case shell::ConfigStatus::Ok:
            return {};
        case shell::ConfigStatus::Unreadable:
            return "cannot read " + file.string();
        case shell::ConfigStatus::DamagedAirportCount:
            return file.string() + " is damaged: total_airports=" + read.badValue +
                   " is not a number";
    }
    return {};
}

std::string LoadAirports(const Config& config, std::vector<AirportRecord>& airports) {
    const fs::path file = fs::current_path() / shell::kAirportsFileName;
    scenery::AirportDatabaseFile read = scenery::ReadAirportDatabase(file, config.AirportCount);
    if (!read.error.empty()) {
        return read.error;
    }
    airports = std::move(read.content.airports);
    return {};
}

}  // namespace corvane::tool
