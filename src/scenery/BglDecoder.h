#pragma once
// Airports from FS2002 facility BGL files. All words are little-endian, least significant byte
// first; offsets are byte offsets into the whole file.
//
// File header: 0x76 signature 0x87654321, 0x90 must be 1, 0x9C offset of the airport index
// section, 0xA4 offset of a second section (each used only when above 0).
//
// Every record starts with id (Long, +0) and size (Long, +4); the next record starts at
// start + size + 8. An index block (id 0x30001) holds at +20 its entry count and its entries from
// +24; an entry 0x30002 carries +8 kind, +12 data offset and from +16 the identifier. An airport's
// data block starts with the words 1, ?, 1, ? and its records follow from +16:
//
//   0x9C -> [0x30001 index block: N, entry 0x30002 "KSEA" -> data] [0x30001 ...] [other id: end]
//   data -> 1 ? 1 ? [0x10001 header] [0x10002 runway] [0x10004 sub] [0x10005 start] ... [end]
//
// The decoder trusts nothing it reads: every read is bounds-checked, a size of zero or below, an
// offset or count outside the file ends the decoding of the airport (what was decoded stays) or
// of the file, and the damage is counted in the report. A file that claims more work than its
// size allows (many index entries sharing one data block) is stopped as well.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "shared/Records.h"
#include "shared/State.h"

namespace corvane::scenery {

inline constexpr uint32_t kBglSignature = 0x87654321;
inline constexpr size_t kBglSignatureOffset = 0x76;

// Record ids the decoder knows.
namespace bgl {
inline constexpr int32_t kIndexBlock = 0x30001;
inline constexpr int32_t kIndexEntry = 0x30002;
inline constexpr int32_t kAirportKind = 0x50001;
inline constexpr int32_t kSkippedRecord = 1;  // skipped in the second section
inline constexpr int32_t kAirportHeader = 0x10001;
inline constexpr int32_t kRunway = 0x10002;
inline constexpr int32_t kSecondPosition = 0x10003;
inline constexpr int32_t kRunwaySubRecord = 0x10004;
inline constexpr int32_t kRunwayStart = 0x10005;
inline constexpr int32_t kAirportName = 0x10006;
inline constexpr int32_t kTaxiwayNetwork = 0x11001;
inline constexpr int32_t kFrequency = 0x20001;
inline constexpr int32_t kIlsSubRecordKind = 4;

// Frequency types and the fields they fill.
inline constexpr int32_t kCtafType = 4;
inline constexpr int32_t kGroundType = 5;
inline constexpr int32_t kTowerType = 6;
inline constexpr int32_t kApproachType = 8;
inline constexpr int32_t kDepartureType = 9;  // approach only while that is still empty
inline constexpr int32_t kCenterType = 10;

// Item sizes of the taxiway network's sub-sections.
inline constexpr int32_t kTaxiPointSize = 12;
inline constexpr int32_t kParkingSize = 20;
inline constexpr int32_t kSegmentSize = 32;
inline constexpr int32_t kNameSize = 8;
}  // namespace bgl

// What a walk left undecoded. Each problem ended one airport or one file; the first few are kept
// as text for a report.
struct BglReport {
    int32_t airportsAdded = 0;
    int32_t problems = 0;
    std::vector<std::string> notes;  // at most kMaxNotes

