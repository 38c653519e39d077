#include "scenery/SettingsWindowLogic.h"

#include <system_error>

#include "scenery/AirportDatabase.h"
#include "scenery/MagneticVariation.h"
#include "shell/Config.h"

namespace corvane::scenery {

namespace fs = std::filesystem;

SettingsWindowLogic::SettingsWindowLogic(fs::path workDir, Config& config, ChosenAirport& airport,
                                         Terrain& terrain, MessageBoxes& boxes, SettingsView& view,
                                         FirstRunBuild::DriveLister listDrives)
    : workDir_(std::move(workDir)),
      config_(config),
      airport_(airport),
      terrain_(terrain),
      boxes_(boxes),
      view_(view),
      listDrives_(std::move(listDrives)) {}

SettingsWindowLogic::~SettingsWindowLogic() = default;

fs::path SettingsWindowLogic::AirportsFile() const {
    return workDir_ / shell::kAirportsFileName;
}

fs::path SettingsWindowLogic::TerrainFile() const {
    return workDir_ / shell::kTerrainFileName;
}

void SettingsWindowLogic::Load() {
    view_.SetStatus(kProcessingText);
}

SettingsWindowLogic::AirportsOutcome SettingsWindowLogic::ReadWorldAirports() {
    view_.SetActivity("Magdec.bgl file");
    const fs::path magdec = MagdecPath(config_.FsMainFolder);
    const MagdecResult variation = ReadMagdec(magdec, terrain_.MagVarGrid);
    if (const std::string problem = MagdecProblemText(magdec, variation); !problem.empty()) {
        boxes_.Show(BoxIcon::Exclamation, problem);
    }

    std::error_code ec;
    if (!fs::exists(AirportsFile(), ec)) {
        return AirportsOutcome::DatabaseMissing;
    }
    view_.SetActivity("World_airports.dat file");
    AirportDatabaseFile database = ReadAirportDatabase(AirportsFile(), config_.AirportCount);
    if (!database.error.empty()) {
        boxes_.Show(BoxIcon::Exclamation,
                    "The airport database could not be read: " + database.error + ".");
        return AirportsOutcome::Failed;
    }
    if (database.content.firstDamagedRecord >= 0) {
        boxes_.Show(BoxIcon::Exclamation,
                    "The airport database " + AirportsFile().string() +
                        " is damaged from its airport number " +
                        std::to_string(database.content.firstDamagedRecord + 1) +
                        " on: those airports are listed blank.");
    }
    view_.SetActivity("Adding airports to list");
    ShowList(std::move(database.content.airports));
    return AirportsOutcome::ListReady;
}

void SettingsWindowLogic::ShowList(std::vector<AirportRecord> airports) {
    airportList_ = std::move(airports);
    lines_.clear();
    lines_.reserve(airportList_.size());
    for (const AirportRecord& r : airportList_) {
        lines_.push_back(ComboLine(r));
    }
    view_.FillAirportList(lines_);
    view_.SetActivity("");
    view_.ResetProgress();
    view_.SetStatus(kDoneText);
}

SettingsWindowLogic::BuildOutcome SettingsWindowLogic::StartFirstRunBuild() {
    if (!build_) {
        build_ = std::make_unique<FirstRunBuild>(config_, terrain_.MagVarGrid, listDrives_);
        build_->SetDatabase(workDir_);
        build_->KeepAirports(keepAirports_);
        build_->SetText1Observer([this](const std::string& text1) { view_.SetActivity(text1); });
    }
    switch (build_->Start(boxes_)) {
        case BuildState::Scanning:
            view_.SetProgress(build_->ProgressValue(), build_->ProgressMaximum());
            return BuildOutcome::Scanning;
        case BuildState::Stalled:
            return BuildOutcome::Stalled;
        default:
            return BuildOutcome::Failed;
    }
}

SettingsWindowLogic::BuildOutcome SettingsWindowLogic::ScanBglTick() {
    if (!build_) {
        return BuildOutcome::Stalled;
    }
    switch (build_->Tick(boxes_)) {
        case TickResult::ScannedFile:
            view_.SetProgress(build_->ProgressValue(), build_->ProgressMaximum());
            return BuildOutcome::Scanning;
        case TickResult::SkippedArea:
        case TickResult::AreaDone:
            return BuildOutcome::Scanning;
        case TickResult::Failed:
            return BuildOutcome::Failed;
        case TickResult::Idle:
            return build_->State() == BuildState::Failed ? BuildOutcome::Failed
                                                         : BuildOutcome::Stalled;
        case TickResult::AllScanned:
            break;
    }
    // The finishing tick.
    if (build_->Finish(boxes_) != BuildState::Done) {
        return BuildOutcome::Failed;
    }
    ShowList(build_->TakeAirports());  // empty when the airports were not kept
    return BuildOutcome::ListReady;
}

bool SettingsWindowLogic::SelectAirport(int listIndex) {
    if (listIndex < 0 || static_cast<size_t>(listIndex) >= lines_.size()) {
        return false;
    }
    view_.SetStatus(kProcessingText);
    view_.SetActivity("Getting Airport's Info");
    // With duplicate lines the last matching airport is the one that stays.
    const int index = LastRecordWithLine(airportList_, lines_[static_cast<size_t>(listIndex)]);
    if (index >= 0) {
        LoadChosenAirport(airportList_[static_cast<size_t>(index)], airportList_, airport_, box_);
    }
    DropList();
    return true;
}

SettingsWindowLogic::MountainsOutcome SettingsWindowLogic::ReadAllMountains() {
    view_.SetActivity("World_terrain.db file");
    terrainRead_ = ReadAllMountainsFile(TerrainFile(), airport_, box_, terrain_);
    if (!terrainRead_.error.empty()) {
        boxes_.Show(BoxIcon::Exclamation, "The terrain file could not be read (" +
                                              terrainRead_.error +
                                              "). Please reinstall this ATC program again.");
        return MountainsOutcome::Failed;
    }
    view_.SetActivity(TerrainNoticeText(terrainRead_));
    view_.SetStatus(kDoneText);
    return MountainsOutcome::Done;
}

void SettingsWindowLogic::Exit() {
    view_.SetActivity("Please wait...");
    DropList();
}

void SettingsWindowLogic::DropList() {
    // AirportCount keeps its value; only the records and their lines go.
    std::vector<AirportRecord>().swap(airportList_);
    std::vector<std::string>().swap(lines_);
}

}  // namespace corvane::scenery
