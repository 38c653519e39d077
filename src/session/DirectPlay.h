#pragma once
// The session link as the program uses it: exactly the operations of a DirectPlay session that the
// connection window and the station call, polled from their timer ticks (no callbacks, no threads).
// Every operation reports failure through its result; none throws.
//
// A session has one host. Players join it, get an id from it (never 0), learn every other
// player's name, and exchange application messages with one player or with all of them, reliably
// and in order. A DirectPlay object holds at most one player of its own.
//
// Besides the application messages, every player receives system messages from sender 0: a
// message whose first Long is one of the kSystem* codes below and whose second Long is the player
// concerned. The FS message readers drop them like any other type they do not know.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/Message.h"

namespace corvane::session {

// Addressee of a message to every other player of the session; also the sender of system messages.
inline constexpr int32_t kAllPlayers = 0;
inline constexpr int32_t kSystemSender = 0;

inline constexpr int32_t kSystemCreatePlayer = 0x0003;   // a player joined
inline constexpr int32_t kSystemDestroyPlayer = 0x0005;  // a player left
inline constexpr int32_t kSystemSessionLost = 0x0031;    // the link to the host is gone

// One connection type (service provider). `address` is where it reaches a host: "host" or
// "host:port". The TCP/IP connection has none: it asks the user at every search. Any other entry
// without an address (the reserved one) cannot be initialised.
struct Connection {
    std::string displayName;
    std::string address;

    bool operator==(const Connection&) const = default;
};

// A session as a search finds it. `address` is where its host answers.
struct SessionDescription {
    std::string name;
    int32_t currentPlayers = 0;
    int32_t maxPlayers = 0;
    std::string address;

    bool operator==(const SessionDescription&) const = default;
};

enum class OpenMode {
    Join = 1,    // join the session a search found
    Create = 2,  // host a new session at the initialised connection's address
};

struct ReceivedMessage {
    int32_t from = 0;  // kSystemSender for system messages
    int32_t to = 0;    // the local player
    Message message;
};

class DirectPlay {
  public:
    virtual ~DirectPlay() = default;

    // The connection types this link offers, in order (the first is entry 1).
    virtual std::optional<std::vector<Connection>> EnumerateConnections() = 0;
    // Chooses the connection the next search (or hosting) goes through.
    virtual bool InitializeConnection(const Connection& connection) = 0;
    // Asks the initialised connection's address for its sessions; never broadcasts. A host that is
    // not there gives an empty list within a few seconds. Fails (nullopt) when there is no
    // initialised connection or the user cancelled the address prompt.
    virtual std::optional<std::vector<SessionDescription>> EnumerateSessions() = 0;
    virtual bool Open(const SessionDescription& session, OpenMode mode) = 0;
    // The new player's id; fails outside an open session, for a second local player, or when the
    // session is full.
    virtual std::optional<int32_t> CreatePlayer(std::string_view shortName,
                                                std::string_view longName) = 0;
    virtual bool DestroyPlayer(int32_t playerId) = 0;
    // Guaranteed (reliable, in order) from a local player to one player or to kAllPlayers.
    virtual bool Send(int32_t from, int32_t to, const Message& message) = 0;
    // Messages waiting for a local player.
    virtual std::optional<int32_t> GetMessageCount(int32_t playerId) = 0;
    // The oldest waiting message; fails when none is waiting.
    virtual std::optional<ReceivedMessage> Receive() = 0;
    virtual std::optional<std::string> PlayerName(int32_t playerId) = 0;
    // Leaves (or, for the host, ends) the session.
    virtual bool Close() = 0;
};

// Asks the user for the address of a session host ("host" or "host:port"); nullopt when the user
// cancels. The TCP/IP connection asks through it at every search.
class AddressPrompt {
  public:
    virtual ~AddressPrompt() = default;
    virtual std::optional<std::string> AskHostAddress() = 0;
};

}  // namespace corvane::session
