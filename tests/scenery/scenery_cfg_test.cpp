// scenery.cfg: key values, area sections, the three folder passes, and folders written on Windows
// found among real folders in another letter case.
#include <gtest/gtest.h>

#include "scenery/CaseFolders.h"
#include "scenery/SceneryCfg.h"
#include "support/TempDir.h"

namespace corvane::scenery {
namespace {

namespace fs = std::filesystem;
using corvane::testing::TempDir;

TEST(GetKeyValue, PlainCaseInsensitiveSubstringSearch) {
    const std::string section =
        "[Area.002]\r\nTitle=Airport and Facilities Data\r\nLocal=Scenery\\NAMERICA\r\n"
        "Layer=2\r\n[";
    EXPECT_EQ(GetKeyValue(section, "Title"), "Airport and Facilities Data");
    EXPECT_EQ(GetKeyValue(section, "LOCAL"), "Scenery\\NAMERICA");
    EXPECT_EQ(GetKeyValue(section, "layer"), "2");
    EXPECT_EQ(GetKeyValue(section, "Remote"), "");
    // The last key before the next header's first character.
    EXPECT_EQ(GetKeyValue("Layer=7", "Layer"), "7");
}

TEST(GetKeyValue, NoTrimmingAndTheFirstMatchEvenInsideALongerKey) {
    EXPECT_EQ(GetKeyValue("Title= Spaced Out \r\n", "Title"), " Spaced Out ");
    EXPECT_EQ(GetKeyValue("xlocal=Wrong\r\nLocal=Right\r\n", "Local"), "Wrong");
    EXPECT_EQ(GetKeyValue("Title=a=b\r\n", "Title"), "a=b");
    EXPECT_EQ(GetKeyValue("Title\r\n", "Title"), "");  // no "=" after it
}

constexpr const char* kExample =
    "[General]\r\n"
    "Title=FS2002 World Scenery\r\n"
    "Local=Ignored\r\n"
    "\r\n"
    "[Area.001]\r\n"
    "Title=Default Terrain\r\n"
    "Local=Scenery\\World\r\n"
    "Layer=1\r\n"
    "Active=TRUE\r\n"
    "Required=TRUE\r\n"
    "\r\n"
    "[Area.005]\r\n"
    "TITLE=Airport and Facilities Data\r\n"
    "texture_id=1\r\n"
    "x[area.1]\r\n"
    "local=Scenery\\NAmerica\r\n"
    "Required=True\r\n"
    "Active=FALSE\r\n"
    "Remote=[FS2002_2]\\Scenery\\NAmerica\r\n"
    "[Area.006]\r\n"
    "Title=Airport and Facilities Data\r\n"
    "Required=FALSE\r\n"
    "Local=Scenery\\Europe\r\n";

TEST(SceneryCfg, AreasInFileOrderWithTheirSevenKeys) {
    const auto areas = ParseSceneryCfg(kExample);
    ASSERT_EQ(areas.size(), 3u);  // [General] is no area; x[area.1] is no header
    EXPECT_EQ(areas[0].title, "Default Terrain");
    EXPECT_EQ(areas[0].local, "Scenery\\World");
    EXPECT_EQ(areas[0].layer, "1");
    EXPECT_EQ(areas[0].active, "TRUE");
    EXPECT_EQ(areas[0].required, "TRUE");
    EXPECT_EQ(areas[0].remote, "");  // the next area's Remote= lies beyond this section
    EXPECT_EQ(areas[1].title, "Airport and Facilities Data");
    EXPECT_EQ(areas[1].textureId, "1");
    EXPECT_EQ(areas[1].local, "Scenery\\NAmerica");
    EXPECT_EQ(areas[1].required, "True");
    EXPECT_EQ(areas[1].remote, "[FS2002_2]\\Scenery\\NAmerica");
    EXPECT_EQ(areas[2].local, "Scenery\\Europe");
}

TEST(SceneryCfg, AirportAreasByTitleAndRequiredInAnyCase) {
    const auto areas = ParseSceneryCfg(kExample);
    EXPECT_FALSE(IsAirportArea(areas[0]));
    EXPECT_TRUE(IsAirportArea(areas[1]));   // Required=True, Active=FALSE plays no part
    EXPECT_FALSE(IsAirportArea(areas[2]));  // Required=FALSE
    SceneryArea lower{"airport and facilities data", "", "", "", "true", "", ""};
    EXPECT_TRUE(IsAirportArea(lower));
    SceneryArea padded{"Airport and Facilities Data ", "", "", "", "TRUE", "", ""};
    EXPECT_FALSE(IsAirportArea(padded));
}

TEST(SceneryCfg, LineEndsOfAnyKind) {
    const std::string lf = "[Area.001]\nTitle=A\nLocal=X\n[Area.002]\rTitle=B\rLocal=Y";
    const auto areas = ParseSceneryCfg(lf);
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0].title, "A");
    EXPECT_EQ(areas[0].local, "X");
    EXPECT_EQ(areas[1].title, "B");
    EXPECT_EQ(areas[1].local, "Y");
}

