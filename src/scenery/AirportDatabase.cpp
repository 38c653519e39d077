#include "scenery/AirportDatabase.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>

#include "shared/Text.h"

namespace corvane::scenery {

namespace {

constexpr size_t kMaxStringBytes = 0xFFFF;

// The least bytes one element can take, so an element count can be checked against what is left
// before anything is allocated.
constexpr size_t kMinTaxiNodeBytes = 4 + 8 + 8;
constexpr size_t kMinParkingBytes = 2 + 4 + 8 + 8 + 1;
constexpr size_t kMinTaxiPathBytes = 4 + 4 + 4 + 2;

bool IsAscii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

void PutString(ByteWriter& out, const std::string& utf8) {
    // Most texts are plain ASCII, the same bytes in both encodings.
    if (utf8.size() <= kMaxStringBytes && IsAscii(utf8)) {
        out.U16(static_cast<uint16_t>(utf8.size()));
        out.Bytes(utf8);
        return;
    }
    std::string bytes = Utf8ToCp1252(utf8);
    if (bytes.size() > kMaxStringBytes) {
        bytes.resize(kMaxStringBytes);  // WriteAirportDatabase refuses such records first
    }
    out.U16(static_cast<uint16_t>(bytes.size()));
    out.Bytes(bytes);
}

template <typename T, typename PutElement>
void PutArray(ByteWriter& out, const std::optional<std::vector<T>>& array, PutElement put) {
    if (!array) {
        out.I16(0);
        return;
    }
    out.I16(1);
    out.I32(static_cast<int32_t>(array->size()));
    out.I32(0);
    for (const T& element : *array) {
        put(out, element);
    }
}

// Why a record could not be read.
enum class Damage { None, Truncated, Malformed };

class RecordReader {
  public:
    explicit RecordReader(ByteReader& in) : in_(in) {}

    Damage damage() const { return damage_; }

    bool Record(AirportRecord& r) {
        return String(r.ident) && Double(r.lat) && Double(r.lon) && String(r.name) &&
               String(r.groundFreq) && String(r.towerFreq) && String(r.approachFreq) &&
               String(r.centerFreq) && String(r.ctafFreq) && String(r.runwayName) &&
               Double(r.runwayLat) && Double(r.runwayLon) && Long(r.fieldElevation) &&
               Long(r.runwayLength) && Long(r.runwayWidth) && Integer(r.runwayHeading) &&
               Integer(r.runwayHasIls) &&
               Array(r.taxiNodes, kMinTaxiNodeBytes,
                     [this](TaxiNode& n) {
                         return Long(n.kind) && Double(n.lat) && Double(n.lon);
                     }) &&
               Integer(r.taxiNodeCount) &&
               Array(r.parking, kMinParkingBytes,
                     [this](ParkingSpot& p) {
                         return String(p.name) && Long(p.radiusFt) && Double(p.lat) &&
                                Double(p.lon) && Byte(p.unavailable);
                     }) &&
               Integer(r.parkingCount) &&
               Array(r.taxiPaths, kMinTaxiPathBytes,
                     [this](TaxiPath& t) {
                         return Long(t.kind) && Long(t.startNode) && Long(t.endNode) &&
                                String(t.name);
                     }) &&
               Integer(r.taxiPathCount);
    }

  private:
    template <typename T>
    bool Take(std::optional<T> value, T& out) {
        if (!value) {
            damage_ = Damage::Truncated;
            return false;
        }
        out = *value;
        return true;
    }
    bool Double(double& out) { return Take(in_.F64(), out); }
    bool Long(int32_t& out) { return Take(in_.I32(), out); }
    bool Integer(int16_t& out) { return Take(in_.I16(), out); }
    bool Byte(uint8_t& out) { return Take(in_.U8(), out); }
    bool String(std::string& out) {
        uint16_t length = 0;
        if (!Take(in_.U16(), length)) {
            return false;
        }
        std::string raw;
        if (!Take(in_.Bytes(length), raw)) {
            return false;
        }
        out = Cp1252ToUtf8(raw);
        return true;
    }

