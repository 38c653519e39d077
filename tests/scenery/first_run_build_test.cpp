// The first-run build without a display: folder trees written by the scenery writer, ticks
// driven by hand, boxes recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "scenery-writer/World.h"
#include "scenery/AirportDatabase.h"
#include "scenery/FirstRunBuild.h"
#include "shell/Config.h"
#include "support/FieldFiles.h"
#include "support/TempDir.h"

namespace corvane::scenery {
namespace {

namespace fs = std::filesystem;
using corvane::testing::FieldFile;
using corvane::testing::TempDir;

writer::AreaDescription Area(const std::string& header, std::vector<std::string> lines,
                             const std::string& folder,
                             std::vector<writer::BglFileDescription> files = {}) {
    return {header, std::move(lines), folder, std::move(files)};
}

// A world with a non-airport area, two airport areas (one written in lower case), an area with
// Remote=, and an airport area that is not required.
writer::WorldDescription SmallWorld() {
    writer::WorldDescription w;
    w.preamble = {"[General]", "Title=FS2002 World Scenery"};
    w.areas = {
        Area("[Area.001]",
             {"Title=Default Terrain", "Local=Scenery\\World", "Layer=1", "Required=TRUE"},
             "Scenery/World/Scenery", {FieldFile("TERRAIN.BGL", {"NOPE"})}),
        Area("[Area.002]",
             {"TITLE=Airport and Facilities Data", "LOCAL=Scenery\\NAmerica", "Active=FALSE",
              "Required=TRUE"},
             "Scenery/NAMERICA/Scenery",
             {FieldFile("AP_A.BGL", {"KSEA", "KBFI"}), FieldFile("AP_B.BGL", {"KPAE"})}),
        Area("[Area.003]",
             {"Title=Cities", "Local=Scenery\\Cities", "Remote=[FS2002_2]\\Scenery\\Cities",
              "Required=FALSE"},
             "Scenery/Cities/Scenery"),
        Area("[Area.004]",
             {"title=airport and facilities data", "local=addon scenery\\Puget", "required=True"},
             "Addon Scenery/PUGET/scenery", {FieldFile("puget.bgl", {"KRNT"})}),
        Area("[Area.005]",
             {"Title=Airport and Facilities Data", "Local=Scenery\\Europe", "Required=FALSE"},
             "Scenery/Europe/Scenery", {FieldFile("AP_EU.BGL", {"EGLL"})}),
    };
    return w;
}

// Records what the database output was handed, and whether it was finished or dropped.
struct FakeDatabase {
    std::vector<AirportRecord> written;
    fs::path file;
    std::string failure;
    int opened = 0;
    bool open = false;
    bool finished = false;

    class Output final : public AirportOutput {
      public:
        explicit Output(FakeDatabase& db) : db_(db) { db_.open = true; }
        ~Output() override { db_.open = false; }
        void Add(const AirportRecord& record) override { db_.written.push_back(record); }
        std::string Finish() override {
            db_.finished = true;
            std::ofstream(db_.file) << "partial";
            return db_.failure;
        }

      private:
        FakeDatabase& db_;
    };
    DatabaseOpener Opener() {
        return [this](const fs::path& f) -> std::unique_ptr<AirportOutput> {
            file = f;
            ++opened;
            return std::make_unique<Output>(*this);
        };
    }
};

class FirstRun : public ::testing::Test {
  protected:
    void Write(const writer::WorldDescription& world) {
        ASSERT_EQ(writer::WriteWorld(world, fsDir()), "");
    }
    fs::path fsDir() const { return dir_.Path() / "FS2002"; }
    fs::path workDir() const { return dir_.Path() / "work"; }

    std::unique_ptr<FirstRunBuild> MakeBuild(FirstRunBuild::DriveLister drives = [] {
        return std::vector<Volume>{};
    }) {
        config_.FsMainFolder = fsDir().string();
        fs::create_directories(workDir());
        EXPECT_EQ(shell::WriteStageOne(workDir() / shell::kConfigFileName, config_.FsMainFolder),
                  "");
        auto build = std::make_unique<FirstRunBuild>(config_, grid_, std::move(drives));
        build->SetDatabase(workDir(), db_.Opener());
        build->SetText1Observer([this](const std::string& t) { texts_.push_back(t); });
        return build;
    }

