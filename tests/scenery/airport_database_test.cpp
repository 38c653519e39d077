#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "scenery/AirportDatabase.h"
#include "support/TempDir.h"

namespace corvane::scenery {
namespace {

// The layout spelt out field by field, independently of the encoder.
class Bytes {
  public:
    Bytes& U16(uint16_t v) { return Raw(&v, 2); }
    Bytes& I16(int16_t v) { return Raw(&v, 2); }
    Bytes& I32(int32_t v) { return Raw(&v, 4); }
    Bytes& F64(double v) { return Raw(&v, 8); }
    Bytes& U8(uint8_t v) { return Raw(&v, 1); }
    Bytes& Str(const std::string& cp1252) {
        U16(static_cast<uint16_t>(cp1252.size()));
        out.insert(out.end(), cp1252.begin(), cp1252.end());
        return *this;
    }
    std::vector<uint8_t> out;

  private:
    Bytes& Raw(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        out.insert(out.end(), b, b + n);
        return *this;
    }
};

AirportRecord BoeingField() {
    AirportRecord r;
    r.ident = "KBFI";
    r.lat = 47.53;
    r.lon = -122.30;
    r.name = "BOEING FLD";
    r.groundFreq = "121.9";
    r.towerFreq = "120.6";
    r.runwayName = "13R";
    r.runwayLat = 47.54;
    r.runwayLon = -122.31;
    r.fieldElevation = 21;
    r.runwayLength = 10000;
    r.runwayWidth = 200;
    r.runwayHeading = 134;
    r.runwayHasIls = kTrue;
    r.taxiNodes = std::vector<TaxiNode>{{2, 47.5, -122.25}};
    r.taxiNodeCount = 1;
    r.taxiPaths = std::vector<TaxiPath>{};  // sized, but to nothing
    return r;
}

AirportRecord Zurich() {
    AirportRecord r;
    r.ident = "LSZH";
    r.lat = 47.458;
    r.lon = 8.548;
    r.name = "ZÜRICH-KLOTEN €";
    r.parking = std::vector<ParkingSpot>{{"GATE A 12", 90, 47.45, 8.55, 0},
                                         {"PARKING 5", 60, 47.46, 8.56, 1}};
    r.parkingCount = 2;
    r.taxiPaths = std::vector<TaxiPath>{{0, 0, 1, "B"}, {1, 1, 0, "Runway 16"}};
    r.taxiPathCount = 2;
    return r;
}

std::vector<uint8_t> BoeingFieldBytes() {
    Bytes b;
    b.Str("KBFI").F64(47.53).F64(-122.30).Str("BOEING FLD");
    b.Str("121.9").Str("120.6").Str("").Str("").Str("").Str("13R");
    b.F64(47.54).F64(-122.31).I32(21).I32(10000).I32(200).I16(134).I16(-1);
    b.I16(1).I32(1).I32(0).I32(2).F64(47.5).F64(-122.25).I16(1);  // taxi points, sized
    b.I16(0).I16(0);                                              // parking, never sized
    b.I16(1).I32(0).I32(0).I16(0);                                // taxi paths, sized to 0
    return b.out;
}

TEST(AirportDatabaseLayout, OneRecordFieldByField) {
    ByteWriter w;
    EncodeAirportRecord(w, BoeingField());
    const std::vector<uint8_t> expected = BoeingFieldBytes();
    ASSERT_EQ(expected.size(), 139u);
    EXPECT_EQ(w.Data(), expected);
    // The ILS flag is the Integer at 89: true is FF FF.
    EXPECT_EQ(w.Data()[89], 0xFF);
    EXPECT_EQ(w.Data()[90], 0xFF);
}

TEST(AirportDatabaseLayout, BlankRecordIsSeventySixZeroBytes) {
    ByteWriter w;
    EncodeAirportRecord(w, AirportRecord{});
    EXPECT_EQ(w.Data(), std::vector<uint8_t>(76, 0));
    EXPECT_EQ(EncodeAirportDatabase({}), std::vector<uint8_t>(kBlankRecordSize, 0));
}

TEST(AirportDatabaseLayout, ParkingAndPathElementsAndWindows1252Names) {
    ByteWriter w;
    EncodeAirportRecord(w, Zurich());
    Bytes b;
    b.Str("LSZH").F64(47.458).F64(8.548).Str("Z\xDCRICH-KLOTEN \x80");
    b.Str("").Str("").Str("").Str("").Str("").Str("");
    b.F64(0).F64(0).I32(0).I32(0).I32(0).I16(0).I16(0);
    b.I16(0).I16(0);  // taxi points never sized
    b.I16(1).I32(2).I32(0);
    b.Str("GATE A 12").I32(90).F64(47.45).F64(8.55).U8(0);
    b.Str("PARKING 5").I32(60).F64(47.46).F64(8.56).U8(1);
    b.I16(2);
    b.I16(1).I32(2).I32(0);
    b.I32(0).I32(0).I32(1).Str("B");
    b.I32(1).I32(1).I32(0).Str("Runway 16");
    b.I16(2);
    EXPECT_EQ(w.Data(), b.out);
}

TEST(AirportDatabaseLayout, NonAsciiLettersAnywhereInALongTextAreConverted) {
    // The letter in the first eight bytes, in a later eight, and in the tail after them.
    AirportRecord r;
    r.ident = "ÉABCDEFGHIJKLMNOP";
    r.name = "ABCDEFGHIJ€KLMNOPQRS";
    r.groundFreq = "ABCDEFGHIJKLMNOPQÉ";
    r.towerFreq = "ABCDEFGH";
    r.parking = std::vector<ParkingSpot>{{"PARKING ÖST 1", 0, 0, 0, 0}};
    r.parkingCount = 1;
    ByteWriter w;
    EncodeAirportRecord(w, r);
    Bytes b;
    b.Str(
         "\xC9"
         "ABCDEFGHIJKLMNOP")
        .F64(0)
        .F64(0)
        .Str("ABCDEFGHIJ\x80KLMNOPQRS");
    b.Str("ABCDEFGHIJKLMNOPQ\xC9").Str("ABCDEFGH").Str("").Str("").Str("").Str("");
    b.F64(0).F64(0).I32(0).I32(0).I32(0).I16(0).I16(0);
    b.I16(0).I16(0);
    b.I16(1).I32(1).I32(0).Str("PARKING \xD6ST 1").I32(0).F64(0).F64(0).U8(0).I16(1);
    b.I16(0).I16(0);
    EXPECT_EQ(w.Data(), b.out);
}

TEST(AirportDatabaseLayout, RecordsOfEveryLengthUpToSomeKilobytesAreLaidOutWhole) {
    // No taxi points, then parking places and taxi paths sized to nothing, after a name of every
    // length: the most bytes a record puts after its texts without a taxi point or an element.
    for (size_t length = 0; length <= 4200; ++length) {
        AirportRecord r;
        r.name = std::string(length, 'N');
        r.parking = std::vector<ParkingSpot>{};
        r.taxiPaths = std::vector<TaxiPath>{};
        ByteWriter w;
        EncodeAirportRecord(w, r);
        Bytes b;
        b.Str("").F64(0).F64(0).Str(r.name).Str("").Str("").Str("").Str("").Str("").Str("");
        b.F64(0).F64(0).I32(0).I32(0).I32(0).I16(0).I16(0);
        b.I16(0).I16(0);
        b.I16(1).I32(0).I32(0).I16(0);
        b.I16(1).I32(0).I32(0).I16(0);
        ASSERT_EQ(w.Data(), b.out) << length;
        ASSERT_EQ(w.Size(), 92 + length);
    }
}

TEST(AirportDatabaseLayout, TwoAirportsMakeThreeRecordsAndReadBackExactly) {
    const std::vector<AirportRecord> airports = {BoeingField(), Zurich()};
    const std::vector<uint8_t> file = EncodeAirportDatabase(airports);
    ByteWriter zurich;
    EncodeAirportRecord(zurich, Zurich());
    ASSERT_EQ(file.size(), 139 + zurich.Size() + 76);
    EXPECT_EQ(std::vector<uint8_t>(file.end() - 76, file.end()), std::vector<uint8_t>(76, 0));

    const AirportDatabaseRead read = DecodeAirportDatabase(file, 2);
    ASSERT_EQ(read.airports.size(), 2u);
    EXPECT_EQ(read.airports[0], airports[0]);
    EXPECT_EQ(read.airports[1], airports[1]);
    EXPECT_EQ(read.airports[1].name, "ZÜRICH-KLOTEN €");  // shown as Unicode
    EXPECT_EQ(read.missingRecords, 0);
    EXPECT_EQ(read.firstDamagedRecord, -1);
    EXPECT_EQ(read.extraBytes, 0u);
    // Never sized and sized-to-nothing stay apart both ways.
    EXPECT_FALSE(read.airports[0].parking.has_value());
    ASSERT_TRUE(read.airports[0].taxiPaths.has_value());
    EXPECT_TRUE(read.airports[0].taxiPaths->empty());
    EXPECT_EQ(EncodeAirportDatabase(read.airports), file);
}

TEST(AirportDatabaseReading, MissingRecordsReadBlankAndExtraBytesAreIgnored) {
    const std::vector<uint8_t> file = EncodeAirportDatabase({BoeingField(), Zurich()});

    // A count beyond the file: the blank third record is read as an airport, the rest are blank.
    const AirportDatabaseRead more = DecodeAirportDatabase(file, 5);
    ASSERT_EQ(more.airports.size(), 5u);
    EXPECT_EQ(more.airports[1], Zurich());
    for (size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(more.airports[i], AirportRecord{}) << i;
    }
    EXPECT_EQ(more.missingRecords, 2);
    EXPECT_EQ(more.firstDamagedRecord, -1);

    // A smaller count: the second airport is read as the spare and dropped, the blank one left.
    const AirportDatabaseRead fewer = DecodeAirportDatabase(file, 1);
    ASSERT_EQ(fewer.airports.size(), 1u);
    EXPECT_EQ(fewer.airports[0], BoeingField());
    EXPECT_EQ(fewer.extraBytes, 76u);
}

TEST(AirportDatabaseReading, EveryTruncationKeepsTheWholeRecordsBeforeIt) {
    const std::vector<uint8_t> file = EncodeAirportDatabase({BoeingField(), Zurich()});
    for (size_t cut = 0; cut < file.size(); ++cut) {
        const std::span<const uint8_t> part(file.data(), cut);
        const AirportDatabaseRead read = DecodeAirportDatabase(part, 2);
        ASSERT_EQ(read.airports.size(), 2u);
        if (cut >= 139) {
            EXPECT_EQ(read.airports[0], BoeingField()) << cut;
        } else {
            EXPECT_EQ(read.airports[0], AirportRecord{}) << cut;
        }
        if (cut < file.size() - 76) {
            EXPECT_EQ(read.airports[1], AirportRecord{}) << cut;
        }
        EXPECT_EQ(read.missingRecords, cut >= 139 ? (cut >= file.size() - 76 ? 0 : 1) : 2) << cut;
    }
}

TEST(AirportDatabaseReading, ArraysThatMakeNoSenseBlankTheRestWithoutReadingFar) {
    const std::vector<uint8_t> good = EncodeAirportDatabase({BoeingField(), BoeingField()});
    constexpr size_t kSecond = 139;
    constexpr size_t kNodes = kSecond + 91;  // the taxi points' dimension count
    struct Case {
        const char* what;
        size_t offset;
        std::vector<uint8_t> bytes;
        bool malformed;
    };
    const std::vector<Case> cases = {
        {"two dimensions", kNodes, {2, 0}, true},
        {"negative count", kNodes + 2, {0xFF, 0xFF, 0xFF, 0xFF}, true},
        {"lower bound 1", kNodes + 6, {1, 0, 0, 0}, true},
        {"huge count", kNodes + 2, {0xFF, 0xFF, 0xFF, 0x7F}, false},
        {"string past the end", kSecond, {0xFF, 0xFF}, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        std::memcpy(bytes.data() + c.offset, c.bytes.data(), c.bytes.size());
        const AirportDatabaseRead read = DecodeAirportDatabase(bytes, 2);
        ASSERT_EQ(read.airports.size(), 2u) << c.what;
        EXPECT_EQ(read.airports[0], BoeingField()) << c.what;
        EXPECT_EQ(read.airports[1], AirportRecord{}) << c.what;
        EXPECT_EQ(read.missingRecords, 1) << c.what;
        EXPECT_EQ(read.firstDamagedRecord, c.malformed ? 1 : -1) << c.what;
    }
}

TEST(AirportDatabaseFile, WritingReplacesTheFileWhole) {
    testing::TempDir dir;
    const auto file = dir / "world_airports.dat";
    dir.Write("world_airports.dat", std::string(5000, 'x'));  // longer than the new database
    ASSERT_EQ(WriteAirportDatabase(file, {BoeingField()}), "");
    const std::string written = dir.Read("world_airports.dat");
    const std::vector<uint8_t> expected = EncodeAirportDatabase({BoeingField()});
    EXPECT_EQ(written, std::string(expected.begin(), expected.end()));
    EXPECT_FALSE(dir.Exists("world_airports.dat.new"));

    const AirportDatabaseFile read = ReadAirportDatabase(file, 1);
    EXPECT_EQ(read.error, "");
    ASSERT_EQ(read.content.airports.size(), 1u);
    EXPECT_EQ(read.content.airports[0], BoeingField());
}

TEST(AirportDatabaseFile, ADatabaseOfSeveralMegabytesIsWrittenByteForByte) {
    // Written a megabyte at a time: the file must still be the one encoding, record after record,
    // with non-ASCII names among them.
    std::vector<AirportRecord> world;
    for (int i = 0; i < 3000; ++i) {
        AirportRecord r = i % 2 == 0 ? BoeingField() : Zurich();
        r.ident = "A" + std::to_string(i);
        r.taxiNodes = std::vector<TaxiNode>(40, TaxiNode{1, 47.5 + i * 1e-6, -122.3});
        r.taxiNodeCount = 40;
        world.push_back(std::move(r));
    }
    const std::vector<uint8_t> expected = EncodeAirportDatabase(world);
    ASSERT_GT(expected.size(), 2u << 20);
    testing::TempDir dir;
    ASSERT_EQ(WriteAirportDatabase(dir / "world_airports.dat", world), "");
    const std::string written = dir.Read("world_airports.dat");
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), expected.begin(),
                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
}

TEST(AirportDatabaseFile, AFailedWriteLeavesTheOldDatabase) {
    testing::TempDir dir;
    const auto file = dir / "world_airports.dat";
    dir.Write("world_airports.dat", "old database");
    // The new file cannot be created where it must go.
    std::filesystem::create_directory(dir / "world_airports.dat.new");
    EXPECT_NE(WriteAirportDatabase(file, {BoeingField()}), "");
    EXPECT_EQ(dir.Read("world_airports.dat"), "old database");

    EXPECT_NE(WriteAirportDatabase(dir / "no-such-folder" / "world_airports.dat", {}), "");
    AirportRecord tooLong;
    tooLong.parking = std::vector<ParkingSpot>{{std::string(70000, 'A'), 0, 0, 0, 0}};
    std::filesystem::remove(dir / "world_airports.dat.new");
    EXPECT_NE(WriteAirportDatabase(file, {tooLong}), "");
    EXPECT_EQ(dir.Read("world_airports.dat"), "old database");
}

// Record by record through the writer: the same bytes as the whole list encoded at once.
TEST(AirportDatabaseWriter, StreamsTheSameBytesAsTheWholeEncoding) {
    std::vector<AirportRecord> world;
    for (int i = 0; i < 2500; ++i) {
        AirportRecord r = i % 2 == 0 ? BoeingField() : Zurich();
        r.ident = "W" + std::to_string(i);
        r.taxiNodes = std::vector<TaxiNode>(30 + i % 7, TaxiNode{1, 47.5 + i * 1e-6, -122.3});
        r.taxiNodeCount = static_cast<int16_t>(r.taxiNodes->size());
        world.push_back(std::move(r));
        if (i == 1200) {
            // A record larger than the writer's megabyte on its own, between ordinary ones.
            AirportRecord big = BoeingField();
            big.taxiNodes = std::vector<TaxiNode>(60000, TaxiNode{3, 1.5, -2.25});
            world.push_back(std::move(big));
        }
    }
    const std::vector<uint8_t> expected = EncodeAirportDatabase(world);
    ASSERT_GT(expected.size(), 3u << 20);  // several of the writer's megabytes
    testing::TempDir dir;
    const auto file = dir / "world_airports.dat";
    {
        AirportDatabaseWriter writer(file);
        for (const AirportRecord& r : world) {
            writer.Add(r);
        }
        EXPECT_TRUE(dir.Exists("world_airports.dat.new"));
        EXPECT_FALSE(dir.Exists("world_airports.dat"));  // only once finished
        ASSERT_EQ(writer.Finish(), "");
        EXPECT_EQ(writer.Finish(), "");  // a second call changes nothing
    }
    const std::string written = dir.Read("world_airports.dat");
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), expected.begin(),
                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
    EXPECT_FALSE(dir.Exists("world_airports.dat.new"));

