#include "scenery/AirportDatabase.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "shared/Text.h"

namespace corvane::scenery {

namespace {

constexpr size_t kMaxStringBytes = 0xFFFF;
// What the database writer gathers before each write.
constexpr size_t kBufferBytes = size_t{1} << 20;

// The least bytes one element can take, so an element count can be checked against what is left
// before anything is allocated.
constexpr size_t kMinTaxiNodeBytes = 4 + 8 + 8;
constexpr size_t kMinParkingBytes = 2 + 4 + 8 + 8 + 1;
constexpr size_t kMinTaxiPathBytes = 4 + 4 + 4 + 2;

// Eight bytes at a time: most texts are plain ASCII, the same bytes in both encodings.
bool IsAscii(const std::string& text) {
    const char* p = text.data();
    size_t n = text.size();
    uint64_t seen = 0;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        seen |= word;
    }
    for (; n > 0; ++p, --n) {
        seen |= static_cast<unsigned char>(*p);
    }
    return (seen & 0x8080808080808080ULL) == 0;
}

// A record is laid out in place in a buffer a sink provides, so no byte goes through a growing
// vector. The write position is passed by value and returned, never kept in memory where each byte
// stored could be taken to change it. Before each part whose size is known (the fixed fields with
// the record's own texts, the taxi points, each parking place and each taxi path) the sink is asked
// for room for that part plus kFixedBytesAtMost, which covers whatever fixed fields follow; a sink
// out of room hands out fresh room (the file writer writes out what it holds, a vector grows).
// Texts are counted in UTF-8, where no character is shorter than in Windows-1252.
//
// A sink has `end`, where its room ends, and More(p, n), which returns a position with room for
// n bytes, keeping what lies before p.
//
// The bytes of a record that do not depend on its texts and elements: the blank record's, and the
// element count and lower bound of each of the three arrays when sized.
constexpr size_t kFixedBytesAtMost = kBlankRecordSize + 3 * 8;

template <typename Sink>
uint8_t* Room(Sink& sink, uint8_t* p, size_t bytes) {
    const size_t need = bytes + kFixedBytesAtMost;
    return static_cast<size_t>(sink.end - p) >= need ? p : sink.More(p, need);
}

template <typename T>
uint8_t* Put(uint8_t* p, T value) {
    std::memcpy(p, &value, sizeof(T));
    return p + sizeof(T);
}

uint8_t* PutBytes(uint8_t* p, const std::string& bytes) {
    p = Put(p, static_cast<uint16_t>(bytes.size()));
    std::memcpy(p, bytes.data(), bytes.size());
    return p + bytes.size();
}

// A text longer than 65535 bytes in the file is cut there and `overlong` set.
uint8_t* PutString(uint8_t* p, const std::string& utf8, bool& overlong) {
    if (utf8.size() <= kMaxStringBytes && IsAscii(utf8)) {
        return PutBytes(p, utf8);
    }
    std::string bytes = Utf8ToCp1252(utf8);
    if (bytes.size() > kMaxStringBytes) {
        bytes.resize(kMaxStringBytes);
        overlong = true;
    }
    return PutBytes(p, bytes);
}

// The dimension count, then for a sized array its element count, lower bound 0 and elements.
template <typename T>
uint8_t* PutArrayHeader(uint8_t* p, const std::optional<std::vector<T>>& array) {
    if (!array) {
        return Put(p, int16_t{0});
    }
    p = Put(p, int16_t{1});
    p = Put(p, static_cast<int32_t>(array->size()));
    return Put(p, int32_t{0});
}

template <typename Sink>
uint8_t* PutRecord(Sink& sink, uint8_t* p, const AirportRecord& r, bool& overlong) {
    p = Room(sink, p,
             r.ident.size() + r.name.size() + r.groundFreq.size() + r.towerFreq.size() +
                 r.approachFreq.size() + r.centerFreq.size() + r.ctafFreq.size() +
                 r.runwayName.size());
    p = PutString(p, r.ident, overlong);
    p = Put(p, r.lat);
    p = Put(p, r.lon);
    p = PutString(p, r.name, overlong);
    p = PutString(p, r.groundFreq, overlong);
    p = PutString(p, r.towerFreq, overlong);
    p = PutString(p, r.approachFreq, overlong);
    p = PutString(p, r.centerFreq, overlong);
    p = PutString(p, r.ctafFreq, overlong);
    p = PutString(p, r.runwayName, overlong);
    p = Put(p, r.runwayLat);
    p = Put(p, r.runwayLon);
    p = Put(p, r.fieldElevation);
    p = Put(p, r.runwayLength);
    p = Put(p, r.runwayWidth);
    p = Put(p, r.runwayHeading);
    p = Put(p, r.runwayHasIls);
    if (r.taxiNodes) {
        p = Room(sink, p, r.taxiNodes->size() * kMinTaxiNodeBytes);
    }
    p = PutArrayHeader(p, r.taxiNodes);
    if (r.taxiNodes) {
        for (const TaxiNode& n : *r.taxiNodes) {
            p = Put(p, n.kind);
            p = Put(p, n.lat);
            p = Put(p, n.lon);
        }
    }
    p = Put(p, r.taxiNodeCount);
    p = PutArrayHeader(p, r.parking);
    if (r.parking) {
        for (const ParkingSpot& s : *r.parking) {
            p = Room(sink, p, kMinParkingBytes + s.name.size());
            p = PutString(p, s.name, overlong);
            p = Put(p, s.radiusFt);
            p = Put(p, s.lat);
            p = Put(p, s.lon);
            p = Put(p, s.unavailable);
        }
    }
    p = Put(p, r.parkingCount);
    p = PutArrayHeader(p, r.taxiPaths);
    if (r.taxiPaths) {
        for (const TaxiPath& t : *r.taxiPaths) {
            p = Room(sink, p, kMinTaxiPathBytes + t.name.size());
            p = Put(p, t.kind);
            p = Put(p, t.startNode);
            p = Put(p, t.endNode);
            p = PutString(p, t.name, overlong);
        }
    }
    return Put(p, r.taxiPathCount);
}

// Room in a vector that grows; `bytes` holds the encoding up to the last position returned.
struct VectorSink {
    explicit VectorSink(size_t initial) : bytes(initial), end(bytes.data() + bytes.size()) {}
    uint8_t* Begin() { return bytes.data(); }

