// The README's demo as a user walks through it: the demo folder, corvane-fsim hosting a VFR
// departure and a VFR arrival at Boeing Field twenty times faster than real time, the windows from
// the splash to the monitoring station, and the departure controlled from its parking place to its
// take-off clearance. The station's timer is ticked every 50 ms of real time (one simulated
// second); the flight takes some 15 seconds and every wait is bounded.
//
// With CORVANE_SCREENSHOTS naming a folder, each window is saved there as the user sees it (PNG),
// with the departure's lines from the simulator's terminal; without it nothing is written.
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "e2e/DemoFolder.h"
#include "e2e/ui/WindowChain.h"
#include "support/Passages.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;

class DemoWalkthrough : public WindowChain {
  protected:
    // The folder CORVANE_SCREENSHOTS names, or empty.
    static std::filesystem::path ShotFolder() {
        const char* folder = std::getenv("CORVANE_SCREENSHOTS");
        return folder != nullptr ? std::filesystem::path(folder) : std::filesystem::path();
    }
    static void Keep(QWidget* window, const std::string& name) {
        const std::filesystem::path folder = ShotFolder();
        if (folder.empty() || window == nullptr) {
            return;
        }
        std::filesystem::create_directories(folder);
        const QImage image = window->grab().toImage();
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_TRUE(image.save(QString::fromStdString((folder / (name + ".png")).string()), "PNG"))
            << name;
        // A grab holds the window's inside only: its caption goes beside it.
        std::ofstream captions(folder / "captions.txt", std::ios::app);
        captions << name << ".png: " << window->windowTitle().toStdString() << "\n";
    }

    // The index of the first line of the simulator's output at or after `from` that contains
    // `text` (and `also`, when given), or -1.
    long Find(long from, const std::string& text, const std::string& also = {}) {
        const std::vector<std::string>& lines = fsim->Transcript();
        for (size_t i = static_cast<size_t>(std::max(from, 0L)); i < lines.size(); ++i) {
            if (lines[i].find(text) != std::string::npos &&
                (also.empty() || lines[i].find(also) != std::string::npos)) {
                return static_cast<long>(i);
            }
        }
        return -1;
    }
};

