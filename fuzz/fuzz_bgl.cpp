// Airport BGL files as anybody might have damaged them. Each input is decoded twice: as a whole
// file, and behind a sound header (signature, version 1, the index section right after it, the
// second section at the offset the input's first four bytes give) so the walk gets past the
// header more often. A corpus of small sound files helps further:
//   corvane-tool make-scenery --random 3 1 /tmp/seed && cp /tmp/seed/Scenery/Region2/Scenery/*
//   build/fuzz/corpus/bgl/
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scenery/BglDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace corvane;
    static const MagneticVariationGrid grid = [] {
        MagneticVariationGrid g{};
        for (size_t i = 0; i < g.size(); ++i) {
            g[i] = static_cast<int16_t>(i * 7919);
        }
        return g;
    }();

    std::vector<AirportRecord> airports;
    std::vector<uint8_t> whole(data, data + size);
    scenery::ScanBglHeader(whole, grid, airports);

    std::vector<uint8_t> framed(0xC0, 0);
    const uint32_t signature = scenery::kBglSignature;
    const int32_t one = 1;
    const int32_t index = 0xC0;
    int32_t second = 0;
    if (size >= 4) {
        std::memcpy(&second, data, 4);
    }
    std::memcpy(framed.data() + 0x76, &signature, 4);
    std::memcpy(framed.data() + 0x90, &one, 4);
    std::memcpy(framed.data() + 0x9C, &index, 4);
    std::memcpy(framed.data() + 0xA4, &second, 4);
    framed.insert(framed.end(), data, data + size);
    airports.clear();
    const scenery::BglReport report = scenery::ScanBglHeader(framed, grid, airports);
    if (report.airportsAdded != static_cast<int32_t>(airports.size())) {
        __builtin_trap();
    }
    return 0;
}
