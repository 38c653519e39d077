#include <QAction>
#include <QComboBox>
#include <QListWidget>

#include <algorithm>

#include "WindowTest.h"
#include "scenery/Volumes.h"
#include "shell/Form1.h"
#include "shell/Form7.h"
#include "shell/Startup.h"

namespace corvane::testing {
namespace {

class StartupWindows : public WindowTest {
  protected:
    // Shows the splash and lets its timer fire once.
    void RunSplash() {
        App().Start();
        auto* splash = qobject_cast<shell::Form1*>(Current());
        ASSERT_NE(splash, nullptr);
        EXPECT_EQ(Control<QLabel>(splash, "Label1")->text(), "CORVANE VERSION 1.1");
        auto* timer = Control<QTimer>(splash, "Timer1");
        EXPECT_EQ(timer->interval(), 3000);
        EXPECT_TRUE(timer->isActive());
        splash->Timer1_Timer();
        EXPECT_FALSE(timer->isActive());  // once only
        Settle();
    }
};

TEST_F(StartupWindows, AllFilesPresentOpenSettings) {
    dir.Write("world_terrain.db", "");
    dir.Write("world_airports.dat", "");
    dir.Write("corvane.cfg",
              "[FS Main folder]\r\nfs_main_folder=/fs\r\n\r\n[Total Airports]\r\n"
              "total_airports=0");
    RunSplash();
    EXPECT_EQ(CurrentName(), "Form2");
    EXPECT_EQ(App().Context().config.FsMainFolder, "/fs");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupWindows, MissingTerrainEndsTheProgramAfterTheBox) {
    RunSplash();
    EXPECT_TRUE(App().Ended());
    EXPECT_EQ(Current(), nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, shell::kTerrainMissingText);
}

TEST_F(StartupWindows, MissingDatabaseLeadsThroughConfigurationToSettings) {
    dir.Write("world_terrain.db", "");
    dir.Write("corvane.cfg", "fs_main_folder=/old");
    RunSplash();
    ASSERT_EQ(CurrentName(), "Form7");
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
    QWidget* form7 = Current();
    EXPECT_EQ(form7->windowTitle(), "Creating Configuration File");
    EXPECT_EQ(Control<QLineEdit>(form7, "Text1")->text(), "-none-");
    Click(form7, "Command1");  // no folder chosen: "-none-" is written as it stands
    EXPECT_EQ(dir.Read("corvane.cfg"), "[FS Main folder]\r\nfs_main_folder=-none-");
    EXPECT_EQ(App().Context().config.FsMainFolder, "-none-");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (ShownBox{BoxIcon::Information, shell::kConfigCreatedText}));
    EXPECT_EQ(CurrentName(), "Form2");
}

TEST_F(StartupWindows, MissingConfigurationDeletesTheDatabase) {
    dir.Write("world_terrain.db", "");
    dir.Write("world_airports.dat", "old");
    RunSplash();
    EXPECT_EQ(CurrentName(), "Form7");
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
}

TEST_F(StartupWindows, DamagedConfigurationIsReportedThenRebuilt) {
    dir.Write("world_terrain.db", "");
    dir.Write("world_airports.dat", "old");
    dir.Write("corvane.cfg", "fs_main_folder=/fs\r\ntotal_airports=lots");
    RunSplash();
    EXPECT_EQ(CurrentName(), "Form7");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Exclamation);
    EXPECT_FALSE(dir.Exists("corvane.cfg"));
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
}

class ConfigurationWindow : public WindowTest {
  protected:
    void SetUp() override {
        dir.Write("world_airports.dat", "stale");
        dir.Write("FS2002/Scenery/magdec.bgl", "");
        App().ShowConfigurationWindow();
        form7 = Current();
        ASSERT_NE(form7, nullptr);
    }
    QWidget* form7 = nullptr;
};

TEST_F(ConfigurationWindow, LoadingDeletesTheDatabase) {
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
}

