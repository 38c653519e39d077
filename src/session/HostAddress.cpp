#include "session/HostAddress.h"

#include <charconv>

#include "shared/Text.h"

namespace corvane::session {

std::optional<HostAddress> ParseHostAddress(std::string_view text) {
    text = TrimBlanks(text);
    HostAddress address;
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        address.host = std::string(text);
    } else {
        const std::string_view port = text.substr(colon + 1);
        if (port.empty() || port.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (ec != std::errc() || end != port.data() + port.size() || value > 65535) {
            return std::nullopt;
        }
        address.host = std::string(text.substr(0, colon));
        address.port = static_cast<uint16_t>(value);
    }
    if (address.host.empty() || address.host.find_first_of(" \t") != std::string::npos) {
        return std::nullopt;
    }
    return address;
}

std::vector<Connection> StandardConnections() {
    return {
        {kReservedConnectionName, ""},
        {kTcpIpConnectionName, ""},
        {kThisComputerConnectionName, HostAddress{"127.0.0.1", kDefaultPort}.ToString()},
    };
}

bool AsksForAddress(const Connection& connection) {
    return connection.address.empty() && connection.displayName == kTcpIpConnectionName;
}

}  // namespace corvane::session