    // Ticks until the scan is over; returns what each tick did.
    std::vector<TickResult> RunTicks(FirstRunBuild& build) {
        std::vector<TickResult> ticks;
        for (int i = 0; i < 1000; ++i) {
            ticks.push_back(build.Tick(boxes_));
            if (ticks.back() == TickResult::AllScanned || ticks.back() == TickResult::Failed) {
                break;
            }
        }
        return ticks;
    }

    static std::vector<std::string> Idents(const std::vector<AirportRecord>& airports) {
        std::vector<std::string> out;
        for (const auto& a : airports) {
            out.push_back(a.ident);
        }
        return out;
    }
    static std::vector<std::string> Idents(const FirstRunBuild& build) {
        return Idents(build.Airports());
    }

    TempDir dir_;
    FakeDatabase db_;
    Config config_;
    MagneticVariationGrid grid_{};
    RecordedMessageBoxes boxes_;
    std::vector<std::string> texts_;
};

TEST_F(FirstRun, ScansEveryAirportAreaOneFilePerTickAndFinishes) {
    Write(SmallWorld());
    auto build = MakeBuild();
    ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[0], (ShownBox{BoxIcon::Information, kFirstRunText}));
    EXPECT_EQ(boxes_.shown[1], (ShownBox{BoxIcon::Information, kInsertCdText}));
    EXPECT_EQ(build->Areas().size(), 5u);
    EXPECT_EQ(build->BglFileCount(), 3);  // AP_A, AP_B and puget; not Terrain, not Europe
    EXPECT_EQ(build->ProgressMaximum(), 4);
    EXPECT_EQ(build->ProgressValue(), 0);

    using T = TickResult;
    const std::vector<TickResult> ticks = RunTicks(*build);
    EXPECT_EQ(ticks, (std::vector<TickResult>{T::SkippedArea, T::ScannedFile, T::ScannedFile,
                                              T::AreaDone, T::SkippedArea, T::ScannedFile,
                                              T::AreaDone, T::SkippedArea, T::AllScanned}));
    EXPECT_EQ(build->ProgressValue(), 3);
    EXPECT_EQ(Idents(*build), (std::vector<std::string>{"KSEA", "KBFI", "KPAE", "KRNT"}));
    EXPECT_TRUE(build->MissingFolders().empty());
    EXPECT_TRUE(build->DamagedFiles().empty());

