#pragma once
// What the headless station prints: one line per chat line the station sends or receives and one
// per event (a status text, a box the windows would show, a player joining or leaving), each with
// the local time:
//
//   14:03:07 > N123AB: N123AB. What type of flight you want to fly?: 1-VFR 2-IFR ...
//   14:03:09 < N123AB: BOEING FLD,1
//   14:03:09 * N456CD joined the session
//
// ">" lines go from the station to the pilots named (all pilots on one frequency hear the same
// line: it is printed once, with every recipient), "<" lines come from the pilot named.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "session/DirectPlay.h"
#include "shared/MessageBoxes.h"

namespace corvane::tool {

class Transcript {
  public:
    explicit Transcript(std::ostream& out) : out_(out) {}

    void Event(const std::string& text);
    // A chat line from the station; the same text sent on at once to more pilots joins the line.
    void Sent(const std::string& text, const std::string& recipient);
    void Received(const std::string& sender, const std::string& text);
    // Prints the chat line still being gathered.
    void Flush();

  private:
    void Line(char mark, const std::string& text);

    std::ostream& out_;
    std::string pendingText_;
    std::vector<std::string> pendingRecipients_;
};

// Boxes become events of the transcript.
class TranscriptBoxes final : public MessageBoxes {
  public:
    explicit TranscriptBoxes(Transcript& transcript) : transcript_(transcript) {}
    void Show(BoxIcon icon, const std::string& text) override;

  private:
    Transcript& transcript_;
};

// A session link that tells the transcript about every chat line it carries for the station, and
// about players joining and leaving. Everything else passes through untouched.
class TranscriptLink final : public session::DirectPlay {
  public:
    // `waitForTraffic` services the inner link for at most the time given (the network goes on
    // between the station's ticks); empty for links that need no servicing.
    using Service = std::function<void(session::DirectPlay&, std::chrono::milliseconds)>;
    TranscriptLink(std::unique_ptr<session::DirectPlay> inner, Transcript& transcript,
                   Service waitForTraffic = {});

    std::optional<std::vector<session::Connection>> EnumerateConnections() override;
    bool InitializeConnection(const session::Connection& connection) override;
    std::optional<std::vector<session::SessionDescription>> EnumerateSessions() override;
    bool Open(const session::SessionDescription& session, session::OpenMode mode) override;
    std::optional<int32_t> CreatePlayer(std::string_view shortName,
                                        std::string_view longName) override;
    bool DestroyPlayer(int32_t playerId) override;
    bool Send(int32_t from, int32_t to, const session::Message& message) override;
    std::optional<int32_t> GetMessageCount(int32_t playerId) override;
    std::optional<session::ReceivedMessage> Receive() override;
    std::optional<std::string> PlayerName(int32_t playerId) override;
    bool Close() override;

    // Lets the network work for up to `timeout` (or sleeps that long when it needs no servicing).
    void WaitForTraffic(std::chrono::milliseconds timeout);

  private:
    std::string NameOf(int32_t playerId);
    void Notice(const session::ReceivedMessage& received);

    std::unique_ptr<session::DirectPlay> inner_;
    Transcript& transcript_;
    Service service_;
    std::map<int32_t, std::string> names_;  // learnt as players join, kept for when they leave
};

}  // namespace corvane::tool
