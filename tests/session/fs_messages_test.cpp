#include <gtest/gtest.h>

#include "session/FsMessages.h"
#include "session/LoopbackSession.h"

namespace corvane::session {
namespace {

std::vector<uint8_t> Le32(int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    return {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
            static_cast<uint8_t>(u >> 24)};
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

// A received message positioned after its two header Longs, as the receivers read it.
Message AfterHeader(const Message& sent, MessageHeader* header = nullptr) {
    Message in(sent.Bytes());
    const auto h = ReadHeader(in);
    EXPECT_TRUE(h.has_value());
    if (header && h) {
        *header = *h;
    }
    return in;
}

Message Cut(const Message& m, size_t keep) {
    return Message(std::span<const uint8_t>(m.Bytes().data(), keep));
}

const MagneticVariationGrid kNoVariation{};

// ---- conversions --------------------------------------------------------------------------------

TEST(FsConversions, AttitudeWordTruncatesTowardZeroThenKeepsTenBits) {
    EXPECT_EQ(DecodeHeading(1024), 90);  // 1024 / 4 = 256; 256 * 360 / 1024 = 90
    EXPECT_EQ(DecodeHeading(-1), 0);     // -1 / 4 truncates to 0 (a shift would give 359.6 -> 360)
    EXPECT_EQ(DecodeHeading(0), 0);
    EXPECT_EQ(DecodeHeading(-8), 359);    // -2 AND 1023 = 1022; 1022 * 360 / 1024 = 359.30
    EXPECT_EQ(DecodeHeading(4092), 360);  // 1023 * 360 / 1024 = 359.65
    EXPECT_EQ(DecodeHeading(4096), 0);    // 1024 AND 1023 = 0
    EXPECT_EQ(DecodeHeading(4096 + 1024), 90);
}

TEST(FsConversions, HeadingTiesRoundToEven) {
    EXPECT_EQ(DecodeHeading(64 * 4), 22);   // 64 * 360 / 1024 = 22.5
    EXPECT_EQ(DecodeHeading(192 * 4), 68);  // 67.5
}

TEST(FsConversions, LatitudeLongitudeAndAltitude) {
    EXPECT_EQ(DecodeLatitude(10001750), 90.0);
    EXPECT_EQ(DecodeLatitude(-10001750), -90.0);
    EXPECT_EQ(DecodeLatitude(5000875), 45.0);
    EXPECT_EQ(DecodeLatitude(1), 0.00001);  // 0.0000090 rounds up at the fifth decimal
    EXPECT_EQ(DecodeLongitude(-1073741824), -90.0);
    EXPECT_EQ(DecodeLongitude(1073741824), 90.0);
    EXPECT_EQ(DecodeLongitude(INT32_MIN), -180.0);
    EXPECT_EQ(DecodeAltitude(1000), 3281);  // 3280.84
    EXPECT_EQ(DecodeAltitude(0), 0);
    EXPECT_EQ(DecodeAltitude(-300), -984);  // -984.25
}

TEST(FsConversions, WordsForPeersInvertTheDecoders) {
    EXPECT_EQ(AttitudeWordFor(90), 1024);
    EXPECT_EQ(AttitudeWordFor(360), 0);
    EXPECT_EQ(AttitudeWordFor(-90), 768 * 4);
    for (int16_t h = 0; h < 360; ++h) {
        EXPECT_EQ(DecodeHeading(AttitudeWordFor(h)), h == 0 ? 0 : h) << h;
    }
    EXPECT_EQ(LatitudeWord(90.0), 10001750);
    EXPECT_EQ(LongitudeWord(-90.0), -1073741824);
    EXPECT_EQ(LongitudeWord(180.0), INT32_MIN);  // one turn: 180 east is 180 west
    EXPECT_EQ(LongitudeWord(-180.0), INT32_MIN);
    EXPECT_EQ(LongitudeWord(540.0), INT32_MIN);
    EXPECT_EQ(AltitudeWord(3281), 1000);
    EXPECT_EQ(DecodeLongitude(LongitudeWord(-122.30917)), -122.30917);
    EXPECT_EQ(DecodeLatitude(LatitudeWord(47.44972)), 47.44972);
}

// ---- position reports ---------------------------------------------------------------------------

TEST(FsPosition, ShortFormFieldsSitAtTheirOffsets) {
    const Message m = EncodePosition(kPositionShort, {1024, 10001750, -1073741824, 1000});
    ASSERT_EQ(m.Size(), 42u);  // three Shorts at 36, 38 and 40
    const auto& b = m.Bytes();
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 4), Le32(0x1018));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 20, b.begin() + 24), Le32(1024));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 24, b.begin() + 28), Le32(10001750));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 28, b.begin() + 32), Le32(-1073741824));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 32, b.begin() + 36), Le32(1000));

    MessageHeader header;
    Message in = AfterHeader(m, &header);
    EXPECT_EQ(header.type, kPositionShort);
    const auto fix = DecodePosition(in, header.type, kNoVariation);
    ASSERT_TRUE(fix.has_value());
    EXPECT_EQ(*fix, (PositionFix{90, 90.0, -90.0, 3281}));
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(FsPosition, LongFormFieldsSitSixteenBytesLater) {
    const Message m = EncodePosition(kPositionLong, {-1, 5000875, 1073741824, 0});
    ASSERT_EQ(m.Size(), 58u);
    EXPECT_EQ(std::vector<uint8_t>(m.Bytes().begin() + 36, m.Bytes().begin() + 40), Le32(-1));
    EXPECT_EQ(std::vector<uint8_t>(m.Bytes().begin() + 44, m.Bytes().begin() + 48),
              Le32(1073741824));
    MessageHeader header;
    Message in = AfterHeader(m, &header);
    const auto fix = DecodePosition(in, header.type, kNoVariation);
    ASSERT_TRUE(fix.has_value());
    EXPECT_EQ(*fix, (PositionFix{0, 45.0, 90.0, 0}));
}

