#pragma once
// Runs a replay script against the real station, in-process over a LoopbackSession: the station
// and every scripted player are players of one session, and everything the station sends, every
// box it shows and its closing are printed, one line per event:
//
//   T<n> CHAT <recipient> <text>          a chat line, once per recipient, in send order
//   T<n> SEND <ALL|recipient> <what>      ROLLCALL, INFOREQ, PRESENT, JOIN, REPEAT (and EMPTYCHAT
//                                         with `verbose`; other types as 0x....)
//   T<n> MSGBOX <information|exclamation> <text>
//   T<n> RECORD <callsign> field=value ...        (dump CALLSIGN; "absent" when there is none)
//   T<n> TAKEOFF ... / LANDING ... / TAXI ...     (dump station)
//   T<n> CLOSED
//
// n is the monitoring tick the event happened in, or the number of ticks run so far for events
// outside ticks (buttons, dump). A tick while the station is not monitoring runs nothing and is
// not counted.

#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "replay/ReplayScript.h"
#include "session/LoopbackSession.h"
#include "session/SessionObjects.h"
#include "shared/MessageBoxes.h"
#include "shared/State.h"
#include "station/StationMonitor.h"

namespace corvane::replay {

// Loads the airport with this ident into the chosen airport and terrain as "Next" and the
// mountain tick do; returns why it could not (empty on success). Boxes it shows are printed.
using AirportLoader = std::function<std::string(const std::string& ident, ChosenAirport& airport,
                                                Terrain& terrain, MessageBoxes& boxes)>;

struct ReplayOptions {
    bool verbose = false;  // print the empty chat of every tick too
};

struct ScriptError {
    int line = 0;
    std::string reason;
};

class ReplayRunner {
  public:
    ReplayRunner(std::ostream& out, AirportLoader loader, ReplayOptions options = {});
    ~ReplayRunner();
    ReplayRunner(const ReplayRunner&) = delete;
    ReplayRunner& operator=(const ReplayRunner&) = delete;

    // Runs the script to its end, or up to its first malformed line.
    std::optional<ScriptError> RunScript(std::istream& script);
    // One line of a script; returns why it cannot run (empty when it ran).
    std::string RunLine(std::string_view text);
    std::string Run(const ReplayLine& line);

    int TicksRun() const { return ticks_; }
    const StationTables& Tables() const { return tables_; }
    const ChosenAirport& Airport() const { return airport_; }

    // Called by the station's session link and boxes.
    void Event(const std::string& text);
    std::string NameOf(int32_t playerId) const;
    bool Verbose() const { return options_.verbose; }

  private:
    struct Player {
        std::string callsign;
        int32_t id = 0;
        std::unique_ptr<session::LoopbackSession> link;
        bool rollCallPending = false;
    };
    class PrintedBoxes final : public MessageBoxes {
      public:
        explicit PrintedBoxes(ReplayRunner& runner) : runner_(runner) {}
        void Show(BoxIcon icon, const std::string& text) override;

      private:
        ReplayRunner& runner_;
    };

    std::string JoinStation(int32_t id);
    std::string JoinPlayer(const std::string& callsign, int32_t id);
    std::string SendFrom(const ReplayLine& line);
    void Ticks(int32_t count);
    void ReadPlayersMail();
    void DumpRecord(const std::string& callsign);
    void DumpStation();
    Player* FindPlayer(const std::string& callsign);

    std::ostream& out_;
    AirportLoader loader_;
    ReplayOptions options_;
    PrintedBoxes boxes_{*this};

    session::LoopbackNetwork network_;
    std::unique_ptr<session::LoopbackSession> host_;  // holds the session; has no player
    ChosenAirport airport_;
    Terrain terrain_;
    StationTables tables_;
    session::SessionObjects session_;
    std::unique_ptr<station::StationMonitor> monitor_;
    int32_t stationId_ = 0;
    std::vector<Player> players_;           // in the order they were declared
    std::map<int32_t, std::string> names_;  // everybody who ever joined, by id
    bool auto_ = false;
    int ticks_ = 0;
};

}  // namespace corvane::replay
