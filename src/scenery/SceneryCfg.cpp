#include "scenery/SceneryCfg.h"

#include <cctype>
#include <fstream>
#include <iterator>

#include "shared/Text.h"

namespace corvane::scenery {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Lines of a text, ending at CR LF, CR or LF; a line end at the very end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) {
        return text;
    }
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

}  // namespace

bool IsAirportArea(const SceneryArea& area) {
    return AsciiLower(area.title) == kAirportAreaTitle && AsciiLower(area.required) == "true";
}

std::string GetKeyValue(std::string_view sectionText, std::string_view key) {
    std::string t(sectionText);
    t += kCrLf;
    const std::string lower = AsciiLower(t);
    const size_t found = lower.find(AsciiLower(key) + "=");
    if (found == std::string::npos) {
        return {};
    }
    const size_t begin = found + key.size() + 1;
    const size_t end = t.find(kCrLf, begin);  // always found: t ends with CR LF
    return t.substr(begin, end - begin);
}

std::vector<SceneryArea> ParseSceneryCfg(std::string_view bytes) {
    const std::vector<std::string_view> lines = SplitLines(bytes);
    std::vector<std::string> headers;
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const size_t close = line.find(']');
        if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
            headers.emplace_back(line.substr(0, close + 1));
        }
        if (i > 0) {
            text += kCrLf;
        }
        text += line;
    }

    std::vector<SceneryArea> areas;
    for (size_t j = 0; j < headers.size(); ++j) {
        if (AsciiLower(headers[j]).find("[area.") == std::string::npos) {
            continue;
        }
        const size_t start = text.find(headers[j]);
        std::string_view section = std::string_view(text).substr(start);
        if (j + 1 < headers.size()) {
            size_t next = text.find(headers[j + 1]);
            if (next <= start) {
                // The next header's text also stands earlier (a repeated header): its own
                // occurrence is the one after this section's start.
                next = text.find(headers[j + 1], start + 1);
            }
            if (next != std::string::npos) {
                section = std::string_view(text).substr(start, next - start + 1);
            }
        }
        SceneryArea area;
        area.title = Cp1252ToUtf8(GetKeyValue(section, "Title"));
        area.textureId = Cp1252ToUtf8(GetKeyValue(section, "Texture_ID"));
        area.active = Cp1252ToUtf8(GetKeyValue(section, "Active"));
        area.layer = Cp1252ToUtf8(GetKeyValue(section, "Layer"));
        area.required = Cp1252ToUtf8(GetKeyValue(section, "Required"));
        area.remote = Cp1252ToUtf8(GetKeyValue(section, "Remote"));
        area.local = Cp1252ToUtf8(GetKeyValue(section, "Local"));
        areas.push_back(std::move(area));
    }
    return areas;
}

std::optional<std::vector<SceneryArea>> ReadSceneryCfg(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return ParseSceneryCfg(bytes);
}

bool NamesADrive(std::string_view folder) {
    if (!folder.empty() && folder.front() == '/') {
        return true;
    }
    return folder.size() >= 2 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
           folder[1] == ':';
}

void ResolveAreaFolders(std::vector<SceneryArea>& areas, const std::string& fsMainFolder,
                        const std::vector<Volume>& drives) {
    // 1. CD and disk volume labels.
    for (SceneryArea& area : areas) {
        for (const Volume& drive : drives) {
            const std::string& local = area.local;
            if (local.empty() || local.front() != '[' || local.find(']') == std::string::npos ||
                drive.label.empty()) {
                continue;
            }
            std::string bracketed = "[";
            bracketed += AsciiLower(drive.label);
            bracketed += ']';
            const std::string lower = AsciiLower(local);
            if (lower.find(bracketed) != std::string::npos) {
                area.local = ReplaceAll(lower, bracketed, drive.mountPoint);
            }
        }
    }
    // 2. Folders relative to the simulator's main folder.
    for (SceneryArea& area : areas) {
        if (!area.local.empty() && !NamesADrive(area.local)) {
            area.local = fsMainFolder + "\\" + area.local;
        }
    }
    // 3. The BGL files of an area live in its scenery subfolder; the main Scenery folder is one.
    const std::string mainScenery = AsciiLower(fsMainFolder + "\\Scenery");
    for (SceneryArea& area : areas) {
        if (!area.local.empty() && AsciiLower(area.local) != mainScenery) {
            area.local = AsciiLower(area.local) + "\\scenery";
        }
    }
}

}  // namespace corvane::scenery
