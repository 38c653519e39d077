#include "scenery/Volumes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace corvane::scenery {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 20> kDiskTypes = {
    "ext2",    "ext3", "ext4", "xfs",      "btrfs", "vfat", "exfat", "ntfs", "ntfs3", "fuseblk",
    "iso9660", "udf",  "9p",   "virtiofs", "nfs",   "nfs4", "cifs",  "smb3", "zfs",   "overlay"};

bool IsCdRomType(std::string_view type) {
    return type == "iso9660" || type == "udf";
}

// Decodes \ooo (mounts) escapes.
std::string DecodeOctal(std::string_view field) {
    const auto isOct = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOct(field[i + 1]) &&
            isOct(field[i + 2]) && isOct(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

// Decodes \xHH (udev link names) escapes.
std::string DecodeHex(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out += static_cast<char>(std::stoi(std::string(name.substr(i + 2, 2)), nullptr, 16));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

}  // namespace

std::vector<Volume> ParseMounts(std::string_view mountsText) {
    std::vector<Volume> volumes;
    std::istringstream lines{std::string(mountsText)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) {
            continue;
        }
        const bool disk = std::find(kDiskTypes.begin(), kDiskTypes.end(), type) != kDiskTypes.end();
        if (!disk && device.rfind("/dev/", 0) != 0) {
            continue;
        }
        Volume v{DecodeOctal(mountPoint), DecodeOctal(device), type, {}, IsCdRomType(type)};
        const bool seen = std::any_of(volumes.begin(), volumes.end(), [&](const Volume& other) {
            return other.mountPoint == v.mountPoint;
        });
        if (!seen) {
            volumes.push_back(std::move(v));
        }
    }
    return volumes;
}

std::vector<Volume> ListVolumes() {
    std::ifstream in("/proc/self/mounts");
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<Volume> volumes = ParseMounts(text.str());
    std::error_code ec;
    for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code linkError;
        const fs::path target = fs::canonical(it->path(), linkError);
        if (linkError) {
            continue;
        }
        for (Volume& v : volumes) {
            std::error_code devError;
            if (v.label.empty() && fs::canonical(v.device, devError) == target && !devError) {
                v.label = DecodeHex(it->path().filename().string());
            }
        }
    }
    if (volumes.empty()) {
        volumes.push_back({"/", "", "", "", false});
    }
    return volumes;
}

int VolumeIndexOf(const std::vector<Volume>& volumes, const std::string& path) {
    int best = 0;
    size_t bestLength = 0;
    for (size_t i = 0; i < volumes.size(); ++i) {
        const std::string& mount = volumes[i].mountPoint;
        const bool holds =
            path.rfind(mount, 0) == 0 &&
            (mount == "/" || path.size() == mount.size() || path[mount.size()] == '/');
        if (holds && mount.size() > bestLength) {
            best = static_cast<int>(i);
            bestLength = mount.size();
        }
    }
    return best;
}

std::string VolumeDisplayName(const Volume& volume) {
    return volume.label.empty() ? volume.mountPoint : volume.mountPoint + " [" + volume.label + "]";
}

}  // namespace corvane::scenery
