#include "shell/Config.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "shared/Text.h"

namespace corvane::shell {

namespace {

constexpr size_t kKeyLength = 15;  // "fs_main_folder=" and "total_airports=" alike

// Splits on CR LF, LF or a lone CR, as a text reader takes lines.
template <typename F>
void ForEachLine(const std::string& text, F&& onLine) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            onLine(std::string_view(text).substr(start));
            return;
        }
        onLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
}

bool ParseCount(std::string_view value, int32_t& out) {
    value = TrimBlanks(value);
    if (value.empty()) {
        return false;
    }
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), out);
    return ec == std::errc() && end == value.data() + value.size() && out >= 0;
}

std::string ErrnoText() {
    return std::strerror(errno);
}

}  // namespace

ConfigReadResult ParseConfiguration(const std::string& bytes, Config& config) {
    ConfigReadResult result;
    ForEachLine(bytes, [&](std::string_view line) {
        const std::string lower = AsciiLower(line);
        const std::string_view value = line.size() > kKeyLength ? line.substr(kKeyLength) : "";
        if (lower.find("fs_main_folder=") != std::string::npos) {
            config.FsMainFolder = Cp1252ToUtf8(value);
        }
        if (lower.find("total_airports=") != std::string::npos) {
            // The last occurrence decides, so only the last one can make the file damaged.
            int32_t count = 0;
            if (ParseCount(value, count)) {
                config.AirportCount = count;
                result = {};
            } else {
                result = {ConfigStatus::DamagedAirportCount, Cp1252ToUtf8(value)};
            }
        }
    });
    return result;
}

ConfigReadResult ReadConfiguration(const std::filesystem::path& file, Config& config) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {ConfigStatus::Unreadable, {}};
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return {ConfigStatus::Unreadable, {}};
    }
    return ParseConfiguration(text.str(), config);
}

std::string StageOneBytes(const std::string& folder) {
    return "[FS Main folder]\r\nfs_main_folder=" + Utf8ToCp1252(folder);
}

std::string StageTwoBytes(int32_t airportCount) {
    return "\r\n\r\n[Total Airports]\r\ntotal_airports=" + std::to_string(airportCount);
}

std::string WriteStageOne(const std::filesystem::path& file, const std::string& folder) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        return ErrnoText();
    }
    const std::string bytes = StageOneBytes(folder);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? std::string() : ErrnoText();
}

std::string AppendStageTwo(const std::filesystem::path& file, int32_t airportCount) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) {
        return ErrnoText();
    }
    const std::string bytes = StageTwoBytes(airportCount);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? std::string() : ErrnoText();
}

}  // namespace corvane::shell
