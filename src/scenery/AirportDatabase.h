#pragma once
// world_airports.dat: AirportCount + 1 airport records back to back, the last one blank. Binary,
// little-endian, no header, no count, no padding. The count lives in corvane.cfg.
//
//   String   2-byte unsigned length N, then N bytes of Windows-1252 text ("" is 00 00)
//   Double 8, Long 4, Integer/Boolean 2 (true = FF FF), Byte 1
//   array    2-byte dimension count D: D = 0 for an array never sized, nothing follows;
//            D = 1, then 4-byte element count, 4-byte lower bound (0), then the elements
//
// A record is its 23 fields in AirportRecord's order; TaxiNode is Long Double Double (20 bytes),
// ParkingSpot String Long Double Double Byte, TaxiPath Long Long Long String. The blank record is
// 76 zero bytes: eight empty strings, four Doubles, three Longs, two Integers, and per array a
// dimension count 0 and its Integer count 0.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "shared/Bytes.h"
#include "shared/Records.h"

namespace corvane::scenery {

inline constexpr size_t kBlankRecordSize = 76;
// Far above any simulator's world (about 24,000 airports); a larger AirportCount is a damaged
// configuration, not a reason to pad memory with blank records.
inline constexpr int32_t kMaxAirportCount = 200000;

// One record in the file's encoding (UTF-8 strings become Windows-1252).
void EncodeAirportRecord(ByteWriter& out, const AirportRecord& record);

// The whole file for `airports`: each record, then the blank one.
std::vector<uint8_t> EncodeAirportDatabase(const std::vector<AirportRecord>& airports);

struct AirportDatabaseRead {
    // Exactly the AirportCount airports asked for (the blank spare record is not kept).
    std::vector<AirportRecord> airports;
    // Records taken as blank because the file ended inside or before them.
    int32_t missingRecords = 0;
    // Index of the first record whose bytes make no sense (an array with a dimension count other
    // than 0 or 1, a negative element count or a lower bound other than 0); it and every record
    // after it are blank, since where the next one starts is unknown. -1 when there is none.
    int32_t firstDamagedRecord = -1;
    // Bytes after the last record read; ignored.
    size_t extraBytes = 0;
};

// Reads AirportCount + 1 records from the bytes of a database file. Never reads outside `bytes`.
// The caller checks airportCount against kMaxAirportCount first.
AirportDatabaseRead DecodeAirportDatabase(std::span<const uint8_t> bytes, int32_t airportCount);

struct AirportDatabaseFile {
    std::string error;  // empty on success, else why the file could not be read or written
    AirportDatabaseRead content;
};

// Reads the file at `file`. An airportCount outside 0..kMaxAirportCount or an unreadable file
// gives an error and no airports.
AirportDatabaseFile ReadAirportDatabase(const std::filesystem::path& file, int32_t airportCount);

// Where airports go one at a time, in order, to become a database. Finish adds the blank record
// and returns an empty string or why no database could be made. An output destroyed before a
// successful Finish leaves nothing behind.
class AirportOutput {
  public:
    virtual ~AirportOutput() = default;
    virtual void Add(const AirportRecord& record) = 0;
    virtual std::string Finish() = 0;
};

// Writes a database record by record: the records go to FILE.new through one reused buffer of
// a megabyte, so a world's tens of megabytes never stand whole in memory. Finish flushes
// the file to the disk and renames it over FILE, so an interrupted or failed write leaves the old
// database as it was; until then (or when it fails) FILE.new is removed on destruction. Errors are
// kept for Finish: a text longer than 65535 bytes refuses the whole database, and wins over a file
// that could not be created or written.
class AirportDatabaseWriter final : public AirportOutput {
  public:
    explicit AirportDatabaseWriter(std::filesystem::path file);
    ~AirportDatabaseWriter() override;
    AirportDatabaseWriter(const AirportDatabaseWriter&) = delete;
    AirportDatabaseWriter& operator=(const AirportDatabaseWriter&) = delete;

    void Add(const AirportRecord& record) override;
    // Only the first call does anything; later ones give the same answer.
    std::string Finish() override;

  private:
    struct Sink;
    class EarlyWriteback;
    void Flush();
    void Discard();

    std::filesystem::path file_;
    std::filesystem::path temp_;
    int fd_ = -1;
    bool created_ = false;  // temp_ is ours to remove
    std::unique_ptr<uint8_t[]> buffer_;
    size_t capacity_ = 0;
    size_t used_ = 0;
    size_t written_ = 0;  // bytes in the file
    std::unique_ptr<EarlyWriteback> writeback_;
    std::string refusal_;  // an overlong text
    std::string ioError_;  // the first failure to create or write temp_
    bool finished_ = false;
    std::string result_;
};

// The file writer as an output, for the first-run build.
std::unique_ptr<AirportOutput> OpenAirportDatabase(const std::filesystem::path& file);

// Replaces `file` with the database of `airports` through an AirportDatabaseWriter. Returns an
// empty string on success, else the reason.
std::string WriteAirportDatabase(const std::filesystem::path& file,
                                 const std::vector<AirportRecord>& airports);

// The line the airport list shows for a record: ident + " (" + name + ")".
std::string ComboLine(const AirportRecord& record);

}  // namespace corvane::scenery
