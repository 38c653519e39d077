#pragma once
// The mirror of the airport decoder (src/scenery/BglDecoder.h): writes FS2002-style facility BGL
// files record by record, so tests and the demo world can build exactly the bytes the decoder
// walks. Everything is little-endian.
//
// File layout written:
//   0x00   header (0xC0 bytes): 0x76 signature, 0x90 the word 1, 0x9C index section offset,
//          0xA4 second section offset (0 when a section has no airports)
//   0xC0   index section: index blocks (0x30001) of up to `entriesPerBlock` entries, then an end
//          record
//   ...    second section: a skipped record (id 1), index blocks, a skipped record, an end record
//   ...    one data block per airport: 1, 0, 1, 0, then its records and an end record
//
// Record order inside a data block: header (0x10001), second position (0x10003), name
// (0x10006), each runway (0x10002) followed by its sub-records (0x10004) and its starts
// (0x10005), frequencies (0x20001) in the order given, the taxiway network (0x11001), extra raw
// records, an end record.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::writer {

struct RunwayStart {
    int32_t number = 0;
    int32_t code = 0;  // 0 none, 1 L, 2 R, 3 C, 4 H
    int32_t kind = 1;  // a start designation is taken only from kind >= 1
    double lat = 0.0;
    double lon = 0.0;
    int32_t altitudeM = 0;
    double trueHeading = 0.0;  // degrees
};

struct Runway {
    int32_t number = 0;
    int32_t code = 0;
    int32_t lengthFt = 0;
    int32_t widthFt = 0;
    std::vector<int32_t> subRecordKinds;  // +40 of each sub-record; 4 is an ILS
    std::vector<RunwayStart> starts;
};

struct Frequency {
    int32_t type = 0;  // 4 CTAF, 5 ground, 6 tower, 8 approach, 9 departure, 10 centre, others
    uint32_t word = 0;
};

struct TaxiPoint {
    int32_t kind = 1;
    float x = 0;  // metres east of the airport header's position
    float y = 0;  // metres north
};

struct ParkingPlace {
    float x = 0;
    float y = 0;
    float radiusM = 0;
    uint32_t flags = 0;  // low 20 bits: 128 * number + name code
};

struct TaxiSegment {
    int32_t kind = 0;  // 0 taxi, 1 runway, 2 parking
    int32_t startNode = 0;
    int32_t endNode = 0;
    int32_t nameNumber = 0;  // a taxiway name index, or a runway record index
};

struct TaxiNetwork {
    std::vector<TaxiPoint> points;
    std::vector<ParkingPlace> parking;
    std::vector<TaxiSegment> segments;
    std::optional<std::vector<std::string>> names;  // no names sub-section when absent
};

struct RawRecord {
    int32_t id = 0;
    std::string payload;  // the bytes after id and size
};

struct Airport {
    std::string ident;
    std::string name;  // Windows-1252 bytes
    double lat = 0.0;
    double lon = 0.0;
    int32_t altitudeM = 0;
    std::optional<std::pair<double, double>> secondPosition;
    std::vector<Runway> runways;
    std::vector<Frequency> frequencies;
    std::optional<TaxiNetwork> taxi;
    std::vector<RawRecord> extraRecords;
    int section = 1;              // 1 the index section, 2 the second section
    int32_t entryKind = 0x50001;  // another kind adds no airport
    int32_t blockFirstWord = 1;   // the data block's words at +0 and +8; not 1 adds no airport
};

struct BglFile {
    std::vector<Airport> airports;
    size_t entriesPerBlock = 64;  // index entries per index block
    int32_t version = 1;          // the word at 0x90
};

// Where the writer put things, for tests that damage a file on purpose.
struct RecordPlace {
    int32_t id = 0;
    size_t offset = 0;
};
struct BglLayout {
    size_t indexSection = 0;   // 0 when unused
    size_t secondSection = 0;  // 0 when unused
    std::vector<size_t> indexBlocks;
    std::vector<size_t> entries;                    // per airport, in the order given
    std::vector<size_t> dataBlocks;                 // per airport
    std::vector<std::vector<RecordPlace>> records;  // per airport, every record of its block
};

std::vector<uint8_t> WriteBgl(const BglFile& file, BglLayout* layout = nullptr);

// Word encodings, the inverses of the decoder's conversions.
int32_t LatitudeWord(double degrees);
int32_t LongitudeWord(double degrees);
int32_t HeadingWord(double trueDegrees);
// "121.95" gives 0x01219500: one decimal digit per hexadecimal digit of MHz x 10000. Throws
// std::invalid_argument for a text that is not such a frequency.
uint32_t FrequencyWord(const std::string& mhz);
// "16L" gives number 16, code 1; "9" gives 9, 0. Throws std::invalid_argument otherwise.
std::pair<int32_t, int32_t> ParseDesignation(const std::string& designation);
// The parking flags of a name ("Gate A", any case) and number; the high bits carry a type the
// decoder ignores. Throws std::invalid_argument for an unknown name.
uint32_t ParkingFlags(const std::string& name, int32_t number);

// Metres east and north of a reference position that the decoder turns back into `lat`/`lon`.
std::pair<double, double> OffsetMeters(double refLat, double refLon, double lat, double lon);

}  // namespace corvane::writer
