// The station window over an in-process session with a host and one pilot.
#include "WindowTest.h"
#include "session/FsMessages.h"
#include "session/LoopbackSession.h"
#include "station/Form4.h"
#include "support/LoopbackHost.h"
#include "ui/Lamp.h"

namespace corvane::testing {
namespace {

using namespace session;
using station::Form4;

// Notes whether the station's timer was running whenever a box is shown.
class TimerWatchingBoxes final : public MessageBoxes {
  public:
    void Show(BoxIcon icon, const std::string& text) override {
        shown.push_back({icon, text});
        timerRunning.push_back(timer && timer->isActive());
    }
    QTimer* timer = nullptr;
    std::vector<ShownBox> shown;
    std::vector<bool> timerRunning;
};

class StationWindow : public ::testing::Test {
  protected:
    StationWindow() {
        airport.AirportIdent = "KBFI";
        airport.AirportName = "BOEING FLD";
        airport.GroundFreq = "121.9";
        airport.TowerFreq = "120.6";
        airport.RunwayName = "13R";
        airport.RunwayHeading = 130;
        objects.DirectPlayObject = net.NewSession();
        EXPECT_TRUE(objects.DirectPlayObject->Open(net.HostedSessions()[0], OpenMode::Join));
        objects.LocalPlayerId =
            objects.DirectPlayObject->CreatePlayer("BOEING FLD_Controller", "Player").value_or(0);
        pilot = net.NewSession();
        EXPECT_TRUE(pilot->Open(net.HostedSessions()[0], OpenMode::Join));
        pilotId = pilot->CreatePlayer("N1", "Player").value_or(0);
        host.SystemMessages();
    }
    ~StationWindow() override {
        form.reset();
        objects = {};
    }

    Form4& Open() {
        form = std::make_unique<Form4>(context);
        boxes.timer = Timer();
        return *form;
    }
    template <typename T>
    T* Control(const char* name) {
        T* control = form ? form->findChild<T*>(name) : nullptr;
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const char* name) { Control<QAbstractButton>(name)->click(); }
    bool Enabled(const char* name) { return Control<QAbstractButton>(name)->isEnabled(); }
    bool Lit(const char* name) { return Control<ui::Lamp>(name)->isLit(); }
    QString Label1() { return Control<QLabel>("Label1")->text(); }
    QColor Label1Colour() {
        return Control<QLabel>("Label1")->palette().color(QPalette::WindowText);
    }
    QTimer* Timer() { return Control<QTimer>("Player_Timer"); }
    void PilotSays(const Message& m) { ASSERT_TRUE(pilot->Send(pilotId, 2, m)); }

