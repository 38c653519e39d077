// The connection window over an in-process session, with a clock the test moves by hand.
#include <QAction>
#include <QListWidget>

#include "WindowTest.h"
#include "session/Form3.h"
#include "session/LoopbackSession.h"
#include "support/LoopbackHost.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
using session::ConnectionWindowLogic;
using session::Form3;

class Prompt final : public session::AddressPrompt {
  public:
    std::optional<std::string> AskHostAddress() override { return answer; }
    std::optional<std::string> answer = "127.0.0.1";
};

class ConnectionWindow : public ::testing::Test {
  protected:
    ConnectionWindow() {
        airport.AirportName = "BOEING FLD";
        objects.DirectX = [this] { return net->NewSession(&prompt); };
    }
    ~ConnectionWindow() override {
        form.reset();
        objects = {};
    }

    Form3& Open() {
        form = std::make_unique<Form3>(context);
        return *form;
    }
    template <typename T>
    T* Control(const char* name) {
        T* control = form ? form->findChild<T*>(name) : nullptr;
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const char* name) { Control<QAbstractButton>(name)->click(); }
    void SelectRow(const char* list, int row) { Control<QListWidget>(list)->setCurrentRow(row); }
    QString Status() { return Control<QLabel>("Label6")->text(); }
    QTimer* Timer1() { return Control<QTimer>("Timer1"); }
    std::vector<std::string> Trail() { return form->Logic().StatusTrail(); }

    // Open the window, pick "This computer", search, pick the first session and join.
    void JoinFirstSession() {
        Open();
        SelectRow("List1", 1);
        Click("Command1");
        SelectRow("List2", 0);
        Click("Command2");
    }
    int32_t Self() const { return objects.LocalPlayerId; }

    TempDir dir;
    Config config;
    ChosenAirport airport;
    Terrain terrain;
    StationTables station;
    std::unique_ptr<session::LoopbackNetwork> net = std::make_unique<session::LoopbackNetwork>();
    Prompt prompt;
    session::SessionObjects objects;
    RecordedMessageBoxes boxes;
    ManualClock clock;
    RecordingChain chain;
    ui::AppContext context{dir.Path(), config, airport, terrain, station,
                           objects,    boxes,  clock,   chain};
    std::unique_ptr<Form3> form;
};

TEST_F(ConnectionWindow, LoadShowsTheConnectionTypesButTheFirstAndTheDefaultCallsign) {
    Open();
    EXPECT_EQ(form->windowTitle(), "Connecting to FS Multiplayer Session");
    auto* list1 = Control<QListWidget>("List1");
    ASSERT_EQ(list1->count(), 2);
    EXPECT_EQ(list1->item(0)->text(), "Internet TCP/IP Connection");
    EXPECT_EQ(list1->item(1)->text(), "This computer");
    EXPECT_EQ(Control<QLineEdit>("Text2")->text(), "BOEING FLD_Controller");
    EXPECT_EQ(Control<QListWidget>("List2")->count(), 0);
    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_EQ(Timer1()->interval(), 1000);
    EXPECT_FALSE(Timer1()->isActive());
    EXPECT_EQ(Control<QPushButton>("Command1")->text(), "Search for FS Multiplayer Sessions");
    EXPECT_EQ(Control<QPushButton>("Command2")->text(), "Join Session");
    EXPECT_EQ(Control<QPushButton>("Command3")->text(), "Close");
    Control<QAction>("abot1")->trigger();
    EXPECT_EQ(chain.calls, std::vector<std::string>{"Form5"});
}

TEST_F(ConnectionWindow, WithOneConnectionTypeTheListIsEmptyAndEverySearchAsksForOne) {
    net = std::make_unique<session::LoopbackNetwork>(
        std::vector<session::Connection>{{"This computer", "127.0.0.1"}});
    LoopbackHost host(*net);
    Open();
    EXPECT_EQ(Control<QListWidget>("List1")->count(), 0);
    Click("Command1");
    Click("Command1");
    EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{
                               {BoxIcon::Information, "Please Select one Type of Connection"},
                               {BoxIcon::Information, "Please Select one Type of Connection"}}));
    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_EQ(Control<QListWidget>("List2")->count(), 0);
}

TEST_F(ConnectionWindow, ASearchThatFindsNothingLeavesTheListEmptyAndDisconnected) {
    Open();
    SelectRow("List1", 1);
    Click("Command1");
    EXPECT_EQ(Control<QListWidget>("List2")->count(), 0);
    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Trail(),
              (std::vector<std::string>{"Disconnected", "Disconnected",
                                        "Searching for FS Multiplayer Sessions", "Disconnected"}));
}

