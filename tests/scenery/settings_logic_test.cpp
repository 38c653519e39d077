#include <gtest/gtest.h>

#include "scenery-writer/World.h"
#include "scenery/AirportDatabase.h"
#include "scenery/SettingsWindowLogic.h"
#include "shared/Bytes.h"
#include "shell/Config.h"
#include "support/FieldFiles.h"
#include "support/TempDir.h"

namespace corvane::scenery {
namespace {

// Records what the window would show, in order.
class RecordedView final : public SettingsView {
  public:
    void SetStatus(const std::string& label2) override { events.push_back("Label2=" + label2); }
    void SetActivity(const std::string& text1) override { events.push_back("Text1=" + text1); }
    void ResetProgress() override { events.push_back("ProgressBar1=0"); }
    void SetProgress(int32_t value, int32_t maximum) override {
        events.push_back("ProgressBar1=" + std::to_string(value) + "/" + std::to_string(maximum));
    }
    void FillAirportList(const std::vector<std::string>& lines) override {
        events.push_back("Combo1 filled");
        combo = lines;
    }
    std::vector<std::string> events;
    std::vector<std::string> combo;
};

AirportRecord Airport(const std::string& ident, const std::string& name, double lat, double lon,
                      const std::string& tower) {
    AirportRecord r;
    r.ident = ident;
    r.name = name;
    r.lat = lat;
    r.lon = lon;
    r.towerFreq = tower;
    return r;
}

class SettingsLogic : public ::testing::Test {
  protected:
    void SetUp() override {
        config.FsMainFolder = (dir / "FS2002").string();
        ByteWriter magdec;
        magdec.Zeros(110);
        magdec.I32(200);
        magdec.Zeros(200 + 8 - magdec.Size());
        for (int i = 0; i < kMagVarCells; ++i) {
            magdec.I16(1821);
        }
        dir.Write("FS2002/Scenery/magdec.bgl", magdec.AsString());
        dir.Write("world_terrain.db", "0 0.5 1000\n0 2.5 3000\nbad line\n");
    }
    void WriteDatabase(const std::vector<AirportRecord>& airports) {
        ASSERT_EQ(WriteAirportDatabase(dir / "world_airports.dat", airports), "");
        config.AirportCount = static_cast<int32_t>(airports.size());
    }

    testing::TempDir dir;
    Config config;
    ChosenAirport airport;
    Terrain terrain;
    RecordedMessageBoxes boxes;
    RecordedView view;
    SettingsWindowLogic logic{
        dir.Path(), config, airport, terrain, boxes, view, [] { return std::vector<Volume>{}; }};
};

// One airport area with two files (three airports) and one other area; stage one written.
class FirstRunLogic : public SettingsLogic {
  protected:
    void SetUp() override {
        SettingsLogic::SetUp();
        writer::WorldDescription world;
        world.magdec.smooth = false;
        world.magdec.constantDeg = 10;
        world.areas = {
            {"[Area.001]",
             {"Title=Default Terrain", "Local=Scenery\\World"},
             "Scenery/World/Scenery",
             {}},
            {"[Area.002]",
             {"Title=Airport and Facilities Data", "Local=Scenery\\NAmerica", "Required=TRUE"},
             "Scenery/NAmerica/Scenery",
             {testing::FieldFile("AP_A.BGL", {"KSEA", "KBFI"}),
              testing::FieldFile("AP_B.BGL", {"KPAE"})}},
        };
        ASSERT_EQ(writer::WriteWorld(world, dir / "FS2002"), "");
        ASSERT_EQ(shell::WriteStageOne(dir / "corvane.cfg", config.FsMainFolder), "");
        stageOne = dir.Read("corvane.cfg");
    }
    std::string stageOne;
};

TEST_F(SettingsLogic, LoadingFillsTheListInOrderWithDuplicates) {
    WriteDatabase({Airport("KSEA", "SEATTLE-TACOMA INTL", 47.45, -122.31, "119.9"),
                   Airport("KBFI", "BOEING FLD", 47.53, -122.3, "120.6"),
                   Airport("KSEA", "SEATTLE-TACOMA INTL", 47.45, -122.31, "118.3")});
    logic.Load();
    EXPECT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::ListReady);
    EXPECT_EQ(view.events, (std::vector<std::string>{
                               "Label2=Processing Please Wait...", "Text1=Magdec.bgl file",
                               "Text1=World_airports.dat file", "Text1=Adding airports to list",
                               "Combo1 filled", "Text1=", "ProgressBar1=0", "Label2=Done!"}));
    EXPECT_EQ(view.combo,
              (std::vector<std::string>{"KSEA (SEATTLE-TACOMA INTL)", "KBFI (BOEING FLD)",
                                        "KSEA (SEATTLE-TACOMA INTL)"}));
    EXPECT_EQ(terrain.MagVarGrid[12345], 1821);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsLogic, NextLoadsTheLastMatchDropsTheListThenMountainsFollow) {
    WriteDatabase({Airport("AAAA", "FIRST", 0, 0, "119.9"), Airport("BBBB", "OTHER", 1, 1, ""),
                   Airport("AAAA", "FIRST", 0, 0, "118.3")});
    ASSERT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::ListReady);
    view.events.clear();

