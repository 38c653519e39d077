#pragma once
// The first-run build of the airport database, one step per timer tick of the settings window
// (or per turn of a terminal loop): read scenery.cfg, resolve the area folders, count the BGL
// files, then decode one file per tick (a tick per skipped area), each file's airports going to
// the database output at once, and finish by completing the database and appending the count to
// corvane.cfg.
//
//   FirstRunBuild build(config, grid, ListVolumes());
//   build.SetDatabase(workDir);                   // world_airports.dat there
//   build.KeepAirports(false);                    // when no list is to be shown
//   build.SetText1Observer(...);                  // the window repaints Text1 here
//   if (build.Start(boxes) == BuildState::Scanning)
//       while (build.Tick(boxes) != TickResult::AllScanned) { ... }   // Scan_Bgl, 5 ms
//   build.Finish(boxes);
//
// Start, Tick and Finish show their message boxes through `boxes`; a window must not let a tick
// run again while one is open. After Failed the program ends: nothing has been written (the
// half-made database is removed).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scenery/AirportDatabase.h"
#include "scenery/BglDecoder.h"
#include "scenery/CaseFolders.h"
#include "scenery/SceneryCfg.h"
#include "scenery/Volumes.h"
#include "scenery/WholeFile.h"
#include "shared/MessageBoxes.h"
#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::scenery {

inline constexpr const char* kFirstRunText =
    "This is the first time you run this program. Now this program will create a database of all "
    "the airports of the FS world. This process can take a few minutes, please wait.";
inline constexpr const char* kInsertCdText =
    "Please insert your FS2002 CD disk2. After you insert it, press OK to continue. If you already "
    "have the FS2002 CD disk2 inside your CD-ROM Drive, then press OK.";
inline constexpr const char* kDatabaseCreatedText =
    "The creation process of the database was completed!. Now this program will display all the "
    "airports in a list. So you can select one of the airports.";

inline constexpr const char* kReadingSceneryCfgText = "Scenery.cfg file";
inline constexpr const char* kCreatingDatabaseText = "Creating database";
inline constexpr const char* kAddingAirportsText = "Adding airports to list";

enum class BuildState {
    NotStarted,
    Scanning,  // Tick until AllScanned
    Stalled,   // a count already stands in corvane.cfg without a database: nothing is built
    AllScanned,
    Done,    // database written, count appended, completion box shown
    Failed,  // a box has named what could not be read or written; nothing was written
};

enum class TickResult {
    ScannedFile,  // one BGL file read (decoded when it carries the signature)
    SkippedArea,  // an area that is not an airport area
    AreaDone,     // the airport area's listing is exhausted
    AllScanned,   // every area done: call Finish in this same tick
    Failed,       // a folder or file could not be read (box shown)
    Idle,         // not scanning
};

// Opens the output that makes world_airports.dat at `file`.
using DatabaseOpener =
    std::function<std::unique_ptr<AirportOutput>(const std::filesystem::path& file)>;

class FirstRunBuild {
  public:
    // Lists the volumes standing in for drive letters; asked after the CD prompt.
    using DriveLister = std::function<std::vector<Volume>()>;

    // `config` gives FsMainFolder and AirportCount and gets the new count; `grid` turns runway
    // headings magnetic.
    FirstRunBuild(Config& config, const MagneticVariationGrid& grid,
                  DriveLister listDrives = ListVolumes);

    // Told every new Text1 (what is being done or scanned), so a window can repaint at once.
    void SetText1Observer(std::function<void(const std::string&)> observer);

    // The database goes to world_airports.dat in `workDir` (and the count to its corvane.cfg),
    // through the output `open` makes: the file writer unless a test hands in another. Set before
    // Start; a build without it only scans, and its Finish fails.
    void SetDatabase(std::filesystem::path workDir, DatabaseOpener open = OpenAirportDatabase);
    // Whether the airports are also kept for Airports() and TakeAirports(), as the window's list
    // needs them; a terminal that shows no list saves their memory. Kept unless told otherwise.
    void KeepAirports(bool keep) { keepAirports_ = keep; }

    // The first-run branch of the load tick, after the magnetic variation has been read.
    BuildState Start(MessageBoxes& boxes);
    // One Scan_Bgl tick.
    TickResult Tick(MessageBoxes& boxes);
    // The finishing tick: "Creating database", the database completed, the count appended to
    // corvane.cfg, the completion box, then "Adding airports to list" (the window fills its list,
    // clears Text1 and the progress bar and sets "Done!"). A failed write deletes the half-written
    // database, so the next start asks for the folder again.
    BuildState Finish(MessageBoxes& boxes);

    BuildState State() const { return state_; }
    const std::string& Text1() const { return text1_; }
    int32_t ProgressValue() const { return progressValue_; }
    int32_t ProgressMaximum() const { return progressMaximum_; }  // BGL files + 1
    int32_t BglFileCount() const { return bglFileCount_; }
    const std::vector<SceneryArea>& Areas() const { return areas_; }
    size_t AreaIndex() const { return areaIndex_; }
    // The airports decoded so far, in scan order; none when they are not kept.
    const std::vector<AirportRecord>& Airports() const { return airports_; }
    // The airports for the window's list, once finished.
    std::vector<AirportRecord> TakeAirports() { return std::move(airports_); }
    // Airports handed to the database output (or decoded, without one).
    int32_t AirportsDecoded() const { return airportsDecoded_; }

    // What did not go as it should, for a terminal or a test: area folders that do not exist
    // (their areas add nothing), and BGL files whose walk ended early.
    const std::vector<std::string>& MissingFolders() const { return missingFolders_; }
    struct DamagedFile {
        std::filesystem::path file;
        BglReport report;
    };
    const std::vector<DamagedFile>& DamagedFiles() const { return damagedFiles_; }
    int32_t FilesWithoutSignature() const { return filesWithoutSignature_; }

  private:
    void SetText1(const std::string& text);
    // The files of an airport area's folder (none when the folder does not exist); false (after a
    // box) when it cannot be listed.
    bool ListArea(const SceneryArea& area, std::vector<std::filesystem::path>& files,
                  bool noteMissing, MessageBoxes& boxes);
    BuildState Fail(MessageBoxes& boxes, const std::string& text);

    Config& config_;
    const MagneticVariationGrid& grid_;
    DriveLister listDrives_;
    std::function<void(const std::string&)> text1Observer_;
    std::filesystem::path workDir_;
    DatabaseOpener openDatabase_;
    bool keepAirports_ = true;

    BuildState state_ = BuildState::NotStarted;
    std::string text1_;
    int32_t progressValue_ = 0;
    int32_t progressMaximum_ = 0;

    std::vector<SceneryArea> areas_;
    bool cdPromptShown_ = false;
    size_t areaIndex_ = 0;
    int32_t bglFileCount_ = 0;
    bool listing_ = false;  // the current airport area's listing has started
    std::vector<std::filesystem::path> listingFiles_;
    size_t listingNext_ = 0;

    // The file being decoded and its airports; kept from tick to tick so their memory is reused.
    std::vector<uint8_t> bglBuffer_;
    std::vector<AirportRecord> fileAirports_;
    std::unique_ptr<AirportOutput> database_;  // open from Start to Finish
    int32_t airportsDecoded_ = 0;
    std::vector<AirportRecord> airports_;
    std::vector<std::string> missingFolders_;
    std::vector<DamagedFile> damagedFiles_;
    int32_t filesWithoutSignature_ = 0;
};

}  // namespace corvane::scenery
