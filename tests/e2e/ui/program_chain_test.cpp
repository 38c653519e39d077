// The whole chain of the program, window by window, against corvane-fsim on 127.0.0.1: splash,
// settings, connection, station, monitoring, and the host's answer to the station's roll call.
// Every wait is bounded.
#include "e2e/ui/WindowChain.h"
#include "scenery/AirportDatabase.h"
#include "shared/Bytes.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;

class ProgramChain : public WindowChain {
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
};

TEST_F(ProgramChain, FromTheSplashToARollCallAnsweredByTheHost) {
    WriteWorld();
    StartFsim({"--name", "E2E Session", "--interval", "0.5"});

    // Splash, then the settings window: the list, "Next" on KBFI, the mountains.
    auto* splash = ShowSplash();
    ASSERT_NE(splash, nullptr);
    EndSplash(splash);
    auto* settings = ChooseAirport("KBFI (BOEING FLD)");
    ASSERT_NE(settings, nullptr);
    LeaveSettings(settings);

    // The connection window: TCP/IP, search, the session, join, and the host's admission.
    auto* connection = SearchForSessions();
    ASSERT_NE(connection, nullptr);
    auto* sessions = Control<QListWidget>(connection, "List2");
    ASSERT_EQ(sessions->count(), 1);
    EXPECT_EQ(sessions->item(0)->text(), "E2E Session (1/16)");
    auto* station = Join(connection);
    ASSERT_NE(station, nullptr);
    EXPECT_TRUE(fsim->WaitForLine("admitted: BOEING FLD_Controller", 3s).has_value());

    // Monitoring: the first tick's roll call is answered by the host, who gets a record and the
    // welcome.
    Click(station, "Command2");
    EXPECT_EQ(Control<QLabel>(station, "Label1")->text(), "MONITORING TRAFFIC");
    const auto host = [&] { return Traffic("FS Host"); };
    for (int i = 0; i < 100 && !(host() && !host()->pendingMenu.empty()); ++i) {
        station->Player_Timer_Timer();
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_NE(host(), nullptr);
    EXPECT_EQ(host()->present, kTrue);
    EXPECT_TRUE(fsim->WaitForLine("BOEING FLD_Controller says: FS Host. Welcome to Corvane v1.1 "
                                  "(by Quorvel). Want to use our ATC services at KBFI?: 1-Use "
                                  "ATC services",
                                  3s)
                    .has_value());

    // Closing the station leaves the session and ends the program.
    Click(station, "Command3");
    EXPECT_TRUE(App().Ended());
    EXPECT_EQ(App().Context().airport.AirportIdent, "");
    EXPECT_TRUE(fsim->WaitForLine("left: BOEING FLD_Controller", 3s).has_value());
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));
    fsim->CloseInput();
    EXPECT_EQ(fsim->Wait(5s), 0);
}

}  // namespace
}  // namespace corvane::testing
