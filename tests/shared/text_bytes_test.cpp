#include <gtest/gtest.h>

#include "shared/Bytes.h"
#include "shared/Text.h"

namespace corvane {
namespace {

TEST(Cp1252, NamesWithAccentsAndTheEuroSurviveBothWays) {
    const std::string utf8 = "Montaña No7 – €";
    const std::string bytes = Utf8ToCp1252(utf8);
    EXPECT_EQ(bytes, std::string("Monta\xF1"
                                 "a No7 \x96 \x80"));
    EXPECT_EQ(Cp1252ToUtf8(bytes), utf8);
}

TEST(Cp1252, EveryByteRoundTripsAndUnknownCharactersBecomeQuestionMarks) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Utf8ToCp1252("Tōkyō 東"), "T?ky? ?");
    EXPECT_EQ(Utf8ToCp1252(std::string("a\xC3", 2)), "a?");  // cut-off sequence
    EXPECT_EQ(Utf8ToCp1252(std::string("\xFF\xFE", 2)), "??");
}

TEST(ByteReader, ReadsLittleEndianAndFailsCleanlyPastTheEnd) {
    ByteWriter w;
    w.I16(-2);
    w.I32(0x01219500);
    w.F64(47.5);
    w.U8(0xAB);
    const auto bytes = w.Data();
    ASSERT_EQ(bytes.size(), 15u);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[5], 0x01);

    ByteReader r(bytes);
    EXPECT_EQ(r.I16(), -2);
    EXPECT_EQ(r.I32(), 0x01219500);
    EXPECT_EQ(r.F64(), 47.5);
    EXPECT_FALSE(r.I16().has_value());  // one byte left: a 2-byte read must fail
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.Position(), 14u);  // a failed read does not move
    EXPECT_EQ(r.U8(), 0xAB);
    EXPECT_FALSE(r.U8().has_value());
    EXPECT_FALSE(r.Seek(16));
    EXPECT_TRUE(r.Seek(15));
    EXPECT_FALSE(r.Bytes(1).has_value());
    EXPECT_FALSE(r.PeekAt<int32_t>(12).has_value());
    EXPECT_EQ(r.PeekAt<int32_t>(2), 0x01219500);
    EXPECT_FALSE(r.PeekAt<int32_t>(SIZE_MAX - 1).has_value());  // no overflow in the check
}

}  // namespace
}  // namespace corvane