TEST(FsPosition, HeadingIsMadeMagneticAtTheNewPosition) {
    MagneticVariationGrid grid{};
    // The cell of 0N 0E: (0 + 90) + 181 * 0. 1821 * 360 / 65536 = 10.003 -> 10 degrees east.
    grid[90] = 1821;
    // The cell of 1N 1E, next door, has none.
    const Message here = EncodePosition(kPositionShort, {1024, 0, 0, 0});
    MessageHeader header;
    Message in = AfterHeader(here, &header);
    EXPECT_EQ(DecodePosition(in, header.type, grid)->heading, 80);

    const Message there =
        EncodePosition(kPositionShort, {1024, LatitudeWord(1.0), LongitudeWord(1.0), 0});
    in = AfterHeader(there, &header);
    EXPECT_EQ(DecodePosition(in, header.type, grid)->heading, 90);
}

TEST(FsPosition, ACutReportFailsAndLeavesTheRecordAsItWas) {
    const Message full = EncodePosition(kPositionShort, {1024, 10001750, 0, 1000});
    TrafficRecord aircraft;
    aircraft.callsign = "N123";
    aircraft.latitude = 47.0;
    aircraft.heading = 180;
    const TrafficRecord before = aircraft;
    // Every cut, from inside the first unused Long to the last byte of the last Short.
    for (size_t keep = 8; keep < full.Size(); ++keep) {
        MessageHeader header;
        Message in = AfterHeader(Cut(full, keep), &header);
        EXPECT_FALSE(DecodePosition(in, header.type, kNoVariation, aircraft)) << keep;
        EXPECT_EQ(aircraft, before) << keep;
    }
    Message in = AfterHeader(full);
    EXPECT_TRUE(DecodePosition(in, kPositionShort, kNoVariation, aircraft));
    EXPECT_EQ(aircraft.latitude, 90.0);
    EXPECT_EQ(aircraft.altitudeFt, 3281);
    EXPECT_EQ(aircraft.heading, 90);
}

TEST(FsPosition, OtherTypesAreNotPositions) {
    Message in = AfterHeader(EncodePosition(kPositionShort, {}));
    EXPECT_FALSE(DecodePosition(in, kChatText, kNoVariation).has_value());
}

// ---- aircraft information -----------------------------------------------------------------------

