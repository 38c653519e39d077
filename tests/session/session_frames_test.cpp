#include <gtest/gtest.h>

#include "session/HostAddress.h"
#include "session/SessionFrames.h"

namespace corvane::session {
namespace {

using namespace wire;

TEST(SessionFrames, EveryKindSurvivesARoundTrip) {
    const std::vector<Frame> frames = {
        EnumRequest{},
        EnumReply{"Seattle Fly-in", 3, 16},
        OpenRequest{},
        OpenReply{true},
        OpenReply{false},
        CreatePlayerRequest{"Montaña_Controller", "Player"},
        CreatePlayerReply{7},
        CreatePlayerReply{0},
        DestroyPlayerRequest{7},
        PlayerJoined{9, "N123", true},
        PlayerJoined{9, "N123", false},
        PlayerLeft{9},
        AppMessage{7, 0, {0x23, 0x10, 0, 0, 1, 0, 0, 0, 0}},
        AppMessage{7, 9, {}},
    };
    for (const Frame& f : frames) {
        const auto bytes = EncodeFrame(f);
        const auto back = DecodeFrame(bytes);
        ASSERT_TRUE(back.has_value()) << f.index();
        EXPECT_EQ(*back, f) << f.index();
    }
}

TEST(SessionFrames, LayoutIsKindVersionThenFields) {
    EXPECT_EQ(EncodeFrame(EnumRequest{}), (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(EncodeFrame(PlayerJoined{0x0102, "Añ", true}),
              (std::vector<uint8_t>{8, 1, 0x02, 0x01, 0, 0, 2, 'A', 0xF1, 1}));
    EXPECT_EQ(EncodeFrame(AppMessage{1, 2, {0xAA}}),
              (std::vector<uint8_t>{10, 1, 1, 0, 0, 0, 2, 0, 0, 0, 0xAA}));
}

TEST(SessionFrames, DamagedFramesDoNotDecode) {
    const auto good = EncodeFrame(EnumReply{"FS", 1, 8});
    // Every cut of a frame fails.
    for (size_t keep = 0; keep < good.size(); ++keep) {
        EXPECT_FALSE(DecodeFrame(std::span(good.data(), keep)).has_value()) << keep;
    }
    auto trailing = good;
    trailing.push_back(0);
    EXPECT_FALSE(DecodeFrame(trailing).has_value());
    auto version = good;
    version[1] = 2;
    EXPECT_FALSE(DecodeFrame(version).has_value());
    for (uint8_t kind : {0, 11, 255}) {
        auto other = good;
        other[0] = kind;
        EXPECT_FALSE(DecodeFrame(other).has_value()) << int(kind);
    }
    EXPECT_FALSE(DecodeFrame(EncodeFrame(EnumReply{"FS", -1, 8})).has_value());
    EXPECT_FALSE(DecodeFrame(EncodeFrame(PlayerLeft{0})).has_value());
    EXPECT_FALSE(DecodeFrame(EncodeFrame(AppMessage{0, 1, {}})).has_value());
    auto flag = EncodeFrame(OpenReply{true});
    flag[2] = 2;
    EXPECT_FALSE(DecodeFrame(flag).has_value());
}

TEST(SessionFrames, SizeLimitAndLongNames) {
    std::vector<uint8_t> body(kMaxFrameBytes - 10, 0x41);
    EXPECT_TRUE(DecodeFrame(EncodeFrame(AppMessage{1, 0, body})).has_value());
    body.push_back(0x41);
    EXPECT_FALSE(DecodeFrame(EncodeFrame(AppMessage{1, 0, body})).has_value());

    const auto named = DecodeFrame(EncodeFrame(PlayerJoined{1, std::string(300, 'x'), true}));
    ASSERT_TRUE(named.has_value());
    EXPECT_EQ(std::get<PlayerJoined>(*named).name, std::string(kMaxNameBytes, 'x'));
}

TEST(HostAddress, HostOrHostAndPort) {
    EXPECT_EQ(ParseHostAddress("127.0.0.1"), (HostAddress{"127.0.0.1", kDefaultPort}));
    EXPECT_EQ(ParseHostAddress(" localhost:6073 "), (HostAddress{"localhost", 6073}));
    EXPECT_EQ(ParseHostAddress("h:1"), (HostAddress{"h", 1}));
    EXPECT_EQ(ParseHostAddress("h:65535"), (HostAddress{"h", 65535}));
    EXPECT_EQ(ParseHostAddress("h:0"), (HostAddress{"h", 0}));  // a host's "any free port"
    for (const char* bad : {"", "  ", ":80", "h:", "h:65536", "h:8x", "h:-1", "a b:80", "h:1:2",
                            "h:99999999999999999999"}) {
        EXPECT_FALSE(ParseHostAddress(bad).has_value()) << bad;
    }
    EXPECT_EQ(HostAddress({"127.0.0.1", 47624}).ToString(), "127.0.0.1:47624");
}

TEST(HostAddress, StandardConnectionsOfferTcpIpAndThisComputer) {
    const auto list = StandardConnections();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].displayName, "Internet TCP/IP Connection");
    EXPECT_TRUE(AsksForAddress(list[1]));
    EXPECT_EQ(list[2], (Connection{"This computer", "127.0.0.1:47624"}));
    EXPECT_FALSE(AsksForAddress(list[0]));
    EXPECT_FALSE(AsksForAddress(list[2]));
}

}  // namespace
}  // namespace corvane::session
