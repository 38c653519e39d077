#include "scenery/BglDecoder.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

#include "nav/Geometry.h"
#include "shared/Bytes.h"
#include "shared/Rounding.h"
#include "shared/Text.h"

// GCC keeps a branch round every comparison that could raise a floating-point exception, and so
// cannot work out the taxi series of two points at once; this program never looks at those
// exceptions, and the values are the same either way.
#if defined(__GNUC__) && !defined(__clang__)
#define TAXI_SERIES_CODE __attribute__((optimize("no-trapping-math")))
#else
#define TAXI_SERIES_CODE
#endif

namespace corvane::scenery {

namespace {

// Upper case in Windows-1252, as the simulator's own letters are: a-z, the accented letters
// 0xE0..0xFE (but the division sign 0xF7), and the four letters whose capitals sit at 0x8A..0x9F.
uint8_t UpperCp1252(uint8_t b) {
    if (b >= 'a' && b <= 'z') {
        return static_cast<uint8_t>(b - 0x20);
    }
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) {
        return static_cast<uint8_t>(b - 0x20);
    }
    if (b == 0x9A || b == 0x9C || b == 0x9E) {
        return static_cast<uint8_t>(b - 0x10);
    }
    return b == 0xFF ? 0x9F : b;
}

// Bounds-checked reads at absolute offsets; a negative offset or one past the end gives nullopt.
class FileView {
  public:
    explicit FileView(std::span<const uint8_t> file) : file_(file), reader_(file) {}

    int64_t Size() const { return static_cast<int64_t>(file_.size()); }

    template <typename T>
    std::optional<T> At(int64_t offset) const {
        if (offset < 0) {
            return std::nullopt;
        }
        return reader_.PeekAt<T>(static_cast<size_t>(offset));
    }
    std::optional<int32_t> Long(int64_t offset) const { return At<int32_t>(offset); }
    std::optional<uint32_t> Word(int64_t offset) const { return At<uint32_t>(offset); }
    std::optional<float> Single(int64_t offset) const { return At<float>(offset); }

    // `count` bytes taken as Windows-1252 characters, zero bytes left out (they do not end it),
    // in UTF-8; in capitals when `upper`.
    std::optional<std::string> Text(int64_t offset, int64_t count, bool upper = false) const {
        if (offset < 0 || count < 0 || offset > Size() || count > Size() - offset) {
            return std::nullopt;
        }
        std::string out;
        out.reserve(static_cast<size_t>(count));
        bool ascii = true;
        for (const uint8_t b :
             file_.subspan(static_cast<size_t>(offset), static_cast<size_t>(count))) {
            if (b != 0) {
                out += static_cast<char>(upper ? UpperCp1252(b) : b);
                ascii = ascii && b < 0x80;
            }
        }
        return ascii ? out : Cp1252ToUtf8(out);
    }

  private:
    std::span<const uint8_t> file_;
    ByteReader reader_;
};

double LatitudeOf(int32_t word) {
    return static_cast<double>(word) * 90.0 / 10001750.0;
}
double LongitudeOf(int32_t word) {
    return static_cast<double>(word) * 360.0 / 4294967296.0;
}
double HeadingOf(int32_t word) {
    return (static_cast<double>(word) / 65536.0) * 360.0 / 65536.0;
}

constexpr std::array<const char*, 38> kParkingTexts = {
    "",           "Parking",   "N Parking",  "NE Parking", "E Parking", "SE Parking", "S Parking",
    "SW Parking", "W Parking", "NW Parking", "Gate",       "Dock",      "Gate A",     "Gate B",
    "Gate C",     "Gate D",    "Gate E",     "Gate F",     "Gate G",    "Gate H",     "Gate I",
    "Gate J",     "Gate K",    "Gate L",     "Gate M",     "Gate N",    "Gate O",     "Gate P",
    "Gate Q",     "Gate R",    "Gate S",     "Gate T",     "Gate U",    "Gate V",     "Gate W",
    "Gate X",     "Gate Y",    "Gate Z"};

// The same in capitals, as parking places are named, worked out from the table above.
struct ParkingName {
    char text[12] = {};
    size_t size = 0;
};
constexpr std::array<ParkingName, kParkingTexts.size()> kParkingNames = [] {
    std::array<ParkingName, kParkingTexts.size()> names{};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string_view text = kParkingTexts[i];
        for (size_t k = 0; k < text.size(); ++k) {
            names[i].text[k] =
                text[k] >= 'a' && text[k] <= 'z' ? static_cast<char>(text[k] - 'a' + 'A') : text[k];
        }
        names[i].size = text.size();
    }
    return names;
}();

