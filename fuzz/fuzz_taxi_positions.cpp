// Taxi positions worked out by the decoder's short series against the great-circle formula, bit
// for bit, for the references and offsets a BGL file can hold: the reference from the airport
// header's two Longs (latitude L * 90 / 10001750, longitude L * 360 / 2^32, 6 decimals), the
// offsets as IEEE singles. Input: 16 bytes per case, little-endian.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scenery/BglDecoder.h"
#include "shared/Rounding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane;
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
        const double refLat = RoundDecimals(static_cast<double>(latWord) * 90.0 / 10001750.0, 6);
        const double refLon = RoundDecimals(static_cast<double>(lonWord) * 360.0 / 4294967296.0, 6);
        const scenery::TaxiPositions::Position got =
            scenery::TaxiPositions(refLat, refLon).At(x, y);
        const double lat =
            y == 0 ? refLat : scenery::PointAtMeters(refLat, refLon, y > 0 ? 0 : 180, y).latitude;
        const double lon =
            x == 0 ? refLon : scenery::PointAtMeters(refLat, refLon, x > 0 ? 90 : 270, x).longitude;
        if (std::bit_cast<uint64_t>(got.lat) != std::bit_cast<uint64_t>(lat) ||
            std::bit_cast<uint64_t>(got.lon) != std::bit_cast<uint64_t>(lon)) {
            __builtin_trap();
        }
    }
    return 0;
}