    std::vector<uint8_t> bytes;
    uint8_t* end;

    uint8_t* More(uint8_t* p, size_t n) {
        const size_t used = static_cast<size_t>(p - bytes.data());
        bytes.resize(std::max(used + n, 2 * bytes.size()));
        end = bytes.data() + bytes.size();
        return bytes.data() + used;
    }
    std::vector<uint8_t> Take(const uint8_t* p) {
        bytes.resize(static_cast<size_t>(p - bytes.data()));
        return std::move(bytes);
    }
};

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
    VectorSink sink(1024);
    bool overlong = false;  // cut at 65535 bytes: WriteAirportDatabase refuses such records
    const std::vector<uint8_t> bytes = sink.Take(PutRecord(sink, sink.Begin(), r, overlong));
    out.Bytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<uint8_t> EncodeAirportDatabase(const std::vector<AirportRecord>& airports) {
    // Sized about right once, without walking every element: a world's database runs to tens of
    // megabytes, and each doubling would copy it.
    constexpr size_t kNameGuess = 16;
    size_t guess = kFixedBytesAtMost;
    for (const AirportRecord& r : airports) {
        guess += kFixedBytesAtMost + r.ident.size() + r.name.size() + r.groundFreq.size() +
                 r.towerFreq.size() + r.approachFreq.size() + r.centerFreq.size() +
                 r.ctafFreq.size() + r.runwayName.size() +
                 (r.taxiNodes ? r.taxiNodes->size() * kMinTaxiNodeBytes : 0) +
                 (r.parking ? r.parking->size() * (kMinParkingBytes + kNameGuess) : 0) +
                 (r.taxiPaths ? r.taxiPaths->size() * (kMinTaxiPathBytes + kNameGuess) : 0);
    }
    VectorSink sink(guess);
    bool overlong = false;
    uint8_t* p = sink.Begin();
    for (const AirportRecord& r : airports) {
        p = PutRecord(sink, p, r, overlong);
    }
    return sink.Take(PutRecord(sink, p, AirportRecord{}, overlong));
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

// Asks the disk, on a thread of its own, to take what has been written so far while the writer
// goes on encoding; the flush before the rename then waits for little more than the last part.
class AirportDatabaseWriter::EarlyWriteback {
  public:
    explicit EarlyWriteback(int fd) : fd_(fd), thread_([this] { Run(); }) {}
    ~EarlyWriteback() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    EarlyWriteback(const EarlyWriteback&) = delete;
    EarlyWriteback& operator=(const EarlyWriteback&) = delete;

    // The first `bytes` of the file are written.
    void Written(size_t bytes) {
        {
            const std::lock_guard lock(mutex_);
            written_ = bytes;
        }
        wake_.notify_one();
    }

  private:
    void Run() {
        size_t synced = 0;
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock, [&] { return stopping_ || written_ > synced; });
            if (stopping_) {
                return;
            }
            const size_t upTo = written_;
            lock.unlock();
            // Only a head start: whatever fails here, the fsync at the end finds and reports.
            ::sync_file_range(
                fd_, static_cast<off_t>(synced), static_cast<off_t>(upTo - synced),
                SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
            synced = upTo;
            lock.lock();
        }
    }

    const int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    size_t written_ = 0;
    bool stopping_ = false;
    std::thread thread_;  // last: started once the rest is in place
};

AirportDatabaseWriter::AirportDatabaseWriter(std::filesystem::path file)
    : file_(std::move(file)), temp_(file_) {
    temp_ += ".new";
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        ioError_ = "cannot create " + temp_.string() + ": " + ErrnoText(errno);
    } else {
        created_ = true;
    }
}

