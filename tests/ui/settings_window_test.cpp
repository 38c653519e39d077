#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QProgressBar>

#include "WindowTest.h"
#include "scenery/AirportDatabase.h"
#include "scenery/FirstRunBuild.h"
#include "scenery/Form2.h"
#include "shared/Bytes.h"

namespace corvane::testing {
namespace {

AirportRecord Airport(const std::string& ident, const std::string& name, double lat, double lon,
                      const std::string& ground, const std::string& tower) {
    AirportRecord r;
    r.ident = ident;
    r.name = name;
    r.lat = lat;
    r.lon = lon;
    r.groundFreq = ground;
    r.towerFreq = tower;
    return r;
}

class SettingsWindow : public WindowTest {
  protected:
    void SetUp() override {
        ByteWriter magdec;
        magdec.Zeros(110);
        magdec.I32(120);
        magdec.Zeros(128 - magdec.Size());
        for (int i = 0; i < kMagVarCells; ++i) {
            magdec.I16(1821);
        }
        dir.Write("FS2002/Scenery/magdec.bgl", magdec.AsString());
        dir.Write("world_terrain.db", "47.5 -121.5 1000\n46.8529 -121.7604 4392\n");
        App().Context().config.FsMainFolder = (dir / "FS2002").string();
    }
    void WriteDatabase(const std::vector<AirportRecord>& airports) {
        ASSERT_EQ(scenery::WriteAirportDatabase(dir / "world_airports.dat", airports), "");
        App().Context().config.AirportCount = static_cast<int32_t>(airports.size());
    }
    // Opens the settings window and runs its load tick.
    void OpenAndLoad() {
        App().ShowSettingsWindow();
        form2 = qobject_cast<scenery::Form2*>(Current());
        ASSERT_NE(form2, nullptr);
        auto* timer = Control<QTimer>(form2, "Read_World_Airports");
        ASSERT_TRUE(timer->isActive());
        form2->Read_World_Airports_Timer();
        EXPECT_FALSE(timer->isActive());
        Settle();
    }
    bool ControlsEnabled(bool enabled) {
        bool all = true;
        for (const char* name : {"Combo1", "Command1", "Command2"}) {
            all = all && Control<QWidget>(form2, name)->isEnabled() == enabled;
        }
        return all;
    }
    QComboBox* Combo() { return Control<QComboBox>(form2, "Combo1"); }

