#pragma once
// What the settings window does, tick by tick and button by button, without the window: it loads
// the variation grid and the airport database into the list (or, on the first run, builds the
// database from the simulator's scenery one file per tick), copies the chosen airport into the
// shared state and reads the mountains around it. The window (Form2) only shows what this tells
// its view, runs its timers and moves along the window chain; corvane-tool drives the same steps.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "scenery/AirportChoice.h"
#include "scenery/FirstRunBuild.h"
#include "scenery/TerrainDatabase.h"
#include "shared/MessageBoxes.h"
#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::scenery {

// Label2, the status word. The window enables its controls only on kDoneText.
inline constexpr const char* kProcessingText = "Processing Please Wait...";
inline constexpr const char* kDoneText = "Done!";

// The controls the logic writes to. Texts are UTF-8.
class SettingsView {
  public:
    virtual ~SettingsView() = default;
    virtual void SetStatus(const std::string& label2) = 0;   // Label2
    virtual void SetActivity(const std::string& text1) = 0;  // Text1, shown at once
    virtual void ResetProgress() = 0;                        // ProgressBar1 to 0
    // ProgressBar1 from 0 to `maximum`, at `value`; shown at once.
    virtual void SetProgress(int32_t value, int32_t maximum) = 0;
    virtual void FillAirportList(const std::vector<std::string>& lines) = 0;  // Combo1, in order
};

// A view that shows nothing, for the tools that run the settings steps without a window.
class SilentSettingsView final : public SettingsView {
  public:
    void SetStatus(const std::string&) override {}
    void SetActivity(const std::string&) override {}
    void ResetProgress() override {}
    void SetProgress(int32_t, int32_t) override {}
    void FillAirportList(const std::vector<std::string>&) override {}
};

class SettingsWindowLogic {
  public:
    enum class AirportsOutcome {
        ListReady,        // the list is filled and the controls are enabled
        DatabaseMissing,  // world_airports.dat is not there: the first-run scan is needed
        Failed,           // the database could not be read; the user has been told
    };
    // What the window does after a step of the first-run build.
    enum class BuildOutcome {
        Scanning,   // (re)start Scan_Bgl: more files to read
        Stalled,    // nothing is built; the window stays "Processing Please Wait..."
        ListReady,  // the database is written and the list filled: Scan_Bgl stays stopped
        Failed,     // a box has said what could not be read or written: the program ends
    };
    enum class MountainsOutcome {
        Done,    // mountains and safe altitude set: the connection window comes next
        Failed,  // the terrain file could not be read; the user has been told
    };

    // `listDrives` gives the volumes that stand in for drive letters (the mounted ones, unless a
    // test says otherwise).
    SettingsWindowLogic(std::filesystem::path workDir, Config& config, ChosenAirport& airport,
                        Terrain& terrain, MessageBoxes& boxes, SettingsView& view,
                        FirstRunBuild::DriveLister listDrives = ListVolumes);
    ~SettingsWindowLogic();

    // The window has loaded: the controls stay disabled until the list is ready.
    void Load();

    // Read_World_Airports, its one tick: the variation grid from FsMainFolder (a missing, short or
    // unreadable magdec.bgl is reported in a box and the grid kept), then the database into the
    // list when it exists.
    AirportsOutcome ReadWorldAirports();

    // The rest of Read_World_Airports when the database is missing: the first-run box, scenery.cfg
    // and its folders, the BGL count and the progress bar. Scanning asks for Scan_Bgl.
    BuildOutcome StartFirstRunBuild();

    // One Scan_Bgl tick: one BGL file read (or one area passed over); after the last, the database
    // is written, the count appended to corvane.cfg, the completion box shown and the list filled.
    // The window stops Scan_Bgl before the call and starts it again only on Scanning, so no box
    // lets a tick run underneath it.
    BuildOutcome ScanBglTick();

    // Whether the first-run build keeps its airports for the list (the window's choice, the
    // default) or only writes them (a terminal that shows no list: the list stays empty). Set
    // before StartFirstRunBuild.
    void KeepAirports(bool keep) { keepAirports_ = keep; }

    // The build under way (null before the first run starts), for a terminal or a test.
    const FirstRunBuild* Build() const { return build_.get(); }

    // "Next" with the list line at `listIndex` selected (-1: none, and nothing happens). Loads the
    // last airport with exactly that line into the shared state, builds the search box and drops
    // the list from memory. Returns true when the mountains are to be read next.
    bool SelectAirport(int listIndex);

    // Read_All_Mountains, its one tick.
    MountainsOutcome ReadAllMountains();

    // "Exit": the list is dropped; the caller ends the program.
    void Exit();

    const std::vector<AirportRecord>& AirportList() const { return airportList_; }
    const std::vector<std::string>& Lines() const { return lines_; }
    const SearchBox& Box() const { return box_; }
    const MountainReadResult& TerrainRead() const { return terrainRead_; }

    std::filesystem::path AirportsFile() const;
    std::filesystem::path TerrainFile() const;

  private:
    void DropList();
    // Combo1 from the airports, then Text1 cleared, the progress bar at 0 and "Done!".
    void ShowList(std::vector<AirportRecord> airports);

    std::filesystem::path workDir_;
    Config& config_;
    ChosenAirport& airport_;
    Terrain& terrain_;
    MessageBoxes& boxes_;
    SettingsView& view_;
    FirstRunBuild::DriveLister listDrives_;
    bool keepAirports_ = true;
    std::unique_ptr<FirstRunBuild> build_;

    std::vector<AirportRecord> airportList_;
    std::vector<std::string> lines_;
    SearchBox box_;
    MountainReadResult terrainRead_;
};

}  // namespace corvane::scenery