    // No airports: the blank record alone.
    AirportDatabaseWriter empty(dir / "empty.dat");
    ASSERT_EQ(empty.Finish(), "");
    EXPECT_EQ(dir.Read("empty.dat"), std::string(76, '\0'));
}

TEST(AirportDatabaseWriter, AWriterNotFinishedLeavesNothingAndTheOldDatabaseStands) {
    testing::TempDir dir;
    dir.Write("world_airports.dat", "old database");
    {
        AirportDatabaseWriter writer(dir / "world_airports.dat");
        writer.Add(BoeingField());
        writer.Add(Zurich());
        EXPECT_TRUE(dir.Exists("world_airports.dat.new"));
    }
    EXPECT_FALSE(dir.Exists("world_airports.dat.new"));
    EXPECT_EQ(dir.Read("world_airports.dat"), "old database");
}

TEST(AirportDatabaseWriter, AFileThatCannotBeCreatedOrWrittenKeepsTheOldDatabase) {
    testing::TempDir dir;
    const auto file = dir / "world_airports.dat";
    dir.Write("world_airports.dat", "old database");
    // The new file's place is taken by a folder, which is not the writer's to remove.
    std::filesystem::create_directory(dir / "world_airports.dat.new");
    {
        AirportDatabaseWriter writer(file);
        writer.Add(BoeingField());
        EXPECT_EQ(writer.Finish().rfind(
                      "cannot create " + (dir / "world_airports.dat.new").string() + ": ", 0),
                  0u);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "world_airports.dat.new"));
    EXPECT_EQ(dir.Read("world_airports.dat"), "old database");
    std::filesystem::remove(dir / "world_airports.dat.new");

