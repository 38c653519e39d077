#include "scenery-writer/BglWriter.h"

#include <cmath>
#include <stdexcept>

#include "nav/Geometry.h"
#include "scenery/BglDecoder.h"
#include "shared/Bytes.h"
#include "shared/Text.h"

namespace corvane::writer {

namespace bgl = corvane::scenery::bgl;

namespace {

constexpr size_t kHeaderSize = 0xC0;

int32_t Wrap32(double value) {
    // Two's complement of the whole value, so 2^31 and above come back negative as a signed
    // word does.
    const auto whole = static_cast<int64_t>(std::llround(value));
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}

// Writes one record: id, a size patched in at the end, the payload.
class RecordScope {
  public:
    RecordScope(ByteWriter& w, int32_t id) : w_(w), start_(w.Size()) {
        w_.I32(id);
        w_.I32(0);
    }
    ~RecordScope() {
        w_.PatchAt<int32_t>(start_ + 4, static_cast<int32_t>(w_.Size() - start_ - 8));
    }
    RecordScope(const RecordScope&) = delete;
    RecordScope& operator=(const RecordScope&) = delete;
    size_t Start() const { return start_; }

  private:
    ByteWriter& w_;
    size_t start_;
};

void EndRecord(ByteWriter& w) {
    w.I32(0);  // an id the decoder does not know
    w.I32(0);
}

// Pads `text` with zero bytes to a multiple of four (at least four); the decoder skips zeros.
std::string Padded(std::string text) {
    const size_t size = text.empty() ? 4 : (text.size() + 3) / 4 * 4;
    text.resize(size, '\0');
    return text;
}

// A position record: +12 latitude, +20 longitude, +28 altitude.
void PositionPayload(ByteWriter& w, double lat, double lon, int32_t altitudeM) {
    w.I32(0);  // +8
    w.I32(LatitudeWord(lat));
    w.I32(0);  // +16
    w.I32(LongitudeWord(lon));
    w.I32(0);  // +24
    w.I32(altitudeM);
}

void WriteAirportRecords(ByteWriter& w, const Airport& a, std::vector<RecordPlace>& places) {
    const auto place = [&](int32_t id) { places.push_back({id, w.Size()}); };
    {
        place(bgl::kAirportHeader);
        RecordScope r(w, bgl::kAirportHeader);
        PositionPayload(w, a.lat, a.lon, a.altitudeM);
    }
    if (a.secondPosition) {
        place(bgl::kSecondPosition);
        RecordScope r(w, bgl::kSecondPosition);
        PositionPayload(w, a.secondPosition->first, a.secondPosition->second, a.altitudeM);
    }
    if (!a.name.empty()) {
        place(bgl::kAirportName);
        RecordScope r(w, bgl::kAirportName);
        w.Bytes(Padded(a.name));
    }
    for (const Runway& rw : a.runways) {
        {
            place(bgl::kRunway);
            RecordScope r(w, bgl::kRunway);
            PositionPayload(w, a.lat, a.lon, a.altitudeM);  // +8 .. +31
            w.Zeros(8);                                     // +32 .. +39
            w.I32(rw.lengthFt);                             // +40
            w.I32(rw.widthFt);                              // +44
            w.I32(rw.code);                                 // +48
            w.I32(rw.number);                               // +52
        }
        for (int32_t kind : rw.subRecordKinds) {
            place(bgl::kRunwaySubRecord);
            RecordScope r(w, bgl::kRunwaySubRecord);
            w.Zeros(32);  // +8 .. +39
            w.I32(kind);  // +40
        }
        for (const RunwayStart& s : rw.starts) {
            place(bgl::kRunwayStart);
            RecordScope r(w, bgl::kRunwayStart);
            PositionPayload(w, s.lat, s.lon, s.altitudeM);  // +8 .. +31
            w.I32(HeadingWord(s.trueHeading));              // +32
            w.I32(s.kind);                                  // +36
            w.I32(s.code);                                  // +40
            w.I32(s.number);                                // +44
        }
    }
    for (const Frequency& f : a.frequencies) {
        place(bgl::kFrequency);
        RecordScope r(w, bgl::kFrequency);
        w.U32(f.word);
        w.I32(f.type);
    }
    if (a.taxi) {
        const TaxiNetwork& t = *a.taxi;
        place(bgl::kTaxiwayNetwork);
        RecordScope r(w, bgl::kTaxiwayNetwork);
        if (!t.points.empty()) {
            w.I32(static_cast<int32_t>(t.points.size()));
            w.I32(bgl::kTaxiPointSize);
            for (const TaxiPoint& p : t.points) {
                w.I32(p.kind);
                w.F32(p.x);
                w.F32(p.y);
            }
        }
        if (!t.parking.empty()) {
            w.I32(static_cast<int32_t>(t.parking.size()));
            w.I32(bgl::kParkingSize);
            for (const ParkingPlace& p : t.parking) {
                w.F32(p.x);
                w.F32(p.y);
                w.F32(p.radiusM);
                w.I32(0);
                w.U32(p.flags);
            }
        }
        if (!t.segments.empty()) {
            w.I32(static_cast<int32_t>(t.segments.size()));
            w.I32(bgl::kSegmentSize);
            for (const TaxiSegment& s : t.segments) {
                w.I32(s.kind);
                w.Zeros(8);  // +4 .. +11
                w.I32(s.startNode);
                w.I32(s.endNode);
                w.Zeros(8);  // +20 .. +27
                w.I32(s.nameNumber);
            }
        }
        if (t.names) {
            w.I32(static_cast<int32_t>(t.names->size()));
            w.I32(bgl::kNameSize);
            for (const std::string& name : *t.names) {
                std::string fixed = name.substr(0, 8);
                fixed.resize(8, '\0');
                w.Bytes(fixed);
            }
        }
    }
    for (const RawRecord& raw : a.extraRecords) {
        place(raw.id);
        RecordScope r(w, raw.id);
        w.Bytes(raw.payload);
    }
    EndRecord(w);
}

// Index blocks for the airports of one section; entries get their data offsets patched later.
void WriteIndexChain(ByteWriter& w, const BglFile& file, const std::vector<size_t>& members,
                     BglLayout& layout, std::vector<size_t>& dataOffsetPatch) {
    const size_t perBlock = file.entriesPerBlock == 0 ? 1 : file.entriesPerBlock;
    for (size_t first = 0; first < members.size(); first += perBlock) {
        const size_t last = std::min(members.size(), first + perBlock);
        layout.indexBlocks.push_back(w.Size());
        RecordScope block(w, bgl::kIndexBlock);
        w.Zeros(12);  // +8 .. +19
        w.I32(static_cast<int32_t>(last - first));
        for (size_t i = first; i < last; ++i) {
            const Airport& a = file.airports[members[i]];
            layout.entries[members[i]] = w.Size();
            RecordScope entry(w, bgl::kIndexEntry);
            w.I32(a.entryKind);
            dataOffsetPatch[members[i]] = w.Size();
            w.I32(0);
            w.Bytes(Padded(a.ident));
        }
    }
}

}  // namespace

int32_t LatitudeWord(double degrees) {
    return Wrap32(degrees * 10001750.0 / 90.0);
}

int32_t LongitudeWord(double degrees) {
    return Wrap32(degrees * 4294967296.0 / 360.0);
}

int32_t HeadingWord(double trueDegrees) {
    double d = std::fmod(trueDegrees, 360.0);
    if (d < 0) {
        d += 360.0;
    }
    return Wrap32(d * 65536.0 * 65536.0 / 360.0);
}

uint32_t FrequencyWord(const std::string& mhz) {
    const size_t dot = mhz.find('.');
    const std::string whole = mhz.substr(0, dot);
    std::string fraction = dot == std::string::npos ? "" : mhz.substr(dot + 1);
    if (whole.empty() || whole.size() > 4 || fraction.size() > 4) {
        throw std::invalid_argument("not a frequency: " + mhz);
    }
    fraction.resize(4, '0');
    uint32_t word = 0;
    for (char c : whole + fraction) {
        if (c < '0' || c > '9') {
            throw std::invalid_argument("not a frequency: " + mhz);
        }
        word = word << 4 | static_cast<uint32_t>(c - '0');
    }
    return word;
}

std::pair<int32_t, int32_t> ParseDesignation(const std::string& designation) {
    size_t digits = 0;
    while (digits < designation.size() && designation[digits] >= '0' &&
           designation[digits] <= '9') {
        ++digits;
    }
    const std::string suffix = designation.substr(digits);
    static const std::string kCodes[] = {"", "L", "R", "C", "H"};
    int32_t code = -1;
    for (int32_t i = 0; i < 5; ++i) {
        if (AsciiUpper(suffix) == kCodes[i]) {
            code = i;
        }
    }
    if (digits == 0 || digits > 2 || code < 0) {
        throw std::invalid_argument("not a runway designation: " + designation);
    }
    const int32_t number = std::stoi(designation.substr(0, digits));
    if (number > 36) {
        throw std::invalid_argument("not a runway designation: " + designation);
    }
    return {number, code};
}

uint32_t ParkingFlags(const std::string& name, int32_t number) {
    for (int32_t code = 1; code <= 37; ++code) {
        if (AsciiUpper(scenery::ParkingCodeText(code)) == AsciiUpper(name)) {
            if (number < 0 || number > 8000) {
                throw std::invalid_argument("parking number out of range");
            }
            const uint32_t type = code >= 10 ? 0x00100000u : 0x00200000u;  // gate or ramp
            return type | static_cast<uint32_t>(128 * number + code);
        }
    }
    throw std::invalid_argument("not a parking name: " + name);
}

std::pair<double, double> OffsetMeters(double refLat, double refLon, double lat, double lon) {
    using nav::kPi;
    const double metersPerNm = 1852.0;
    const double north = (lat - refLat) * 60.0 * metersPerNm;
    double dLon = lon - refLon;
    if (dLon > 180.0) {
        dLon -= 360.0;
    } else if (dLon < -180.0) {
        dLon += 360.0;
    }
    // Due east from latitude phi, a central angle d moves the longitude by atan(tan d / cos phi).
    const double phi = refLat * kPi / 180.0;
    const double d = std::atan(std::tan(dLon * kPi / 180.0) * std::cos(phi));
    const double east = d * 10800.0 / kPi * metersPerNm;
    return {east, north};
}

std::vector<uint8_t> WriteBgl(const BglFile& file, BglLayout* layoutOut) {
    BglLayout layout;
    const size_t n = file.airports.size();
    layout.entries.assign(n, 0);
    layout.dataBlocks.assign(n, 0);
    layout.records.assign(n, {});
    std::vector<size_t> patch(n, 0);
    std::vector<size_t> first, second;
    for (size_t i = 0; i < n; ++i) {
        (file.airports[i].section == 2 ? second : first).push_back(i);
    }

    ByteWriter w;
    w.Zeros(kHeaderSize);
    w.PatchAt<uint32_t>(scenery::kBglSignatureOffset, scenery::kBglSignature);
    w.PatchAt<int32_t>(0x90, file.version);

    if (!first.empty()) {
        layout.indexSection = w.Size();
        WriteIndexChain(w, file, first, layout, patch);
        EndRecord(w);
    }
    if (!second.empty()) {
        layout.secondSection = w.Size();
        {
            RecordScope skipped(w, bgl::kSkippedRecord);
            w.Zeros(16);
        }
        WriteIndexChain(w, file, second, layout, patch);
        {
            RecordScope skipped(w, bgl::kSkippedRecord);
            w.Zeros(8);
        }
        EndRecord(w);
    }
    w.PatchAt<int32_t>(0x9C, static_cast<int32_t>(layout.indexSection));
    w.PatchAt<int32_t>(0xA4, static_cast<int32_t>(layout.secondSection));

    for (size_t i = 0; i < n; ++i) {
        const Airport& a = file.airports[i];
        layout.dataBlocks[i] = w.Size();
        w.PatchAt<int32_t>(patch[i], static_cast<int32_t>(w.Size()));
        w.I32(a.blockFirstWord);
        w.I32(0);
        w.I32(a.blockFirstWord);
        w.I32(0);
        WriteAirportRecords(w, a, layout.records[i]);
    }
    if (layoutOut) {
        *layoutOut = std::move(layout);
    }
    return w.Take();
}

}  // namespace corvane::writer