constexpr std::array<const char*, 5> kDesignators = {"", "L", "R", "C", "H"};

std::string Hex(size_t offset) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%zX", offset);
    return buf;
}

// An offset in a file: a taxi item's metres east or north of the reference. Values that are not
// finite keep the reference position.
double Finite(float value) {
    return std::isfinite(value) ? static_cast<double>(value) : 0.0;
}

}  // namespace

void BglReport::Note(const std::string& what, size_t offset) {
    ++problems;
    if (notes.size() < kMaxNotes) {
        notes.push_back(what + " at " + Hex(offset));
    }
}

bool HasBglSignature(std::span<const uint8_t> file) {
    const auto word = FileView(file).Word(kBglSignatureOffset);
    return word && *word == kBglSignature;
}

namespace {

// The great-circle destination formula, split so the many points of one airport share the terms
// of their reference position (lat1 and lon1 in radians, lon1 west positive).
double AngleOf(double meters) {
    return (std::fabs(meters) / 1852.0) * nav::kPi / 10800.0;
}

double LatitudeRadians(double sinLat1, double cosLat1, double trueCourse, double meters) {
    const double d = AngleOf(meters);
    const double tc = trueCourse * nav::kPi / 180.0;
    return nav::ArcSin(sinLat1 * std::cos(d) + cosLat1 * std::sin(d) * std::cos(tc));
}

double GreatCircleLatitude(double sinLat1, double cosLat1, double trueCourse, double meters) {
    return RoundDecimals(LatitudeRadians(sinLat1, cosLat1, trueCourse, meters) * 180.0 / nav::kPi,
                         6);
}

double GreatCircleLongitude(double lon1, double sinLat1, double cosLat1, double trueCourse,
                            double meters) {
    const double latR = LatitudeRadians(sinLat1, cosLat1, trueCourse, meters);
    const double d = AngleOf(meters);
    const double tc = trueCourse * nav::kPi / 180.0;
    double lonR = lon1;
    if (std::cos(latR) != 0.0) {
        lonR = nav::FloorMod(
                   lon1 - nav::ArcSin(std::sin(tc) * std::sin(d) / std::cos(latR)) + nav::kPi,
                   nav::kTwoPi) -
               nav::kPi;
    }
    return RoundDecimals(-lonR * 180.0 / nav::kPi, 6);
}

// Offsets and latitudes the short series serve (see TaxiPositions).
constexpr double kSeriesMaxMeters = 20000.0;
constexpr double kSeriesMaxLatitude = 80.0;
// How near, in millionths of a degree, an approximate value may come to a rounding boundary
// before the full formula decides: 1e-10 degrees, a thousand times the series' error.
constexpr double kRoundingBand = 1e-4;
// A metre is 1 / 1852 of a minute of arc.
constexpr double kRadiansPerMeter = nav::kPi / (1852.0 * 10800.0);
constexpr double kDegreesPerMeter = 1.0 / (1852.0 * 60.0);
constexpr double kDegreesPerRadian = 180.0 / nav::kPi;

// RoundDecimals(exact, 6) from a value within 1e-13 degrees of `exact`, or NaN when the two could
// round apart (or to a zero of another sign). Free of branches, so a loop of them can run two at a
// time.
TAXI_SERIES_CODE
double RoundedLikeExact(double approx) {
    // Adding and taking away 1.5 * 2^52 rounds a value below 2^51 to the nearest whole number.
    constexpr double kToWhole = 6755399441055744.0;
    const double scaled = approx * 1e6;
    const double whole = (scaled + kToWhole) - kToWhole;
    const double apart = std::fabs(scaled - whole);  // up to 0.5
    // Away from a half (a tie the exact value may fall either side of) and from zero, the nearest
    // whole number is the one RoundHalfEven gives the exact value; then the same division
    // RoundDecimals makes.
    const bool sure = ((0.5 - apart) >= kRoundingBand) & (std::fabs(scaled) >= kRoundingBand) &
                      (std::fabs(scaled) < 1e15);
    const double rounded = whole / 1e6;
    return sure ? rounded : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

GeoPoint PointAtMeters(double latitude, double longitude, double trueCourse, double meters) {
    const double lat1 = latitude * nav::kPi / 180.0;
    const double lon1 = -longitude * nav::kPi / 180.0;  // west-positive inside the formula
    const double sinLat1 = std::sin(lat1);
    const double cosLat1 = std::cos(lat1);
    GeoPoint point;
    point.latitude = GreatCircleLatitude(sinLat1, cosLat1, trueCourse, meters);
    point.longitude = GreatCircleLongitude(lon1, sinLat1, cosLat1, trueCourse, meters);
    return point;
}

TaxiPositions::TaxiPositions(double refLat, double refLon)
    : refLat_(refLat),
      refLon_(refLon),
      lat1_(refLat * nav::kPi / 180.0),
      lon1_(-refLon * nav::kPi / 180.0),
      sinLat1_(std::sin(lat1_)),
      cosLat1_(std::cos(lat1_)),
      invCosLat1_(1.0 / cosLat1_),
      tan2Lat1_(sinLat1_ * sinLat1_ / (cosLat1_ * cosLat1_)),
      series_(std::fabs(refLat) <= kSeriesMaxLatitude && std::isfinite(refLon)) {}

TAXI_SERIES_CODE
inline double TaxiPositions::LatitudeTerms(double y) const {
    // Along a meridian the latitude changes by the angle itself.
    return RoundedLikeExact(refLat_ + y * kDegreesPerMeter);
}

TAXI_SERIES_CODE
inline double TaxiPositions::LongitudeTerms(double x) const {
    // East or west: sin lat' = sin lat cos d, and the longitude changes by
    // asin(sin d / cos lat') = asin(sin d / (cos lat sqrt(1 + tan^2 lat sin^2 d))). Here d is
    // below 0.0032, u = tan^2 lat sin^2 d below 0.00033 and the arcsine's argument below 0.019,
    // so each series leaves out less than 1e-17.
    const double d = x * kRadiansPerMeter;  // signed: east positive
    const double d2 = d * d;
    const double sinD = d * (1.0 - d2 * (1.0 / 6.0) * (1.0 - d2 * (1.0 / 20.0)));
    const double u = tan2Lat1_ * sinD * sinD;
    const double z = sinD * invCosLat1_ *
                     (1.0 - u * (0.5 - u * (0.375 - u * (0.3125 - u * 0.2734375))));  // (1+u)^-1/2
    const double z2 = z * z;
    const double dLon = z * (1.0 + z2 * (1.0 / 6.0 + z2 * (3.0 / 40.0 + z2 * (5.0 / 112.0))));
    const double degrees = refLon_ + dLon * kDegreesPerRadian;
    // Away from 180 degrees, where the formula wraps the longitude round.
    const double rounded = RoundedLikeExact(degrees);
    return std::fabs(degrees) < 179.9 ? rounded : std::numeric_limits<double>::quiet_NaN();
}

TaxiPositions::Position TaxiPositions::At(double x, double y) const {
    const Offset offset{x, y};
    Position position{};
    AtEach(std::span<const Offset>(&offset, 1), std::span<Position>(&position, 1));
    return position;
}

TAXI_SERIES_CODE
void TaxiPositions::AtEach(std::span<const Offset> offsets, std::span<Position> positions) const {
    const size_t n = std::min(offsets.size(), positions.size());
    if (series_) {
        constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
        for (size_t i = 0; i < n; ++i) {
            // Both series for every point, then the value each point takes: no branch to stop
            // the compiler working on two points at once.
            const double x = offsets[i].x;
            const double y = offsets[i].y;
            const double lat = LatitudeTerms(y);
            const double lon = LongitudeTerms(x);
            const double latInReach = std::fabs(y) <= kSeriesMaxMeters ? lat : kNaN;
            const double lonInReach = std::fabs(x) <= kSeriesMaxMeters ? lon : kNaN;
            positions[i].lat = y == 0 ? refLat_ : latInReach;
            positions[i].lon = x == 0 ? refLon_ : lonInReach;
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            positions[i] = {std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::quiet_NaN()};
        }
    }
    // The full formula where the series could not decide; only the latitude of the north-south
    // move and only the longitude of the east-west move.
    for (size_t i = 0; i < n; ++i) {
        const auto [x, y] = offsets[i];
        if (std::isnan(positions[i].lat)) {
            positions[i].lat =
                y == 0 ? refLat_ : GreatCircleLatitude(sinLat1_, cosLat1_, y > 0 ? 0 : 180, y);
        }
        if (std::isnan(positions[i].lon)) {
            positions[i].lon =
                x == 0 ? refLon_
                       : GreatCircleLongitude(lon1_, sinLat1_, cosLat1_, x > 0 ? 90 : 270, x);
        }
    }
}

std::string FrequencyText(uint32_t word) {
    uint32_t value = 0;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const uint32_t digit = (word >> shift) & 0xF;
        if (digit > 9) {
            return {};
        }
        value = value * 10 + digit;
    }
    char text[16];
    char* end = std::to_chars(text, text + sizeof text, value / 10000).ptr;
    uint32_t fraction = value % 10000;
    if (fraction != 0) {
        // Four decimals, the trailing zeros left out.
        *end++ = '.';
        for (uint32_t unit = 1000; fraction != 0; unit /= 10) {
            *end++ = static_cast<char>('0' + fraction / unit);
            fraction %= unit;
        }
    }
    return std::string(text, end);
}

std::string RunwayDesignation(int32_t number, int32_t code) {
    if (number < 0 || number > 36 || code < 0 || code > 4) {
        return {};
    }
    return std::to_string(number) + kDesignators[static_cast<size_t>(code)];
}

std::string ParkingCodeText(int32_t code) {
    return code >= 1 && code <= 37 ? kParkingTexts[static_cast<size_t>(code)] : "";
}

ParkingNameParts SplitParkingFlags(uint32_t flags) {
    const int32_t v = static_cast<int32_t>(flags & 0xFFFFF);
    const int32_t n = static_cast<int32_t>(RoundHalfEven(static_cast<double>(v) / 128.0));
    return {n, v - 128 * n};
}

BglDecoder::BglDecoder(std::span<const uint8_t> file, const MagneticVariationGrid& grid,
                       std::vector<AirportRecord>& airports)
    : file_(file), grid_(grid), airports_(airports) {}

bool BglDecoder::Spend(int64_t bytes, size_t offset) {
    budget_ -= bytes;
    if (budget_ < 0) {
        report_.Note("more records than the file's size can hold", offset);
        fileEnded_ = true;
        return false;
    }
    return true;
}

BglReport BglDecoder::ScanBglHeader() {
    report_ = {};
    fileEnded_ = false;
    // A sound file visits each byte once or twice (the index blocks and their entries, a second
    // section that shares the index); eight times the size leaves room to spare.
    budget_ = 8 * static_cast<int64_t>(file_.size()) + 4096;
    const FileView f(file_);
    const auto version = f.Long(0x90);
    const auto indexOffset = f.Long(0x9C);
    const auto secondOffset = f.Long(0xA4);
    if (!version) {
        report_.Note("file too short for its header", 0x90);
        return report_;
    }
    if (*version != 1) {
        return report_;  // not an airport file of this kind
    }
    if (!indexOffset || !secondOffset) {
        report_.Note("file too short for its section offsets", 0x9C);
        return report_;
    }
    if (*indexOffset > 0) {
        WalkAirportIndex(*indexOffset);
    }
    if (fileEnded_ || *secondOffset <= 0) {
        return report_;
    }
    int64_t o = *secondOffset;
    while (!fileEnded_) {
        const auto id = f.Long(o);
        if (!id) {
            report_.Note("second-section record outside the file", static_cast<size_t>(o));
            break;
        }
        if (*id == bgl::kIndexBlock) {
            o = WalkAirportIndex(o);
            if (o < 0) {
                break;
            }
            continue;
        }
        if (*id != bgl::kSkippedRecord) {
            break;
        }
        const auto size = f.Long(o + 4);
        if (!size || *size <= 0) {
            report_.Note(size ? "record size not above 0" : "record outside the file",
                         static_cast<size_t>(o));
            break;
        }
        if (!Spend(*size + 8, static_cast<size_t>(o))) {
            break;
        }
        o += static_cast<int64_t>(*size) + 8;
    }
    return report_;
}

int64_t BglDecoder::WalkAirportIndex(int64_t offset) {
    const FileView f(file_);
    int64_t o = offset;
    const auto damaged = [&](const char* what, int64_t at) {
        report_.Note(what, static_cast<size_t>(at < 0 ? 0 : at));
        fileEnded_ = true;
        return int64_t{-1};
    };
    while (!fileEnded_) {
        const auto id = f.Long(o);
        if (!id) {
            return damaged("index record outside the file", o);
        }
        if (*id != bgl::kIndexBlock) {
            return o;
        }
        const auto size = f.Long(o + 4);
        const auto count = f.Long(o + 20);
        if (!size || !count) {
            return damaged("index block outside the file", o);
        }
        if (*size <= 0) {
            return damaged("index block size not above 0", o);
        }
        if (*count < 0) {
            return damaged("index entry count below 0", o);
        }
        if (!Spend(*size + 8, static_cast<size_t>(o))) {
            return -1;
        }
        int64_t e = o + 24;
        for (int32_t i = 0; i < *count && !fileEnded_; ++i) {
            const auto entryId = f.Long(e);
            const auto entrySize = f.Long(e + 4);
            if (!entryId || !entrySize) {
                return damaged("index entry outside the file", e);
            }
            if (*entrySize <= 0) {
                return damaged("index entry size not above 0", e);
            }
            if (!Spend(*entrySize + 8, static_cast<size_t>(e))) {
                return -1;
            }
            if (*entryId == bgl::kIndexEntry) {
                const auto kind = f.Long(e + 8);
                const auto dataOffset = f.Long(e + 12);
                const auto ident = f.Text(e + 16, static_cast<int64_t>(*entrySize) - 8);
                if (!kind || !dataOffset || !ident) {
                    return damaged("index entry outside the file", e);
                }
                if (*kind == bgl::kAirportKind && *dataOffset > 0) {
                    const auto first = f.Long(*dataOffset);
                    const auto third = f.Long(static_cast<int64_t>(*dataOffset) + 8);
                    if (!first || !third) {
                        // This airport is lost; its neighbours in the index may still be sound.
                        report_.Note("airport data block outside the file", static_cast<size_t>(e));
                    } else if (*first == 1 && *third == 1) {
                        // Decoded where it stays: what was decoded before damage is kept.
                        AirportRecord& airport = airports_.emplace_back();
                        airport.ident = *ident;
                        DecodeAirport(static_cast<int64_t>(*dataOffset) + 16, airport);
                        ++report_.airportsAdded;
                    }
                }
            }
            e += static_cast<int64_t>(*entrySize) + 8;
        }
        o += static_cast<int64_t>(*size) + 8;
    }
    return -1;
}

void BglDecoder::DecodeAirport(int64_t recordsOffset, AirportRecord& airport) {
    const FileView f(file_);
    std::string runwayDesignation;
    std::string startDesignation;
    int32_t parkingCode = 0;  // the last parking name code of the airport (0: none yet)
    // "Runway 16L" for each runway in turn; the last element is always a blank spare.
    std::vector<std::string>& runwayList = runwayList_;
    runwayList.resize(1);
    runwayList[0].clear();
    double refLat = 0.0;
    double refLon = 0.0;

    const auto damaged = [&](const char* what, int64_t at) {
        report_.Note(what, static_cast<size_t>(at < 0 ? 0 : at));
    };
    int64_t o = recordsOffset;
    while (!fileEnded_) {
        const auto id = f.Long(o);
        if (!id) {
            return damaged("airport record outside the file", o);
        }
        switch (*id) {
            case bgl::kAirportHeader:
            case bgl::kRunway:
            case bgl::kSecondPosition:
            case bgl::kRunwaySubRecord:
            case bgl::kRunwayStart:
            case bgl::kAirportName:
            case bgl::kTaxiwayNetwork:
            case bgl::kFrequency:
                break;
            default:
                return;  // the end of the airport's records
        }
        const auto size = f.Long(o + 4);
        if (!size) {
            return damaged("airport record outside the file", o);
        }
        if (*size <= 0) {
            return damaged("airport record size not above 0", o);
        }
        if (!Spend(*size + 8, static_cast<size_t>(o))) {
            return;
        }
        const int64_t end = o + *size + 8;

        if (*id == bgl::kAirportHeader || *id == bgl::kSecondPosition) {
            const auto lat = f.Long(o + 12);
            const auto lon = f.Long(o + 20);
            if (!lat || !lon) {
                return damaged("airport position outside the file", o);
            }
            airport.lat = RoundDecimals(LatitudeOf(*lat), 6);
            airport.lon = RoundDecimals(LongitudeOf(*lon), 6);
            if (*id == bgl::kAirportHeader) {
                refLat = airport.lat;
                refLon = airport.lon;
            }
        } else if (*id == bgl::kRunway) {
            const auto length = f.Long(o + 40);
            const auto width = f.Long(o + 44);
            const auto code = f.Long(o + 48);
            const auto number = f.Long(o + 52);
            if (!length || !width || !code || !number) {
                return damaged("runway outside the file", o);
            }
            std::string designation = RunwayDesignation(*number, *code);
            if (!designation.empty()) {
                runwayDesignation = std::move(designation);
            }
            runwayList.back().assign("Runway ").append(runwayDesignation);
            runwayList.emplace_back();
            if (*length > airport.runwayLength) {
                airport.runwayName = runwayDesignation;
                airport.runwayLength = *length;
                airport.runwayWidth = *width;
                airport.runwayHasIls = kFalse;
            }
            // The runway's own sub-records follow it directly.
            int64_t s = end;
            while (!fileEnded_) {
                const auto subId = f.Long(s);
                if (!subId) {
                    return damaged("airport record outside the file", s);
                }
                if (*subId != bgl::kRunwaySubRecord) {
                    break;
                }
                const auto subSize = f.Long(s + 4);
                const auto subKind = f.Long(s + 40);
                if (!subSize || !subKind) {
                    return damaged("runway sub-record outside the file", s);
                }
                if (*subSize <= 0) {
                    return damaged("airport record size not above 0", s);
                }
                if (!Spend(*subSize + 8, static_cast<size_t>(s))) {
                    return;
                }
                if (runwayDesignation == airport.runwayName && *subKind == bgl::kIlsSubRecordKind) {
                    airport.runwayHasIls = kTrue;
                }
                s += static_cast<int64_t>(*subSize) + 8;
            }
            o = s;
            continue;
        } else if (*id == bgl::kRunwayStart) {
            const auto lat = f.Long(o + 12);
            const auto lon = f.Long(o + 20);
            const auto altitude = f.Long(o + 28);
            const auto heading = f.Long(o + 32);
            const auto kind = f.Long(o + 36);
            const auto code = f.Long(o + 40);
            const auto number = f.Long(o + 44);
            if (!lat || !lon || !altitude || !heading || !kind || !code || !number) {
                return damaged("runway start outside the file", o);
            }
            if (*kind >= 1) {
                std::string designation = RunwayDesignation(*number, *code);
                if (!designation.empty()) {
                    startDesignation = std::move(designation);
                }
            }
            if (startDesignation == airport.runwayName) {
                const double startLat = R5(LatitudeOf(*lat));
                const double startLon = R5(LongitudeOf(*lon));
                airport.runwayLat = startLat;
                airport.runwayLon = startLon;
                airport.fieldElevation = ToInteger32(static_cast<double>(*altitude) / 0.3048);
                const int16_t trueHeading = ToInteger16(HeadingOf(*heading));
                airport.runwayHeading =
                    nav::ToMagneticHeading(grid_, trueHeading, startLat, startLon);
            }
        } else if (*id == bgl::kAirportName) {
            auto text = f.Text(o + 8, *size, true);
            if (!text) {
                return damaged("airport name outside the file", o);
            }
            airport.name = std::move(*text);
        } else if (*id == bgl::kFrequency) {
            const auto word = f.Word(o + 8);
            const auto type = f.Long(o + 12);
            if (!word || !type) {
                return damaged("frequency outside the file", o);
            }
            std::string text = FrequencyText(*word);
            if (!text.empty()) {
                switch (*type) {
                    case bgl::kCtafType:
                        airport.ctafFreq = std::move(text);
                        break;
                    case bgl::kGroundType:
                        airport.groundFreq = std::move(text);
                        break;
                    case bgl::kTowerType:
                        airport.towerFreq = std::move(text);
                        break;
                    case bgl::kApproachType:
                        airport.approachFreq = std::move(text);
                        break;
                    case bgl::kDepartureType:
                        if (airport.approachFreq.empty()) {
                            airport.approachFreq = std::move(text);
                        }
                        break;
                    case bgl::kCenterType:
                        airport.centerFreq = std::move(text);
                        break;
                    default:
                        break;
                }
            }
        } else if (*id == bgl::kTaxiwayNetwork) {
            if (end > f.Size()) {
                return damaged("taxiway network runs past the end of the file", o);
            }
            if (!DecodeTaxiwayNetwork(o, end, airport, runwayList, parkingCode, refLat, refLon)) {
                return;
            }
        }
        // A sub-record away from a runway is skipped like any record.
        o = end;
    }
}

bool BglDecoder::DecodeTaxiwayNetwork(int64_t recordOffset, int64_t recordEnd,
                                      AirportRecord& airport,
                                      const std::vector<std::string>& runwayList,
                                      int32_t& parkingCode, double refLat, double refLon) {
    const FileView f(file_);
    const TaxiPositions positions(refLat, refLon);
    const auto damaged = [&](const char* what, int64_t at) {
        report_.Note(what, static_cast<size_t>(at));
        return false;
    };

    int64_t p = recordOffset + 8;
    while (p < recordEnd) {
        if (recordEnd - p < 8) {
            return damaged("taxiway sub-section header runs past its record", p);
        }
        const int32_t count = *f.Long(p);
        const int32_t itemSize = *f.Long(p + 4);
        if (itemSize != bgl::kTaxiPointSize && itemSize != bgl::kParkingSize &&
            itemSize != bgl::kSegmentSize && itemSize != bgl::kNameSize) {
            return true;  // the rest of the record is of no use to the station
        }
        if (count < 0 || count > INT16_MAX) {
            return damaged("taxiway sub-section count out of range", p);
        }
        const int64_t items = p + 8;
        const int64_t itemsEnd = items + static_cast<int64_t>(count) * itemSize;
        if (itemsEnd > recordEnd) {
            return damaged("taxiway sub-section runs past its record", p);
        }
        const auto n = static_cast<size_t>(count);
        // Every read below lies inside the record, which lies inside the file (checked above).
        const uint8_t* const base = file_.data() + items;
        const auto load = [base, itemSize](size_t item, int at, auto value) {
            std::memcpy(&value, base + item * static_cast<size_t>(itemSize) + at, sizeof value);
            return value;
        };
        if (itemSize == bgl::kTaxiPointSize && count > 0) {
            offsets_.resize(n);
            for (size_t i = 0; i < n; ++i) {
                offsets_[i] = {Finite(load(i, 4, 0.0f)), Finite(load(i, 8, 0.0f))};
            }
            placed_.resize(n);
            positions.AtEach(offsets_, placed_);
            std::vector<TaxiNode> nodes(n);
            for (size_t i = 0; i < n; ++i) {
                nodes[i].kind = load(i, 0, int32_t{});
                nodes[i].lat = placed_[i].lat;
                nodes[i].lon = placed_[i].lon;
            }
            airport.taxiNodes = std::move(nodes);
            airport.taxiNodeCount = static_cast<int16_t>(count);
        } else if (itemSize == bgl::kParkingSize && count > 0) {
            offsets_.resize(n);
            for (size_t i = 0; i < n; ++i) {
                offsets_[i] = {Finite(load(i, 0, 0.0f)), Finite(load(i, 4, 0.0f))};
            }
            placed_.resize(n);
            positions.AtEach(offsets_, placed_);
            std::vector<ParkingSpot> spots(n);
            for (size_t i = 0; i < n; ++i) {
                spots[i].lat = placed_[i].lat;
                spots[i].lon = placed_[i].lon;
                spots[i].radiusFt = ToInteger32(static_cast<double>(load(i, 8, 0.0f)) / 0.3048);
                const ParkingNameParts parts = SplitParkingFlags(load(i, 16, uint32_t{}));
                if (parts.code >= 1 && parts.code <= 37) {
                    parkingCode = parts.code;
                }
                // The name in capitals, a space and the number.
                const ParkingName& text = kParkingNames[static_cast<size_t>(parkingCode)];
                char name[48];
                std::memcpy(name, text.text, text.size);
                name[text.size] = ' ';
                const char* end =
                    std::to_chars(name + text.size + 1, name + sizeof name, parts.number).ptr;
                spots[i].name.assign(name, static_cast<size_t>(end - name));
            }
            airport.parking = std::move(spots);
            airport.parkingCount = static_cast<int16_t>(count);
        } else if (itemSize == bgl::kSegmentSize && count > 0) {
            std::vector<TaxiPath> paths(n);
            for (size_t i = 0; i < n; ++i) {
                paths[i].kind = load(i, 0, int32_t{});
                paths[i].startNode = load(i, 12, int32_t{});
                paths[i].endNode = load(i, 16, int32_t{});
                char number[16];
                const auto end =
                    std::to_chars(number, number + sizeof number, load(i, 28, int32_t{})).ptr;
                paths[i].name.assign(number, end);
            }
            airport.taxiPaths = std::move(paths);
            airport.taxiPathCount = static_cast<int16_t>(count);
        } else if (itemSize == bgl::kNameSize) {
            if (airport.taxiPaths) {
                auto& paths = *airport.taxiPaths;
                // Taxi segments by the name number they hold, as linked lists: name k goes to
                // the segments named k, in turn, and a name that is itself the number of a later
                // name joins that one's list, to be renamed again as it would be.
                std::vector<int32_t>& head = nameHead_;
                std::vector<int32_t>& next = nameNext_;
                std::vector<int32_t>& tail = nameTail_;
                head.assign(n, -1);
                next.assign(paths.size(), -1);
                tail.assign(n, -1);
                const auto nameNumber = [n](const std::string& text) -> int64_t {
                    // Only the plain decimal text of a number names it ("07", "-0" and "+7" do
                    // not); there are never 100,000 names.
                    if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) {
                        return -1;
                    }
                    int64_t number = 0;
                    for (const char c : text) {
                        if (c < '0' || c > '9') {
                            return -1;
                        }
                        number = number * 10 + (c - '0');
                    }
                    return number < static_cast<int64_t>(n) ? number : -1;
                };
                const auto append = [&](int64_t k, int32_t first, int32_t last) {
                    if (head[static_cast<size_t>(k)] < 0) {
                        head[static_cast<size_t>(k)] = first;
                    } else {
                        next[static_cast<size_t>(tail[static_cast<size_t>(k)])] = first;
                    }
                    tail[static_cast<size_t>(k)] = last;
                };
                for (size_t j = 0; j < paths.size(); ++j) {
                    const int64_t k = paths[j].kind == 0 ? nameNumber(paths[j].name) : -1;
                    if (k >= 0) {
                        append(k, static_cast<int32_t>(j), static_cast<int32_t>(j));
                    }
                }
                for (size_t k = 0; k < n; ++k) {
                    if (head[k] < 0) {
                        continue;
                    }
                    const std::string text =
                        *f.Text(items + static_cast<int64_t>(k) * itemSize, itemSize);
                    for (int32_t j = head[k]; j >= 0; j = next[static_cast<size_t>(j)]) {
                        paths[static_cast<size_t>(j)].name = text;
                    }
                    const int64_t later = nameNumber(text);
                    if (later > static_cast<int64_t>(k)) {
                        append(later, head[k], tail[k]);
                    }
                }
                for (TaxiPath& path : paths) {
                    if (path.kind != 1) {
                        continue;
                    }
                    // The name holds the runway's number; one without a runway stays blank. A
                    // name no longer a number (named by an earlier network) is left alone.
                    int64_t number = 0;
                    const char* first = path.name.data();
                    const char* last = first + path.name.size();
                    const auto [rest, error] = std::from_chars(first, last, number);
                    if (error != std::errc() || rest != last) {
                        continue;
                    }
                    path.name = number >= 0 && number < static_cast<int64_t>(runwayList.size())
                                    ? runwayList[static_cast<size_t>(number)]
                                    : std::string();
                }
            }
            return true;
        }
        p = itemsEnd;
    }
    return true;
}

BglReport ScanBglHeader(std::span<const uint8_t> file, const MagneticVariationGrid& grid,
                        std::vector<AirportRecord>& airports) {
    return BglDecoder(file, grid, airports).ScanBglHeader();
}

}  // namespace corvane::scenery
