#pragma once
// The simulator's multiplayer messages. Every message starts with two Longs: the type (0x1001 ..
// 0x1023) and a second field, `size`, whose meaning depends on the type. Text on the wire is
// Windows-1252, one byte per character; in memory it is UTF-8.
//
// Position reports, byte offsets from the start (short form 0x1018 / long form 0x1019):
//   0 type, 4..19 / 4..35 size and unused Longs, 20 / 36 attitude word, 24 / 40 latitude,
//   28 / 44 longitude, 32 / 48 altitude, then three unused Shorts (42 / 58 bytes in all).
// Latitude is metres north of the equator (10001750 m = 90 degrees), longitude one turn over the
// full 32-bit range, altitude metres, and the attitude word holds the true heading in its bits
// 2..11 (1024 steps to the turn). Example: attitude word 1024 -> 1024 / 4 = 256 -> 256 * 360 /
// 1024 = 90 degrees true.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/DirectPlay.h"
#include "session/Message.h"
#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::session {

inline constexpr int32_t kJoinRequest = 0x1001;
inline constexpr int32_t kPlayerPresent = 0x1003;
inline constexpr int32_t kHostAlive = 0x1004;
inline constexpr int32_t kJoinRefused = 0x1005;
inline constexpr int32_t kRollCall = 0x1007;
inline constexpr int32_t kRequestRepeatNotice = 0x1008;
inline constexpr int32_t kAircraftInformation = 0x100E;
inline constexpr int32_t kInformationRequest = 0x100F;
inline constexpr int32_t kRemovedByHost = 0x1016;
inline constexpr int32_t kPositionShort = 0x1018;
inline constexpr int32_t kPositionLong = 0x1019;
inline constexpr int32_t kChatText = 0x1023;

struct MessageHeader {
    int32_t type = 0;
    int32_t size = 0;
};

// A decoded position report, converted: heading in whole degrees (true or magnetic, as the
// function says), latitude and longitude in degrees to 5 decimals, altitude in whole feet.
struct PositionFix {
    int16_t heading = 0;
    double latitude = 0.0;
    double longitude = 0.0;
    int32_t altitudeFt = 0;

    bool operator==(const PositionFix&) const = default;
};

// The raw Longs of a position report as a simulator sends them.
struct PositionWords {
    int32_t attitudeWord = 0;
    int32_t latitude = 0;   // metres
    int32_t longitude = 0;  // 2^32 to the turn
    int32_t altitude = 0;   // metres
};

// ---- reading ---------------------------------------------------------------------------------
// Each reader continues where the previous read stopped and fails (nullopt / false) when the
// message ends too soon; what it would have stored is then left untouched.

// The type and `size`; every receiver reads both before it looks at the type.
std::optional<MessageHeader> ReadHeader(Message& message);

// True heading in whole degrees: ((word / 4, truncated toward zero) AND 1023) * 360 / 1024,
// rounded half to even. A word of -1 gives 0, not 360: the division truncates, it does not shift.
int16_t DecodeHeading(int32_t attitudeWord);
double DecodeLatitude(int32_t metres);
double DecodeLongitude(int32_t turnFraction);
int32_t DecodeAltitude(int32_t metres);

// After the header of a 0x1018 or 0x1019 (`type` tells which): the fix with its heading made
// magnetic at the new position.
std::optional<PositionFix> DecodePosition(Message& message, int32_t type,
                                          const MagneticVariationGrid& grid);
// The same, stored in the aircraft's heading, latitude, longitude and altitudeFt.
bool DecodePosition(Message& message, int32_t type, const MagneticVariationGrid& grid,
                    TrafficRecord& aircraft);

// After the header of a 0x100E: the engine code (read, unused), then `size` + 1 title bytes with
// the zero bytes skipped wherever they stand; not trimmed.
std::optional<std::string> DecodeInformation(Message& message, int32_t size);
bool DecodeInformation(Message& message, int32_t size, TrafficRecord& aircraft);

// After the header of a 0x1023: `size` bytes with the zero bytes skipped, trimmed of spaces at
// both ends. A `size` of 1 or less is the empty chat: "" without reading anything.
std::optional<std::string> DecodeChat(Message& message, int32_t size);

// After the header of a 0x1003: the id of the player it announces.
std::optional<int32_t> DecodePresentId(Message& message);

// ---- writing ---------------------------------------------------------------------------------

Message EncodeJoinRequest();              // 0x1001, size 0
Message EncodePresent(int32_t playerId);  // 0x1003, size 4, the id
Message EncodeHostAlive();                // 0x1004, size 0
Message EncodeJoinRefused();              // 0x1005, size 0
Message EncodeRollCall();                 // 0x1007, size 0
Message EncodeRequestRepeatNotice();      // 0x1008, size 0
Message EncodeInformationRequest();       // 0x100F, size 0
Message EncodeRemovedByHost();            // 0x1016, size 0
// 0x100E: size N (the title's length), engine code, the N title bytes and one zero byte.
Message EncodeInformation(int16_t engineCode, std::string_view title);
// 0x1018 or 0x1019 with the unused fields zero.
Message EncodePosition(int32_t type, const PositionWords& words);
// 0x1023 with N characters: size 2N, the N bytes, then 2N zero bytes (3N bytes of body).
Message EncodeChatLine(std::string_view text);
// 0x1023, size 1, one zero byte: sent on every station tick, ignored by every receiver.
Message EncodeEmptyChat();

// The inverse conversions, for peers that report positions.
int32_t AttitudeWordFor(int16_t trueHeading);
int32_t LatitudeWord(double degrees);
int32_t LongitudeWord(double degrees);
int32_t AltitudeWord(int32_t feet);

// ---- sending ---------------------------------------------------------------------------------
// From `from` (the local player), guaranteed. False when the session refuses the send.

bool SendJoinRequest(DirectPlay& link, int32_t from);
bool SendRequestRepeatNotice(DirectPlay& link, int32_t from);
bool SendRollCall(DirectPlay& link, int32_t from);
bool SendInformationRequest(DirectPlay& link, int32_t from);
bool SendPresent(DirectPlay& link, int32_t from);  // announces `from` itself
bool SendEmptyChat(DirectPlay& link, int32_t from);
// Once to each recipient. A refused recipient (one who has left) does not keep the line from the
// others; false when any was refused.
bool SendChatLine(DirectPlay& link, int32_t from, std::string_view text,
                  const std::vector<int32_t>& recipients);

}  // namespace corvane::session