TEST(FsInformation, TitleIsSizePlusOneBytesWithZerosSkippedAndNotTrimmed) {
    const Message sent = EncodeInformation(1, " Boeing 737-400 ");
    // Header, engine code, 16 title bytes and the zero after them.
    EXPECT_EQ(
        sent.Bytes(),
        Concat({Le32(0x100E),
                Le32(16),
                {0x01, 0x00},
                {' ', 'B', 'o', 'e', 'i', 'n', 'g', ' ', '7', '3', '7', '-', '4', '0', '0', ' '},
                {0x00}}));
    MessageHeader header;
    Message in = AfterHeader(sent, &header);
    TrafficRecord aircraft;
    ASSERT_TRUE(DecodeInformation(in, header.size, aircraft));
    EXPECT_EQ(aircraft.aircraftType, " Boeing 737-400 ");

    Message raw;
    raw.WriteLong(kAircraftInformation);
    raw.WriteLong(6);
    raw.WriteShort(0);
    raw.WriteBytes(std::string("Ces\0sna\0", 8));  // 7 bytes are read: the last zero stays
    in = AfterHeader(raw, &header);
    EXPECT_EQ(DecodeInformation(in, header.size), "Cessna");
    EXPECT_EQ(in.Remaining(), 1u);
}

TEST(FsInformation, TitleIsWindows1252OnTheWire) {
    const Message sent = EncodeInformation(3, "Écureuil");
    EXPECT_EQ(sent.Bytes()[10], 0xC9);
    Message in = AfterHeader(sent);
    EXPECT_EQ(DecodeInformation(in, 8), "Écureuil");
}

TEST(FsInformation, FewerTitleBytesThanSizePlusOneFail) {
    Message raw;
    raw.WriteLong(kAircraftInformation);
    raw.WriteLong(5);
    raw.WriteShort(1);
    raw.WriteBytes("Piper");  // 5 bytes where 6 are read
    TrafficRecord aircraft;
    aircraft.aircraftType = "Unknown";
    MessageHeader header;
    Message in = AfterHeader(raw, &header);
    EXPECT_FALSE(DecodeInformation(in, header.size, aircraft));
    EXPECT_EQ(aircraft.aircraftType, "Unknown");
    // Without even the engine code.
    in = AfterHeader(Cut(raw, 9), &header);
    EXPECT_FALSE(DecodeInformation(in, header.size).has_value());
    // A size near the top of the range reads to the end and fails; nothing is allocated for it.
    Message huge;
    huge.WriteLong(kAircraftInformation);
    huge.WriteLong(INT32_MAX);
    huge.WriteShort(0);
    huge.WriteBytes("abc");
    in = AfterHeader(huge, &header);
    EXPECT_FALSE(DecodeInformation(in, header.size).has_value());
}

// ---- chat ---------------------------------------------------------------------------------------

TEST(FsChat, AFiveCharacterLineHasSizeTenAndFifteenBodyBytes) {
    const Message line = EncodeChatLine("HELLO");
    EXPECT_EQ(
        line.Bytes(),
        Concat({Le32(0x1023), Le32(10), {'H', 'E', 'L', 'L', 'O'}, std::vector<uint8_t>(10, 0)}));
    // Read back as a receiver does: the 10 bytes `size` promises, zeros skipped.
    MessageHeader header;
    Message in = AfterHeader(line, &header);
    EXPECT_EQ(DecodeChat(in, header.size), "HELLO");
    EXPECT_EQ(in.Remaining(), 5u);
}

TEST(FsChat, TheEmptyChatIsSizeOneAndOneZeroByteAndIsIgnoredUnread) {
    const Message empty = EncodeEmptyChat();
    EXPECT_EQ(empty.Bytes(), Concat({Le32(0x1023), Le32(1), {0x00}}));
    MessageHeader header;
    Message in = AfterHeader(empty, &header);
    EXPECT_EQ(DecodeChat(in, header.size), "");
    EXPECT_EQ(in.ReadPosition(), 8u);  // its byte was not read
    Message bare = AfterHeader(Cut(empty, 8));
    EXPECT_EQ(DecodeChat(bare, 0), "");
}

TEST(FsChat, ReceivedTextSkipsZerosAndIsTrimmedOfSpaces) {
    Message raw;
    raw.WriteLong(kChatText);
    raw.WriteLong(12);
    raw.WriteBytes(std::string("  boe\0ing,1 \0\0 ", 14));
    MessageHeader header;
    Message in = AfterHeader(raw, &header);
    EXPECT_EQ(DecodeChat(in, header.size), "boeing,1");  // 12 bytes read; the last 2 are not
}

