#include "shell/Startup.h"

#include <system_error>

#include "shell/Config.h"

namespace corvane::shell {

namespace fs = std::filesystem;

void DeleteQuietly(const fs::path& file) {
    std::error_code ignored;
    fs::remove(file, ignored);
}

StartupNext DecideStartup(const fs::path& workDir, Config& config, MessageBoxes& boxes) {
    const fs::path terrain = workDir / kTerrainFileName;
    const fs::path airports = workDir / kAirportsFileName;
    const fs::path cfg = workDir / kConfigFileName;
    std::error_code ec;
    if (!fs::exists(terrain, ec)) {
        boxes.Show(BoxIcon::Exclamation, kTerrainMissingText);
        return StartupNext::EndProgram;
    }
    if (!fs::exists(airports, ec)) {
        DeleteQuietly(cfg);
    }
    if (!fs::exists(cfg, ec)) {
        DeleteQuietly(airports);
        return StartupNext::ConfigurationWindow;
    }

    Config read = config;
    const ConfigReadResult result = ReadConfiguration(cfg, read);
    if (result.status == ConfigStatus::Ok) {
        config = read;
        return StartupNext::SettingsWindow;
    }
    const std::string reason =
        result.status == ConfigStatus::Unreadable
            ? "cannot be read"
            : "is damaged: its total_airports= value \"" + result.badValue + "\" is not a number";
    boxes.Show(BoxIcon::Exclamation,
               "The configuration file " + cfg.string() + " " + reason +
                   ". It will be created again and the airport database rebuilt.");
    DeleteQuietly(cfg);
    DeleteQuietly(airports);
    return StartupNext::ConfigurationWindow;
}

void PrepareConfigurationWindow(const fs::path& workDir) {
    DeleteQuietly(workDir / kAirportsFileName);
}

bool CreateConfiguration(const fs::path& workDir, const std::string& folderText, Config& config,
                         MessageBoxes& boxes) {
    const fs::path cfg = workDir / kConfigFileName;
    const std::string error = WriteStageOne(cfg, folderText);
    if (!error.empty()) {
        boxes.Show(BoxIcon::Exclamation, "The configuration file " + cfg.string() +
                                             " could not be written (" + error +
                                             "). Check that the folder is writable.");
        return false;
    }
    config.FsMainFolder = folderText;
    boxes.Show(BoxIcon::Information, kConfigCreatedText);
    return true;
}

}  // namespace corvane::shell
