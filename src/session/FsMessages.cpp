#include "session/FsMessages.h"

#include <cmath>

#include "nav/Geometry.h"
#include "shared/Rounding.h"
#include "shared/Text.h"

namespace corvane::session {

namespace {

constexpr double kMetresToNinetyDegrees = 10001750.0;
constexpr double kFullTurn = 4294967296.0;  // 2^32
constexpr double kMetresPerFoot = 0.3048;

Message Bare(int32_t type, int32_t size) {
    Message m;
    m.WriteLong(type);
    m.WriteLong(size);
    return m;
}

// Reads `count` bytes and keeps the non-zero ones, as Windows-1252 text.
std::optional<std::string> ReadTextBytes(Message& message, int64_t count) {
    std::string bytes;
    for (int64_t i = 0; i < count; ++i) {
        const auto b = message.ReadByte();
        if (!b) {
            return std::nullopt;
        }
        if (*b != 0) {
            bytes += static_cast<char>(*b);
        }
    }
    return bytes;
}

std::string_view TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::optional<MessageHeader> ReadHeader(Message& message) {
    const auto type = message.ReadLong();
    if (!type) {
        return std::nullopt;
    }
    const auto size = message.ReadLong();
    if (!size) {
        return std::nullopt;
    }
    return MessageHeader{*type, *size};
}

int16_t DecodeHeading(int32_t attitudeWord) {
    const int32_t steps = (attitudeWord / 4) & 1023;  // C++ division truncates toward zero
    return ToInteger16(steps * 360.0 / 1024.0);
}

double DecodeLatitude(int32_t metres) {
    return R5(metres * 90.0 / kMetresToNinetyDegrees);
}

double DecodeLongitude(int32_t turnFraction) {
    return R5(turnFraction * 360.0 / kFullTurn);
}

int32_t DecodeAltitude(int32_t metres) {
    return ToInteger32(metres / kMetresPerFoot);
}

std::optional<PositionFix> DecodePosition(Message& message, int32_t type,
                                          const MagneticVariationGrid& grid) {
    // `size` is already read: 3 more unused Longs in the short form, 7 in the long one.
    int unusedLongs = 0;
    if (type == kPositionShort) {
        unusedLongs = 3;
    } else if (type == kPositionLong) {
        unusedLongs = 7;
    } else {
        return std::nullopt;
    }
    if (!message.Skip(4 * static_cast<size_t>(unusedLongs))) {
        return std::nullopt;
    }
    const auto word = message.ReadLong();
    const auto lat = message.ReadLong();
    const auto lon = message.ReadLong();
    const auto alt = message.ReadLong();
    const bool shortsRead =
        alt && message.ReadShort() && message.ReadShort() && message.ReadShort();
    if (!word || !lat || !lon || !alt || !shortsRead) {
        return std::nullopt;
    }
    PositionFix fix;
    fix.latitude = DecodeLatitude(*lat);
    fix.longitude = DecodeLongitude(*lon);
    fix.altitudeFt = DecodeAltitude(*alt);
    fix.heading = nav::ToMagneticHeading(grid, DecodeHeading(*word), fix.latitude, fix.longitude);
    return fix;
}

bool DecodePosition(Message& message, int32_t type, const MagneticVariationGrid& grid,
                    TrafficRecord& aircraft) {
    const auto fix = DecodePosition(message, type, grid);
    if (!fix) {
        return false;
    }
    aircraft.heading = fix->heading;
    aircraft.latitude = fix->latitude;
    aircraft.longitude = fix->longitude;
    aircraft.altitudeFt = fix->altitudeFt;
    return true;
}

std::optional<std::string> DecodeInformation(Message& message, int32_t size) {
    if (!message.ReadShort()) {  // the engine code
        return std::nullopt;
    }
    const auto title = ReadTextBytes(message, static_cast<int64_t>(size) + 1);
    if (!title) {
        return std::nullopt;
    }
    return Cp1252ToUtf8(*title);
}

bool DecodeInformation(Message& message, int32_t size, TrafficRecord& aircraft) {
    auto title = DecodeInformation(message, size);
    if (!title) {
        return false;
    }
    aircraft.aircraftType = std::move(*title);
    return true;
}

std::optional<std::string> DecodeChat(Message& message, int32_t size) {
    if (size <= 1) {
        return std::string();
    }
    const auto text = ReadTextBytes(message, size);
    if (!text) {
        return std::nullopt;
    }
    return Cp1252ToUtf8(TrimSpaces(*text));
}

std::optional<int32_t> DecodePresentId(Message& message) {
    return message.ReadLong();
}

Message EncodeJoinRequest() {
    return Bare(kJoinRequest, 0);
}

Message EncodePresent(int32_t playerId) {
    Message m = Bare(kPlayerPresent, 4);
    m.WriteLong(playerId);
    return m;
}

Message EncodeHostAlive() {
    return Bare(kHostAlive, 0);
}

Message EncodeJoinRefused() {
    return Bare(kJoinRefused, 0);
}

Message EncodeRollCall() {
    return Bare(kRollCall, 0);
}

Message EncodeRequestRepeatNotice() {
    return Bare(kRequestRepeatNotice, 0);
}

Message EncodeInformationRequest() {
    return Bare(kInformationRequest, 0);
}

Message EncodeRemovedByHost() {
    return Bare(kRemovedByHost, 0);
}

Message EncodeInformation(int16_t engineCode, std::string_view title) {
    const std::string bytes = Utf8ToCp1252(title);
    Message m = Bare(kAircraftInformation, static_cast<int32_t>(bytes.size()));
    m.WriteShort(engineCode);
    m.WriteBytes(bytes);
    m.WriteByte(0);
    return m;
}

Message EncodePosition(int32_t type, const PositionWords& words) {
    Message m = Bare(type, 0);
    const int unusedLongs = type == kPositionLong ? 7 : 3;
    m.WriteZeros(4 * static_cast<size_t>(unusedLongs));
    m.WriteLong(words.attitudeWord);
    m.WriteLong(words.latitude);
    m.WriteLong(words.longitude);
    m.WriteLong(words.altitude);
    m.WriteZeros(3 * 2);
    return m;
}

Message EncodeChatLine(std::string_view text) {
    const std::string bytes = Utf8ToCp1252(text);
    const size_t n = bytes.size();
    Message m = Bare(kChatText, static_cast<int32_t>(2 * n));
    m.WriteBytes(bytes);
    m.WriteZeros(2 * n);
    return m;
}

Message EncodeEmptyChat() {
    Message m = Bare(kChatText, 1);
    m.WriteByte(0);
    return m;
}

int32_t AttitudeWordFor(int16_t trueHeading) {
    int32_t steps = static_cast<int32_t>(RoundHalfEven(trueHeading * 1024.0 / 360.0)) % 1024;
    if (steps < 0) {
        steps += 1024;
    }
    return steps * 4;
}

int32_t LatitudeWord(double degrees) {
    return ToInteger32(degrees * kMetresToNinetyDegrees / 90.0);
}

int32_t LongitudeWord(double degrees) {
    if (!std::isfinite(degrees)) {
        return 0;
    }
    // One turn is the whole 32-bit range, so 180 east and 180 west are the same word.
    double turns = RoundHalfEven(degrees * kFullTurn / 360.0);
    turns = std::fmod(turns, kFullTurn);
    if (turns >= kFullTurn / 2) {
        turns -= kFullTurn;
    } else if (turns < -kFullTurn / 2) {
        turns += kFullTurn;
    }
    return static_cast<int32_t>(turns);
}

int32_t AltitudeWord(int32_t feet) {
    return ToInteger32(feet * kMetresPerFoot);
}

bool SendJoinRequest(DirectPlay& link, int32_t from) {
    return link.Send(from, kAllPlayers, EncodeJoinRequest());
}

bool SendRequestRepeatNotice(DirectPlay& link, int32_t from) {
    return link.Send(from, kAllPlayers, EncodeRequestRepeatNotice());
}

bool SendRollCall(DirectPlay& link, int32_t from) {
    return link.Send(from, kAllPlayers, EncodeRollCall());
}

bool SendInformationRequest(DirectPlay& link, int32_t from) {
    return link.Send(from, kAllPlayers, EncodeInformationRequest());
}

bool SendPresent(DirectPlay& link, int32_t from) {
    return link.Send(from, kAllPlayers, EncodePresent(from));
}

bool SendEmptyChat(DirectPlay& link, int32_t from) {
    return link.Send(from, kAllPlayers, EncodeEmptyChat());
}

bool SendChatLine(DirectPlay& link, int32_t from, std::string_view text,
                  const std::vector<int32_t>& recipients) {
    const Message line = EncodeChatLine(text);
    bool all = true;
    for (int32_t to : recipients) {
        all = link.Send(from, to, line) && all;
    }
    return all;
}

}  // namespace corvane::session