    ASSERT_EQ(build->Finish(boxes_), BuildState::Done);
    EXPECT_EQ(db_.file, workDir() / "world_airports.dat");
    EXPECT_EQ(db_.written, build->Airports());
    EXPECT_TRUE(db_.finished);
    EXPECT_EQ(config_.AirportCount, 4);
    EXPECT_EQ(boxes_.shown.back(), (ShownBox{BoxIcon::Information, kDatabaseCreatedText}));
    // Stage two follows stage one byte for byte, with no line end after the count.
    EXPECT_EQ(dir_.Read("work/corvane.cfg"),
              "[FS Main folder]\r\nfs_main_folder=" + fsDir().string() +
                  "\r\n\r\n[Total Airports]\r\ntotal_airports=4");
    EXPECT_EQ(texts_,
              (std::vector<std::string>{
                  "Scenery.cfg file", "Airport and Facilities Data", "Airport and Facilities Data",
                  "Airport and Facilities Data", "airport and facilities data",
                  "airport and facilities data", "Creating database", "Adding airports to list"}));
}

TEST_F(FirstRun, TheCdPromptComesAtMostOnce) {
    writer::WorldDescription w = SmallWorld();
    w.areas[0].lines.push_back("Remote=[FS2002_1]\\Scenery\\World");
    Write(w);
    auto build = MakeBuild();
    build->Start(boxes_);
    EXPECT_EQ(std::count(boxes_.shown.begin(), boxes_.shown.end(),
                         ShownBox{BoxIcon::Information, kInsertCdText}),
              1);
}

TEST_F(FirstRun, AFolderOnALabelledVolumeIsScannedAfterThePrompt) {
    writer::WorldDescription w = SmallWorld();
    w.areas.resize(1);
    w.areas.push_back(Area("[Area.009]",
                           {"Title=Airport and Facilities Data",
                            "Local=[FS2002_2]\\Scenery\\NAmerica", "Remote=yes", "Required=TRUE"},
                           "Scenery/Unused"));
    Write(w);
    const fs::path cd = dir_.Path() / "cdrom";
    writer::WorldDescription disc;
    disc.areas = {Area("[Area.001]", {}, "SCENERY/NAMERICA/SCENERY",
                       {FieldFile("AP_CD.BGL", {"KCD1", "KCD2"})})};
    ASSERT_EQ(writer::WriteWorld(disc, cd), "");
    int asked = 0;
    auto build = MakeBuild([&] {
        ++asked;
        return std::vector<Volume>{{cd.string(), "/dev/sr0", "iso9660", "FS2002_2", true}};
    });
    ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(build->BglFileCount(), 1);
    RunTicks(*build);
    EXPECT_EQ(Idents(*build), (std::vector<std::string>{"KCD1", "KCD2"}));
}

TEST_F(FirstRun, AnAreaSharingTheFolderOfTheAreaBeforeIsListedAgain) {
    writer::WorldDescription w = SmallWorld();
    w.areas.resize(2);
    w.areas.push_back(
        Area("[Area.003]",
             {"Title=Airport and Facilities Data", "Local=scenery\\namerica", "Required=TRUE"},
             "Scenery/NAMERICA/Scenery"));
    Write(w);
    auto build = MakeBuild();
    build->Start(boxes_);
    EXPECT_EQ(build->BglFileCount(), 4);
    RunTicks(*build);
    EXPECT_EQ(Idents(*build),
              (std::vector<std::string>{"KSEA", "KBFI", "KPAE", "KSEA", "KBFI", "KPAE"}));
    EXPECT_EQ(build->ProgressValue(), 4);
}

TEST_F(FirstRun, ACountAlreadyInTheConfigurationStallsTheBuild) {
    Write(SmallWorld());
    auto build = MakeBuild();
    config_.AirportCount = 12;
    EXPECT_EQ(build->Start(boxes_), BuildState::Stalled);
    EXPECT_EQ(build->Tick(boxes_), TickResult::Idle);
    EXPECT_TRUE(build->Airports().empty());
    EXPECT_EQ(build->Finish(boxes_), BuildState::Stalled);
    EXPECT_EQ(db_.opened, 0);
    EXPECT_FALSE(fs::exists(workDir() / "world_airports.dat"));
}

TEST_F(FirstRun, AMissingSceneryCfgEndsWithABoxNamingIt) {
    fs::create_directories(fsDir());
    auto build = MakeBuild();
    const std::string before = dir_.Read("work/corvane.cfg");
    EXPECT_EQ(build->Start(boxes_), BuildState::Failed);
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[1].icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes_.shown[1].text.find((fsDir() / "scenery.cfg").string()), std::string::npos);
    EXPECT_EQ(build->Tick(boxes_), TickResult::Idle);
    EXPECT_EQ(dir_.Read("work/corvane.cfg"), before);
}

TEST_F(FirstRun, AFolderThatCannotBeListedEndsWithABox) {
    writer::WorldDescription w = SmallWorld();
    Write(w);
    // The Puget area's folder is a file.
    fs::remove_all(fsDir() / "Addon Scenery/PUGET/scenery");
    std::ofstream(fsDir() / "Addon Scenery/PUGET/scenery") << "not a folder";
    auto build = MakeBuild();
    EXPECT_EQ(build->Start(boxes_), BuildState::Failed);
    EXPECT_EQ(boxes_.shown.back().icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes_.shown.back().text.find("PUGET"), std::string::npos);
}

TEST_F(FirstRun, AFileThatVanishedEndsWithABoxAndNothingIsWritten) {
    Write(SmallWorld());
    auto build = MakeBuild();
    ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
    EXPECT_EQ(build->Tick(boxes_), TickResult::SkippedArea);
    EXPECT_EQ(build->Tick(boxes_), TickResult::ScannedFile);  // AP_A, the folder now listed
    fs::remove(fsDir() / "Scenery/NAMERICA/Scenery/AP_B.BGL");
    const std::vector<TickResult> ticks = RunTicks(*build);
    EXPECT_EQ(ticks.back(), TickResult::Failed);
    EXPECT_EQ(build->State(), BuildState::Failed);
    EXPECT_NE(boxes_.shown.back().text.find("AP_B.BGL"), std::string::npos);
    EXPECT_EQ(build->Tick(boxes_), TickResult::Idle);
    EXPECT_EQ(build->Finish(boxes_), BuildState::Failed);
    // The output got AP_A's airports, then was dropped unfinished.
    EXPECT_EQ(db_.written.size(), 2u);
    EXPECT_FALSE(db_.open);
    EXPECT_FALSE(db_.finished);
    EXPECT_FALSE(fs::exists(workDir() / "world_airports.dat"));
}

