#include "replay/AirportLoading.h"

#include <filesystem>

#include "scenery/SettingsWindowLogic.h"
#include "shell/Config.h"

namespace corvane::replay {

namespace {

class NoView final : public scenery::SettingsView {
  public:
    void SetStatus(const std::string&) override {}
    void SetActivity(const std::string&) override {}
    void ResetProgress() override {}
    void SetProgress(int32_t, int32_t) override {}
    void FillAirportList(const std::vector<std::string>&) override {}
};

// Boxes go to the replay's output, and the last one is kept as the reason for a failed step.
class NotedBoxes final : public MessageBoxes {
  public:
    explicit NotedBoxes(MessageBoxes& shown) : shown_(shown) {}
    void Show(BoxIcon icon, const std::string& text) override {
        last = text;
        shown_.Show(icon, text);
    }
    std::string last;

  private:
    MessageBoxes& shown_;
};

}  // namespace

std::string LoadAirportFromWorkingFolder(const std::string& ident, ChosenAirport& airport,
                                         Terrain& terrain, MessageBoxes& boxes) {
    const std::filesystem::path folder = std::filesystem::current_path();
    Config config;
    const std::filesystem::path configFile = folder / shell::kConfigFileName;
    std::error_code ec;
    if (!std::filesystem::exists(configFile, ec)) {
        return "cannot read " + configFile.string() + ": no such file";
    }
    const shell::ConfigReadResult read = shell::ReadConfiguration(configFile, config);
    if (read.status == shell::ConfigStatus::Unreadable) {
        return "cannot read " + configFile.string();
    }
    if (read.status == shell::ConfigStatus::DamagedAirportCount) {
        return configFile.string() + " is damaged: total_airports=" + read.badValue +
               " is not a number";
    }

    NotedBoxes noted(boxes);
    NoView view;
    scenery::SettingsWindowLogic logic(folder, config, airport, terrain, noted, view);
    logic.Load();
    switch (logic.ReadWorldAirports()) {
        case scenery::SettingsWindowLogic::AirportsOutcome::ListReady:
            break;
        case scenery::SettingsWindowLogic::AirportsOutcome::DatabaseMissing:
            return "cannot read " + logic.AirportsFile().string() + ": no such file";
        case scenery::SettingsWindowLogic::AirportsOutcome::Failed:
            return noted.last.empty() ? "the airport database could not be read" : noted.last;
    }
    // "Next" on the line of the last airport with the ident, as the list shows it.
    const auto& airports = logic.AirportList();
    int line = -1;
    for (size_t i = airports.size(); i-- > 0;) {
        if (airports[i].ident == ident) {
            line = static_cast<int>(i);
            break;
        }
    }
    if (line < 0) {
        return "no airport with the ident " + ident + " in world_airports.dat";
    }
    logic.SelectAirport(line);
    if (logic.ReadAllMountains() != scenery::SettingsWindowLogic::MountainsOutcome::Done) {
        return noted.last.empty() ? "the mountains could not be read" : noted.last;
    }
    return "";
}

}  // namespace corvane::replay
