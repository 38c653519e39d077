#pragma once
// Session host addresses and the connection types both session implementations offer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/DirectPlay.h"

namespace corvane::session {

inline constexpr uint16_t kDefaultPort = 47624;

inline constexpr const char* kReservedConnectionName = "Reserved";
inline constexpr const char* kTcpIpConnectionName = "Internet TCP/IP Connection";
inline constexpr const char* kThisComputerConnectionName = "This computer";

struct HostAddress {
    std::string host;
    uint16_t port = kDefaultPort;

    std::string ToString() const { return host + ":" + std::to_string(port); }
    bool operator==(const HostAddress&) const = default;
};

// "host" or "host:port" (port 0..65535, digits only; 0 lets a host take any free port), blanks
// around it ignored. An empty host, a bad port or more than one colon fail.
std::optional<HostAddress> ParseHostAddress(std::string_view text);

// Entry 1 is reserved (never offered by the connection window and never initialised), entry 2
// asks the user for the host's address, entry 3 is this computer on the default port.
std::vector<Connection> StandardConnections();

// The TCP/IP connection without an address of its own: the search asks the user.
bool AsksForAddress(const Connection& connection);

}  // namespace corvane::session