    EXPECT_FALSE(logic.SelectAirport(-1));  // nothing selected: nothing at all happens
    EXPECT_FALSE(logic.SelectAirport(3));
    EXPECT_TRUE(view.events.empty());
    EXPECT_EQ(logic.AirportList().size(), 3u);

    ASSERT_TRUE(logic.SelectAirport(0));
    EXPECT_EQ(view.events, (std::vector<std::string>{"Label2=Processing Please Wait...",
                                                     "Text1=Getting Airport's Info"}));
    EXPECT_EQ(airport.AirportIdent, "AAAA");
    EXPECT_EQ(airport.TowerFreq, "118.3 (CT)");  // the third record, not the first
    EXPECT_EQ(airport.CenterFreq, "Air Route Traffic Control Center");
    EXPECT_EQ(logic.Box(), (SearchBox{3.33333, -3.33333, -3.33333, 3.33333}));
    EXPECT_TRUE(logic.AirportList().empty());
    EXPECT_EQ(config.AirportCount, 3);

    view.events.clear();
    EXPECT_EQ(logic.ReadAllMountains(), SettingsWindowLogic::MountainsOutcome::Done);
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"Text1=World_terrain.db file",
                                        "Text1=World_terrain.db file: 1 malformed line skipped",
                                        "Label2=Done!"}));
    ASSERT_EQ(terrain.MountainCount(), 1);
    EXPECT_EQ(terrain.Mountains[0].name, "Montaña No1");
    EXPECT_EQ(terrain.MinSafeAltitude, 9843 + 2000);
    EXPECT_EQ(logic.TerrainRead().malformedLines, 1);
}

TEST_F(SettingsLogic, MissingDatabaseAsksForTheFirstRunScan) {
    EXPECT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::DatabaseMissing);
    EXPECT_TRUE(view.combo.empty());
    EXPECT_EQ(terrain.MagVarGrid[0], 1821);  // the grid is read first all the same
}