TEST_F(FirstRun, MissingFoldersAreSkippedAndDamagedOrForeignFilesCounted) {
    writer::WorldDescription w = SmallWorld();
    w.areas[3].lines[1] = "local=Addon Scenery\\Nowhere";
    // An airport area without a Local= lists no folder at all, not the main folder.
    w.areas.push_back(
        Area("[Area.006]", {"Title=Airport and Facilities Data", "Required=TRUE"}, "Unused"));
    w.areas[0].folder = ".";
    w.areas[0].files = {FieldFile("MAIN.BGL", {"KMAI"})};
    Write(w);
    // A .bgl without the signature, and a damaged one.
    std::ofstream(fsDir() / "Scenery/NAMERICA/Scenery/AP_C.BGL") << "plain text";
    std::vector<uint8_t> bytes = writer::WriteBgl(FieldFile("x", {"KDMG", "KLOS"}).content);
    bytes.resize(bytes.size() - 70);  // KLOS, the last block, keeps only its first word
    std::ofstream(fsDir() / "Scenery/NAMERICA/Scenery/AP_D.BGL", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    auto build = MakeBuild();
    ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
    EXPECT_EQ(build->BglFileCount(), 4);
    EXPECT_EQ(build->MissingFolders().size(), 2u);
    RunTicks(*build);
    EXPECT_EQ(build->FilesWithoutSignature(), 1);
    ASSERT_EQ(build->DamagedFiles().size(), 1u);
    EXPECT_EQ(build->DamagedFiles()[0].file.filename(), "AP_D.BGL");
    EXPECT_EQ(Idents(*build), (std::vector<std::string>{"KSEA", "KBFI", "KPAE", "KDMG"}));
    EXPECT_EQ(build->ProgressValue(), 4);
}

TEST_F(FirstRun, AFailedDatabaseWriteLeavesNeitherDatabaseNorCount) {
    Write(SmallWorld());
    auto build = MakeBuild();
    build->Start(boxes_);
    RunTicks(*build);
    const std::string before = dir_.Read("work/corvane.cfg");
    db_.failure = "disk full";
    EXPECT_EQ(build->Finish(boxes_), BuildState::Failed);
    EXPECT_EQ(boxes_.shown.back().icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes_.shown.back().text.find("disk full"), std::string::npos);
    EXPECT_FALSE(fs::exists(workDir() / "world_airports.dat"));
    EXPECT_EQ(dir_.Read("work/corvane.cfg"), before);
}

TEST_F(FirstRun, NoAirportAreasGiveAnEmptyDatabaseAndACountOfZero) {
    writer::WorldDescription w = SmallWorld();
    w.areas = {w.areas[0]};
    w.crlf = false;
    Write(w);
    auto build = MakeBuild();
    ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
    EXPECT_EQ(build->ProgressMaximum(), 1);
    RunTicks(*build);
    ASSERT_EQ(build->Finish(boxes_), BuildState::Done);
    EXPECT_TRUE(db_.finished);
    EXPECT_TRUE(db_.written.empty());
    EXPECT_EQ(dir_.Read("work/corvane.cfg"),
              "[FS Main folder]\r\nfs_main_folder=" + fsDir().string() +
                  "\r\n\r\n[Total Airports]\r\ntotal_airports=0");
}

TEST_F(FirstRun, EachFilesAirportsGoToTheDatabaseInTheTickThatReadsIt) {
    Write(SmallWorld());
    auto build = MakeBuild();
    ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
    EXPECT_EQ(db_.opened, 1);
    EXPECT_EQ(db_.file, workDir() / "world_airports.dat");
    EXPECT_EQ(build->Tick(boxes_), TickResult::SkippedArea);
    EXPECT_TRUE(db_.written.empty());
    EXPECT_EQ(build->Tick(boxes_), TickResult::ScannedFile);
    EXPECT_EQ(Idents(db_.written), (std::vector<std::string>{"KSEA", "KBFI"}));
    EXPECT_EQ(build->Tick(boxes_), TickResult::ScannedFile);
    EXPECT_EQ(Idents(db_.written), (std::vector<std::string>{"KSEA", "KBFI", "KPAE"}));
    EXPECT_FALSE(db_.finished);
    EXPECT_EQ(build->AirportsDecoded(), 3);
}

TEST_F(FirstRun, WithoutKeepingTheAirportsTheSameDatabaseIsWritten) {
    Write(SmallWorld());
    std::string keptBytes;
    for (const bool keep : {true, false}) {
        const std::string folder = keep ? "kept" : "streamed";
        const fs::path work = dir_.Path() / folder;
        Config config;
        config.FsMainFolder = fsDir().string();
        fs::create_directories(work);
        ASSERT_EQ(shell::WriteStageOne(work / shell::kConfigFileName, config.FsMainFolder), "");
        FirstRunBuild build(config, grid_, [] { return std::vector<Volume>{}; });
        build.SetDatabase(work);  // the file writer
        build.KeepAirports(keep);
        ASSERT_EQ(build.Start(boxes_), BuildState::Scanning);
        RunTicks(build);
        ASSERT_EQ(build.Finish(boxes_), BuildState::Done) << folder;
        EXPECT_EQ(config.AirportCount, 4) << folder;
        EXPECT_TRUE(dir_.Read(folder + "/corvane.cfg").ends_with("\r\ntotal_airports=4")) << folder;
        EXPECT_FALSE(fs::exists(work / "world_airports.dat.new")) << folder;
        const std::string bytes = dir_.Read(folder + "/world_airports.dat");
        if (keep) {
            const std::vector<AirportRecord> kept = build.TakeAirports();
            ASSERT_EQ(Idents(kept), (std::vector<std::string>{"KSEA", "KBFI", "KPAE", "KRNT"}));
            const std::vector<uint8_t> whole = EncodeAirportDatabase(kept);
            EXPECT_EQ(bytes, std::string(whole.begin(), whole.end()));
            keptBytes = bytes;
        } else {
            EXPECT_TRUE(build.Airports().empty());
            EXPECT_EQ(build.AirportsDecoded(), 4);
            EXPECT_EQ(bytes, keptBytes);
        }
    }
}

TEST_F(FirstRun, AScanAbandonedOrFailedHalfWayLeavesNoDatabaseFile) {
    Write(SmallWorld());
    const fs::path database = workDir() / "world_airports.dat";
    const fs::path temp = workDir() / "world_airports.dat.new";
    {
        auto build = MakeBuild();
        build->SetDatabase(workDir());  // the file writer
        ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
        EXPECT_EQ(build->Tick(boxes_), TickResult::SkippedArea);
        EXPECT_EQ(build->Tick(boxes_), TickResult::ScannedFile);
        EXPECT_TRUE(fs::exists(temp));  // being written
    }                                   // the window closed during the scan
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_FALSE(fs::exists(database));

    auto build = MakeBuild();
    build->SetDatabase(workDir());
    ASSERT_EQ(build->Start(boxes_), BuildState::Scanning);
    EXPECT_EQ(build->Tick(boxes_), TickResult::SkippedArea);
    EXPECT_EQ(build->Tick(boxes_), TickResult::ScannedFile);
    fs::remove(fsDir() / "Scenery/NAMERICA/Scenery/AP_B.BGL");
    EXPECT_EQ(RunTicks(*build).back(), TickResult::Failed);
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_FALSE(fs::exists(database));
    EXPECT_EQ(build->Finish(boxes_), BuildState::Failed);
    EXPECT_FALSE(fs::exists(database));
}

TEST_F(FirstRun, ABuildGivenNoFolderForTheDatabaseScansButCannotFinish) {
    Write(SmallWorld());
    config_.FsMainFolder = fsDir().string();
    FirstRunBuild build(config_, grid_, [] { return std::vector<Volume>{}; });
    ASSERT_EQ(build.Start(boxes_), BuildState::Scanning);
    EXPECT_EQ(RunTicks(build).back(), TickResult::AllScanned);
    EXPECT_EQ(build.Airports().size(), 4u);
    EXPECT_EQ(build.Finish(boxes_), BuildState::Failed);
    EXPECT_EQ(boxes_.shown.back().icon, BoxIcon::Exclamation);
    EXPECT_EQ(config_.AirportCount, 0);
}

}  // namespace
}  // namespace corvane::scenery
