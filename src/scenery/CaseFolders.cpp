#include "scenery/CaseFolders.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "shared/Text.h"

namespace corvane::scenery {

namespace fs = std::filesystem;

namespace {

std::string Normalised(std::string_view text) {
    std::string out = AsciiLower(text);
    std::replace(out.begin(), out.end(), '\\', '/');
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

bool HasDriveLetter(std::string_view text) {
    return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

// Name order that does not depend on letter case first, then on it, so listings are stable.
bool NameBefore(const std::string& a, const std::string& b) {
    const std::string la = AsciiLower(a);
    const std::string lb = AsciiLower(b);
    return la != lb ? la < lb : a < b;
}

}  // namespace

std::vector<std::string> SplitFolderText(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of("\\/", start);
        const std::string_view part = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

namespace {

// Depth-first over the entries that match each component, the exact name first, so a name that
// exists in two letter cases ("Scenery" and "scenery") still finds the one holding the rest.
std::optional<fs::path> FindFrom(const fs::path& current, const std::vector<std::string>& parts,
                                 size_t index) {
    if (index == parts.size()) {
        return current;
    }
    const std::string& part = parts[index];
    if (part.empty() || part == ".") {
        return FindFrom(current, parts, index + 1);
    }
    if (part == "..") {
        return FindFrom(current.parent_path(), parts, index + 1);
    }
    std::error_code ec;
    std::vector<std::string> candidates;
    if (fs::exists(current / part, ec)) {
        candidates.push_back(part);
    }
    const std::string wanted = AsciiLower(part);
    std::vector<std::string> others;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name != part && AsciiLower(name) == wanted) {
            others.push_back(name);
        }
    }
    std::sort(others.begin(), others.end(), NameBefore);
    candidates.insert(candidates.end(), others.begin(), others.end());
    for (const std::string& name : candidates) {
        if (auto found = FindFrom(current / name, parts, index + 1)) {
            return found;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> FindCaseInsensitive(const fs::path& base,
                                            const std::vector<std::string>& components) {
    std::error_code ec;
    if (!fs::exists(base, ec)) {
        return std::nullopt;
    }
    return FindFrom(base, components, 0);
}

std::optional<fs::path> ResolveFolderText(std::string_view text, const std::string& fsMainFolder) {
    const std::string norm = Normalised(text);
    const std::string main = Normalised(fsMainFolder);
    if (!main.empty() && norm.compare(0, main.size(), main) == 0 &&
        (norm.size() == main.size() || norm[main.size()] == '/' || main == "/")) {
        if (auto found = FindCaseInsensitive(fs::path(fsMainFolder),
                                             SplitFolderText(text.substr(main.size())))) {
            return found;
        }
    }
    if (HasDriveLetter(text)) {
        const std::vector<std::string> parts = SplitFolderText(text.substr(2));
        for (size_t first = 0; first + 2 <= parts.size(); ++first) {
            const std::vector<std::string> tail(parts.begin() + static_cast<ptrdiff_t>(first),
                                                parts.end());
            if (auto found = FindCaseInsensitive(fs::path(fsMainFolder), tail)) {
                return found;
            }
        }
        return std::nullopt;
    }
    if (!text.empty() && text.front() == '/') {
        return FindCaseInsensitive(fs::path("/"), SplitFolderText(text));
    }
    return FindCaseInsensitive(fs::path(fsMainFolder), SplitFolderText(text));
}

BglListing ListBglFiles(const fs::path& folder) {
    BglListing listing;
    std::error_code ec;
    std::vector<std::string> names;
    fs::directory_iterator it(folder, ec);
    for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || typeError) {
            continue;
        }
        const std::string name = it->path().filename().string();
        if (AsciiLower(it->path().extension().string()) == ".bgl") {
            names.push_back(name);
        }
    }
    if (ec) {
        listing.readable = false;
        listing.error = ec.message();
        return listing;
    }
    std::sort(names.begin(), names.end(), NameBefore);
    for (const std::string& name : names) {
        listing.files.push_back(folder / name);
    }
    return listing;
}

}  // namespace corvane::scenery
