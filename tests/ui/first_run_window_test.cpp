// The first run through the windows: the demo world written into a scratch folder, the folder
// chosen in the configuration window, the database built by the settings window's timers (driven
// tick by tick), an airport chosen and the connection window reached.
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "WindowTest.h"
#include "scenery-writer/Description.h"
#include "scenery-writer/World.h"
#include "scenery/AirportDatabase.h"
#include "scenery/FirstRunBuild.h"
#include "scenery/Form2.h"
#include "shell/Form1.h"
#include "shell/Startup.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

std::string SourceFile(const std::string& relative) {
    std::ifstream in(fs::path(CORVANE_SOURCE_DIR) / relative, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class FirstRunWindows : public WindowTest {
  protected:
    void SetUp() override {
        const writer::WorldDescription world =
            writer::ParseWorldDescription(SourceFile("data/demo-world.json"));
        ASSERT_EQ(writer::WriteWorld(world, dir / "FS2002"), "");
        dir.Write("world_terrain.db", "47.5 -121.5 1000\n46.8529 -121.7604 4392\n");
        // No timer of the settings window may run while one of its boxes is open.
        boxes.whileOpen = [this](const ShownBox& box) {
            if (form2 && (Control<QTimer>(form2, "Scan_Bgl")->isActive() ||
                          Control<QTimer>(form2, "Read_World_Airports")->isActive())) {
                timerActiveUnderBox.push_back(box.text);
            }
        };
    }

    // Splash, then the configuration window with the demo folder chosen in its folder list.
    void ChooseTheDemoFolder() {
        App().Start();
        auto* splash = qobject_cast<shell::Form1*>(Current());
        ASSERT_NE(splash, nullptr);
        splash->Timer1_Timer();
        Settle();
        ASSERT_EQ(CurrentName(), "Form7");
        auto* folders = Control<QListWidget>(Current(), "Dir1");
        const auto demo = folders->findItems("FS2002", Qt::MatchExactly);
        ASSERT_EQ(demo.size(), 1);
        emit folders->itemActivated(demo[0]);
        Click(Current(), "Command1");
        ASSERT_EQ(CurrentName(), "Form2");
        form2 = qobject_cast<scenery::Form2*>(Current());
        ASSERT_NE(form2, nullptr);
        stageOne = dir.Read("corvane.cfg");
        ASSERT_EQ(stageOne,
                  "[FS Main folder]\r\nfs_main_folder=" + fs::canonical(dir / "FS2002").string());
    }

    // Scan_Bgl's ticks while it runs, as its timer would give them; the progress after each.
    int RunScan() {
        auto* scan = Control<QTimer>(form2, "Scan_Bgl");
        auto* progress = Control<QProgressBar>(form2, "ProgressBar1");
        int ticks = 0;
        while (scan->isActive() && ticks < 100) {
            form2->Scan_Bgl_Timer();
            ++ticks;
            progressSeen.push_back(progress->value());
        }
        Settle();
        return ticks;
    }

    QString Text(const char* name) { return Control<QLabel>(form2, name)->text(); }
    QString Text1() { return Control<QLineEdit>(form2, "Text1")->text(); }
    bool ControlsEnabled() {
        return Control<QWidget>(form2, "Combo1")->isEnabled() &&
               Control<QWidget>(form2, "Command1")->isEnabled() &&
               Control<QWidget>(form2, "Command2")->isEnabled();
    }

    scenery::Form2* form2 = nullptr;
    std::string stageOne;
    std::vector<int> progressSeen;
    std::vector<std::string> timerActiveUnderBox;
};

TEST_F(FirstRunWindows, TheDemoWorldIsBuiltChosenAndTheConnectionWindowFollows) {
    ChooseTheDemoFolder();
    auto* scan = Control<QTimer>(form2, "Scan_Bgl");
    EXPECT_EQ(scan->interval(), 5);
    EXPECT_FALSE(scan->isActive());  // off until the database is found missing

    form2->Read_World_Airports_Timer();
    EXPECT_FALSE(Control<QTimer>(form2, "Read_World_Airports")->isActive());
    ASSERT_TRUE(scan->isActive());
    auto* progress = Control<QProgressBar>(form2, "ProgressBar1");
    // Two BGL files in the two airport areas: AP_SEA.BGL and puget.bgl.
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 3);
    EXPECT_EQ(progress->value(), 0);
    EXPECT_EQ(Text("Label2"), "Processing Please Wait...");
    EXPECT_FALSE(ControlsEnabled());
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{BoxIcon::Information, shell::kConfigCreatedText}));
    EXPECT_EQ(boxes.shown[1], (ShownBox{BoxIcon::Information, scenery::kFirstRunText}));
    // The Cities area names a Remote= folder on the CD.
    EXPECT_EQ(boxes.shown[2], (ShownBox{BoxIcon::Information, scenery::kInsertCdText}));

    // Five areas: three passed over a tick each, the two airport areas a tick per file and one to
    // find the listing exhausted, then the finishing tick.
    EXPECT_EQ(RunScan(), 3 + 2 * 2 + 1);
    EXPECT_FALSE(scan->isActive());
    EXPECT_EQ(*std::max_element(progressSeen.begin(), progressSeen.end()), 2);
    EXPECT_EQ(progress->value(), 0);
    EXPECT_EQ(Text("Label2"), "Done!");
    EXPECT_EQ(Text1(), "");
    EXPECT_TRUE(ControlsEnabled());
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[3], (ShownBox{BoxIcon::Information, scenery::kDatabaseCreatedText}));
    EXPECT_TRUE(timerActiveUnderBox.empty());

    // AP_SEA.BGL: KSEA and KBFI in the index, S50 in the second section; puget.bgl: KRNT in the
    // index, KPAE in the second section.
    auto* combo = Control<QComboBox>(form2, "Combo1");
    ASSERT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->itemText(0), "KSEA (SEATTLE-TACOMA INTL)");
    EXPECT_EQ(combo->itemText(1), "KBFI (BOEING FLD)");
    EXPECT_EQ(combo->itemText(2), "S50 (AUBURN MUNI)");
    EXPECT_EQ(combo->itemText(3), "KRNT (RENTON MUNI)");
    EXPECT_EQ(combo->itemText(4), "KPAE (SNOHOMISH CO (PAINE FLD))");

    // corvane.cfg gains exactly stage two; the database holds the five and the blank record.
    EXPECT_EQ(dir.Read("corvane.cfg"),
              stageOne + std::string("\r\n\r\n[Total Airports]\r\ntotal_airports=5"));
    EXPECT_EQ(App().Context().config.AirportCount, 5);
    const std::string database = dir.Read("world_airports.dat");
    ASSERT_GT(database.size(), scenery::kBlankRecordSize);
    EXPECT_EQ(database.substr(database.size() - scenery::kBlankRecordSize),
              std::string(scenery::kBlankRecordSize, '\0'));
    const scenery::AirportDatabaseFile read =
        scenery::ReadAirportDatabase(dir / "world_airports.dat", 5);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.content.extraBytes, 0u);
    ASSERT_EQ(read.content.airports.size(), 5u);
    EXPECT_EQ(read.content.airports[4].ident, "KPAE");

    // KBFI, then Next and the mountain tick.
    combo->setCurrentIndex(1);
    Click(form2, "Command1");
    const ChosenAirport& chosen = App().Context().airport;
    EXPECT_EQ(chosen.AirportIdent, "KBFI");
    EXPECT_EQ(chosen.RunwayName, "13R");
    EXPECT_EQ(chosen.TowerFreq, "120.6");
    EXPECT_EQ(chosen.GroundFreq, "121.9");
    EXPECT_EQ(chosen.ApproachFreq, "126.5");  // the approach frequency, not the departure before it
    EXPECT_EQ(chosen.CenterFreq, "120.3");    // KSEA's, the neighbour earlier in the list
    form2->Read_All_Mountains_Timer();
    Settle();
    EXPECT_EQ(CurrentName(), "Form3");
    EXPECT_EQ(App().Context().terrain.MountainCount(), 2);
}