TEST_F(FirstRunLogic, BuildsTheDatabaseTickByTickAndFillsTheList) {
    logic.Load();
    ASSERT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::DatabaseMissing);
    // 10 degrees east: 1820.4 as a 16-bit value.
    EXPECT_EQ(terrain.MagVarGrid[12345], 1820);
    ASSERT_EQ(logic.StartFirstRunBuild(), SettingsWindowLogic::BuildOutcome::Scanning);
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"Label2=Processing Please Wait...", "Text1=Magdec.bgl file",
                                        "Text1=Scenery.cfg file", "ProgressBar1=0/3"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{BoxIcon::Information, kFirstRunText}));

    view.events.clear();
    using O = SettingsWindowLogic::BuildOutcome;
    std::vector<O> ticks;
    for (int i = 0; i < 20 && (ticks.empty() || ticks.back() == O::Scanning); ++i) {
        ticks.push_back(logic.ScanBglTick());
    }
    // The terrain area, the two files, the listing found exhausted, the finishing tick.
    EXPECT_EQ(ticks,
              (std::vector<O>{O::Scanning, O::Scanning, O::Scanning, O::Scanning, O::ListReady}));
    const std::string area = "Text1=Airport and Facilities Data";
    EXPECT_EQ(view.events, (std::vector<std::string>{
                               area, "ProgressBar1=1/3", area, "ProgressBar1=2/3", area,
                               "Text1=Creating database", "Text1=Adding airports to list",
                               "Combo1 filled", "Text1=", "ProgressBar1=0", "Label2=Done!"}));
    EXPECT_EQ(view.combo, (std::vector<std::string>{"KSEA (FIELD KSEA)", "KBFI (FIELD KBFI)",
                                                    "KPAE (FIELD KPAE)"}));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1], (ShownBox{BoxIcon::Information, kDatabaseCreatedText}));
    EXPECT_EQ(config.AirportCount, 3);
    EXPECT_EQ(dir.Read("corvane.cfg"), stageOne + "\r\n\r\n[Total Airports]\r\ntotal_airports=3");
    const AirportDatabaseFile read = ReadAirportDatabase(dir / "world_airports.dat", 3);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.content.extraBytes, 0u);  // exactly three records and the blank one
    EXPECT_EQ(read.content.airports[2].ident, "KPAE");
    EXPECT_EQ(logic.ScanBglTick(), O::Stalled);  // over: nothing more happens

    // The list works as a loaded one does.
    ASSERT_TRUE(logic.SelectAirport(1));
    EXPECT_EQ(airport.AirportIdent, "KBFI");
}

TEST_F(FirstRunLogic, ABuildThatKeepsNoAirportsWritesThemAndListsNone) {
    logic.KeepAirports(false);
    ASSERT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::DatabaseMissing);
    ASSERT_EQ(logic.StartFirstRunBuild(), SettingsWindowLogic::BuildOutcome::Scanning);
    using O = SettingsWindowLogic::BuildOutcome;
    O last = O::Scanning;
    for (int i = 0; i < 20 && last == O::Scanning; ++i) {
        last = logic.ScanBglTick();
    }
    ASSERT_EQ(last, O::ListReady);
    EXPECT_TRUE(logic.Build()->Airports().empty());
    EXPECT_TRUE(logic.AirportList().empty());
    EXPECT_TRUE(logic.Lines().empty());
    EXPECT_EQ(view.events.back(), "Label2=Done!");
    EXPECT_EQ(config.AirportCount, 3);
    EXPECT_EQ(dir.Read("corvane.cfg"), stageOne + "\r\n\r\n[Total Airports]\r\ntotal_airports=3");
    const AirportDatabaseFile read = ReadAirportDatabase(dir / "world_airports.dat", 3);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.content.extraBytes, 0u);
    ASSERT_EQ(read.content.airports.size(), 3u);
    EXPECT_EQ(read.content.airports[0].ident, "KSEA");
    EXPECT_EQ(read.content.airports[1].ident, "KBFI");
    EXPECT_EQ(read.content.airports[2].ident, "KPAE");
    EXPECT_FALSE(logic.SelectAirport(0));  // nothing to choose from
}

TEST_F(FirstRunLogic, ACountWithoutADatabaseStallsWithTheControlsOff) {
    config.AirportCount = 12;
    logic.Load();
    ASSERT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::DatabaseMissing);
    EXPECT_EQ(logic.StartFirstRunBuild(), SettingsWindowLogic::BuildOutcome::Stalled);
    EXPECT_EQ(logic.ScanBglTick(), SettingsWindowLogic::BuildOutcome::Stalled);
    EXPECT_EQ(view.events.back(), "Text1=Scenery.cfg file");  // never "Done!"
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    EXPECT_EQ(dir.Read("corvane.cfg"), stageOne);
}

