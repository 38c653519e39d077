#include <gtest/gtest.h>

#include "shell/Config.h"
#include "support/TempDir.h"

namespace corvane::shell {
namespace {

using corvane::testing::TempDir;

TEST(ConfigReader, ReadsBothKeysFromTheFullFile) {
    Config c;
    const auto r = ParseConfiguration(
        "[FS Main folder]\r\nfs_main_folder=C:\\Program Files\\Microsoft Games\\FS2002\r\n\r\n"
        "[Total Airports]\r\ntotal_airports=24197",
        c);
    EXPECT_EQ(r.status, ConfigStatus::Ok);
    EXPECT_EQ(c.FsMainFolder, "C:\\Program Files\\Microsoft Games\\FS2002");
    EXPECT_EQ(c.AirportCount, 24197);
}

TEST(ConfigReader, KeyInCapitalsIsFoundAndTheValueKeepsItsCaseAndBlanks) {
    Config c;
    ParseConfiguration("FS_MAIN_FOLDER=D:\\Games\\FS2002 \r\n", c);
    EXPECT_EQ(c.FsMainFolder, "D:\\Games\\FS2002 ");
}

TEST(ConfigReader, ValueStartsAtTheSixteenthCharacterWhereverTheKeyIs) {
    // The key is assumed to start the line: a line with text before the key still cuts at 15.
    Config c;
    ParseConfiguration("xxfs_main_folder=/fs", c);
    EXPECT_EQ(c.FsMainFolder, "r=/fs");
}

TEST(ConfigReader, LastOccurrenceWinsAndMissingKeysLeaveValues) {
    Config c;
    c.FsMainFolder = "kept";
    c.AirportCount = 7;
    ParseConfiguration("[FS Main folder]\r\n", c);
    EXPECT_EQ(c.FsMainFolder, "kept");
    EXPECT_EQ(c.AirportCount, 7);
    ParseConfiguration(
        "fs_main_folder=/a\r\nfs_main_folder=/b\r\ntotal_airports=1\r\n"
        "total_airports=2",
        c);
    EXPECT_EQ(c.FsMainFolder, "/b");
    EXPECT_EQ(c.AirportCount, 2);
}

TEST(ConfigReader, StageOneOnlyLeavesTheCountAtZero) {
    Config c;
    EXPECT_EQ(ParseConfiguration(StageOneBytes("/fs"), c).status, ConfigStatus::Ok);
    EXPECT_EQ(c.FsMainFolder, "/fs");
    EXPECT_EQ(c.AirportCount, 0);
}

TEST(ConfigReader, LineEndingsOfAnyKind) {
    Config c;
    ParseConfiguration("fs_main_folder=/unix\ntotal_airports=5\n", c);
    EXPECT_EQ(c.FsMainFolder, "/unix");
    EXPECT_EQ(c.AirportCount, 5);
    ParseConfiguration("fs_main_folder=/mac\rtotal_airports=6", c);
    EXPECT_EQ(c.FsMainFolder, "/mac");
    EXPECT_EQ(c.AirportCount, 6);
}

TEST(ConfigReader, NonNumericCountIsDamage) {
    for (const char* bad : {"total_airports=abc", "total_airports=", "total_airports=12x",
                            "total_airports=-3", "total_airports=99999999999"}) {
        Config c;
        c.AirportCount = 4;
        const auto r = ParseConfiguration(std::string("fs_main_folder=/fs\r\n") + bad, c);
        EXPECT_EQ(r.status, ConfigStatus::DamagedAirportCount) << bad;
        EXPECT_EQ(c.AirportCount, 4) << bad;
    }
    Config c;
    EXPECT_EQ(ParseConfiguration("total_airports= 12 ", c).status, ConfigStatus::Ok);
    EXPECT_EQ(c.AirportCount, 12);
    // A damaged count followed by a good one: the last occurrence decides.
    EXPECT_EQ(ParseConfiguration("total_airports=x\r\ntotal_airports=3", c).status,
              ConfigStatus::Ok);
    EXPECT_EQ(c.AirportCount, 3);
}

TEST(ConfigWriter, StageOneAndStageTwoBytesExactly) {
    TempDir dir;
    ASSERT_EQ(WriteStageOne(dir / "corvane.cfg", "C:\\FS2002"), "");
    EXPECT_EQ(dir.Read("corvane.cfg"), "[FS Main folder]\r\nfs_main_folder=C:\\FS2002");
    ASSERT_EQ(AppendStageTwo(dir / "corvane.cfg", 24197), "");
    EXPECT_EQ(dir.Read("corvane.cfg"),
              "[FS Main folder]\r\nfs_main_folder=C:\\FS2002\r\n\r\n[Total Airports]\r\n"
              "total_airports=24197");
}

TEST(ConfigWriter, OneBytePerCharacterInTheAnsiCodePage) {
    TempDir dir;
    ASSERT_EQ(WriteStageOne(dir / "corvane.cfg", "/jeux/Señor"), "");
    EXPECT_EQ(dir.Read("corvane.cfg"),
              std::string("[FS Main folder]\r\nfs_main_folder=/jeux/Se\xF1or"));
    Config c;
    ASSERT_EQ(ReadConfiguration(dir / "corvane.cfg", c).status, ConfigStatus::Ok);
    EXPECT_EQ(c.FsMainFolder, "/jeux/Señor");
}

TEST(ConfigWriter, UnwritablePlaceGivesAReason) {
    TempDir dir;
    EXPECT_NE(WriteStageOne(dir / "no-such-folder" / "corvane.cfg", "x"), "");
    EXPECT_NE(AppendStageTwo(dir / "no-such-folder" / "corvane.cfg", 1), "");
}

}  // namespace
}  // namespace corvane::shell
