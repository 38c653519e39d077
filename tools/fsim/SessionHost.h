#pragma once
// The simulator's session host, as corvane-fsim plays it: hosts a named session, answers join
// requests with the simulator's handshake, sends host-alive notices and roll calls at an
// interval, answers roll calls, and removes a player on request. It works over any DirectPlay
// object, so tests run it in-process over a LoopbackSession and the tool over an EnetSession.

#include <chrono>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "session/DirectPlay.h"
#include "shared/Clock.h"

namespace corvane::fsim {

// How the host answers a join request (0x1001).
enum class JoinAnswer {
    Admit,   // 0x1003 to all, carrying the new player's id
    Refuse,  // 0x1005 to the player
    Silent,  // nothing
};

struct HostOptions {
    std::string sessionName = "FS2002 Multiplayer";
    std::string hostName = "FS Host";  // the host's own player
    int32_t maxPlayers = 16;
    std::string address = "127.0.0.1:47624";  // where to host ("host:port"; port 0: any free one)
    JoinAnswer joinAnswer = JoinAnswer::Admit;
    std::chrono::milliseconds interval{10000};  // between host-alive notices and roll calls
};

enum class CommandResult { Done, Unknown, Quit };

class SessionHost {
  public:
    // `log` gets one line per event (joins, answers, removals).
    SessionHost(session::DirectPlay& link, const Clock& clock, HostOptions options,
                std::ostream& log);

    // Hosts the session and creates the host's player; false (and a log line) on failure.
    bool Start();
    // Sends the periodic notices when due, then reads and answers every waiting message.
    void Step();
    // One line typed at the terminal: "remove NAME", "players", "quit".
    CommandResult Command(std::string_view line);
    // Sends 0x1016 to the player of that name; false when nobody has it.
    bool RemovePlayer(std::string_view name);
    // Ends the session.
    void Stop();

    int32_t HostPlayerId() const { return self_; }
    // The other players, by id.
    const std::map<int32_t, std::string>& Players() const { return players_; }

  private:
    void HandleSystem(session::Message& message);
    void HandleJoinRequest(int32_t from);
    std::string NameOf(int32_t id) const;

    session::DirectPlay& link_;
    const Clock& clock_;
    HostOptions options_;
    std::ostream& log_;
    int32_t self_ = 0;
    std::chrono::milliseconds nextNotice_{0};
    std::map<int32_t, std::string> players_;
};

}  // namespace corvane::fsim
