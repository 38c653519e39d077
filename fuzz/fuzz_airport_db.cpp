// world_airports.dat as a damaged disk or a hostile hand might leave it. The first byte picks the
// airport count and whether the rest is a whole file or patches to a good one (so that the fuzzer
// reaches deep into records without binary seeds).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "scenery/AirportChoice.h"
#include "scenery/AirportDatabase.h"

namespace {

using namespace corvane;

std::vector<uint8_t> GoodDatabase() {
    AirportRecord a;
    a.ident = "KBFI";
    a.name = "BOEING FLD";
    a.lat = 47.53;
    a.lon = -122.3;
    a.groundFreq = "121.9";
    a.towerFreq = "120.6";
    a.taxiNodes = std::vector<TaxiNode>{{2, 47.5, -122.25}, {0, 47.51, -122.26}};
    a.taxiNodeCount = 2;
    a.parking = std::vector<ParkingSpot>{{"GATE A 1", 50, 47.5, -122.2, 0}};
    a.parkingCount = 1;
    a.taxiPaths = std::vector<TaxiPath>{{0, 0, 1, "A"}};
    a.taxiPathCount = 1;
    AirportRecord b;
    b.ident = "LSZH";
    b.name = "Z\xC3\x9CRICH";
    b.centerFreq = "134.6";
    b.taxiPaths = std::vector<TaxiPath>{};
    return scenery::EncodeAirportDatabase({a, b});
}

[[noreturn]] void Broken() {
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const int32_t count = data[0] & 0x07;
    std::vector<uint8_t> file;
    if (data[0] & 0x80) {
        static const std::vector<uint8_t> good = GoodDatabase();
        file = good;
        // Three bytes per patch: a 16-bit offset and the byte to put there; a last odd byte or
        // two cut the file.
        size_t i = 1;
        for (; i + 3 <= size; i += 3) {
            const size_t at = (data[i] | (data[i + 1] << 8)) % file.size();
            file[at] = data[i + 2];
        }
        if (i < size) {
            file.resize(file.size() - data[i] % file.size());
        }
    } else {
        file.assign(data + 1, data + size);
    }

    const scenery::AirportDatabaseRead read = scenery::DecodeAirportDatabase(file, count);
    if (read.airports.size() != static_cast<size_t>(count) || read.missingRecords < 0 ||
        read.missingRecords > count || read.firstDamagedRecord >= count) {
        Broken();
    }
    // Whatever was read writes back to bytes that read again to the same bytes.
    const std::vector<uint8_t> written = scenery::EncodeAirportDatabase(read.airports);
    const scenery::AirportDatabaseRead again = scenery::DecodeAirportDatabase(written, count);
    if (again.missingRecords != 0 || again.extraBytes != 0 || again.firstDamagedRecord != -1 ||
        scenery::EncodeAirportDatabase(again.airports) != written) {
        Broken();
    }
    if (count > 0) {
        ChosenAirport chosen;
        scenery::SearchBox box;
        const auto& last = read.airports.back();
        scenery::LoadChosenAirport(last, read.airports, chosen, box);
        if (chosen.TaxiNodes.empty() || chosen.ParkingSpots.empty() || chosen.TaxiPaths.empty()) {
            Broken();
        }
    }
    return 0;
}