    TempDir dir;
    Config config;
    ChosenAirport airport;
    Terrain terrain;
    StationTables station;
    LoopbackNetwork net;
    LoopbackHost host{net};
    session::SessionObjects objects;
    std::unique_ptr<LoopbackSession> pilot;
    int32_t pilotId = 0;
    TimerWatchingBoxes boxes;
    ManualClock clock;
    RecordingChain chain;
    ui::AppContext context{dir.Path(), config, airport, terrain, station,
                           objects,    boxes,  clock,   chain};
    std::unique_ptr<Form4> form;
};

TEST_F(StationWindow, StartHoldsARollCallOnTheFirstTickAndStopAndStartKeepTheTable) {
    Open();
    EXPECT_EQ(form->windowTitle(), "ATC Station Window");
    EXPECT_EQ(Control<QPushButton>("Command2")->text(), "Start Monitoring Traffic");
    EXPECT_EQ(Control<QPushButton>("Command1")->text(), "Stop Monitoring Traffic");
    EXPECT_EQ(Control<QPushButton>("Command3")->text(), "Close the ATC Station");
    EXPECT_EQ(Label1(), "NOT MONITORING TRAFFIC");
    EXPECT_EQ(Timer()->interval(), 1000);
    EXPECT_FALSE(Timer()->isActive());
    EXPECT_FALSE(Enabled("Command1"));
    EXPECT_TRUE(Enabled("Command2"));
    EXPECT_TRUE(Enabled("Command3"));

    Click("Command2");
    EXPECT_EQ(Label1(), "MONITORING TRAFFIC");
    EXPECT_EQ(Label1Colour(), QColor(128, 0, 0));
    EXPECT_TRUE(Lit("Shape2"));
    EXPECT_FALSE(Lit("Shape3"));
    EXPECT_TRUE(Timer()->isActive());
    EXPECT_FALSE(Enabled("Command2"));
    EXPECT_TRUE(Enabled("Command1"));

    PilotSays(EncodePresent(pilotId));
    form->Player_Timer_Timer();
    EXPECT_EQ(host.ReceivedTypes(),
              (std::vector<int32_t>{kRollCall, kInformationRequest, kChatText}));
    EXPECT_TRUE(Timer()->isActive());  // running again after the tick
    ASSERT_EQ(station.Traffic.size(), 1u);
    EXPECT_EQ(station.Traffic[0].callsign, "N1");

    Click("Command1");
    EXPECT_EQ(Label1(), "NOT MONITORING TRAFFIC");
    EXPECT_EQ(Label1Colour(), QColor(0, 128, 0));
    EXPECT_FALSE(Lit("Shape2"));
    EXPECT_TRUE(Lit("Shape3"));
    EXPECT_FALSE(Timer()->isActive());
    Click("Command2");
    EXPECT_EQ(station.Traffic.size(), 1u);
    form->Player_Timer_Timer();  // Start makes the next tick a roll call again
    EXPECT_EQ(host.ReceivedTypes(),
              (std::vector<int32_t>{kRollCall, kInformationRequest, kChatText}));
    EXPECT_EQ(station.Traffic.size(), 1u);
    EXPECT_TRUE(chain.calls.empty());
}

TEST_F(StationWindow, TheCloseButtonEndsTheSessionClearsTheAirportAndEndsTheProgram) {
    Open();
    Click("Command2");
    PilotSays(EncodePresent(pilotId));
    form->Player_Timer_Timer();
    Click("Command3");
    EXPECT_EQ(Label1(), "PLEASE WAIT...");
    EXPECT_FALSE(Timer()->isActive());
    EXPECT_EQ(chain.calls, std::vector<std::string>{"end"});
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{kSystemDestroyPlayer, 2}}));
    EXPECT_EQ(airport.AirportIdent, "");
    EXPECT_EQ(airport.AirportName, "");
    EXPECT_EQ(airport.TowerFreq, "");
    EXPECT_EQ(airport.RunwayHeading, 0);
    EXPECT_TRUE(station.Traffic.empty());
    form->close();  // the close box after the button closes nothing twice
    EXPECT_EQ(chain.calls, std::vector<std::string>{"end"});
}

TEST_F(StationWindow, TheCloseBoxClosesTheStationToo) {
    Open();
    Click("Command2");
    form->close();
    EXPECT_EQ(chain.calls, std::vector<std::string>{"end"});
    EXPECT_FALSE(Timer()->isActive());
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    EXPECT_EQ(airport.AirportIdent, "");
}

TEST_F(StationWindow, RemovalShowsItsBoxWithTheTimerStoppedAndEndsTheProgram) {
    Open();
    Click("Command2");
    ASSERT_TRUE(host.SendTo(2, EncodeRemovedByHost()));
    form->Player_Timer_Timer();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "The host had removed you from the multiplayer session, Corvane closes multiplayer "
              "session.");
    EXPECT_EQ(boxes.timerRunning, std::vector<bool>{false});
    EXPECT_FALSE(Timer()->isActive());
    EXPECT_EQ(chain.calls, std::vector<std::string>{"end"});
    EXPECT_EQ(airport.AirportIdent, "");
}

}  // namespace
}  // namespace corvane::testing
