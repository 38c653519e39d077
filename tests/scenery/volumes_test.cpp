#include <gtest/gtest.h>

#include "scenery/Volumes.h"

namespace corvane::scenery {
namespace {

TEST(Volumes, DisksAndCdRomsButNoPseudoFileSystems) {
    const auto volumes = ParseMounts(
        "proc /proc proc rw 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/vda / ext4 rw 0 0\n"
        "/dev/sr0 /media/cdrom0 iso9660 ro 0 0\n"
        "/dev/sdb1 /media/My\\040Games vfat rw 0 0\n"
        "/dev/vda / ext4 rw 0 0\n"
        "broken line\n");
    ASSERT_EQ(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].mountPoint, "/");
    EXPECT_FALSE(volumes[0].cdRom);
    EXPECT_EQ(volumes[1].mountPoint, "/media/cdrom0");
    EXPECT_TRUE(volumes[1].cdRom);
    EXPECT_EQ(volumes[2].mountPoint, "/media/My Games");
}

TEST(Volumes, DisplayNameCarriesTheLabel) {
    EXPECT_EQ(VolumeDisplayName({"/media/cdrom0", "/dev/sr0", "iso9660", "FS2002_1", true}),
              "/media/cdrom0 [FS2002_1]");
    EXPECT_EQ(VolumeDisplayName({"/", "/dev/vda", "ext4", "", false}), "/");
}

TEST(Volumes, TheLongestMountPointHoldingAPathWins) {
    const std::vector<Volume> v = {{"/", "", "ext4", "", false},
                                   {"/media/cd", "", "iso9660", "", true},
                                   {"/media/cdrom", "", "iso9660", "", true}};
    EXPECT_EQ(VolumeIndexOf(v, "/media/cdrom/FS2002"), 2);
    EXPECT_EQ(VolumeIndexOf(v, "/media/cd"), 1);
    EXPECT_EQ(VolumeIndexOf(v, "/media/cdx/FS2002"), 0);  // a name prefix is not a folder
    EXPECT_EQ(VolumeIndexOf(v, "/home"), 0);
}

TEST(Volumes, ThisMachineHasAtLeastOne) {
    EXPECT_FALSE(ListVolumes().empty());
}

}  // namespace
}  // namespace corvane::scenery