    template <typename T, typename ReadElement>
    bool Array(std::optional<std::vector<T>>& out, size_t minElementBytes, ReadElement element) {
        int16_t dimensions = 0;
        if (!Integer(dimensions)) {
            return false;
        }
        if (dimensions == 0) {
            out.reset();
            return true;
        }
        int32_t count = 0;
        int32_t lowerBound = 0;
        if (dimensions != 1) {
            damage_ = Damage::Malformed;
            return false;
        }
        if (!Long(count) || !Long(lowerBound)) {
            return false;
        }
        if (count < 0 || lowerBound != 0) {
            damage_ = Damage::Malformed;
            return false;
        }
        if (static_cast<size_t>(count) > in_.Remaining() / minElementBytes) {
            damage_ = Damage::Truncated;  // cannot all be there: do not allocate for them
            return false;
        }
        std::vector<T> elements(static_cast<size_t>(count));
        for (T& e : elements) {
            if (!element(e)) {
                return false;
            }
        }
        out = std::move(elements);
        return true;
    }

    ByteReader& in_;
    Damage damage_ = Damage::None;
};

bool TooLong(const std::string& utf8) {
    // Each character takes at most one byte in the file and at least one in UTF-8.
    return utf8.size() > kMaxStringBytes && Utf8ToCp1252(utf8).size() > kMaxStringBytes;
}

bool HasOverlongText(const AirportRecord& r) {
    for (const std::string* s : {&r.ident, &r.name, &r.groundFreq, &r.towerFreq, &r.approachFreq,
                                 &r.centerFreq, &r.ctafFreq, &r.runwayName}) {
        if (TooLong(*s)) {
            return true;
        }
    }
    if (r.parking) {
        for (const ParkingSpot& p : *r.parking) {
            if (TooLong(p.name)) {
                return true;
            }
        }
    }
    if (r.taxiPaths) {
        for (const TaxiPath& t : *r.taxiPaths) {
            if (TooLong(t.name)) {
                return true;
            }
        }
    }
    return false;
}

// Makes a finished rename survive a power cut; a folder that cannot be synced is no error.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string ErrnoText(int error) {
    return std::strerror(error);
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

void EncodeAirportRecord(ByteWriter& out, const AirportRecord& r) {
    PutString(out, r.ident);
    out.F64(r.lat);
    out.F64(r.lon);
    PutString(out, r.name);
    PutString(out, r.groundFreq);
    PutString(out, r.towerFreq);
    PutString(out, r.approachFreq);
    PutString(out, r.centerFreq);
    PutString(out, r.ctafFreq);
    PutString(out, r.runwayName);
    out.F64(r.runwayLat);
    out.F64(r.runwayLon);
    out.I32(r.fieldElevation);
    out.I32(r.runwayLength);
    out.I32(r.runwayWidth);
    out.I16(r.runwayHeading);
    out.I16(r.runwayHasIls);
    PutArray(out, r.taxiNodes, [](ByteWriter& w, const TaxiNode& n) {
        w.I32(n.kind);
        w.F64(n.lat);
        w.F64(n.lon);
    });
    out.I16(r.taxiNodeCount);
    PutArray(out, r.parking, [](ByteWriter& w, const ParkingSpot& p) {
        PutString(w, p.name);
        w.I32(p.radiusFt);
        w.F64(p.lat);
        w.F64(p.lon);
        w.U8(p.unavailable);
    });
    out.I16(r.parkingCount);
    PutArray(out, r.taxiPaths, [](ByteWriter& w, const TaxiPath& t) {
        w.I32(t.kind);
        w.I32(t.startNode);
        w.I32(t.endNode);
        PutString(w, t.name);
    });
    out.I16(r.taxiPathCount);
}

// No fewer bytes than the record takes in the file (its texts counted in UTF-8, never shorter).
size_t RecordBytesAtMost(const AirportRecord& r) {
    size_t n = kBlankRecordSize + r.ident.size() + r.name.size() + r.groundFreq.size() +
               r.towerFreq.size() + r.approachFreq.size() + r.centerFreq.size() +
               r.ctafFreq.size() + r.runwayName.size();
    const size_t arrayHeader = 8;  // element count and lower bound
    if (r.taxiNodes) {
        n += arrayHeader + r.taxiNodes->size() * kMinTaxiNodeBytes;
    }
    if (r.parking) {
        n += arrayHeader;
        for (const ParkingSpot& p : *r.parking) {
            n += kMinParkingBytes + p.name.size();
        }
    }
    if (r.taxiPaths) {
        n += arrayHeader;
        for (const TaxiPath& t : *r.taxiPaths) {
            n += kMinTaxiPathBytes + t.name.size();
        }
    }
    return n;
}

std::vector<uint8_t> EncodeAirportDatabase(const std::vector<AirportRecord>& airports) {
    ByteWriter out;
    // Sized once: a world's database runs to tens of megabytes.
    size_t bytes = kBlankRecordSize;
    for (const AirportRecord& r : airports) {
        bytes += RecordBytesAtMost(r);
    }
    out.Reserve(bytes);
    for (const AirportRecord& r : airports) {
        EncodeAirportRecord(out, r);
    }
    EncodeAirportRecord(out, AirportRecord{});
    return out.Take();
}

AirportDatabaseRead DecodeAirportDatabase(std::span<const uint8_t> bytes, int32_t airportCount) {
    AirportDatabaseRead result;
    const int32_t count = airportCount < 0 ? 0 : airportCount;
    result.airports.resize(static_cast<size_t>(count));
    ByteReader in(bytes);
    // Index `count` is the blank spare record: read so that the extra bytes after it are known,
    // never kept.
    for (int32_t i = 0; i <= count; ++i) {
        AirportRecord record;
        RecordReader reader(in);
        if (!reader.Record(record)) {
            if (i < count) {
                result.missingRecords = count - i;
                if (reader.damage() == Damage::Malformed) {
                    result.firstDamagedRecord = i;
                }
            }
            return result;
        }
        if (i < count) {
            result.airports[static_cast<size_t>(i)] = std::move(record);
        }
    }
    result.extraBytes = in.Remaining();
    return result;
}

AirportDatabaseFile ReadAirportDatabase(const std::filesystem::path& file, int32_t airportCount) {
    AirportDatabaseFile result;
    if (airportCount < 0 || airportCount > kMaxAirportCount) {
        result.error = "the airport count " + std::to_string(airportCount) +
                       " of corvane.cfg is beyond the " + std::to_string(kMaxAirportCount) +
                       " airports a database can hold";
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.error = "cannot open " + file.string() + ": " + ErrnoText(errno);
        return result;
    }
    std::vector<uint8_t> bytes;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) {
        result.error = "cannot read " + file.string();
        return result;
    }
    bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size) {
        result.error = "cannot read " + file.string() + ": " + ErrnoText(errno);
        return result;
    }
    result.content = DecodeAirportDatabase(bytes, airportCount);
    return result;
}