TEST_F(ConnectionWindow, ASearchListsEachSessionWithItsPlayerCounts) {
    LoopbackHost host(*net, "Seattle Fly-in", 16);
    Open();
    SelectRow("List1", 0);  // TCP/IP: the address comes from the prompt
    Click("Command1");
    auto* list2 = Control<QListWidget>("List2");
    ASSERT_EQ(list2->count(), 1);
    EXPECT_EQ(list2->item(0)->text(), "Seattle Fly-in (1/16)");
    EXPECT_EQ(Status(), "Done");
    // Picking another connection type resets the window but keeps the choice.
    SelectRow("List1", 1);
    EXPECT_EQ(list2->count(), 0);
    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_EQ(Control<QListWidget>("List1")->currentRow(), 1);
}

TEST_F(ConnectionWindow, JoinWithoutSessionOrCallsignShowsBothMessagesInOrder) {
    LoopbackHost host(*net);
    Open();
    SelectRow("List1", 1);
    Click("Command1");
    Control<QLineEdit>("Text2")->clear();
    Click("Command2");
    EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{
                               {BoxIcon::Exclamation, "Please select a FS Multiplayer Session."},
                               {BoxIcon::Exclamation, "Please write a nickname."}}));
    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_EQ(Control<QListWidget>("List2")->count(), 0);

    // Each precondition alone shows its own message only.
    boxes.shown.clear();
    Click("Command1");
    SelectRow("List2", 0);
    Click("Command2");
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Exclamation, "Please write a nickname."}}));
    boxes.shown.clear();
    Control<QLineEdit>("Text2")->setText("KBFI_Controller");
    Click("Command1");
    Click("Command2");
    EXPECT_EQ(
        boxes.shown,
        (std::vector<ShownBox>{{BoxIcon::Exclamation, "Please select a FS Multiplayer Session."}}));
    EXPECT_TRUE(host.ReceivedTypes().empty());
}

TEST_F(ConnectionWindow, JoiningSendsTheRequestAndStartsTheHandshakeTimer) {
    LoopbackHost host(*net);
    JoinFirstSession();
    EXPECT_EQ(Status(), "First Request Sent");
    EXPECT_TRUE(Timer1()->isActive());
    EXPECT_EQ(host.ReceivedTypes(), std::vector<int32_t>{session::kJoinRequest});
    EXPECT_EQ(host.Link().PlayerName(Self()), "BOEING FLD_Controller");
    EXPECT_EQ(Trail(), (std::vector<std::string>{
                           "Disconnected", "Disconnected", "Searching for FS Multiplayer Sessions",
                           "Done", "Creating Player", "Player created", "First Request Sent"}));
}

TEST_F(ConnectionWindow, TheHostsRefusalIsShownAndTheWindowReset) {
    LoopbackHost host(*net);
    JoinFirstSession();
    host.SystemMessages();
    host.SendTo(Self(), session::EncodeJoinRefused());
    form->Timer1_Timer();
    EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{{BoxIcon::Exclamation, "Connection Refused"}}));
    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_EQ(Trail()[Trail().size() - 2], "Failed Connection");
    EXPECT_FALSE(Timer1()->isActive());
    EXPECT_EQ(Control<QListWidget>("List2")->count(), 0);
    EXPECT_TRUE(chain.calls.empty());
    // The reset released the DirectPlay object, and the player with it.
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{session::kSystemDestroyPlayer, 2}}));
}

TEST_F(ConnectionWindow, AcceptanceInTheMiddleOfTheQueueOpensTheStationOnce) {
    LoopbackHost host(*net);
    JoinFirstSession();
    host.SendTo(Self(), session::EncodeHostAlive());
    host.SendTo(Self(), session::EncodePresent(7));       // another pilot
    host.SendTo(Self(), session::EncodePresent(Self()));  // us: accepted
    host.SendTo(Self(), session::EncodeJoinRefused());    // too late to matter
    host.SendTo(Self(), session::EncodePresent(Self()));  // no second acceptance
    form->Timer1_Timer();
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));
    EXPECT_EQ(Status(), "Connected to Session");
    EXPECT_FALSE(Timer1()->isActive());
    EXPECT_EQ(chain.calls, std::vector<std::string>{"Form4"});
    // The whole queue was read, and the session stays open for the station.
    ASSERT_NE(objects.DirectPlayObject, nullptr);
    EXPECT_EQ(objects.DirectPlayObject->GetMessageCount(Self()), 0);
    EXPECT_TRUE(session::SendRollCall(*objects.DirectPlayObject, Self()));
    EXPECT_EQ(host.ReceivedTypes(),
              (std::vector<int32_t>{session::kJoinRequest, session::kRollCall}));
    // Unloading the window now releases nothing.
    form->close();
    EXPECT_EQ(chain.calls, std::vector<std::string>{"Form4"});
    EXPECT_NE(objects.DirectPlayObject, nullptr);
}