TEST(SceneryCfg, ARepeatedHeaderReadsItsFirstSection) {
    const std::string text =
        "[Area.001]\r\nTitle=One\r\n[Area.002]\r\nTitle=Two\r\n[Area.001]\r\nTitle=Three\r\n";
    const auto areas = ParseSceneryCfg(text);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].title, "One");
    EXPECT_EQ(areas[1].title, "Two");
    EXPECT_EQ(areas[2].title, "One");  // a header's text is found at its first occurrence
}

TEST(SceneryCfg, ValuesBecomeUtf8AndAMissingFileIsReported) {
    const auto areas = ParseSceneryCfg("[Area.001]\r\nTitle=Caf\xE9\r\n");
    EXPECT_EQ(areas[0].title, "Caf\xC3\xA9");
    EXPECT_FALSE(ReadSceneryCfg("/nonexistent/scenery.cfg").has_value());
}

std::vector<SceneryArea> Locals(std::initializer_list<const char*> locals) {
    std::vector<SceneryArea> areas;
    for (const char* l : locals) {
        SceneryArea a;
        a.local = l;
        areas.push_back(a);
    }
    return areas;
}

TEST(ResolveAreaFolders, RelativeFoldersAndTheSceneryPass) {
    auto areas = Locals({"Scenery", "Scenery\\World", "", "SCENERY"});
    ResolveAreaFolders(areas, "C:\\FS2002", {});
    EXPECT_EQ(areas[0].local, "C:\\FS2002\\Scenery");
    EXPECT_EQ(areas[1].local, "c:\\fs2002\\scenery\\world\\scenery");
    EXPECT_EQ(areas[2].local, "");
    EXPECT_EQ(areas[3].local, "C:\\FS2002\\SCENERY");  // equal in lower case: left as it is
}

TEST(ResolveAreaFolders, VolumeLabelsBecomeMountPoints) {
    const std::vector<Volume> drives = {
        {"/", "/dev/vda", "ext4", "", false},
        {"/media/cdrom0", "/dev/sr0", "iso9660", "FS2002_2", true},
    };
    auto areas = Locals({"[fs2002_2]\\Scenery\\Cities", "[OTHER]\\Scenery", "D:\\Addon\\Park",
                         "/srv/Scenery/Extra"});
    ResolveAreaFolders(areas, "/home/pilot/FS2002", drives);
    EXPECT_EQ(areas[0].local, "/media/cdrom0\\scenery\\cities\\scenery");
    // A label no volume carries stays a folder under the main folder (which will not exist).
    EXPECT_EQ(areas[1].local, "/home/pilot/fs2002\\[other]\\scenery\\scenery");
    // Drive letters and absolute paths name a drive already.
    EXPECT_EQ(areas[2].local, "d:\\addon\\park\\scenery");
    EXPECT_EQ(areas[3].local, "/srv/scenery/extra\\scenery");
}

TEST(NamesADrive, AbsolutePathsAndDriveLetters) {
    EXPECT_TRUE(NamesADrive("/media/cdrom0\\scenery"));
    EXPECT_TRUE(NamesADrive("C:\\FS2002"));
    EXPECT_TRUE(NamesADrive("d:"));
    EXPECT_FALSE(NamesADrive("Scenery\\World"));
    EXPECT_FALSE(NamesADrive("\\Scenery"));
    EXPECT_FALSE(NamesADrive("[FS2002_2]\\Scenery"));
    EXPECT_FALSE(NamesADrive(""));
}

