#include <gtest/gtest.h>

#include "shell/Config.h"
#include "shell/FolderList.h"
#include "shell/Startup.h"
#include "support/TempDir.h"

namespace corvane::shell {
namespace {

using corvane::testing::TempDir;

class StartupDecision : public ::testing::Test {
  protected:
    StartupNext Decide() { return DecideStartup(dir.Path(), config, boxes); }
    TempDir dir;
    Config config;
    RecordedMessageBoxes boxes;
    const std::string cfg =
        "[FS Main folder]\r\nfs_main_folder=/fs\r\n\r\n[Total Airports]\r\n"
        "total_airports=2";
};

TEST_F(StartupDecision, AllThreeFilesOpenTheSettingsAndTouchNothing) {
    dir.Write("world_terrain.db", "1 2 3\n");
    dir.Write("world_airports.dat", "db");
    dir.Write("corvane.cfg", cfg);
    EXPECT_EQ(Decide(), StartupNext::SettingsWindow);
    EXPECT_EQ(config.FsMainFolder, "/fs");
    EXPECT_EQ(config.AirportCount, 2);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(dir.Read("world_airports.dat"), "db");
    EXPECT_EQ(dir.Read("corvane.cfg"), cfg);
}

TEST_F(StartupDecision, MissingTerrainOnlyTellsAndEnds) {
    dir.Write("world_airports.dat", "db");
    EXPECT_EQ(Decide(), StartupNext::EndProgram);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{BoxIcon::Exclamation, kTerrainMissingText}));
    EXPECT_TRUE(dir.Exists("world_airports.dat"));  // nothing deleted
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
}

TEST_F(StartupDecision, MissingDatabaseDeletesTheConfiguration) {
    dir.Write("world_terrain.db", "");
    dir.Write("corvane.cfg", cfg);
    EXPECT_EQ(Decide(), StartupNext::ConfigurationWindow);
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(config.FsMainFolder, "");
}

TEST_F(StartupDecision, MissingConfigurationDeletesTheDatabase) {
    dir.Write("world_terrain.db", "");
    dir.Write("world_airports.dat", "db");
    EXPECT_EQ(Decide(), StartupNext::ConfigurationWindow);
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupDecision, NeitherDataFileOpensTheConfigurationWindow) {
    dir.Write("world_terrain.db", "");
    EXPECT_EQ(Decide(), StartupNext::ConfigurationWindow);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(dir.Exists("world_terrain.db"));
}

TEST_F(StartupDecision, DamagedCountIsReportedAndThePairRebuilt) {
    dir.Write("world_terrain.db", "");
    dir.Write("world_airports.dat", "db");
    dir.Write("corvane.cfg", "fs_main_folder=/fs\r\ntotal_airports=twelve");
    EXPECT_EQ(Decide(), StartupNext::ConfigurationWindow);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes.shown[0].text.find((dir / "corvane.cfg").string()), std::string::npos);
    EXPECT_NE(boxes.shown[0].text.find("twelve"), std::string::npos);
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    EXPECT_EQ(config.AirportCount, 0);  // nothing of the damaged file is taken
}

TEST(ConfigurationWindow, OpeningDeletesTheDatabaseAndCreateWritesStageOne) {
    TempDir dir;
    dir.Write("world_airports.dat", "db");
    PrepareConfigurationWindow(dir.Path());
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    PrepareConfigurationWindow(dir.Path());  // nothing to delete: silent

    Config config;
    RecordedMessageBoxes boxes;
    EXPECT_TRUE(CreateConfiguration(dir.Path(), "-none-", config, boxes));
    EXPECT_EQ(dir.Read("corvane.cfg"), "[FS Main folder]\r\nfs_main_folder=-none-");
    EXPECT_EQ(config.FsMainFolder, "-none-");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{BoxIcon::Information, kConfigCreatedText}));
}

TEST(ConfigurationWindow, UnwritableFolderIsReportedAndNothingChanges) {
    TempDir dir;
    Config config;
    config.FsMainFolder = "before";
    RecordedMessageBoxes boxes;
    EXPECT_FALSE(CreateConfiguration(dir / "missing", "/fs", config, boxes));
    EXPECT_EQ(config.FsMainFolder, "before");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes.shown[0].text.find("corvane.cfg"), std::string::npos);
}

TEST(FolderList, EntersSubfoldersAndGoesBackUp) {
    TempDir dir;
    dir.Write("FS2002/Scenery/x.bgl", "");
    dir.Write("Other/readme.txt", "");
    dir.Write("file.txt", "");
    FolderList list(dir.Path());
    EXPECT_EQ(list.Subfolders(), (std::vector<std::string>{"FS2002", "Other"}));
    EXPECT_TRUE(list.Enter("FS2002"));
    EXPECT_EQ(list.Path(), std::filesystem::canonical(dir / "FS2002"));
    EXPECT_FALSE(list.Enter("nothing-here"));
    EXPECT_EQ(list.Path(), std::filesystem::canonical(dir / "FS2002"));
    EXPECT_TRUE(list.Enter(".."));
    EXPECT_EQ(list.Path(), std::filesystem::canonical(dir.Path()));
    EXPECT_FALSE(list.Open(dir / "file.txt"));
}

}  // namespace
}  // namespace corvane::shell