std::string WriteAirportDatabase(const std::filesystem::path& file,
                                 const std::vector<AirportRecord>& airports) {
    for (const AirportRecord& r : airports) {
        if (HasOverlongText(r)) {
            return "a text of airport " + r.ident + " is longer than 65535 bytes";
        }
    }
    std::filesystem::path temp = file;
    temp += ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return "cannot create " + temp.string() + ": " + ErrnoText(errno);
    }
    // The records go out a megabyte at a time, as EncodeAirportDatabase would lay them out, so a
    // world of tens of megabytes never stands whole in memory a second time.
    constexpr size_t kChunk = 1 << 20;
    ByteWriter chunk;
    chunk.Reserve(2 * kChunk);
    const AirportRecord blank;
    bool ok = true;
    for (size_t i = 0; ok && i <= airports.size(); ++i) {
        EncodeAirportRecord(chunk, i < airports.size() ? airports[i] : blank);
        if (chunk.Size() >= kChunk || i == airports.size()) {
            ok = WriteAll(fd, chunk.Data().data(), chunk.Size());
            chunk.Clear();
        }
    }
    ok = ok && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    std::error_code ignored;
    if (!ok) {
        std::filesystem::remove(temp, ignored);
        return "cannot write " + temp.string() + ": " + ErrnoText(error);
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ignored);
        return "cannot replace " + file.string() + ": " + ec.message();
    }
    SyncFolder(file.parent_path());
    return {};
}

std::string ComboLine(const AirportRecord& record) {
    return record.ident + " (" + record.name + ")";
}

}  // namespace corvane::scenery