AirportDatabaseWriter::~AirportDatabaseWriter() {
    writeback_.reset();
    Discard();
}

// Closes the file and removes it, unless it has become the database.
void AirportDatabaseWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (created_) {
        std::error_code ignored;
        std::filesystem::remove(temp_, ignored);
        created_ = false;
    }
}

// The writer's buffer as room for the encoder: when it runs out, what it holds goes to the file.
struct AirportDatabaseWriter::Sink {
    AirportDatabaseWriter& writer;
    uint8_t* end;

    uint8_t* More(uint8_t* p, size_t n) {
        writer.used_ = static_cast<size_t>(p - writer.buffer_.get());
        writer.Flush();
        if (writer.capacity_ < n) {
            // A megabyte, or a part larger than that on its own.
            writer.capacity_ = std::max(kBufferBytes, n);
            writer.buffer_ = std::make_unique_for_overwrite<uint8_t[]>(writer.capacity_);
        }
        end = writer.buffer_.get() + writer.capacity_;
        return writer.buffer_.get();
    }
};

void AirportDatabaseWriter::Add(const AirportRecord& record) {
    if (finished_ || !refusal_.empty()) {
        return;
    }
    if (!buffer_) {
        capacity_ = kBufferBytes;
        buffer_ = std::make_unique_for_overwrite<uint8_t[]>(capacity_);
    }
    Sink sink{*this, buffer_.get() + capacity_};
    bool overlong = false;
    const uint8_t* end = PutRecord(sink, buffer_.get() + used_, record, overlong);
    if (overlong) {
        // The file cannot hold the text: nothing more is written, and Finish refuses the file.
        refusal_ = "a text of airport " + record.ident + " is longer than 65535 bytes";
        return;
    }
    used_ = static_cast<size_t>(end - buffer_.get());
}

void AirportDatabaseWriter::Flush() {
    if (used_ > 0 && ioError_.empty()) {
        if (WriteAll(fd_, buffer_.get(), used_)) {
            written_ += used_;
            if (!finished_) {
                if (!writeback_) {
                    writeback_ = std::make_unique<EarlyWriteback>(fd_);
                }
                writeback_->Written(written_);
            }
        } else {
            ioError_ = "cannot write " + temp_.string() + ": " + ErrnoText(errno);
        }
    }
    used_ = 0;
}

std::string AirportDatabaseWriter::Finish() {
    if (finished_) {
        return result_;
    }
    Add(AirportRecord{});
    finished_ = true;
    Flush();
    writeback_.reset();
    if (ioError_.empty() && ::fsync(fd_) != 0) {
        ioError_ = "cannot write " + temp_.string() + ": " + ErrnoText(errno);
    }
    if (fd_ >= 0) {
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0 && ioError_.empty()) {
            ioError_ = "cannot write " + temp_.string() + ": " + ErrnoText(errno);
        }
    }
    buffer_.reset();
    capacity_ = 0;
    if (!refusal_.empty() || !ioError_.empty()) {
        Discard();
        result_ = refusal_.empty() ? ioError_ : refusal_;
        return result_;
    }
    std::error_code ec;
    std::filesystem::rename(temp_, file_, ec);
    if (ec) {
        Discard();
        result_ = "cannot replace " + file_.string() + ": " + ec.message();
        return result_;
    }
    created_ = false;  // it is the database now
    SyncFolder(file_.parent_path());
    return result_;
}

std::unique_ptr<AirportOutput> OpenAirportDatabase(const std::filesystem::path& file) {
    return std::make_unique<AirportDatabaseWriter>(file);
}

std::string WriteAirportDatabase(const std::filesystem::path& file,
                                 const std::vector<AirportRecord>& airports) {
    AirportDatabaseWriter writer(file);
    for (const AirportRecord& r : airports) {
        writer.Add(r);
    }
    return writer.Finish();
}

std::string ComboLine(const AirportRecord& record) {
    return record.ident + " (" + record.name + ")";
}

}  // namespace corvane::scenery
