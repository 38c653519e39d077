#pragma once
// The start-up decision and the configuration window's actions. The airport database and the
// configuration are trusted only as a pair: a missing one makes the other worthless.

#include <filesystem>
#include <string>

#include "shared/MessageBoxes.h"
#include "shared/State.h"

namespace corvane::shell {

enum class StartupNext { EndProgram, ConfigurationWindow, SettingsWindow };

inline constexpr const char* kTerrainMissingText =
    "The world_terrain.db file is missing. Please reinstall this ATC program again.";
inline constexpr const char* kConfigCreatedText =
    "The creation process of the configuration file for this program was completed!";

// Runs when the splash has been shown for its time. Reads corvane.cfg into `config` when both data
// files are there; deletes the half of the pair that cannot be trusted; a damaged configuration is
// reported in a box and both files are deleted so the user can build them again.
StartupNext DecideStartup(const std::filesystem::path& workDir, Config& config,
                          MessageBoxes& boxes);

// The configuration window has opened: a new configuration always means a new database.
void PrepareConfigurationWindow(const std::filesystem::path& workDir);

// "Create Configuration File": writes stage one with `folderText` unchecked, sets FsMainFolder and
// tells the user. Returns false (after an exclamation box naming the file) when it cannot write.
bool CreateConfiguration(const std::filesystem::path& workDir, const std::string& folderText,
                         Config& config, MessageBoxes& boxes);

// Deletes a file, ignoring every error (a missing file above all).
void DeleteQuietly(const std::filesystem::path& file);

}  // namespace corvane::shell
