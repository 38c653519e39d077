#include "scenery/TerrainDatabase.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <system_error>

#include "nav/Geometry.h"
#include "shared/Rounding.h"
#include "shared/Text.h"

namespace corvane::scenery {

namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr double kLowestMetres = -1000.0;
constexpr double kHighestMetres = 10000.0;

// The whole field must be a decimal number: no blanks inside, nothing after it.
std::optional<double> Number(std::string_view field) {
    if (field.empty()) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != field.data() + field.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

// The three fields as written, checked but not yet rounded.
struct RawMountain {
    double lat;
    double lon;
    double metres;
};

std::optional<RawMountain> ParseRaw(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    const size_t first = line.find(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t second = line.find(' ', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto lat = Number(line.substr(0, first));
    const auto lon = Number(line.substr(first + 1, second - first - 1));
    const auto metres = Number(TrimBlanks(line.substr(second + 1)));
    if (!lat || !lon || !metres || std::fabs(*lat) > 90.0 || std::fabs(*lon) > 180.0 ||
        *metres < kLowestMetres || *metres > kHighestMetres) {
        return std::nullopt;
    }
    return RawMountain{*lat, *lon, *metres};
}

MountainLine Rounded(const RawMountain& raw) {
    MountainLine m;
    m.lat = R5(raw.lat);
    m.lon = R5(raw.lon);
    // A whole number of metres first, then whole feet, each rounded half to even.
    m.elevationFt = ToInteger32(ToInteger32(raw.metres) / kMetresPerFoot);
    return m;
}

// Rounding to 5 decimals moves a value by at most half of 0.00001: a point farther than that
// outside the box stays outside once rounded, and needs no rounding to be left out.
bool ClearlyOutside(const SearchBox& box, const RawMountain& raw) {
    constexpr double kMargin = 1e-5;
    return raw.lat >= box.SearchNorth + kMargin || raw.lat <= box.SearchSouth - kMargin ||
           raw.lon >= box.SearchEast + kMargin || raw.lon <= box.SearchWest - kMargin;
}

}  // namespace

std::optional<MountainLine> ParseMountainLine(std::string_view line) {
    const auto raw = ParseRaw(line);
    if (!raw) {
        return std::nullopt;
    }
    return Rounded(*raw);
}

MountainReadResult ReadAllMountains(std::string_view text, const ChosenAirport& airport,
                                    const SearchBox& box, Terrain& terrain) {
    MountainReadResult result;
    int32_t highestFt = 0;
    int32_t counter = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;

        const auto raw = ParseRaw(line);
        if (!raw) {
            if (!IsBlankLine(line)) {
                ++result.malformedLines;
            }
            continue;
        }
        if (ClearlyOutside(box, *raw)) {
            continue;
        }
        const auto m = Rounded(*raw);
        if (!box.StrictlyInside(m.lat, m.lon)) {
            continue;
        }
        // Every mountain of the box counts for the safe altitude, however far it is.
        if (m.elevationFt > highestFt) {
            highestFt = m.elevationFt;
        }
        if (nav::DistanceNm(airport.AirportLat, airport.AirportLon, m.lat, m.lon) >
            kMountainTableNm) {
            continue;
        }
        if (terrain.Mountains.size() >= kMaxMountains) {
            ++result.mountainsLeftOut;
            continue;
        }
        ++counter;
        GeoPoint point;
        point.name = kMountainNamePrefix + std::to_string(counter);
        point.label = kMountainLabel;
        point.latitude = m.lat;
        point.longitude = m.lon;
        point.elevationFt = m.elevationFt;
        terrain.Mountains.push_back(std::move(point));
    }
    terrain.MinSafeAltitude = highestFt + kTerrainClearanceFt;
    nav::IndexMountains(terrain);  // for the controllers' terrain searches
    return result;
}

MountainReadResult ReadAllMountainsFile(const std::filesystem::path& file,
                                        const ChosenAirport& airport, const SearchBox& box,
                                        Terrain& terrain) {
    MountainReadResult result;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        result.error = "cannot read " + file.string() + ": " +
                       (std::filesystem::exists(file, ec) ? "not a regular file" : "no such file");
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    std::string text;
    if (in) {
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        in.seekg(0, std::ios::beg);
        if (size >= 0) {
            text.resize(static_cast<size_t>(size));
            in.read(text.data(), size);
            if (in.gcount() == size) {
                return ReadAllMountains(text, airport, box, terrain);
            }
        }
    }
    result.error = "cannot read " + file.string() + ": " + std::strerror(errno);
    return result;
}

std::string TerrainNoticeText(const MountainReadResult& result) {
    std::string notice;
    if (result.malformedLines > 0) {
        notice = "World_terrain.db file: " + std::to_string(result.malformedLines) +
                 (result.malformedLines == 1 ? " malformed line" : " malformed lines") + " skipped";
    }
    if (result.mountainsLeftOut > 0) {
        notice += notice.empty() ? "World_terrain.db file: " : "; ";
        notice += std::to_string(result.mountainsLeftOut) +
                  " mountains beyond the table's 32767 left out";
    }
    return notice;
}

}  // namespace corvane::scenery