    const std::vector<AirportRecord> seattle = {
        Airport("KSEA", "SEATTLE-TACOMA INTL", 47.449, -122.309, "121.7", "119.9"),
        Airport("KBFI", "BOEING FLD", 47.53, -122.302, "121.9", "120.6"),
        Airport("S50", "AUBURN MUNI", 47.328, -122.227, "", ""),
    };
    scenery::Form2* form2 = nullptr;
};

TEST_F(SettingsWindow, CaptionsAndTheStateWhileLoading) {
    WriteDatabase(seattle);
    App().ShowSettingsWindow();
    form2 = qobject_cast<scenery::Form2*>(Current());
    ASSERT_NE(form2, nullptr);
    EXPECT_EQ(form2->objectName(), "Form2");
    EXPECT_EQ(form2->windowTitle(), "Settings");
    EXPECT_EQ(Control<QLabel>(form2, "Label1")->text(), "Status:");
    EXPECT_EQ(Control<QLabel>(form2, "Label2")->text(), "Processing Please Wait...");
    EXPECT_EQ(Control<QLabel>(form2, "Label3")->text(), "Scanning:");
    EXPECT_EQ(Control<QGroupBox>(form2, "Frame1")->title(), "All airports of the FS world");
    EXPECT_EQ(Control<QAbstractButton>(form2, "Command1")->text(), "Next");
    EXPECT_EQ(Control<QAbstractButton>(form2, "Command2")->text(), "Exit");
    EXPECT_EQ(Control<QAction>(form2, "abot1")->text(), "About Corvane v1.1");
    EXPECT_TRUE(Combo()->isEditable());
    EXPECT_EQ(Combo()->currentText(), "Type and select an airport");
    EXPECT_NE(Control<QProgressBar>(form2, "ProgressBar1"), nullptr);
    EXPECT_TRUE(ControlsEnabled(false));
    EXPECT_EQ(Control<QTimer>(form2, "Read_World_Airports")->interval(), 1000);
    EXPECT_EQ(Control<QTimer>(form2, "Read_All_Mountains")->interval(), 1000);
    EXPECT_FALSE(Control<QTimer>(form2, "Read_All_Mountains")->isActive());
}

TEST_F(SettingsWindow, LoadTickFillsTheListAndEnablesTheControls) {
    WriteDatabase(seattle);
    OpenAndLoad();
    EXPECT_EQ(Control<QLabel>(form2, "Label2")->text(), "Done!");
    EXPECT_EQ(Control<QLineEdit>(form2, "Text1")->text(), "");
    EXPECT_TRUE(ControlsEnabled(true));
    ASSERT_EQ(Combo()->count(), 3);
    EXPECT_EQ(Combo()->itemText(0), "KSEA (SEATTLE-TACOMA INTL)");
    EXPECT_EQ(Combo()->itemText(2), "S50 (AUBURN MUNI)");
    EXPECT_EQ(Combo()->currentIndex(), -1);
    EXPECT_EQ(Combo()->currentText(), "Type and select an airport");
    EXPECT_EQ(App().Context().terrain.MagVarGrid[100], 1821);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsWindow, TypingPartOfANameOffersTheMatchingLines) {
    std::vector<AirportRecord> many = seattle;
    for (int i = 0; i < 2000; ++i) {
        many.push_back(
            Airport("X" + std::to_string(i), "FIELD " + std::to_string(i), 10, 10, "", ""));
    }
    many.push_back(Airport("KTIW", "TACOMA NARROWS", 47.268, -122.578, "", "118.5"));
    WriteDatabase(many);
    OpenAndLoad();
    auto* completer = Combo()->completer();
    ASSERT_NE(completer, nullptr);
    EXPECT_EQ(completer->filterMode(), Qt::MatchContains);
    completer->setCompletionPrefix("tacoma");  // inside the line, any case
    ASSERT_EQ(completer->completionCount(), 2);
    const QModelIndex second = completer->completionModel()->index(1, 0);
    EXPECT_EQ(second.data().toString(), "KTIW (TACOMA NARROWS)");
    emit completer->activated(second);
    EXPECT_EQ(Combo()->currentIndex(), static_cast<int>(many.size()) - 1);
    EXPECT_EQ(form2->SelectedListIndex(), static_cast<int>(many.size()) - 1);
    // Editing the text afterwards leaves no line selected.
    Combo()->setEditText("KTIW (TACOMA");
    EXPECT_EQ(form2->SelectedListIndex(), -1);
}

TEST_F(SettingsWindow, NextWithoutASelectionDoesNothing) {
    WriteDatabase(seattle);
    OpenAndLoad();
    Combo()->setEditText("BOEING");  // typed, never picked
    Click(form2, "Command1");
    EXPECT_EQ(Control<QLabel>(form2, "Label2")->text(), "Done!");
    EXPECT_FALSE(Control<QTimer>(form2, "Read_All_Mountains")->isActive());
    EXPECT_EQ(form2->Logic().AirportList().size(), 3u);
    EXPECT_EQ(App().Context().airport.AirportIdent, "");
}

TEST_F(SettingsWindow, NextChoosesTheAirportThenMountainsLeadToTheConnectionWindow) {
    WriteDatabase(seattle);
    OpenAndLoad();
    Combo()->setCurrentIndex(1);
    Click(form2, "Command1");
    EXPECT_EQ(Control<QLabel>(form2, "Label2")->text(), "Processing Please Wait...");
    EXPECT_EQ(Control<QLineEdit>(form2, "Text1")->text(), "Getting Airport's Info");
    EXPECT_TRUE(ControlsEnabled(false));
    const ChosenAirport& chosen = App().Context().airport;
    EXPECT_EQ(chosen.AirportIdent, "KBFI");
    EXPECT_EQ(chosen.AirportName, "BOEING FLD");
    EXPECT_EQ(chosen.TowerFreq, "120.6");
    EXPECT_EQ(chosen.GroundFreq, "121.9");
    EXPECT_EQ(chosen.CenterFreq, "Air Route Traffic Control Center");
    EXPECT_EQ(chosen.TaxiNodes.size(), 1u);
    EXPECT_TRUE(form2->Logic().AirportList().empty());
    auto* mountains = Control<QTimer>(form2, "Read_All_Mountains");
    ASSERT_TRUE(mountains->isActive());

    form2->Read_All_Mountains_Timer();
    EXPECT_FALSE(mountains->isActive());
    Settle();
    EXPECT_EQ(CurrentName(), "Form3");
    const Terrain& terrain = App().Context().terrain;
    ASSERT_EQ(terrain.MountainCount(), 2);
    EXPECT_EQ(terrain.Mountains[1].name, "Montaña No2");
    EXPECT_EQ(terrain.MinSafeAltitude, 14409 + 2000);  // 4392 m
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsWindow, ExitEndsTheProgramAndWritesNothing) {
    WriteDatabase(seattle);
    const std::string before = dir.Read("world_airports.dat");
    OpenAndLoad();
    Click(form2, "Command2");
    EXPECT_TRUE(App().Ended());
    EXPECT_EQ(Current(), nullptr);
    EXPECT_EQ(dir.Read("world_airports.dat"), before);
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsWindow, AMissingDatabaseWithoutSceneryCfgEndsTheProgramWritingNothing) {
    OpenAndLoad();
    EXPECT_TRUE(App().Ended());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{BoxIcon::Information, scenery::kFirstRunText}));
    EXPECT_EQ(boxes.shown[1].icon, BoxIcon::Exclamation);
    EXPECT_NE(boxes.shown[1].text.find((dir / "FS2002" / "scenery.cfg").string()),
              std::string::npos)
        << boxes.shown[1].text;
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
}

TEST_F(SettingsWindow, ShortVariationFileIsReportedOnceAndTheListStillLoads) {
    WriteDatabase(seattle);
    dir.Write("FS2002/Scenery/magdec.bgl", dir.Read("FS2002/Scenery/magdec.bgl").substr(0, 1000));
    OpenAndLoad();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Exclamation);
    EXPECT_FALSE(Control<QTimer>(form2, "Read_World_Airports")->isActive());
    EXPECT_EQ(Combo()->count(), 3);
    EXPECT_TRUE(ControlsEnabled(true));
}

TEST_F(SettingsWindow, AboutOpensTheAboutWindow) {
    WriteDatabase(seattle);
    OpenAndLoad();
    Control<QAction>(form2, "abot1")->trigger();
    ASSERT_NE(App().AboutWindow(), nullptr);
    EXPECT_TRUE(App().AboutWindow()->isVisible());
    EXPECT_EQ(CurrentName(), "Form2");
}

}  // namespace
}  // namespace corvane::testing