TEST_F(ConnectionWindow, APresenceForAnotherPlayerDoesNotCompleteTheJoin) {
    LoopbackHost host(*net);
    JoinFirstSession();
    host.SendTo(Self(), session::EncodePresent(Self() + 1));
    form->Timer1_Timer();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(Status(), "First Request Sent");
    EXPECT_TRUE(Timer1()->isActive());
    EXPECT_TRUE(chain.calls.empty());
}

TEST_F(ConnectionWindow, TheRequestIsRepeatedEveryThirtySecondsWithTheNoticeFirst) {
    LoopbackHost host(*net);
    JoinFirstSession();
    host.ReceivedTypes();
    for (int round = 0; round < 3; ++round) {
        clock.Advance(29s);
        form->Timer1_Timer();
        EXPECT_TRUE(host.ReceivedTypes().empty()) << round;
        EXPECT_EQ(Status(), round == 0 ? "First Request Sent" : "Request Resent");
        clock.Advance(1s);
        form->Timer1_Timer();
        EXPECT_EQ(host.ReceivedTypes(),
                  (std::vector<int32_t>{session::kRequestRepeatNotice, session::kJoinRequest}))
            << round;
        EXPECT_EQ(Status(), "Request Resent");
        EXPECT_TRUE(Timer1()->isActive());
        const auto trail = Trail();
        EXPECT_EQ(trail[trail.size() - 2], "Resending Request");
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ConnectionWindow, CloseWhileWaitingReleasesThePlayerAndEndsTheProgram) {
    LoopbackHost host(*net);
    JoinFirstSession();
    host.SystemMessages();
    Click("Command3");
    EXPECT_EQ(chain.calls, std::vector<std::string>{"end"});
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{session::kSystemDestroyPlayer, 2}}));
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    EXPECT_EQ(Status(), "Disconnected");
    EXPECT_FALSE(Timer1()->isActive());
    EXPECT_EQ(Control<QListWidget>("List2")->count(), 0);
}

TEST_F(ConnectionWindow, TheCloseBoxWhileWaitingReleasesThePlayerToo) {
    LoopbackHost host(*net);
    JoinFirstSession();
    host.SystemMessages();
    form->close();
    EXPECT_EQ(chain.calls, std::vector<std::string>{"end"});
    EXPECT_EQ(host.SystemMessages(),
              (std::vector<std::pair<int32_t, int32_t>>{{session::kSystemDestroyPlayer, 2}}));
    EXPECT_EQ(objects.DirectPlayObject, nullptr);
    EXPECT_FALSE(Timer1()->isActive());
}

// Through the application's window chain: the station's placeholder follows the acceptance.
class ConnectionWindowInChain : public WindowTest {
  protected:
    // The application's session objects go before the network they were made on.
    ~ConnectionWindowInChain() override { App().Context().session = {}; }
    session::LoopbackNetwork net;
};

TEST_F(ConnectionWindowInChain, AcceptanceOpensTheStationWindow) {
    LoopbackHost host(net);
    App().Context().airport.AirportName = "BOEING FLD";
    App().Context().session.DirectX = [&] { return net.NewSession(); };
    App().ShowConnectionWindow();
    QWidget* form3 = Current();
    ASSERT_EQ(CurrentName(), "Form3");
    form3->findChild<QListWidget*>("List1")->setCurrentRow(1);
    Click(form3, "Command1");
    form3->findChild<QListWidget*>("List2")->setCurrentRow(0);
    Click(form3, "Command2");
    host.SendTo(App().Context().session.LocalPlayerId,
                session::EncodePresent(App().Context().session.LocalPlayerId));
    qobject_cast<Form3*>(form3)->Timer1_Timer();
    Settle();
    EXPECT_EQ(CurrentName(), "Form4");
    EXPECT_EQ(boxes.shown,
              (std::vector<ShownBox>{{BoxIcon::Information, "Connected to FS Session!"}}));
    EXPECT_NE(App().Context().session.DirectPlayObject, nullptr);
}

}  // namespace
}  // namespace corvane::testing
