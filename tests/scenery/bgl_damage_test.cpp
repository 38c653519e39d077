// Damaged airport files: built with the writer, then cut, looped, pointed past their end, flipped
// and zeroed. The decoder keeps what it could decode, counts the damage, and (under the address
// sanitizer these tests run with) never reads outside the file.
#include <gtest/gtest.h>

#include "scenery-writer/BglWriter.h"
#include "scenery/BglDecoder.h"
#include "shared/Bytes.h"

namespace corvane::scenery {
namespace {

using writer::Airport;
using writer::BglFile;
using writer::BglLayout;

Airport FullAirport(const std::string& ident) {
    Airport a;
    a.ident = ident;
    a.name = "Field " + ident;
    a.lat = 45.0;
    a.lon = -45.0;
    writer::Runway rw;
    rw.number = 16;
    rw.code = 1;
    rw.lengthFt = 9000;
    rw.widthFt = 150;
    rw.subRecordKinds = {1, 4};
    rw.starts = {{16, 1, 1, 45.01, -45.0, 100, 180.0}, {34, 2, 1, 44.99, -45.0, 100, 0.0}};
    a.runways = {rw};
    a.frequencies = {{5, 0x01219000}, {6, 0x01183000}};
    writer::TaxiNetwork t;
    t.points = {{1, 0, 0}, {1, 100, 0}, {1, 100, 100}};
    t.parking = {{50, 50, 15, 0x705}};
    t.segments = {{0, 0, 1, 0}, {1, 1, 2, 0}, {2, 2, 0, 0}};
    t.names = std::vector<std::string>{"A"};
    a.taxi = t;
    return a;
}

struct Decoded {
    std::vector<AirportRecord> airports;
    BglReport report;
};

Decoded DecodeBytes(const std::vector<uint8_t>& bytes) {
    Decoded d;
    d.report = ScanBglHeader(bytes, {}, d.airports);
    return d;
}

template <typename T>
void Poke(std::vector<uint8_t>& bytes, size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

size_t RecordOffset(const BglLayout& layout, size_t airport, int32_t id) {
    for (const auto& place : layout.records[airport]) {
        if (place.id == id) {
            return place.offset;
        }
    }
    ADD_FAILURE() << "no record " << id;
    return 0;
}

class BglDamage : public ::testing::Test {
  protected:
    void SetUp() override {
        file_.airports = {FullAirport("AAAA"), FullAirport("BBBB"), FullAirport("CCCC")};
        file_.airports[2].section = 2;
        bytes_ = writer::WriteBgl(file_, &layout_);
        const Decoded whole = DecodeBytes(bytes_);
        ASSERT_TRUE(whole.report.Clean());
        ASSERT_EQ(whole.airports.size(), 3u);
        sound_ = whole.airports;
    }

    BglFile file_;
    BglLayout layout_;
    std::vector<uint8_t> bytes_;
    std::vector<AirportRecord> sound_;
};

TEST_F(BglDamage, ATruncatedFileKeepsWhatLiesBeforeTheCut) {
    // Cut inside the second airport's taxiway network: the first airport is whole, the second
    // keeps everything before its network, the third's data block is gone.
    const size_t network = RecordOffset(layout_, 1, bgl::kTaxiwayNetwork);
    std::vector<uint8_t> cut(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(network + 20));
    const Decoded d = DecodeBytes(cut);
    ASSERT_EQ(d.airports.size(), 2u);
    EXPECT_EQ(d.airports[0], sound_[0]);
    const AirportRecord& second = d.airports[1];
    EXPECT_EQ(second.ident, "BBBB");
    EXPECT_EQ(second.name, "FIELD BBBB");
    EXPECT_EQ(second.runwayName, "16L");
    EXPECT_EQ(second.runwayHasIls, kTrue);
    EXPECT_EQ(second.towerFreq, "118.3");
    EXPECT_FALSE(second.taxiNodes.has_value());
    EXPECT_EQ(d.report.problems, 2);  // the network of BBBB, the data block of CCCC
}

TEST_F(BglDamage, EveryCutIsReportedAndNeverReadPast) {
    // Only the size word of the very last end record is not needed; any shorter file is damaged.
    for (size_t length = 0; length + 4 < bytes_.size(); ++length) {
        std::vector<uint8_t> cut(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(length));
        const Decoded d = DecodeBytes(cut);
        ASSERT_FALSE(d.report.Clean()) << "cut at " << length;
        ASSERT_LE(d.airports.size(), 3u);
        for (size_t i = 0; i < d.airports.size(); ++i) {
            ASSERT_EQ(d.airports[i].ident, sound_[i].ident);
        }
    }
}

TEST_F(BglDamage, ALoopingIndexChainEndsTheFile) {
    // A block size of -8 would make the next block start where this one does.
    Poke<int32_t>(bytes_, layout_.indexBlocks[0] + 4, -8);
    const Decoded d = DecodeBytes(bytes_);
    EXPECT_TRUE(d.airports.empty());
    EXPECT_EQ(d.report.problems, 1);
    ASSERT_FALSE(d.report.notes.empty());
    EXPECT_NE(d.report.notes[0].find("size not above 0"), std::string::npos);
}

TEST_F(BglDamage, ALoopingEntryOrRecordEndsItsWalk) {
    std::vector<uint8_t> entry = bytes_;
    Poke<int32_t>(entry, layout_.entries[1] + 4, -8);
    Decoded d = DecodeBytes(entry);
    ASSERT_EQ(d.airports.size(), 1u);  // AAAA before it; the file's walk ends there
    EXPECT_EQ(d.airports[0], sound_[0]);
    EXPECT_EQ(d.report.problems, 1);

    // A record of zero size inside an airport ends that airport only.
    std::vector<uint8_t> record = bytes_;
    Poke<int32_t>(record, RecordOffset(layout_, 0, bgl::kFrequency) + 4, 0);
    d = DecodeBytes(record);
    ASSERT_EQ(d.airports.size(), 3u);
    EXPECT_EQ(d.airports[0].runwayName, "16L");
    EXPECT_EQ(d.airports[0].groundFreq, "");
    EXPECT_FALSE(d.airports[0].taxiPaths.has_value());
    EXPECT_EQ(d.airports[1], sound_[1]);
    EXPECT_EQ(d.airports[2], sound_[2]);
    EXPECT_EQ(d.report.problems, 1);
}

TEST_F(BglDamage, ASecondSectionThatIsTheIndexSectionDecodesItTwiceAndEnds) {
    Poke<int32_t>(bytes_, 0xA4, static_cast<int32_t>(layout_.indexSection));
    const Decoded d = DecodeBytes(bytes_);
    ASSERT_EQ(d.airports.size(), 4u);
    EXPECT_EQ(d.airports[2].ident, "AAAA");
    EXPECT_EQ(d.airports[3].ident, "BBBB");
    EXPECT_TRUE(d.report.Clean());
}

TEST_F(BglDamage, OffsetsPastTheEnd) {
    // A data offset past the end loses that airport; its neighbours stay.
    std::vector<uint8_t> data = bytes_;
    Poke<int32_t>(data, layout_.entries[0] + 12, 0x7FFFFFF0);
    Decoded d = DecodeBytes(data);
    ASSERT_EQ(d.airports.size(), 2u);
    EXPECT_EQ(d.airports[0].ident, "BBBB");
    EXPECT_EQ(d.airports[1].ident, "CCCC");
    EXPECT_EQ(d.report.problems, 1);

    // Section offsets past the end.
    std::vector<uint8_t> sections = bytes_;
    Poke<int32_t>(sections, 0x9C, static_cast<int32_t>(bytes_.size()) + 1000);
    Poke<int32_t>(sections, 0xA4, INT32_MAX);
    d = DecodeBytes(sections);
    EXPECT_TRUE(d.airports.empty());
    EXPECT_EQ(d.report.problems, 1);  // the first section's damage ends the file

    // An identifier longer than the file.
    std::vector<uint8_t> ident = bytes_;
    Poke<int32_t>(ident, layout_.entries[0] + 4, INT32_MAX - 8);
    d = DecodeBytes(ident);
    EXPECT_TRUE(d.airports.empty());
    EXPECT_FALSE(d.report.Clean());

    // A negative entry count.
    std::vector<uint8_t> count = bytes_;
    Poke<int32_t>(count, layout_.indexBlocks[0] + 20, -1);
    d = DecodeBytes(count);
    EXPECT_TRUE(d.airports.empty());
    EXPECT_FALSE(d.report.Clean());
}

TEST_F(BglDamage, ATaxiCountPastItsRecordEndsTheAirport) {
    // The first sub-section (points) claims a million items.
    const size_t network = RecordOffset(layout_, 0, bgl::kTaxiwayNetwork);
    Poke<int32_t>(bytes_, network + 8, 1000000);
    const Decoded d = DecodeBytes(bytes_);
    ASSERT_EQ(d.airports.size(), 3u);
    EXPECT_EQ(d.airports[0].runwayName, "16L");
    EXPECT_EQ(d.airports[0].towerFreq, "118.3");
    EXPECT_FALSE(d.airports[0].taxiNodes.has_value());
    EXPECT_EQ(d.airports[1], sound_[1]);
    EXPECT_EQ(d.report.problems, 1);
}

TEST(BglDamageWork, ManyEntriesSharingOneLargeBlockAreStopped) {
    // One airport with a large network, then thousands of index entries that all name its data
    // block: decoding each would take far more work than the file's size can honestly hold.
    BglFile file;
    Airport big = FullAirport("BIG1");
    big.taxi->points.assign(2000, {1, 10, 10});
    file.airports.push_back(big);
    for (int i = 0; i < 3000; ++i) {
        Airport copy;
        copy.ident = "C" + std::to_string(i);
        file.airports.push_back(copy);
    }
    BglLayout layout;
    std::vector<uint8_t> bytes = writer::WriteBgl(file, &layout);
    for (size_t i = 1; i < file.airports.size(); ++i) {
        Poke<int32_t>(bytes, layout.entries[i] + 12, static_cast<int32_t>(layout.dataBlocks[0]));
    }
    const Decoded d = DecodeBytes(bytes);
    EXPECT_FALSE(d.report.Clean());
    EXPECT_GT(d.airports.size(), 1u);
    EXPECT_LT(d.airports.size(), file.airports.size());
    EXPECT_NE(d.report.notes.back().find("more records"), std::string::npos);
}

TEST_F(BglDamage, FlippedAndZeroedBytesNeverCrash) {
    // Every byte flipped, and every aligned word zeroed, one at a time. However the walk goes,
    // it ends, adds no more airports than the file's entries (each section at most once more), and
    // every airport it adds comes with a known identifier or a damaged one, never garbage memory.
    size_t damaged = 0;
    for (size_t i = 0; i < bytes_.size(); ++i) {
        for (int variant = 0; variant < 2; ++variant) {
            std::vector<uint8_t> copy = bytes_;
            if (variant == 0) {
                copy[i] ^= 0xFF;
            } else if (i % 4 == 0 && i + 4 <= copy.size()) {
                Poke<int32_t>(copy, i, 0);
            } else {
                continue;
            }
            const Decoded d = DecodeBytes(copy);
            ASSERT_LE(d.airports.size(), 6u) << "byte " << i;
            ASSERT_EQ(d.report.airportsAdded, static_cast<int32_t>(d.airports.size()));
            damaged += d.report.Clean() ? 0 : 1;
        }
    }
    EXPECT_GT(damaged, 0u);
}

}  // namespace
}  // namespace corvane::scenery
