// Taxi positions worked out by the decoder's short series against the great-circle formula, bit
// for bit, for the references and offsets a BGL file can hold: the reference from the airport
// header's two Longs (latitude L * 90 / 10001750, longitude L * 360 / 2^32, 6 decimals), the
// offsets as IEEE singles, one point at a time and all of an input's points together. Input: 16
// bytes per case, little-endian.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scenery/BglDecoder.h"
#include "shared/Rounding.h"

namespace {

double RefLat(int32_t word) {
    return corvane::RoundDecimals(static_cast<double>(word) * 90.0 / 10001750.0, 6);
}
double RefLon(int32_t word) {
    return corvane::RoundDecimals(static_cast<double>(word) * 360.0 / 4294967296.0, 6);
}

// Traps unless `got` is, bit for bit, where the great-circle formula puts the offset.
void CheckAgainstTheFormula(double refLat, double refLon, double x, double y,
                            corvane::scenery::TaxiPositions::Position got) {
    using corvane::scenery::PointAtMeters;
    const double lat = y == 0 ? refLat : PointAtMeters(refLat, refLon, y > 0 ? 0 : 180, y).latitude;
    const double lon =
        x == 0 ? refLon : PointAtMeters(refLat, refLon, x > 0 ? 90 : 270, x).longitude;
    if (std::bit_cast<uint64_t>(got.lat) != std::bit_cast<uint64_t>(lat) ||
        std::bit_cast<uint64_t>(got.lon) != std::bit_cast<uint64_t>(lon)) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane;
    using scenery::TaxiPositions;
    // Each case alone with its own reference, and all of them together as the points of the
    // first case's airport.
    std::vector<TaxiPositions::Offset> offsets;
    double firstLat = 0;
    double firstLon = 0;
    for (size_t at = 0; at + 16 <= size; at += 16) {
        int32_t latWord = 0;
        int32_t lonWord = 0;
        float x = 0;
        float y = 0;
        std::memcpy(&latWord, data + at, 4);
        std::memcpy(&lonWord, data + at + 4, 4);
        std::memcpy(&x, data + at + 8, 4);
        std::memcpy(&y, data + at + 12, 4);
        if (!std::isfinite(x) || !std::isfinite(y)) {
            continue;  // the decoder takes such offsets as 0
        }
        const double refLat = RefLat(latWord);
        const double refLon = RefLon(lonWord);
        if (offsets.empty()) {
            firstLat = refLat;
            firstLon = refLon;
        }
        offsets.push_back({x, y});
        CheckAgainstTheFormula(refLat, refLon, x, y, TaxiPositions(refLat, refLon).At(x, y));
    }
    std::vector<TaxiPositions::Position> placed(offsets.size());
    TaxiPositions(firstLat, firstLon).AtEach(offsets, placed);
    for (size_t i = 0; i < offsets.size(); ++i) {
        CheckAgainstTheFormula(firstLat, firstLon, offsets[i].x, offsets[i].y, placed[i]);
    }
    return 0;
}