TEST_F(ConfigurationWindow, CaptionsAndTexts) {
    EXPECT_EQ(Control<QWidget>(form7, "Frame1")->property("title").toString(),
              "Getting FS2002 Path");
    EXPECT_EQ(Control<QLabel>(form7, "Label1")->text(), "Current Path:");
    EXPECT_EQ(Control<QLabel>(form7, "Label2")->text(), "Example:");
    EXPECT_EQ(Control<QLabel>(form7, "Label3")->text(),
              "C:\\Program Files\\Microsoft Games\\FS2002");
    EXPECT_EQ(Control<QAbstractButton>(form7, "Command1")->text(), "Create Configuration File");
    EXPECT_EQ(Control<QAction>(form7, "abot1")->text(), "About Corvane v1.1");
}

TEST_F(ConfigurationWindow, DriveListShowsTheMountedVolumes) {
    auto* drives = Control<QComboBox>(form7, "Drive1");
    const auto volumes = scenery::ListVolumes();
    ASSERT_EQ(drives->count(), static_cast<int>(volumes.size()));
    for (int i = 0; i < drives->count(); ++i) {
        EXPECT_EQ(drives->itemText(i).toStdString(), scenery::VolumeDisplayName(volumes[i]));
    }
}

TEST_F(ConfigurationWindow, StartsInTheWorkingFolderAndWalksIntoTheSimulatorFolder) {
    auto* folders = Control<QListWidget>(form7, "Dir1");
    auto* text = Control<QLineEdit>(form7, "Text1");
    EXPECT_EQ(text->text(), "-none-");  // starting somewhere is not a choice yet
    ASSERT_EQ(folders->findItems("FS2002", Qt::MatchExactly).size(), 1);
    emit folders->itemActivated(folders->findItems("FS2002", Qt::MatchExactly)[0]);
    const auto target = std::filesystem::canonical(dir / "FS2002");
    EXPECT_EQ(text->text().toStdString(), target.string());
    EXPECT_EQ(folders->findItems("Scenery", Qt::MatchExactly).size(), 1);
    emit folders->itemActivated(folders->findItems("..", Qt::MatchExactly)[0]);
    EXPECT_EQ(text->text().toStdString(), std::filesystem::canonical(dir.Path()).string());
    emit folders->itemActivated(folders->findItems("FS2002", Qt::MatchExactly)[0]);
    Click(form7, "Command1");
    EXPECT_EQ(dir.Read("corvane.cfg"), "[FS Main folder]\r\nfs_main_folder=" + target.string());
    EXPECT_EQ(CurrentName(), "Form2");
}

TEST_F(ConfigurationWindow, ChoosingADrivePointsTheFolderListAtIt) {
    dir.Write("cdrom/FS2002/scenery.cfg", "");
    const std::string cd = std::filesystem::canonical(dir / "cdrom").string();
    shell::Form7 form(App().Context(), {{"/", "/dev/vda", "ext4", "", false},
                                        {cd, "/dev/sr0", "iso9660", "FS2002_1", true}});
    auto* drives = Control<QComboBox>(&form, "Drive1");
    auto* text = Control<QLineEdit>(&form, "Text1");
    ASSERT_EQ(drives->count(), 2);
    EXPECT_EQ(drives->itemText(1).toStdString(), cd + " [FS2002_1]");
    EXPECT_EQ(drives->currentIndex(), 0);  // the working folder is on the root volume
    drives->setCurrentIndex(1);
    EXPECT_EQ(text->text().toStdString(), cd);
    EXPECT_EQ(Control<QListWidget>(&form, "Dir1")->findItems("FS2002", Qt::MatchExactly).size(), 1);
    drives->setCurrentIndex(0);
    EXPECT_EQ(text->text(), "/");
}

TEST_F(ConfigurationWindow, AboutOpensModelessAndItsButtonClosesIt) {
    Control<QAction>(form7, "abot1")->trigger();
    QWidget* about = App().AboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->objectName(), "Form5");
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(form7->isVisible());  // modeless: the window behind stays
    Click(about, "Command1");
    EXPECT_FALSE(about->isVisible());
    Control<QAction>(form7, "abot1")->trigger();  // and again
    EXPECT_TRUE(App().AboutWindow()->isVisible());
}

}  // namespace
}  // namespace corvane::testing
