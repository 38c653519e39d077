#include <gtest/gtest.h>

#include "session/Message.h"

namespace corvane::session {
namespace {

TEST(Message, WritesLongShortAndByteLittleEndianInOrder) {
    Message m;
    m.WriteLong(0x1023);
    m.WriteShort(-2);
    m.WriteByte(0xAB);
    m.WriteLong(-1);
    const std::vector<uint8_t> expected = {0x23, 0x10, 0x00, 0x00, 0xFE, 0xFF,
                                           0xAB, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(m.Bytes(), expected);
}

TEST(Message, ReadsBackInWrittenOrderAndFailsPastTheEndWithoutMoving) {
    Message m;
    m.WriteLong(4099);
    m.WriteShort(300);
    m.WriteByte(7);
    Message in(m.Bytes());
    EXPECT_EQ(in.ReadLong(), 4099);
    EXPECT_EQ(in.ReadShort(), 300);
    // One byte left: a Long and a Short fail and leave it there for a Byte.
    EXPECT_FALSE(in.ReadLong().has_value());
    EXPECT_FALSE(in.ReadShort().has_value());
    EXPECT_EQ(in.ReadPosition(), 6u);
    EXPECT_EQ(in.ReadByte(), 7);
    EXPECT_FALSE(in.ReadByte().has_value());
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(Message, SkipStopsAtTheEnd) {
    Message m;
    m.WriteLong(1);
    m.WriteLong(2);
    EXPECT_FALSE(m.Skip(9));
    EXPECT_EQ(m.ReadPosition(), 0u);
    EXPECT_TRUE(m.Skip(4));
    EXPECT_EQ(m.ReadLong(), 2);
    EXPECT_TRUE(m.Skip(0));
}

TEST(Message, AnEmptyMessageReadsNothing) {
    Message m;
    EXPECT_FALSE(m.ReadByte().has_value());
    EXPECT_EQ(m.Size(), 0u);
}

}  // namespace
}  // namespace corvane::session