TEST_F(DemoWalkthrough, AVfrDepartureIsTaxiedHandedToTheTowerAndClearedForTakeoff) {
    ASSERT_EQ(PrepareDemoFolder(dir.Path()), "");
    StartFsim({"--name", "Corvane demo", "--world", dir.Path().string(), "--time-factor", "20",
               "--table", "0", "--aircraft",
               "vfr-departure N172SP @KBFI:NW PARKING 1 'Cessna Skyhawk 172SP'", "--aircraft",
               "vfr-arrival N911CP 3nm south 1200ft 'Piper Cherokee'"});

    // The splash; then "Settings" with Boeing Field chosen, and "Next".
    auto* splash = ShowSplash();
    ASSERT_NE(splash, nullptr);
    Keep(splash, "1-splash");
    EndSplash(splash);
    auto* settings = ChooseAirport("KBFI (BOEING FLD)");
    ASSERT_NE(settings, nullptr);
    Keep(settings, "2-settings-KBFI");
    LeaveSettings(settings);
    EXPECT_EQ(App().Context().airport.AirportIdent, "KBFI");

    // The search finds the session with its host and two aircraft; joining opens the station.
    auto* connection = SearchForSessions();
    ASSERT_NE(connection, nullptr);
    auto* sessions = Control<QListWidget>(connection, "List2");
    ASSERT_EQ(sessions->count(), 1);
    EXPECT_EQ(sessions->item(0)->text(), "Corvane demo (3/16)");
    Keep(connection, "3-connection-session-listed");
    auto* station = Join(connection);
    ASSERT_NE(station, nullptr);
    EXPECT_EQ(Control<QLabel>(station, "Label1")->text(), "NOT MONITORING TRAFFIC");
    Click(station, "Command2");
    EXPECT_EQ(Control<QLabel>(station, "Label1")->text(), "MONITORING TRAFFIC");

    // Once a simulated second, until the departure has been cleared for take-off and has read
    // the clearance back (at most 40 seconds). Reading the simulator's output between ticks keeps
    // its pipe from filling.
    const std::string cleared =
        "N172SP hears: N172SP, KBFI Tower, Cleared for takeoff on runway 13R. Choose one of the "
        "following options for the Tower frequency: 1-Acknowledge 2-Close ATC Services";
    Passages history;
    const auto deadline = std::chrono::steady_clock::now() + 40s;
    while (std::chrono::steady_clock::now() < deadline && CurrentName() == "Form4") {
        station->Player_Timer_Timer();
        Settle();
        if (const TrafficRecord* r = Traffic("N172SP")) {
            const Passage now{r->status, r->frequency};
            if (history.empty() || !(history.back() == now)) {
                history.push_back(now);
            }
            if (r->status == "Takingoff") {
                break;
            }
        }
        fsim->WaitForLine("\n", 50ms);  // no line holds a line break: this only reads and waits
    }
    ASSERT_EQ(CurrentName(), "Form4");
    Keep(station, "4-station-monitoring");

    // The station's record: ground cleared him to the runway, he went to the tower's frequency,
    // and the tower cleared him for take-off.
    EXPECT_TRUE(InOrder(history, {{"Acknowledge taxi to runway", "121.9"},
                                  {"Taxiing to runway", "121.9"},
                                  {"Taxiing to runway", "120.6"},
                                  {"Acknowledge Takeoff", "120.6"},
                                  {"Takingoff", "120.6"}}))
        << ::testing::PrintToString(history);

    // What the pilot heard and said, in this order: the welcome and his answer before he is in
    // service; the taxi clearance over the apron's taxiways with the tower's frequency, read
    // back; the tower's menu on its frequency and his take-off request; the clearance.
    long at = Find(0,
                   "N172SP hears: N172SP. Welcome to Corvane v1.1 (by Quorvel). Want to use "
                   "our ATC services at KBFI?: 1-Use ATC services");
    EXPECT_GE(at, 0);
    at = Find(at, "N172SP says: BOEING FLD,1");
    EXPECT_GE(at, 0);
    at = Find(at, "N172SP hears: N172SP, Taxi to and hold short runway 13R using taxiway ",
              " . Contact tower on 120.6 when ready. Choose one of the following options for the "
              "Ground frequency: 1-Acknowledge 2-Close ATC Services");
    EXPECT_GE(at, 0);
    at = Find(at, "N172SP says: 1");
    EXPECT_GE(at, 0);
    at = Find(at,
              "N172SP hears: N172SP. Choose one of the following options for the Tower "
              "frequency: 1-Tune KBFI Ground Frequency 2-Request VFR Takeoff Clearance "
              "3-Close ATC Services");
    EXPECT_GE(at, 0);
    at = Find(at, "N172SP says: 2");
    EXPECT_GE(at, 0);
    at = Find(at, cleared);
    EXPECT_GE(at, 0);
    EXPECT_GE(Find(at, "N172SP says: 1"), 0);
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));

    if (!ShotFolder().empty()) {
        std::ofstream chat(ShotFolder() / "5-fsim-chat-N172SP.txt");
        for (const std::string& line : fsim->Transcript()) {
            if (line.find("] N172SP ") != std::string::npos) {
                chat << line << "\n";
            }
        }
        EXPECT_TRUE(chat.good());
    }

    Click(station, "Command3");
    EXPECT_TRUE(App().Ended());
    EXPECT_TRUE(fsim->WaitForLine("left: BOEING FLD_Controller", 3s).has_value());
    fsim->Write("quit\n");
    EXPECT_EQ(fsim->Wait(5s), 0);
}

}  // namespace
}  // namespace corvane::testing
