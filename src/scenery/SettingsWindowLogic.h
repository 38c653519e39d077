#pragma once
// What the settings window does, tick by tick and button by button, without the window: it loads
// the variation grid and the airport database into the list, copies the chosen airport into the
// shared state and reads the mountains around it. The window (Form2) only shows what this tells
// its view and moves along the window chain; corvane-tool drives the same steps.

#include <filesystem>
#include <string>
#include <vector>

#include "scenery/AirportChoice.h"
#include "scenery/TerrainDatabase.h"
#include "shared/MessageBoxes.h"
#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::scenery {

// Label2, the status word. The window enables its controls only on kDoneText.
inline constexpr const char* kProcessingText = "Processing Please Wait...";
inline constexpr const char* kDoneText = "Done!";

inline constexpr const char* kDatabaseMissingText =
    "The airport database world_airports.dat is missing, and this version of Corvane cannot build "
    "it. The program will end.";

// The controls the logic writes to. Texts are UTF-8.
class SettingsView {
  public:
    virtual ~SettingsView() = default;
    virtual void SetStatus(const std::string& label2) = 0;   // Label2
    virtual void SetActivity(const std::string& text1) = 0;  // Text1, shown at once
    virtual void ResetProgress() = 0;                        // ProgressBar1 to 0
    virtual void FillAirportList(const std::vector<std::string>& lines) = 0;  // Combo1, in order
};

class SettingsWindowLogic {
  public:
    enum class AirportsOutcome {
        ListReady,        // the list is filled and the controls are enabled
        DatabaseMissing,  // world_airports.dat is not there: the first-run scan is needed
        Failed,           // the database could not be read; the user has been told
    };
    enum class MountainsOutcome {
        Done,    // mountains and safe altitude set: the connection window comes next
        Failed,  // the terrain file could not be read; the user has been told
    };

    SettingsWindowLogic(std::filesystem::path workDir, Config& config, ChosenAirport& airport,
                        Terrain& terrain, MessageBoxes& boxes, SettingsView& view);

    // The window has loaded: the controls stay disabled until the list is ready.
    void Load();

    // Read_World_Airports, its one tick: the variation grid from FsMainFolder (a missing, short or
    // unreadable magdec.bgl is reported in a box and the grid kept), then the database into the
    // list when it exists.
    AirportsOutcome ReadWorldAirports();

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

    std::filesystem::path workDir_;
    Config& config_;
    ChosenAirport& airport_;
    Terrain& terrain_;
    MessageBoxes& boxes_;
    SettingsView& view_;

    std::vector<AirportRecord> airportList_;
    std::vector<std::string> lines_;
    SearchBox box_;
    MountainReadResult terrainRead_;
};

}  // namespace corvane::scenery
