// corvane-tool build-db --fs FOLDER on small worlds written by the scenery writer: the files the
// program's first run writes, what it prints, and the exits of the ways it can fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "ToolRun.h"
#include "scenery-writer/BglWriter.h"
#include "scenery-writer/World.h"
#include "scenery/AirportDatabase.h"
#include "scenery/FirstRunBuild.h"
#include "support/FieldFiles.h"
#include "support/TempDir.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

class BuildDb : public ::testing::Test {
  protected:
    void SetUp() override {
        // What an earlier configuration left: both are replaced by a good build.
        dir.Write("corvane.cfg",
                  "[FS Main folder]\r\nfs_main_folder=/old\r\n\r\n[Total Airports]\r\n"
                  "total_airports=7");
        dir.Write("world_airports.dat", "old");
    }

    // A terrain area, an airport area with two good files, one file without the signature and
    // one cut short, and an airport area whose folder does not exist.
    void WriteSmallWorld() {
        writer::WorldDescription w;
        w.areas = {
            {"[Area.001]",
             {"Title=Default Terrain", "Local=Scenery\\World", "Required=TRUE"},
             "Scenery/World/Scenery",
             {FieldFile("TERRAIN.BGL", {"NOPE"})}},
            {"[Area.002]",
             {"Title=Airport and Facilities Data", "Local=Scenery\\NAmerica", "Required=TRUE"},
             "Scenery/NAMERICA/Scenery",
             {FieldFile("AP_A.BGL", {"KSEA", "KBFI"}), FieldFile("AP_B.BGL", {"KPAE"})}},
            {"[Area.003]",
             {"Title=Airport and Facilities Data", "Local=Addon Scenery\\Nowhere", "Required=TRUE"},
             "Unused",
             {}},
        };
        ASSERT_EQ(writer::WriteWorld(w, dir / "FS2002"), "");
        dir.Write("FS2002/Scenery/NAMERICA/Scenery/AP_C.BGL", "plain text");
        std::vector<uint8_t> cut = writer::WriteBgl(FieldFile("x", {"KDMG", "KLOS"}).content);
        cut.resize(cut.size() - 70);  // KLOS, the last data block, keeps only its first word
        dir.Write("FS2002/Scenery/NAMERICA/Scenery/AP_D.BGL", std::string(cut.begin(), cut.end()));
    }

    std::string StageOne(const std::string& folder) {
        return "[FS Main folder]\r\nfs_main_folder=" + fs::canonical(dir / folder).string();
    }

    TempDir dir;
};

TEST_F(BuildDb, WritesTheDatabaseAndTheCountAsTheFirstRunDoes) {
    WriteSmallWorld();
    const ToolRun run = RunTool(dir, "build-db --fs FS2002");
    ASSERT_EQ(run.status, 0) << run.err;

    // AP_A, AP_B, AP_C (no signature), AP_D (damaged after its first airport), in name order.
    const scenery::AirportDatabaseFile read =
        scenery::ReadAirportDatabase(dir / "world_airports.dat", 4);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.content.extraBytes, 0u);
    std::vector<std::string> idents;
    for (const AirportRecord& a : read.content.airports) {
        idents.push_back(a.ident);
    }
    EXPECT_EQ(idents, (std::vector<std::string>{"KSEA", "KBFI", "KPAE", "KDMG"}));
    EXPECT_EQ(dir.Read("corvane.cfg"),
              StageOne("FS2002") + "\r\n\r\n[Total Airports]\r\ntotal_airports=4");

    // The boxes in their order on standard output; the problems listed on standard error.
    const size_t first = run.out.find(scenery::kFirstRunText);
    const size_t done = run.out.find(scenery::kDatabaseCreatedText);
    EXPECT_NE(first, std::string::npos) << run.out;
    EXPECT_NE(done, std::string::npos) << run.out;
    EXPECT_LT(first, done);
    EXPECT_NE(run.err.find("addon scenery\\nowhere"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("AP_D.BGL is damaged"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 .bgl file(s) without the airport signature"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("AP_A.BGL is damaged"), std::string::npos) << run.err;

    // The program takes the pair as it is: the tool reads the list back.
    const ToolRun list = RunTool(dir, "airports");
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out,
              "KSEA (FIELD KSEA)\nKBFI (FIELD KBFI)\nKPAE (FIELD KPAE)\nKDMG (FIELD KDMG)\n");
}

TEST_F(BuildDb, BadArgumentsTouchNothing) {
    for (const char* args : {"build-db", "build-db FS2002", "build-db --fs",
                             "build-db --fs nowhere", "build-db --fs a b"}) {
        const ToolRun run = RunTool(dir, args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.err.rfind("corvane-tool: ", 0), 0u) << args << ": " << run.err;
    }
    EXPECT_EQ(dir.Read("world_airports.dat"), "old");
    EXPECT_EQ(
        dir.Read("corvane.cfg"),
        "[FS Main folder]\r\nfs_main_folder=/old\r\n\r\n[Total Airports]\r\ntotal_airports=7");
}

TEST_F(BuildDb, AFailedBuildLeavesStageOneAloneAndNoDatabase) {
    // No scenery.cfg: its box names it, and the next start of the program asks for the folder.
    fs::create_directories(dir / "Empty");
    const ToolRun run = RunTool(dir, "build-db --fs Empty");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find((fs::canonical(dir / "Empty") / "scenery.cfg").string()),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    EXPECT_EQ(dir.Read("corvane.cfg"), StageOne("Empty"));

    // An airport area's folder that cannot be listed (a file stands in its place).
    WriteSmallWorld();
    fs::remove_all(dir / "FS2002/Scenery/NAMERICA/Scenery");
    dir.Write("FS2002/Scenery/NAMERICA/Scenery", "not a folder");
    const ToolRun unlisted = RunTool(dir, "build-db --fs FS2002");
    EXPECT_EQ(unlisted.status, 2);
    EXPECT_NE(unlisted.err.find("could not be read"), std::string::npos) << unlisted.err;
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    EXPECT_EQ(dir.Read("corvane.cfg"), StageOne("FS2002"));
}

}  // namespace
}  // namespace corvane::testing
