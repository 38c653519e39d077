#include <QAction>
#include <QComboBox>
#include <QListWidget>

#include "WindowTest.h"
#include "scenery/Volumes.h"
#include "shell/Form1.h"
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

TEST_F(ConfigurationWindow, WalkingTheFolderListFillsTheCurrentPath) {
    auto* folders = Control<QListWidget>(form7, "Dir1");
    auto* text = Control<QLineEdit>(form7, "Text1");
    // Walk down from the root of the first volume to the simulator folder of this test.
    const auto target = std::filesystem::canonical(dir / "FS2002");
    std::filesystem::path walked = std::filesystem::path(target).root_path();
    for (const auto& part : target.relative_path()) {
        const auto items =
            folders->findItems(QString::fromStdString(part.string()), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << part;
        emit folders->itemActivated(items[0]);
        walked /= part;
        EXPECT_EQ(text->text().toStdString(), walked.string());
    }
    EXPECT_EQ(folders->findItems("Scenery", Qt::MatchExactly).size(), 1);
    Click(form7, "Command1");
    EXPECT_EQ(dir.Read("corvane.cfg"), "[FS Main folder]\r\nfs_main_folder=" + target.string());
    EXPECT_EQ(CurrentName(), "Form2");
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
