#pragma once
// The mounted file systems, standing in for drive letters: mount points from /proc/self/mounts,
// labels from /dev/disk/by-label, and CD-ROMs told by their file-system type.

#include <string>
#include <string_view>
#include <vector>

namespace corvane::scenery {

struct Volume {
    std::string mountPoint;
    std::string device;
    std::string fsType;
    std::string label;  // empty when the volume has none
    bool cdRom = false;

    bool operator==(const Volume&) const = default;
};

// The volumes of a mounts table (the text of /proc/self/mounts): file systems on devices and the
// usual disk types; pseudo file systems (proc, sysfs, cgroup, tmpfs, ...) are left out. Mount
// points keep their order and appear once; octal escapes such as \040 are decoded.
std::vector<Volume> ParseMounts(std::string_view mountsText);

// The volumes of this machine, with their labels.
std::vector<Volume> ListVolumes();

// The index of the volume whose mount point holds `path` (the longest such mount point), or 0.
int VolumeIndexOf(const std::vector<Volume>& volumes, const std::string& path);

// How a volume is shown in a drive list: the mount point, and the label in brackets if it has one.
std::string VolumeDisplayName(const Volume& volume);

}  // namespace corvane::scenery
