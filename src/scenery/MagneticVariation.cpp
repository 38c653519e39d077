#include "scenery/MagneticVariation.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "shared/Bytes.h"
#include "shared/Text.h"

namespace corvane::scenery {

namespace fs = std::filesystem;

namespace {

constexpr size_t kTableBytes = 2 * static_cast<size_t>(kMagVarCells);

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
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        return {MagdecStatus::Unreadable, 0,
                fs::exists(file, ec) ? "not a regular file" : "no such file"};
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {MagdecStatus::Unreadable, 0, std::strerror(errno)};
    }
    std::vector<uint8_t> header(kMagdecTableOffsetAt + 4);
    in.read(reinterpret_cast<char*>(header.data()), static_cast<std::streamsize>(header.size()));
    header.resize(static_cast<size_t>(in.gcount()));
    const auto tableAt = ByteReader(header).PeekAt<int32_t>(kMagdecTableOffsetAt);
    if (!tableAt) {
        if (in.bad()) {
            return {MagdecStatus::Unreadable, 0, std::strerror(errno)};
        }
        return {MagdecStatus::Short, 0, {}};
    }
    if (*tableAt < 1) {
        return {MagdecStatus::NoTable, 0, {}};
    }
    in.clear();
    in.seekg(static_cast<std::streamoff>(*tableAt) + static_cast<std::streamoff>(kMagdecTableSkip));
    std::vector<uint8_t> table(kTableBytes);
    if (in) {
        in.read(reinterpret_cast<char*>(table.data()), static_cast<std::streamsize>(table.size()));
        table.resize(static_cast<size_t>(in.gcount()));
    } else {
        table.clear();
    }
    if (in.bad()) {
        return {MagdecStatus::Unreadable, 0, std::strerror(errno)};
    }
    return FromTable(table, grid);
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
