#include "scenery-writer/World.h"

#include <cmath>
#include <fstream>
#include <system_error>

#include "nav/Geometry.h"
#include "scenery/CaseFolders.h"
#include "scenery/MagdecReader.h"
#include "shared/Bytes.h"
#include "shared/Text.h"

namespace corvane::writer {

namespace fs = std::filesystem;

namespace {

// The folder `relative` names under `root`, reusing folders that exist in another letter case and
// creating the rest.
std::optional<fs::path> MakeFolder(const fs::path& root, const std::string& relative,
                                   std::string& error) {
    fs::path current = root;
    for (const std::string& part : scenery::SplitFolderText(relative)) {
        if (auto found = scenery::FindCaseInsensitive(current, {part})) {
            current = *found;
            continue;
        }
        current /= part;
        std::error_code ec;
        fs::create_directories(current, ec);
        if (ec) {
            error = current.string() + ": " + ec.message();
            return std::nullopt;
        }
    }
    return current;
}

std::string WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? std::string() : file.string() + ": cannot be written";
}

std::string WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
    return WriteBytes(file, std::string(bytes.begin(), bytes.end()));
}

}  // namespace

double SmoothVariationDeg(double lat, double lon) {
    const double rad = nav::kPi / 180.0;
    double east = std::fmod(lon, 360.0);
    if (east < 0) {
        east += 360.0;
    }
    return -35.0 * std::sin(2.0 * (east - 260.0) * rad) * std::cos(lat * rad);
}

MagneticVariationGrid MagdecGrid(const MagdecModel& model) {
    MagneticVariationGrid grid{};
    for (int lon = 0; lon <= 359; ++lon) {
        for (int lat = -90; lat <= 90; ++lat) {
            const double deg = model.smooth ? SmoothVariationDeg(lat, lon) : model.constantDeg;
            grid[static_cast<size_t>((lat + 90) + 181 * lon)] =
                static_cast<int16_t>(std::lround(deg * 65536.0 / 360.0));
        }
    }
    return grid;
}

std::vector<uint8_t> WriteMagdec(const MagneticVariationGrid& grid) {
    constexpr int32_t kTable = 0x80;
    ByteWriter w;
    w.Zeros(kTable + 8);
    w.PatchAt<int32_t>(scenery::kMagdecTableOffsetAt, kTable);
    for (int16_t value : grid) {
        w.I16(value);
    }
    return w.Take();
}

std::string SceneryCfgText(const WorldDescription& world) {
    const std::string eol = world.crlf ? "\r\n" : "\n";
    std::string text;
    for (const std::string& line : world.preamble) {
        text += Utf8ToCp1252(line) + eol;
    }
    for (const AreaDescription& area : world.areas) {
        if (!text.empty()) {
            text += eol;
        }
        text += Utf8ToCp1252(area.header) + eol;
        for (const std::string& line : area.lines) {
            text += Utf8ToCp1252(line) + eol;
        }
    }
    return text;
}

std::string AreaFolderFor(const std::string& local) {
    std::string folder = local;
    for (char& c : folder) {
        if (c == '\\') {
            c = '/';
        }
    }
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return AsciiLower(folder) == "scenery" ? folder : folder + "/Scenery";
}

std::string WriteWorld(const WorldDescription& world, const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        return folder.string() + ": " + ec.message();
    }
    std::string error = WriteBytes(folder / "scenery.cfg", SceneryCfgText(world));
    if (!error.empty()) {
        return error;
    }
    const auto sceneryFolder = MakeFolder(folder, "Scenery", error);
    if (!sceneryFolder) {
        return error;
    }
    error = WriteBytes(*sceneryFolder / "magdec.bgl", WriteMagdec(MagdecGrid(world.magdec)));
    if (!error.empty()) {
        return error;
    }
    for (const AreaDescription& area : world.areas) {
        if (area.files.empty()) {
            continue;
        }
        const auto areaFolder = MakeFolder(folder, area.folder, error);
        if (!areaFolder) {
            return error;
        }
        for (const BglFileDescription& file : area.files) {
            error = WriteBytes(*areaFolder / file.name, WriteBgl(file.content));
            if (!error.empty()) {
                return error;
            }
        }
    }
    return {};
}

}  // namespace corvane::writer