// A copy of an installation made on Windows: folder names in their own letter case, and a
// scenery.cfg with CR LF, backslashes, capitals and an absolute Windows folder.
class WindowsCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        main_ = dir_.Path() / "FS2002 Copy";
        for (const char* file :
             {"Scenery/magdec.bgl", "Scenery/World/scenery/W1.BGL",
              "scenery/NAMERICA/SCENERY/AP_NW.BGL", "scenery/NAMERICA/SCENERY/ap_ne.Bgl",
              "scenery/NAMERICA/SCENERY/readme.txt",
              "Addon Scenery/Puget Sound/Scenery/PUGET.bgl"}) {
            dir_.Write((fs::path("FS2002 Copy") / file).string(), "x");
        }
        fs::create_directories(main_ / "scenery/NAMERICA/SCENERY/folder.bgl");
        dir_.Write("FS2002 Copy/SCENERY.CFG",
                   "[General]\r\nTitle=FS2002 World Scenery\r\n\r\n"
                   "[Area.001]\r\nTITLE=Default Terrain\r\nLOCAL=SCENERY\\WORLD\r\n"
                   "REQUIRED=TRUE\r\n\r\n"
                   "[Area.002]\r\nTitle=Airport and Facilities Data\r\n"
                   "Local=Scenery\\NAmerica\r\nRequired=TRUE\r\n\r\n"
                   "[Area.003]\r\ntitle=airport and facilities data\r\n"
                   "local=C:\\Program Files\\Microsoft Games\\FS2002\\Addon Scenery\\Puget Sound"
                   "\r\nrequired=True\r\n\r\n"
                   "[Area.004]\r\nTitle=Main\r\nLocal=Scenery\r\n");
    }

    TempDir dir_;
    fs::path main_;
};

TEST_F(WindowsCopy, EveryAreaFolderIsFoundInItsOwnLetterCase) {
    const auto cfg = FindCaseInsensitive(main_, {"scenery.cfg"});
    ASSERT_TRUE(cfg.has_value());
    EXPECT_EQ(cfg->filename(), "SCENERY.CFG");
    auto areas = *ReadSceneryCfg(*cfg);
    ASSERT_EQ(areas.size(), 4u);
    ResolveAreaFolders(areas, main_.string(), {});

    // C:\...\FS2002\Addon Scenery\Puget Sound lives on in the copy under its last folders.
    const char* folders[] = {"Scenery/World/scenery", "scenery/NAMERICA/SCENERY",
                             "Addon Scenery/Puget Sound/Scenery", "Scenery"};
    for (size_t i = 0; i < 4; ++i) {
        const auto found = ResolveFolderText(areas[i].local, main_.string());
        ASSERT_TRUE(found.has_value()) << folders[i];
        EXPECT_EQ(*found, main_ / folders[i]);
    }
}

TEST_F(WindowsCopy, BglFilesInAnyCaseSortedAndNothingElse) {
    const BglListing listing = ListBglFiles(main_ / "scenery/NAMERICA/SCENERY");
    ASSERT_TRUE(listing.readable);
    ASSERT_EQ(listing.files.size(), 2u);
    EXPECT_EQ(listing.files[0].filename(), "ap_ne.Bgl");
    EXPECT_EQ(listing.files[1].filename(), "AP_NW.BGL");

    const BglListing missing = ListBglFiles(main_ / "nothing here");
    EXPECT_FALSE(missing.readable);
    EXPECT_FALSE(missing.error.empty());
}

TEST_F(WindowsCopy, MissingFoldersAndExactMatchesFirst) {
    EXPECT_FALSE(ResolveFolderText("scenery\\europe\\scenery", main_.string()).has_value());
    EXPECT_FALSE(ResolveFolderText("E:\\Elsewhere\\Scenery", main_.string()).has_value());
    // Both "Scenery" and "scenery" exist: the exact one is taken, else the first by name.
    EXPECT_EQ(*FindCaseInsensitive(main_, {"scenery"}), main_ / "scenery");
    EXPECT_EQ(*FindCaseInsensitive(main_, {"Scenery"}), main_ / "Scenery");
    EXPECT_EQ(*FindCaseInsensitive(main_, {"SCENERY"}), main_ / "Scenery");
    EXPECT_EQ(*FindCaseInsensitive(main_, {"scenery", "..", "SCENERY.cfg"}), main_ / "SCENERY.CFG");
}

TEST(SplitFolderText, EitherSeparatorAndNoEmptyParts) {
    EXPECT_EQ(SplitFolderText("c:\\fs2002\\\\scenery/./world\\"),
              (std::vector<std::string>{"c:", "fs2002", "scenery", "world"}));
    EXPECT_TRUE(SplitFolderText("").empty());
}

}  // namespace
}  // namespace corvane::scenery
