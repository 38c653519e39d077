#pragma once
// The frames our session layer exchanges between a session host and its players, one frame per
// network packet. Every frame starts with a Byte kind and a Byte protocol version; then, by kind:
//
//   1 EnumRequest          nothing
//   2 EnumReply            Name session name, Long current players, Long maximum players
//   3 OpenRequest          nothing
//   4 OpenReply            Byte 1 accepted / 0 refused
//   5 CreatePlayerRequest  Name short name, Name long name
//   6 CreatePlayerReply    Long new player id (0: refused)
//   7 DestroyPlayerRequest Long player id
//   8 PlayerJoined         Long player id, Name name, Byte 1 announce / 0 already there
//   9 PlayerLeft           Long player id
//  10 AppMessage           Long from, Long to (0: all), then the application message to the end
//
// Long is 4 bytes little-endian, Name a Byte length and that many Windows-1252 bytes. A frame
// that is longer than kMaxFrameBytes, has another version, a kind outside the table, a field cut
// short, bytes left over, a negative player count or a zero player id where one is needed does
// not decode.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace corvane::session::wire {

inline constexpr uint8_t kProtocolVersion = 1;
// Far above any message of the simulator's (the longest, a chat line, stays below 1 KiB).
inline constexpr size_t kMaxFrameBytes = 8192;
inline constexpr size_t kMaxNameBytes = 255;

struct EnumRequest {
    bool operator==(const EnumRequest&) const = default;
};
struct EnumReply {
    std::string sessionName;  // UTF-8
    int32_t currentPlayers = 0;
    int32_t maxPlayers = 0;
    bool operator==(const EnumReply&) const = default;
};
struct OpenRequest {
    bool operator==(const OpenRequest&) const = default;
};
struct OpenReply {
    bool accepted = false;
    bool operator==(const OpenReply&) const = default;
};
struct CreatePlayerRequest {
    std::string shortName;
    std::string longName;
    bool operator==(const CreatePlayerRequest&) const = default;
};
struct CreatePlayerReply {
    int32_t playerId = 0;
    bool operator==(const CreatePlayerReply&) const = default;
};
struct DestroyPlayerRequest {
    int32_t playerId = 0;
    bool operator==(const DestroyPlayerRequest&) const = default;
};
struct PlayerJoined {
    int32_t playerId = 0;
    std::string name;
    bool announce = true;  // false for the players a newcomer finds already there
    bool operator==(const PlayerJoined&) const = default;
};
struct PlayerLeft {
    int32_t playerId = 0;
    bool operator==(const PlayerLeft&) const = default;
};
struct AppMessage {
    int32_t from = 0;
    int32_t to = 0;
    std::vector<uint8_t> body;
    bool operator==(const AppMessage&) const = default;
};

using Frame =
    std::variant<EnumRequest, EnumReply, OpenRequest, OpenReply, CreatePlayerRequest,
                 CreatePlayerReply, DestroyPlayerRequest, PlayerJoined, PlayerLeft, AppMessage>;

// Names longer than kMaxNameBytes in Windows-1252 are cut to that length.
std::vector<uint8_t> EncodeFrame(const Frame& frame);
std::optional<Frame> DecodeFrame(std::span<const uint8_t> bytes);

}  // namespace corvane::session::wire
