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

// Replaces `file` with the database of `airports`: the bytes go to a new file beside it, are
// flushed to the disk, and that file is renamed over the old one, so an interrupted or failed
// write leaves the old database as it was. Returns an empty string on success, else the reason.
std::string WriteAirportDatabase(const std::filesystem::path& file,
                                 const std::vector<AirportRecord>& airports);

// The line the airport list shows for a record: ident + " (" + name + ")".
std::string ComboLine(const AirportRecord& record);

}  // namespace corvane::scenery
