#pragma once
// The program's windows driven as a user drives them, against a corvane-fsim process on
// 127.0.0.1: the splash, the airport chosen in "Settings", a TCP/IP search with the host's
// address typed, the join and the host's admission. Every wait is bounded.

#include <QComboBox>
#include <QListWidget>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/ChildProcess.h"
#include "scenery/Form2.h"
#include "session/EnetSession.h"
#include "session/Form3.h"
#include "shell/Form1.h"
#include "station/Form4.h"
#include "ui/WindowTest.h"

namespace corvane::testing {

// What the user types when the TCP/IP connection asks for the host's address.
class TypedAddress final : public session::AddressPrompt {
  public:
    std::optional<std::string> AskHostAddress() override { return address; }
    std::string address;
};

class WindowChain : public WindowTest {
  protected:
    template <typename Form>
    Form* Showing() {
        Settle();
        return qobject_cast<Form*>(Current());
    }

    // corvane-fsim on a free port of 127.0.0.1 with these options; the address it listens on is
    // what the user will type, and the program's sessions are ENet sessions.
    void StartFsim(std::vector<std::string> options) {
        options.insert(options.begin(), {"--port", "0"});
        fsim = std::make_unique<ChildProcess>(CORVANE_FSIM_PATH, options);
        ASSERT_TRUE(fsim->Started());
        const auto listening =
            fsim->WaitForLine("listening on 127.0.0.1:", std::chrono::seconds(10));
        ASSERT_TRUE(listening.has_value());
        prompt.address = listening->substr(listening->find("127.0.0.1:"));
        App().Context().session.DirectX = [this] {
            return std::make_unique<session::EnetSession>(&prompt);
        };
    }

    // The splash, shown and waited out.
    shell::Form1* ShowSplash() {
        App().Start();
        return Showing<shell::Form1>();
    }
    static void EndSplash(shell::Form1* splash) { splash->Timer1_Timer(); }

    // "Settings" with its airport list read, and the list's line `line` chosen.
    scenery::Form2* ChooseAirport(const QString& line) {
        auto* settings = Showing<scenery::Form2>();
        if (settings == nullptr) {
            ADD_FAILURE() << "no settings window";
            return nullptr;
        }
        settings->Read_World_Airports_Timer();
        auto* list = Control<QComboBox>(settings, "Combo1");
        const int index = list->findText(line);
        EXPECT_GE(index, 0) << line.toStdString();
        list->setCurrentIndex(index);
        return settings;
    }
    // "Next" on the chosen airport, and the mountains around it read.
    void LeaveSettings(scenery::Form2* settings) {
        Click(settings, "Command1");
        settings->Read_All_Mountains_Timer();
    }

    // The connection window after a TCP/IP search, with the first session found selected.
    session::Form3* SearchForSessions() {
        auto* connection = Showing<session::Form3>();
        if (connection == nullptr) {
            ADD_FAILURE() << "no connection window";
            return nullptr;
        }
        auto* types = Control<QListWidget>(connection, "List1");
        const auto tcp = types->findItems(session::kTcpIpConnectionName, Qt::MatchExactly);
        EXPECT_EQ(tcp.size(), 1);
        if (!tcp.empty()) {
            types->setCurrentItem(tcp.front());
        }
        Click(connection, "Command1");
        auto* sessions = Control<QListWidget>(connection, "List2");
        if (sessions->count() > 0) {
            sessions->setCurrentRow(0);
        }
        return connection;
    }
    // "Join Session", its timer ticked until the station window opens (at most four seconds).
    station::Form4* Join(session::Form3* connection) {
        Click(connection, "Command2");
        for (int i = 0; i < 200 && CurrentName() == "Form3"; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            connection->Timer1_Timer();
            Settle();
        }
        return Showing<station::Form4>();
    }

    // The station's record of `callsign`, or nullptr.
    const TrafficRecord* Traffic(const std::string& callsign) {
        for (const TrafficRecord& r : App().Context().station.Traffic) {
            if (r.callsign == callsign) {
                return &r;
            }
        }
        return nullptr;
    }

    TypedAddress prompt;
    std::unique_ptr<ChildProcess> fsim;
};

}  // namespace corvane::testing
