#pragma once
// What the connection window does, without the window: the connection types, the search, the
// join and the simulator host's admission handshake. The window copies the user's selections and
// callsign into State() before each call and shows State() afterwards; status texts are also
// passed to the status observer as they change, so a long search can show "Searching ..." while
// it runs.
//
// A successful join passes through "Disconnected", "Searching for FS Multiplayer Sessions",
// "Done", "Creating Player", "Player created", "First Request Sent", then a "Resending Request" /
// "Request Resent" pair every 30 seconds (a 0x1008 notice before every repeated 0x1001), and ends
// at "Connected to Session" when the host answers with a 0x1003 that carries our player id.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/SessionObjects.h"
#include "shared/Clock.h"
#include "shared/MessageBoxes.h"
#include "shared/State.h"

namespace corvane::session {

inline constexpr const char* kStatusDisconnected = "Disconnected";
inline constexpr const char* kStatusSearching = "Searching for FS Multiplayer Sessions";
inline constexpr const char* kStatusDone = "Done";
inline constexpr const char* kStatusCreatingPlayer = "Creating Player";
inline constexpr const char* kStatusPlayerCreated = "Player created";
inline constexpr const char* kStatusFirstRequestSent = "First Request Sent";
inline constexpr const char* kStatusResendingRequest = "Resending Request";
inline constexpr const char* kStatusRequestResent = "Request Resent";
inline constexpr const char* kStatusConnected = "Connected to Session";
inline constexpr const char* kStatusFailedConnection = "Failed Connection";

inline constexpr const char* kSelectConnectionText = "Please Select one Type of Connection";
inline constexpr const char* kUserCanceledText = "User Canceled Connection.";
inline constexpr const char* kSelectSessionText = "Please select a FS Multiplayer Session.";
inline constexpr const char* kWriteNicknameText = "Please write a nickname.";
inline constexpr const char* kFailedToJoinText = "Failed to Join Game.";
inline constexpr const char* kFailedToCreatePlayerText = "Failed to Create Player.";
inline constexpr const char* kConnectionRefusedText = "Connection Refused";
inline constexpr const char* kConnectedText = "Connected to FS Session!";
// Failures the window had no box for; each is reported, then the window is reset.
inline constexpr const char* kOpenDirectPlayFailedText = "Failed to Open DirectPlay.";
inline constexpr const char* kInitializeFailedText = "Failed to Initialize Connection.";
inline constexpr const char* kSendRequestFailedText = "Failed to Send Join Request.";

inline constexpr std::chrono::seconds kRequestRepeat{30};

// The window's controls as the logic sees them.
struct ConnectionWindowState {
    std::vector<std::string> List1;  // connection types: row r is connection r + 2
    int List1Index = -1;             // selected row, -1 when none
    std::vector<std::string> List2;  // sessions found: row r is session r + 1
    int List2Index = -1;
    std::string Text2;  // the callsign
    std::string Label6 = kStatusDisconnected;
    bool Timer1Enabled = false;
    int16_t RequestCountdown = 0;  // whole seconds until the join request is repeated
};

// Where the window goes after a call.
enum class ConnectionNext { Stay, StationWindow, EndProgram };

class ConnectionWindowLogic {
  public:
    // `clock` times the repeats of the join request.
    ConnectionWindowLogic(SessionObjects& objects, const ChosenAirport& airport,
                          MessageBoxes& boxes, const Clock& clock);

    // The default callsign, then the connection types (all but the first).
    void Load();
    // A click in List1: the window is reset, the selection kept.
    void SelectConnection(int row);
    void Search();
    void Join();
    // One tick of Timer1 (1000 ms): repeats the join request when 30 seconds have passed since
    // the last one, then reads every waiting message.
    ConnectionNext Tick();
    // Command3: releases the player, the session and DirectPlay; the program ends.
    ConnectionNext CloseButton();
    // The close box: the same release unless the host has accepted the station (the session then
    // belongs to the station window).
    void CloseBox();

    ConnectionWindowState& State() { return state_; }
    const ConnectionWindowState& State() const { return state_; }
    // The status texts in the order they were shown (the last 64).
    const std::vector<std::string>& StatusTrail() const { return trail_; }
    void SetStatusObserver(std::function<void(const std::string&)> observer) {
        observer_ = std::move(observer);
    }

  private:
    void Reset();
    void SetStatus(const std::string& text);
    void FailAndReset(BoxIcon icon, const char* text);
    void ReleaseSession();

    SessionObjects& objects_;
    const ChosenAirport& airport_;
    MessageBoxes& boxes_;
    const Clock& clock_;
    ConnectionWindowState state_;
    std::chrono::milliseconds lastRequestAt_{0};
    std::vector<std::string> trail_;
    std::function<void(const std::string&)> observer_;
};

}  // namespace corvane::session
