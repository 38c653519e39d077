#include "session/SessionFrames.h"

#include "shared/Bytes.h"
#include "shared/Text.h"

namespace corvane::session::wire {

namespace {

template <typename... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

void PutName(ByteWriter& w, const std::string& utf8) {
    std::string bytes = Utf8ToCp1252(utf8);
    if (bytes.size() > kMaxNameBytes) {
        bytes.resize(kMaxNameBytes);
    }
    w.U8(static_cast<uint8_t>(bytes.size()));
    w.Bytes(bytes);
}

std::optional<std::string> GetName(ByteReader& r) {
    const auto length = r.U8();
    if (!length) {
        return std::nullopt;
    }
    const auto bytes = r.Bytes(*length);
    if (!bytes) {
        return std::nullopt;
    }
    return Cp1252ToUtf8(*bytes);
}

std::optional<int32_t> GetPlayerId(ByteReader& r) {
    const auto id = r.I32();
    if (!id || *id == 0) {
        return std::nullopt;
    }
    return id;
}

std::optional<bool> GetFlag(ByteReader& r) {
    const auto b = r.U8();
    if (!b || *b > 1) {
        return std::nullopt;
    }
    return *b == 1;
}

std::optional<Frame> DecodeBody(uint8_t kind, ByteReader& r) {
    switch (kind) {
        case 1:
            return EnumRequest{};
        case 2: {
            auto name = GetName(r);
            const auto current = r.I32();
            const auto max = r.I32();
            if (!name || !current || !max || *current < 0 || *max < 0) {
                return std::nullopt;
            }
            return EnumReply{std::move(*name), *current, *max};
        }
        case 3:
            return OpenRequest{};
        case 4: {
            const auto accepted = GetFlag(r);
            if (!accepted) {
                return std::nullopt;
            }
            return OpenReply{*accepted};
        }
        case 5: {
            auto shortName = GetName(r);
            auto longName = GetName(r);
            if (!shortName || !longName) {
                return std::nullopt;
            }
            return CreatePlayerRequest{std::move(*shortName), std::move(*longName)};
        }
        case 6: {
            const auto id = r.I32();
            if (!id) {
                return std::nullopt;
            }
            return CreatePlayerReply{*id};
        }
        case 7: {
            const auto id = GetPlayerId(r);
            if (!id) {
                return std::nullopt;
            }
            return DestroyPlayerRequest{*id};
        }
        case 8: {
            const auto id = GetPlayerId(r);
            auto name = GetName(r);
            const auto announce = GetFlag(r);
            if (!id || !name || !announce) {
                return std::nullopt;
            }
            return PlayerJoined{*id, std::move(*name), *announce};
        }
        case 9: {
            const auto id = GetPlayerId(r);
            if (!id) {
                return std::nullopt;
            }
            return PlayerLeft{*id};
        }
        case 10: {
            const auto from = GetPlayerId(r);
            const auto to = r.I32();
            if (!from || !to) {
                return std::nullopt;
            }
            const auto body = r.Bytes(r.Remaining());
            return AppMessage{*from, *to, std::vector<uint8_t>(body->begin(), body->end())};
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

std::vector<uint8_t> EncodeFrame(const Frame& frame) {
    ByteWriter w;
    w.U8(static_cast<uint8_t>(frame.index() + 1));
    w.U8(kProtocolVersion);
    std::visit(Overloaded{
                   [](const EnumRequest&) {},
                   [&](const EnumReply& f) {
                       PutName(w, f.sessionName);
                       w.I32(f.currentPlayers);
                       w.I32(f.maxPlayers);
                   },
                   [](const OpenRequest&) {},
                   [&](const OpenReply& f) { w.U8(f.accepted ? 1 : 0); },
                   [&](const CreatePlayerRequest& f) {
                       PutName(w, f.shortName);
                       PutName(w, f.longName);
                   },
                   [&](const CreatePlayerReply& f) { w.I32(f.playerId); },
                   [&](const DestroyPlayerRequest& f) { w.I32(f.playerId); },
                   [&](const PlayerJoined& f) {
                       w.I32(f.playerId);
                       PutName(w, f.name);
                       w.U8(f.announce ? 1 : 0);
                   },
                   [&](const PlayerLeft& f) { w.I32(f.playerId); },
                   [&](const AppMessage& f) {
                       w.I32(f.from);
                       w.I32(f.to);
                       w.Bytes(std::string_view(reinterpret_cast<const char*>(f.body.data()),
                                                f.body.size()));
                   },
               },
               frame);
    return w.Take();
}

std::optional<Frame> DecodeFrame(std::span<const uint8_t> bytes) {
    if (bytes.size() > kMaxFrameBytes) {
        return std::nullopt;
    }
    ByteReader r(bytes);
    const auto kind = r.U8();
    const auto version = r.U8();
    if (!kind || !version || *version != kProtocolVersion) {
        return std::nullopt;
    }
    auto frame = DecodeBody(*kind, r);
    if (!frame || r.Remaining() != 0) {
        return std::nullopt;
    }
    return frame;
}

}  // namespace corvane::session::wire
