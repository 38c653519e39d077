#include "scenery/MagdecReader.h"

#include "shared/Bytes.h"

namespace corvane::scenery {

MagdecStatus ReadMagdecGrid(std::span<const uint8_t> bytes, MagneticVariationGrid& grid) {
    ByteReader reader(bytes);
    const auto tableOffset = reader.PeekAt<int32_t>(kMagdecTableOffsetAt);
    if (!tableOffset) {
        return MagdecStatus::Truncated;
    }
    if (*tableOffset < 1) {
        return MagdecStatus::NoTable;
    }
    const size_t first = static_cast<size_t>(*tableOffset) + 8;
    if (first > bytes.size() || bytes.size() - first < 2 * grid.size()) {
        return MagdecStatus::Truncated;
    }
    // The file's order is the grid's order, element for element.
    reader.Seek(first);
    for (int16_t& value : grid) {
        value = *reader.I16();
    }
    return MagdecStatus::Loaded;
}

}  // namespace corvane::scenery