TEST_F(FirstRunLogic, FailuresEndTheBuildWithoutDatabaseOrCount) {
    // The new database file's place is taken by a folder: the write fails at the finishing tick.
    std::filesystem::create_directories(dir / "world_airports.dat.new" / "x");
    ASSERT_EQ(logic.StartFirstRunBuild(), SettingsWindowLogic::BuildOutcome::Scanning);
    SettingsWindowLogic::BuildOutcome last = SettingsWindowLogic::BuildOutcome::Scanning;
    for (int i = 0; i < 20 && last == SettingsWindowLogic::BuildOutcome::Scanning; ++i) {
        last = logic.ScanBglTick();
    }
    EXPECT_EQ(last, SettingsWindowLogic::BuildOutcome::Failed);
    EXPECT_EQ(boxes.shown.back().icon, BoxIcon::Exclamation);
    EXPECT_EQ(dir.Read("corvane.cfg"), stageOne);
    EXPECT_TRUE(view.combo.empty());
    EXPECT_NE(view.events.back(), "Label2=Done!");
    EXPECT_EQ(logic.ScanBglTick(), SettingsWindowLogic::BuildOutcome::Failed);

    // scenery.cfg missing: the start itself fails after its box.
    std::filesystem::remove(dir / "FS2002" / "scenery.cfg");
    SettingsWindowLogic fresh(dir.Path(), config, airport, terrain, boxes, view);
    EXPECT_EQ(fresh.StartFirstRunBuild(), SettingsWindowLogic::BuildOutcome::Failed);
    EXPECT_NE(boxes.shown.back().text.find("scenery.cfg"), std::string::npos);
}

TEST_F(SettingsLogic, ProblemsWithTheVariationFileAreReportedAndTheLoadGoesOn) {
    WriteDatabase({Airport("AAAA", "FIRST", 0, 0, "119.9")});
    dir.Write("FS2002/Scenery/magdec.bgl", std::string(300, '\0').replace(110, 1, "\x64"));
    terrain.MagVarGrid.fill(5);
    EXPECT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::ListReady);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes.shown[0].text.find("shorter than its table"), std::string::npos);
    // The table starts at 108: the file holds its first 96 values.
    EXPECT_EQ(terrain.MagVarGrid[95], 0);
    EXPECT_EQ(terrain.MagVarGrid[96], 5);
    EXPECT_EQ(view.combo.size(), 1u);

    std::filesystem::remove_all(dir / "FS2002");
    boxes.shown.clear();
    EXPECT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::ListReady);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("could not be read"), std::string::npos);
}

TEST_F(SettingsLogic, DamagedOrUnreadableDatabaseIsReported) {
    WriteDatabase({Airport("AAAA", "FIRST", 0, 0, "119.9"), Airport("BBBB", "SECOND", 0, 0, "")});
    std::string bytes = dir.Read("world_airports.dat");
    // The second record takes 86 bytes; its taxi points' dimension count is at 74.
    const size_t second = bytes.size() - 76 - 86;
    ASSERT_EQ(bytes.substr(second, 6), std::string("\x04\0BBBB", 6));
    bytes[second + 74] = 2;  // two dimensions
    dir.Write("world_airports.dat", bytes);
    EXPECT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::ListReady);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("damaged from its airport number 2"), std::string::npos)
        << boxes.shown[0].text;
    EXPECT_EQ(view.combo, (std::vector<std::string>{"AAAA (FIRST)", " ()"}));

    config.AirportCount = kMaxAirportCount + 1;
    boxes.shown.clear();
    EXPECT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::Failed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("could not be read"), std::string::npos);
}

TEST_F(SettingsLogic, MissingTerrainFileFailsTheMountainTick) {
    WriteDatabase({Airport("AAAA", "FIRST", 0, 0, "119.9")});
    ASSERT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::ListReady);
    ASSERT_TRUE(logic.SelectAirport(0));
    std::filesystem::remove(dir / "world_terrain.db");
    EXPECT_EQ(logic.ReadAllMountains(), SettingsWindowLogic::MountainsOutcome::Failed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("world_terrain.db"), std::string::npos);
}

TEST_F(SettingsLogic, ExitDropsTheListAndWritesNothing) {
    WriteDatabase({Airport("AAAA", "FIRST", 0, 0, "119.9")});
    const std::string before = dir.Read("world_airports.dat");
    ASSERT_EQ(logic.ReadWorldAirports(), SettingsWindowLogic::AirportsOutcome::ListReady);
    view.events.clear();
    logic.Exit();
    EXPECT_EQ(view.events, (std::vector<std::string>{"Text1=Please wait..."}));
    EXPECT_TRUE(logic.AirportList().empty());
    EXPECT_EQ(dir.Read("world_airports.dat"), before);
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
}

}  // namespace
}  // namespace corvane::scenery
