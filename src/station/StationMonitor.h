#pragma once
// The station window's work without the window: its load, the Start, Stop and Close buttons, the
// close box, and the one-second monitoring tick that watches the link, holds the roll call, drains
// the session's messages into the traffic table and runs the pilot dialogue. The window (Form4)
// only shows State() and calls these; corvane-tool replay drives the same calls.
//
// One tick, in this order:
//   1. link watchdog: 60 ticks without a 0x1003 or 0x1004 from anyone and the link is lost;
//   2. roll call every 30 ticks: purge the pilots who did not answer the last one, 0x1007 and
//      0x100F to all, everybody marked absent until he answers;
//   3. the empty chat to all;
//   4. every waiting message, handled by type (presence, host alive, roll call, aircraft
//      information, removal, positions, chat answers);
//   5. the dialogue dispatcher, when the table holds anybody.
// A failed send in steps 2 and 3, or a failed call or unreadable message in step 4, ends the
// tick's session work; the dispatcher still runs with what was stored.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "session/SessionObjects.h"
#include "shared/MessageBoxes.h"
#include "shared/State.h"
#include "station/Dialogue.h"

namespace corvane::station {

inline constexpr const char* kMonitoringText = "MONITORING TRAFFIC";
inline constexpr const char* kNotMonitoringText = "NOT MONITORING TRAFFIC";
inline constexpr const char* kPleaseWaitText = "PLEASE WAIT...";
inline constexpr const char* kLinkLostText =
    "The multiplayer connection is lost, Corvane closes multiplayer session.";
inline constexpr const char* kRemovedByHostText =
    "The host had removed you from the multiplayer session, Corvane closes multiplayer session.";

// Label colours as 0x00BBGGRR values.
inline constexpr int32_t kDarkRed = 128;
inline constexpr int32_t kGreen = 32768;
inline constexpr int32_t kGrey = 8421504;

inline constexpr int16_t kLinkWatchdogTicks = 60;
inline constexpr int16_t kRollCallTicks = 30;

// How an indicator lamp is filled: solid when lit, a diagonal cross when dark.
enum class LampFill { Solid, DiagonalCross };

// What the station window shows.
struct StationWindowState {
    std::string Label1 = kNotMonitoringText;
    int32_t Label1Colour = kGreen;
    LampFill Shape1 = LampFill::Solid;          // the station is open
    LampFill Shape2 = LampFill::DiagonalCross;  // monitoring
    LampFill Shape3 = LampFill::Solid;          // not monitoring
    bool Command1Enabled = false;               // "Stop Monitoring Traffic"
    bool Command2Enabled = true;                // "Start Monitoring Traffic"
    bool Command3Enabled = true;                // "Close the ATC Station"
    bool PlayerTimerEnabled = false;

    bool operator==(const StationWindowState&) const = default;
};

// Where the window goes after a call.
enum class StationNext { Stay, EndProgram };

class StationMonitor {
  public:
    StationMonitor(ChosenAirport& airport, Terrain& terrain, StationTables& tables,
                   session::SessionObjects& session, MessageBoxes& boxes);

    // The window has loaded: watchdog armed, compass sectors set around the runway heading, the
    // mountains indexed for the terrain searches, the traffic table, queues and taxi reservations
    // empty.
    void Load();
    // Command2: monitoring starts and the first tick holds a roll call. The table is kept.
    void Start();
    // Command1: monitoring stops; the table is kept.
    void Stop();
    // Player_Timer, every 1000 ms while monitoring. The caller stops its timer before the call
    // and restarts it afterwards if State() still asks for it, so no tick runs underneath a box.
    StationNext Tick();
    // Command3: the session is left, the chosen airport and the station's tables cleared, and the
    // program ends.
    StationNext CloseButton();
    // The close box: the same close, and the window goes without being unloaded again.
    void CloseBox();

    const StationWindowState& State() const { return state_; }
    bool Closed() const { return closed_; }
    int16_t LinkWatchdog() const { return linkWatchdog_; }
    int16_t RollCallCountdown() const { return rollCallCountdown_; }

    // Called whenever State() changes in the middle of a call (the label turns to "PLEASE
    // WAIT..." before the session is left, the timer stops before a box), so the window can show
    // it at once.
    void SetStateObserver(std::function<void()> observer) { observer_ = std::move(observer); }

  private:
    enum class Drained { AllRead, Stopped, Removed };

    // The records by callsign, so that attributing a message does not compare the sender's name
    // with every record. Built when the draining starts (records are only added while it runs);
    // when two records share a callsign the table is scanned in order instead.
    class CallsignIndex {
      public:
        void Build(const std::vector<TrafficRecord>& traffic);
        void Added(const TrafficRecord& record, size_t index);
        // Calls `visit` with each record whose callsign is `name`, in table order, until it
        // returns false; false when a visit did.
        template <typename Visit>
        bool ForEach(std::vector<TrafficRecord>& traffic, const std::string& name,
                     Visit visit) const {
            if (unique_) {
                const auto it = first_.find(name);
                return it == first_.end() || visit(traffic[it->second]);
            }
            for (TrafficRecord& r : traffic) {
                if (r.callsign == name && !visit(r)) {
                    return false;
                }
            }
            return true;
        }

      private:
        std::unordered_map<std::string, size_t> first_;
        bool unique_ = true;
    };

    Drained DrainMessages(session::DirectPlay& link, int32_t self);
    Drained HandleMessage(session::DirectPlay& link, int32_t self,
                          session::ReceivedMessage& received);
    void ShowBoxFromTick(BoxIcon icon, const char* text);
    void CloseStation();
    void Changed();

    ChosenAirport& airport_;
    Terrain& terrain_;
    StationTables& tables_;
    session::SessionObjects& session_;
    MessageBoxes& boxes_;
    StationContext context_;
    StationWindowState state_;
    int16_t linkWatchdog_ = 0;
    int16_t rollCallCountdown_ = 0;
    bool closed_ = false;
    bool inTick_ = false;
    CallsignIndex byCallsign_;
    std::function<void()> observer_;
};

// The chosen airport as the station leaves it when it closes: identity, frequencies and runway
// blank, one blank taxi point, taxi path and parking place, no mountains. The airport position,
// the runway width and the safe altitude keep their values.
void ClearChosenAirport(ChosenAirport& airport, Terrain& terrain);

// The station's tables emptied: traffic, queues, taxi reservations and the vectoring points.
void ClearStationTables(StationTables& tables);

// Sends the dispatcher's chat lines through the session, from the station's player. A recipient
// the session refuses (a pilot who has left but is not purged yet) does not keep the line from
// the others.
class SessionChat final : public ChatSender {
  public:
    SessionChat(session::DirectPlay& link, int32_t self) : link_(link), self_(self) {}
    void SendChatLine(const std::string& text, const std::vector<int32_t>& recipients) override;

  private:
    session::DirectPlay& link_;
    int32_t self_;
};

}  // namespace corvane::station