TEST(FsChat, TextIsWindows1252OnTheWire) {
    const Message line = EncodeChatLine("Montaña");
    EXPECT_EQ(line.Bytes()[4], 14);  // 7 characters, 7 bytes
    EXPECT_EQ(line.Bytes()[8 + 5], 0xF1);
    Message in = AfterHeader(line);
    EXPECT_EQ(DecodeChat(in, 14), "Montaña");
}

TEST(FsChat, ACutLineFails) {
    const Message line = EncodeChatLine("HELLO");
    Message in = AfterHeader(Cut(line, 8 + 9));
    EXPECT_FALSE(DecodeChat(in, 10).has_value());
}

// ---- bare messages ------------------------------------------------------------------------------

TEST(FsMessages, BareMessagesAreTypeAndSize) {
    EXPECT_EQ(EncodeJoinRequest().Bytes(), Concat({Le32(0x1001), Le32(0)}));
    EXPECT_EQ(EncodeHostAlive().Bytes(), Concat({Le32(0x1004), Le32(0)}));
    EXPECT_EQ(EncodeJoinRefused().Bytes(), Concat({Le32(0x1005), Le32(0)}));
    EXPECT_EQ(EncodeRollCall().Bytes(), Concat({Le32(0x1007), Le32(0)}));
    EXPECT_EQ(EncodeRequestRepeatNotice().Bytes(), Concat({Le32(0x1008), Le32(0)}));
    EXPECT_EQ(EncodeInformationRequest().Bytes(), Concat({Le32(0x100F), Le32(0)}));
    EXPECT_EQ(EncodeRemovedByHost().Bytes(), Concat({Le32(0x1016), Le32(0)}));
    EXPECT_EQ(EncodePresent(0x01020304).Bytes(),
              Concat({Le32(0x1003), Le32(4), {0x04, 0x03, 0x02, 0x01}}));
}

TEST(FsMessages, TruncatedHeadersAndPresenceFail) {
    for (size_t keep = 0; keep < 8; ++keep) {
        Message in = Cut(EncodeJoinRequest(), keep);
        EXPECT_FALSE(ReadHeader(in).has_value()) << keep;
    }
    Message present = AfterHeader(Cut(EncodePresent(5), 11));
    EXPECT_FALSE(DecodePresentId(present).has_value());
}

// ---- sending ------------------------------------------------------------------------------------

TEST(FsSending, EveryMessageGoesFromTheLocalPlayerToAllOrToEachRecipient) {
    LoopbackNetwork net;
    auto host = net.NewSession();
    ASSERT_TRUE(host->InitializeConnection(net.Connections()[2]));
    ASSERT_TRUE(host->Open({"FS", 0, 8, ""}, OpenMode::Create));
    const int32_t hostId = *host->CreatePlayer("Host", "Player");
    std::vector<std::unique_ptr<LoopbackSession>> pilots;
    for (const char* name : {"N1", "N2"}) {
        pilots.push_back(net.NewSession());
        ASSERT_TRUE(pilots.back()->Open(net.HostedSessions()[0], OpenMode::Join));
        ASSERT_TRUE(pilots.back()->CreatePlayer(name, "Player").has_value());
    }
    auto drainApp = [](LoopbackSession& s) {
        std::vector<std::pair<int32_t, Message>> got;
        while (auto r = s.Receive()) {
            if (r->from != kSystemSender) {
                got.emplace_back(r->from, r->message);
            }
        }
        return got;
    };
    drainApp(*host);
    drainApp(*pilots[0]);

    ASSERT_TRUE(SendPresent(*host, hostId));
    ASSERT_TRUE(SendRollCall(*host, hostId));
    ASSERT_TRUE(SendChatLine(*host, hostId, "N2, hello", {pilots[1]->LocalPlayer()}));
    const auto first = drainApp(*pilots[0]);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].second, EncodePresent(hostId));
    EXPECT_EQ(first[1].second, EncodeRollCall());
    const auto second = drainApp(*pilots[1]);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[2].first, hostId);
    EXPECT_EQ(second[2].second, EncodeChatLine("N2, hello"));
    // A recipient who has left does not keep the line from those after him.
    EXPECT_FALSE(SendChatLine(*host, hostId, "x", {999, pilots[0]->LocalPlayer()}));
    EXPECT_EQ(drainApp(*pilots[0]).size(), 1u);
}

}  // namespace
}  // namespace corvane::session
