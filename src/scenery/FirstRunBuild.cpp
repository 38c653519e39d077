#include "scenery/FirstRunBuild.h"

#include <algorithm>

#include "shell/Config.h"
#include "shell/Startup.h"

namespace corvane::scenery {

namespace fs = std::filesystem;

FirstRunBuild::FirstRunBuild(Config& config, const MagneticVariationGrid& grid,
                             DriveLister listDrives)
    : config_(config), grid_(grid), listDrives_(std::move(listDrives)) {}

void FirstRunBuild::SetText1Observer(std::function<void(const std::string&)> observer) {
    text1Observer_ = std::move(observer);
}

void FirstRunBuild::SetDatabase(fs::path workDir, DatabaseOpener open) {
    workDir_ = std::move(workDir);
    openDatabase_ = std::move(open);
}

void FirstRunBuild::SetText1(const std::string& text) {
    text1_ = text;
    if (text1Observer_) {
        text1Observer_(text1_);
    }
}

BuildState FirstRunBuild::Fail(MessageBoxes& boxes, const std::string& text) {
    state_ = BuildState::Failed;
    database_.reset();  // nothing half-written stays
    boxes.Show(BoxIcon::Exclamation, text);
    return state_;
}

bool FirstRunBuild::ListArea(const SceneryArea& area, std::vector<fs::path>& files,
                             bool noteMissing, MessageBoxes& boxes) {
    files.clear();
    // An area without a folder has none to list (not the main folder, not a drive's root).
    const auto folder =
        area.local.empty() ? std::nullopt : ResolveFolderText(area.local, config_.FsMainFolder);
    if (!folder) {
        // A folder that is not there holds no airports (a CD area without its CD, a removed
        // add-on); the scan goes on without it.
        if (noteMissing) {
            missingFolders_.push_back(area.local);
        }
        return true;
    }
    BglListing listing = ListBglFiles(*folder);
    if (!listing.readable) {
        Fail(boxes, "The scenery folder " + folder->string() + " could not be read (" +
                        listing.error +
                        "). Check that it exists and that you may read it, then start the "
                        "program again.");
        return false;
    }
    files = std::move(listing.files);
    return true;
}

BuildState FirstRunBuild::Start(MessageBoxes& boxes) {
    if (state_ != BuildState::NotStarted) {
        return state_;
    }
    boxes.Show(BoxIcon::Information, kFirstRunText);
    if (areas_.empty()) {
        SetText1(kReadingSceneryCfgText);
        const fs::path main(config_.FsMainFolder);
        const fs::path cfg =
            FindCaseInsensitive(main, {"scenery.cfg"}).value_or(main / "scenery.cfg");
        auto areas = ReadSceneryCfg(cfg);
        if (!areas) {
            return Fail(boxes, "The file " + cfg.string() +
                                   " could not be read. Check that the FS2002 main folder chosen "
                                   "in the configuration is right and holds scenery.cfg; the "
                                   "folder will be asked for again at the next start.");
        }
        areas_ = std::move(*areas);
        cdPromptShown_ = false;
        for (const SceneryArea& area : areas_) {
            if (!area.remote.empty() && !cdPromptShown_) {
                boxes.Show(BoxIcon::Information, kInsertCdText);
                cdPromptShown_ = true;
            }
        }
        // Asked now, so a CD inserted at the prompt is among them.
        ResolveAreaFolders(areas_, config_.FsMainFolder, listDrives_());
    }
    if (config_.AirportCount != 0) {
        state_ = BuildState::Stalled;
        return state_;
    }
    bglFileCount_ = 0;
    std::vector<fs::path> files;
    for (const SceneryArea& area : areas_) {
        if (!IsAirportArea(area)) {
            continue;
        }
        if (!ListArea(area, files, true, boxes)) {
            return state_;
        }
        bglFileCount_ += static_cast<int32_t>(files.size());
    }
    progressValue_ = 0;
    progressMaximum_ = bglFileCount_ + 1;
    if (openDatabase_) {
        database_ = openDatabase_(workDir_ / shell::kAirportsFileName);
    }
    state_ = BuildState::Scanning;
    return state_;
}

TickResult FirstRunBuild::Tick(MessageBoxes& boxes) {
    if (state_ != BuildState::Scanning) {
        return TickResult::Idle;
    }
    if (areaIndex_ >= areas_.size()) {
        state_ = BuildState::AllScanned;
        return TickResult::AllScanned;
    }
    const SceneryArea& area = areas_[areaIndex_];
    if (!IsAirportArea(area)) {
        ++areaIndex_;
        return TickResult::SkippedArea;
    }
    SetText1(area.title);
    if (!listing_) {
        // Every airport area lists its folder afresh, even one sharing the folder of the area
        // before it, so no area's files are skipped.
        if (!ListArea(area, listingFiles_, false, boxes)) {
            return TickResult::Failed;
        }
        listing_ = true;
        listingNext_ = 0;
    }
    if (listingNext_ >= listingFiles_.size()) {
        ++areaIndex_;
        listing_ = false;
        return TickResult::AreaDone;
    }
    const fs::path file = listingFiles_[listingNext_++];
    std::string error;
    if (!ReadWholeFile(file, bglBuffer_, error)) {
        Fail(boxes, "The scenery file " + file.string() + " could not be read (" + error +
                        "). Check that it exists and that you may read it, then start the "
                        "program again.");
        return TickResult::Failed;
    }
    if (HasBglSignature(bglBuffer_)) {
        BglReport report = ScanBglHeader(bglBuffer_, grid_, fileAirports_);
        if (!report.Clean()) {
            damagedFiles_.push_back({file, std::move(report)});
        }
        // Written as they come, so a world's airports need not all stand in memory at the end.
        for (AirportRecord& airport : fileAirports_) {
            if (database_) {
                database_->Add(airport);
            }
            if (keepAirports_) {
                airports_.push_back(std::move(airport));
            }
        }
        airportsDecoded_ += static_cast<int32_t>(fileAirports_.size());
        fileAirports_.clear();
    } else {
        ++filesWithoutSignature_;
    }
    progressValue_ = std::min(progressValue_ + 1, progressMaximum_);
    return TickResult::ScannedFile;
}

BuildState FirstRunBuild::Finish(MessageBoxes& boxes) {
    if (state_ != BuildState::AllScanned) {
        return state_;
    }
    SetText1(kCreatingDatabaseText);
    std::vector<uint8_t>().swap(bglBuffer_);
    std::vector<AirportRecord>().swap(fileAirports_);
    if (!database_) {
        // A build set up to scan alone: there is no folder to write to (or delete from).
        return Fail(boxes,
                    "The airport database could not be written: no folder was given for it.");
    }
    const fs::path database = workDir_ / shell::kAirportsFileName;
    const fs::path cfg = workDir_ / shell::kConfigFileName;
    config_.AirportCount = airportsDecoded_;
    std::string error = database_->Finish();
    database_.reset();
    if (!error.empty()) {
        shell::DeleteQuietly(database);
        return Fail(boxes, "The airport database " + database.string() + " could not be written (" +
                               error +
                               "). Check that the folder is writable and has room; the database "
                               "will be built again at the next start.");
    }
    error = shell::AppendStageTwo(cfg, config_.AirportCount);
    if (!error.empty()) {
        shell::DeleteQuietly(database);
        return Fail(boxes, "The configuration file " + cfg.string() + " could not be extended (" +
                               error +
                               "). Check that it is writable; the database will be built again "
                               "at the next start.");
    }
    boxes.Show(BoxIcon::Information, kDatabaseCreatedText);
    SetText1(kAddingAirportsText);
    state_ = BuildState::Done;
    return state_;
}

}  // namespace corvane::scenery
