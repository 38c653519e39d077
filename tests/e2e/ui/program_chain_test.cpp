// The whole chain of the program, window by window, against corvane-fsim on 127.0.0.1: splash,
// settings, connection, station, monitoring, and the host's answer to the station's roll call.
// Every wait is bounded.
#include <QComboBox>
#include <QListWidget>

#include <chrono>
#include <thread>

#include "e2e/ChildProcess.h"
#include "scenery/AirportDatabase.h"
#include "scenery/Form2.h"
#include "session/EnetSession.h"
#include "session/Form3.h"
#include "shared/Bytes.h"
#include "shell/Form1.h"
#include "station/Form4.h"
#include "ui/WindowTest.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;

class TypedAddress final : public session::AddressPrompt {
  public:
    std::optional<std::string> AskHostAddress() override { return address; }
    std::string address;
};

class ProgramChain : public WindowTest {
  protected:
    void WriteWorld() {
        dir.Write("world_terrain.db", "47.5 -121.5 1000\n");
        ByteWriter magdec;
        magdec.Zeros(110);
        magdec.I32(120);
        magdec.Zeros(128 - magdec.Size() + 2 * kMagVarCells);
        dir.Write("FS2002/SCENERY/MAGDEC.BGL", magdec.AsString());
        AirportRecord bfi;
        bfi.ident = "KBFI";
        bfi.name = "BOEING FLD";
        bfi.lat = 47.53;
        bfi.lon = -122.3;
        bfi.groundFreq = "121.9";
        bfi.towerFreq = "120.6";
        bfi.runwayName = "13R";
        bfi.runwayHeading = 130;
        ASSERT_EQ(scenery::WriteAirportDatabase(dir / "world_airports.dat", {bfi}), "");
        dir.Write("corvane.cfg", "[FS Main folder]\r\nfs_main_folder=" + (dir / "FS2002").string() +
                                     "\r\n\r\n[Total Airports]\r\ntotal_airports=1");
    }
    template <typename Form>
    Form* Showing() {
        Settle();
        return qobject_cast<Form*>(Current());
    }

    TypedAddress prompt;
};

TEST_F(ProgramChain, FromTheSplashToARollCallAnsweredByTheHost) {
    WriteWorld();
    ChildProcess fsim(CORVANE_FSIM_PATH,
                      {"--port", "0", "--name", "E2E Session", "--interval", "0.5"});
    ASSERT_TRUE(fsim.Started());
    const auto listening = fsim.WaitForLine("listening on 127.0.0.1:", 5s);
    ASSERT_TRUE(listening.has_value());
    prompt.address = listening->substr(listening->find("127.0.0.1:"));
    App().Context().session.DirectX = [this] {
        return std::make_unique<session::EnetSession>(&prompt);
    };

    // Splash, then the settings window: the list, "Next" on KBFI, the mountains.
    App().Start();
    auto* splash = Showing<shell::Form1>();
    ASSERT_NE(splash, nullptr);
    splash->Timer1_Timer();
    auto* settings = Showing<scenery::Form2>();
    ASSERT_NE(settings, nullptr);
    settings->Read_World_Airports_Timer();
    Control<QComboBox>(settings, "Combo1")->setCurrentIndex(0);
    Click(settings, "Command1");
    settings->Read_All_Mountains_Timer();

    // The connection window: TCP/IP, search, the session, join, and the host's admission.
    auto* connection = Showing<session::Form3>();
    ASSERT_NE(connection, nullptr);
    Control<QListWidget>(connection, "List1")->setCurrentRow(0);
    Click(connection, "Command1");
    auto* sessions = Control<QListWidget>(connection, "List2");
    ASSERT_EQ(sessions->count(), 1);
    EXPECT_EQ(sessions->item(0)->text(), "E2E Session (1/16)");
    sessions->setCurrentRow(0);
    Click(connection, "Command2");
    for (int i = 0; i < 200 && CurrentName() == "Form3"; ++i) {
        std::this_thread::sleep_for(20ms);
        connection->Timer1_Timer();
        Settle();
    }
    auto* station = Showing<station::Form4>();
    ASSERT_NE(station, nullptr);
    EXPECT_TRUE(fsim.WaitForLine("admitted: BOEING FLD_Controller", 3s).has_value());

    // Monitoring: the first tick's roll call is answered by the host, who gets a record and the
    // welcome.
    Click(station, "Command2");
    EXPECT_EQ(Control<QLabel>(station, "Label1")->text(), "MONITORING TRAFFIC");
    const StationTables& tables = App().Context().station;
    const auto host = [&]() -> const TrafficRecord* {
        for (const TrafficRecord& r : tables.Traffic) {
            if (r.callsign == "FS Host") {
                return &r;
            }
        }
        return nullptr;
    };
    for (int i = 0; i < 100 && !(host() && !host()->pendingMenu.empty()); ++i) {
        station->Player_Timer_Timer();
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_NE(host(), nullptr);
    EXPECT_EQ(host()->present, kTrue);
    EXPECT_TRUE(fsim.WaitForLine("BOEING FLD_Controller says: FS Host. Welcome to Corvane v1.1 "
                                 "(by Quorvel). Want to use our ATC services at KBFI?: 1-Use "
                                 "ATC services",
                                 3s)
                    .has_value());

    // Closing the station leaves the session and ends the program.
    Click(station, "Command3");
    EXPECT_TRUE(App().Ended());
    EXPECT_EQ(App().Context().airport.AirportIdent, "");
    EXPECT_TRUE(fsim.WaitForLine("left: BOEING FLD_Controller", 3s).has_value());
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));
    fsim.CloseInput();
    EXPECT_EQ(fsim.Wait(5s), 0);
}

}  // namespace
}  // namespace corvane::testing