    static constexpr size_t kMaxNotes = 8;
    void Note(const std::string& what, size_t offset);
    bool Clean() const { return problems == 0; }
};

// True when the file carries the facility signature at 0x76 (a shorter file does not).
bool HasBglSignature(std::span<const uint8_t> file);

// A great-circle move of `meters` (its absolute value) on a true course from a position, result
// rounded to 6 decimals. Only the courses 0, 90, 180 and 270 are used by the taxiway decoder.
GeoPoint PointAtMeters(double latitude, double longitude, double trueCourse, double meters);

// Where the taxi points and parking places of one airport lie: `x` metres east and `y` metres
// north of the airport's reference position, the latitude taken from the north-south move and the
// longitude from the east-west move, each the very double PointAtMeters gives.
//
// An airport's offsets are short (a few kilometres) and, away from the poles, the moves reduce to
// short series: a move north is lat + d exactly, and the east-west move is the arcsine series of
// sin d / cos(lat'), all without a sine, a square root or a division. Those agree with the full
// great-circle formula to about 1e-13 degrees, so rounded to 6 decimals they give the same value
// unless the exact value lies within 1e-10 degrees of a rounding boundary; such a value, an offset
// beyond 20 km, a reference beyond 80 degrees of latitude and a longitude near 180 take the full
// formula.
class TaxiPositions {
  public:
    TaxiPositions(double refLat, double refLon);
    struct Position {
        double lat;
        double lon;
    };
    struct Offset {
        double x;
        double y;
    };
    // One point.
    Position At(double x, double y) const;
    // The positions of many offsets (as many as `positions` holds), each the same as alone. The
    // short series of all points go first and the full formula after, for the few points that
    // need it, so the processor can work on several points at once.
    void AtEach(std::span<const Offset> offsets, std::span<Position> positions) const;

  private:
    // The short series' values, or NaN when they cannot decide the rounding.
    double LatitudeTerms(double y) const;
    double LongitudeTerms(double x) const;

    double refLat_;
    double refLon_;
    double lat1_;  // radians
    double lon1_;  // radians, west positive
    double sinLat1_;
    double cosLat1_;
    double invCosLat1_;
    double tan2Lat1_;
    bool series_;  // the short series may be tried
};

// The frequency text of a word whose hexadecimal digits are decimal digits, in MHz: 0x01183000
// gives "118.3", 0x01219500 "121.95", 0x01220000 "122". Empty when a digit is above 9.
std::string FrequencyText(uint32_t word);

// The text of a runway number (0..36) and designator code (0..4): 34L, 9, 16R, 18C, 2H. Empty
// when either is out of range.
std::string RunwayDesignation(int32_t number, int32_t code);

// The name code table of parking places (1 "Parking" .. 37 "Gate Z"); empty outside 1..37.
std::string ParkingCodeText(int32_t code);

// The parking name number n and code c of a flags word: v = the low 20 bits, n = v / 128 rounded
// half to even, c = v - 128 n. 0x00000705 gives n 14, c 5 (SE PARKING 14).
struct ParkingNameParts {
    int32_t number = 0;
    int32_t code = 0;
};
ParkingNameParts SplitParkingFlags(uint32_t flags);

// Walks one file (already known to carry the signature) and appends every airport found to
// `airports`, in file order. The caller keeps `file` alive for the call.
class BglDecoder {
  public:
    BglDecoder(std::span<const uint8_t> file, const MagneticVariationGrid& grid,
               std::vector<AirportRecord>& airports);

    // The file header, the index section and the second section.
    BglReport ScanBglHeader();

    // Decodes the index chain at `offset`. Returns the offset of the record that ended the chain,
    // or -1 when damage ended the file's walk.
    int64_t WalkAirportIndex(int64_t offset);

    // Decodes the records of one airport from `recordsOffset` (the data block + 16) into `airport`.
    void DecodeAirport(int64_t recordsOffset, AirportRecord& airport);

  private:
    bool Spend(int64_t bytes, size_t offset);
    // False when damage ended the airport.
    bool DecodeTaxiwayNetwork(int64_t recordOffset, int64_t recordEnd, AirportRecord& airport,
                              const std::vector<std::string>& runwayList, int32_t& parkingCode,
                              double refLat, double refLon);

    std::span<const uint8_t> file_;
    const MagneticVariationGrid& grid_;
    std::vector<AirportRecord>& airports_;
    BglReport report_;
    int64_t budget_ = 0;  // bytes of records the walk may still visit
    bool fileEnded_ = false;
    // Room reused from airport to airport.
    std::vector<TaxiPositions::Offset> offsets_;
    std::vector<TaxiPositions::Position> placed_;
    std::vector<std::string> runwayList_;
    std::vector<int32_t> nameHead_, nameNext_, nameTail_;
};

// The whole walk of one file, as the scan calls it.
BglReport ScanBglHeader(std::span<const uint8_t> file, const MagneticVariationGrid& grid,
                        std::vector<AirportRecord>& airports);

}  // namespace corvane::scenery