    // A full disk: the new file leads to a device that takes no bytes.
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    std::filesystem::create_symlink("/dev/full", dir / "world_airports.dat.new");
    {
        AirportDatabaseWriter writer(file);
        writer.Add(Zurich());
        EXPECT_EQ(writer.Finish(), "cannot write " + (dir / "world_airports.dat.new").string() +
                                       ": " + std::strerror(ENOSPC));
    }
    EXPECT_EQ(dir.Read("world_airports.dat"), "old database");
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::symlink_status(dir / "world_airports.dat.new")));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST(AirportDatabaseWriter, ATextTooLongForTheFileRefusesTheWholeDatabase) {
    testing::TempDir dir;
    const auto file = dir / "world_airports.dat";
    AirportRecord limit = BoeingField();
    limit.name = std::string(65535, 'A');  // the longest a length of two bytes can say
    // 70000 bytes of UTF-8, 35000 in the file.
    limit.parking = std::vector<ParkingSpot>{{[] {
                                                  std::string s;
                                                  for (int i = 0; i < 35000; ++i) {
                                                      s += "É";
                                                  }
                                                  return s;
                                              }(),
                                              0, 0, 0, 0}};
    limit.parkingCount = 1;
    ASSERT_EQ(WriteAirportDatabase(file, {limit}), "");
    const std::vector<uint8_t> expected = EncodeAirportDatabase({limit});
    EXPECT_EQ(dir.Read("world_airports.dat"), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(expected.size(), 139u - 10 + 65535 + 8 + 23 + 35000 + 76);

    AirportRecord over = Zurich();
    over.ident = "LONG";
    over.taxiPaths = std::vector<TaxiPath>{{0, 0, 1, std::string(65536, 'B')}};
    EXPECT_EQ(WriteAirportDatabase(file, {BoeingField(), over, Zurich()}),
              "a text of airport LONG is longer than 65535 bytes");
    EXPECT_EQ(dir.Read("world_airports.dat"), std::string(expected.begin(), expected.end()));
    EXPECT_FALSE(dir.Exists("world_airports.dat.new"));

    // With no database before, none after; the refusal is named before a file that could not
    // be created.
    std::filesystem::remove(file);
    std::filesystem::create_directory(dir / "world_airports.dat.new");
    EXPECT_EQ(WriteAirportDatabase(file, {over}),
              "a text of airport LONG is longer than 65535 bytes");
    EXPECT_FALSE(dir.Exists("world_airports.dat"));
}

TEST(AirportDatabaseFile, UnreadableFileOrImpossibleCountIsAnError) {
    testing::TempDir dir;
    EXPECT_NE(ReadAirportDatabase(dir / "world_airports.dat", 1).error, "");
    dir.Write("world_airports.dat", std::string(76, '\0'));
    EXPECT_NE(ReadAirportDatabase(dir / "world_airports.dat", kMaxAirportCount + 1).error, "");
    EXPECT_NE(ReadAirportDatabase(dir / "world_airports.dat", -1).error, "");
    const AirportDatabaseFile empty = ReadAirportDatabase(dir / "world_airports.dat", 0);
    EXPECT_EQ(empty.error, "");
    EXPECT_TRUE(empty.content.airports.empty());
}

TEST(AirportList, ComboLineIsIdentAndNameInBrackets) {
    AirportRecord r;
    r.ident = "KSEA";
    r.name = "SEATTLE-TACOMA INTL";
    EXPECT_EQ(ComboLine(r), "KSEA (SEATTLE-TACOMA INTL)");
    EXPECT_EQ(ComboLine(AirportRecord{}), " ()");
}

}  // namespace
}  // namespace corvane::scenery
