#include "scenery/MagneticVariation.h"

#include <system_error>
#include <vector>

#include "scenery/WholeFile.h"
#include "shared/Bytes.h"
#include "shared/Text.h"

namespace corvane::scenery {

namespace fs = std::filesystem;

namespace {

// Copies the values the table bytes hold, from cell 0 on.
int32_t CopyCells(std::span<const uint8_t> table, MagneticVariationGrid& grid) {
    ByteReader in(table);
    int32_t cells = 0;
    for (auto& cell : grid) {
        const auto v = in.I16();
        if (!v) {
            break;
        }
        cell = *v;
        ++cells;
    }
    return cells;
}

MagdecResult FromTable(std::span<const uint8_t> table, MagneticVariationGrid& grid) {
    MagdecResult result;
    result.cellsRead = CopyCells(table, grid);
    result.status = result.cellsRead == kMagVarCells ? MagdecStatus::Read : MagdecStatus::Short;
    return result;
}

// The entry of `folder` named `name` ignoring ASCII letter case; the exact name wins.
fs::path FindIgnoringCase(const fs::path& folder, const std::string& name) {
    const fs::path exact = folder / name;
    std::error_code ec;
    if (fs::exists(exact, ec)) {
        return exact;
    }
    const std::string wanted = AsciiLower(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (AsciiLower(it->path().filename().string()) == wanted) {
            return it->path();
        }
    }
    return exact;
}

}  // namespace

MagdecResult ParseMagdec(std::span<const uint8_t> bytes, MagneticVariationGrid& grid) {
    const ByteReader header(bytes);
    const auto tableAt = header.PeekAt<int32_t>(kMagdecTableOffsetAt);
    if (!tableAt) {
        return {MagdecStatus::Short, 0, {}};
    }
    if (*tableAt < 1) {
        return {MagdecStatus::NoTable, 0, {}};
    }
    const size_t start = static_cast<size_t>(*tableAt) + kMagdecTableSkip;
    if (start >= bytes.size()) {
        return {MagdecStatus::Short, 0, {}};
    }
    return FromTable(bytes.subspan(start), grid);
}

MagdecResult ReadMagdec(const fs::path& file, MagneticVariationGrid& grid) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(file, bytes, error)) {
        return {MagdecStatus::Unreadable, 0, error};
    }
    return ParseMagdec(bytes, grid);
}

fs::path MagdecPath(const std::string& fsMainFolder) {
    // The folder text is a path of this system; the two names below it may differ in case.
    const fs::path scenery = FindIgnoringCase(fs::path(fsMainFolder), "scenery");
    return FindIgnoringCase(scenery, "magdec.bgl");
}

std::string MagdecProblemText(const fs::path& file, const MagdecResult& result) {
    switch (result.status) {
        case MagdecStatus::Read:
        case MagdecStatus::NoTable:
            return {};
        case MagdecStatus::Short:
            return "The magnetic variation file " + file.string() + " is shorter than its table: " +
                   std::to_string(kMagVarCells - result.cellsRead) + " of " +
                   std::to_string(kMagVarCells) +
                   " variation values could not be read and keep their previous value (no "
                   "variation on a first start).";
        case MagdecStatus::Unreadable:
            return "The magnetic variation file " + file.string() + " could not be read (" +
                   result.error + "). Headings are taken as true headings.";
    }
    return {};
}

}  // namespace corvane::scenery