TEST_F(FirstRunWindows, AFileThatCannotBeReadEndsTheProgramAndNothingIsWritten) {
    // A second file in the Puget Sound area, listed with puget.bgl and gone when its tick comes.
    const fs::path puget = fs::canonical(dir / "FS2002") / "Addon Scenery/Puget Sound/scenery";
    fs::copy_file(puget / "puget.bgl", puget / "zz.bgl");
    ChooseTheDemoFolder();
    form2->Read_World_Airports_Timer();
    auto* scan = Control<QTimer>(form2, "Scan_Bgl");
    auto* progress = Control<QProgressBar>(form2, "ProgressBar1");
    ASSERT_EQ(progress->maximum(), 4);
    for (int i = 0; i < 20 && scan->isActive() && progress->value() < 2; ++i) {
        form2->Scan_Bgl_Timer();
    }
    ASSERT_EQ(progress->value(), 2);  // AP_SEA.BGL and puget.bgl
    ASSERT_TRUE(fs::remove(puget / "zz.bgl"));
    RunScan();
    EXPECT_TRUE(App().Ended());
    EXPECT_EQ(Current(), nullptr);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.back().icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes.shown.back().text.find((puget / "zz.bgl").string()), std::string::npos)
        << boxes.shown.back().text;
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    EXPECT_EQ(dir.Read("corvane.cfg"), stageOne);
    EXPECT_TRUE(timerActiveUnderBox.empty());
}

}  // namespace
}  // namespace corvane::testing
